// Kanji code conversion between Shift-JIS (code page 932), EUC-JP and
// ISO-2022-JP ("JIS"), behind the two calls the program's callers use:
// SetNkfOption picks the output code, NkfConvert converts one text to it.
//
// How the input code is detected
// ------------------------------
// A text carries no label saying which kanji code it is in, so it is read
// three ways and the most plausible reading wins. The whole text passed in is
// looked at before anything is converted.
//
// ISO-2022-JP is 7-bit and announces every change of character set with an
// escape sequence, so a text containing ESC $ B, ESC $ @, ESC ( I or ESC ( J
// (or a four-byte ESC $ ( B, ESC $ ( @, ESC $ ( D) is JIS, whatever else it
// holds; ESC ( B alone does not count, since it changes nothing. A text with
// no byte of 0x80 or above and no such sequence is plain ASCII: it reads the
// same in all three codes and comes out unchanged.
//
// That leaves Shift-JIS against EUC-JP, and there byte structure settles most
// texts. Shift-JIS lead bytes 0x81-0x9F (hiragana are 0x82 xx, punctuation
// 0x81 xx, half the kanji are in this range) never start a character in
// EUC-JP, where every double-byte character is two bytes 0xA1-0xFE, 0x8E
// introduces one half-width katakana 0xA1-0xDF and 0x8F a three-byte JIS X
// 0212 character. So nearly any real Shift-JIS text is broken EUC-JP. The
// reverse does not hold: Shift-JIS reads 0xA1-0xDF as single half-width
// katakana and 0xE0-0xFC as lead bytes taking almost any trail byte, so EUC
// hiragana "あ" (A4 A2) is also the two half-width katakana "､｢". Equally, a
// Shift-JIS run of half-width katakana of even length may pair up into
// perfectly good EUC kanji ("ｱｲ", B1 B2, is EUC "渦").
//
// When both readings are structurally valid, each is graded by the kinds of
// character it produced, from ordinary to suspicious:
//   ordinary    JIS X 0208 characters (kanji, kana, symbols) and ASCII;
//   katakana    half-width katakana;
//   vendor      code page 932 extensions: NEC special characters (row 13),
//               NEC-selected and IBM extension kanji;
//   rare        code points no character set assigns, the user-defined area,
//               JIS X 0212 (which Shift-JIS cannot hold at all).
// The reading whose most suspicious kind is the more ordinary wins; if both
// reach the same kind, the next kind down decides, and so on. A full tie goes
// to EUC-JP. Ordinary EUC text of kanji and hiragana therefore stays EUC: its
// Shift-JIS reading is all half-width katakana and usually undefined codes.
// The classic nkf command grades the same way, and the tests hold this rule
// against it. The price is the case the codes cannot tell apart: a Shift-JIS
// text that is nothing but an even run of half-width katakana which happens to
// spell valid EUC kanji is taken for EUC-JP. The longer the text, the less
// likely that is, so callers should convert whole texts rather than short
// pieces where they can.
//
// When neither reading is valid (binary data, a text cut in the middle of a
// character, a code this unit does not know), the one with fewer invalid bytes
// wins, and a tie goes to Shift-JIS, the program's own code.
//
// What the conversion keeps
// -------------------------
// Nothing is dropped. Bytes that are invalid in the detected code pass
// through unchanged, as do Shift-JIS characters that have no place in EUC-JP
// or JIS (the user-defined area). Converting a text to its own code gives the
// same bytes back, except that JIS output is rewritten with the canonical
// escape sequences. Half-width katakana stay half-width: 0x8E xx in EUC-JP,
// ESC ( I in JIS. Line breaks are not touched.
//
// Code page 932 extensions travel the usual way: NEC row 13 keeps its row;
// an IBM extension character (Shift-JIS 0xFA40-0xFC4B) takes the code of its
// twin, in JIS X 0208 or row 13 where there is one ("￢", "∵", "Ⅰ"), else in
// the NEC-selected rows 89-92, which come back to Shift-JIS as IBM codes.
// JIS X 0212 characters (0x8F in EUC-JP) stay JIS X 0212 in EUC-JP and JIS
// and become their code page 932 twin in Shift-JIS, or the geta mark "〓"
// where there is none.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The output codes SetNkfOption selects.
enum class NkfCode { ShiftJis, Jis, Euc };

// What an input text was detected as.
enum class NkfInput { Ascii, ShiftJis, Euc, Jis };

// Sets the output code of the following conversions for the whole process:
// "s" Shift-JIS (code page 932), "j" ISO-2022-JP, "e" EUC-JP. Any other text,
// or a null pointer, leaves the code as it is. The code starts as Shift-JIS.
void SetNkfOption(const char* option);

// The output code last set.
NkfCode NkfOutputCode();

// Converts the NUL-terminated text to the current output code and writes it
// NUL-terminated into out, never more than outSize bytes in all. When the
// result does not fit, it stops after the last whole character that does,
// and JIS output still ends back in ASCII. outSize 0 writes nothing; a null
// input converts as an empty text.
void NkfConvert(char* out, std::size_t outSize, const char* in);

// The bytes NkfConvert needs for the whole text, including the NUL, for the
// current output code.
std::size_t NkfConvertedSize(const char* in);

// Converts the text to the given code.
std::string NkfConvertText(std::string_view in, NkfCode to);

// Converts a text whose code is known, without guessing it: the editor's own
// text is always Shift-JIS, even when it would also read as EUC-JP.
std::string NkfConvertFrom(std::string_view in, NkfInput from, NkfCode to);

// The code the text is read as by the rule above.
NkfInput NkfDetect(std::string_view in);
