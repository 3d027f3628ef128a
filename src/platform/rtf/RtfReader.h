// Reads an RTF stream into runs of code page 932 text with one character
// format each (see RtfRun.h).
//
// What it understands
// -------------------
// The reader keeps what the program shows: text, paragraph breaks, tabs, and
// per character the colour, the font face and character set, the size, bold
// and italic. Groups { } save the format on entry and restore it on exit;
// \plain resets it. The font table (\fonttbl) gives each \fN its face name,
// \fcharset and optional \cpg; the colour table (\colortbl) gives each \cfN its
// colour, an entry with no \red, \green or \blue (the usual first entry) being
// the automatic colour. \par, \line, \sect, \page and \row end a paragraph
// ("\n"); \tab and \cell give a tab. Everything else that is not text - the
// style sheet, document information, pictures, headers and footers, field
// instructions (the field result is kept), bookmarks, list-number text and
// every {\* ...} destination - is skipped with all it contains. Other control
// words are ignored.
//
// Which code page the bytes are in
// --------------------------------
// A \'hh escape and a raw byte of 0x80 or above are in the code page of the
// current font: \fcharset128 is code page 932, 0 (ANSI) and 2 (symbol) are
// 1252, and the other Windows character sets their usual code pages (\cpg on
// the font wins over its \fcharset). \fcharset1 (default), a font without
// \fcharset and a font missing from the table take the document's code page:
// \ansicpgN when the stream gives it, otherwise 932 - the streams this program
// meets come from Japanese systems, where a bare \ansi means the system code
// page. Code page 932 bytes pass through unchanged, a lead byte and its trail
// byte forming one character even when they arrive as two escapes. Raw,
// unescaped double-byte text is read as well: a trail byte that happens to be
// \, { or } (0x95 0x5C is 表) belongs to its character, not to the syntax. Other
// code pages are converted through Unicode to code page 932, a character it
// cannot hold becoming "?". \uN gives a Unicode character (N is signed
// 16-bit, so a negative N means N + 65536; a pair of surrogates makes one
// character) and skips the \ucN fallback characters that follow it, where a
// text byte, an escape, a control symbol and a control word count one each and
// a brace ends the skipping early.
//
// How it copes with bad input
// ---------------------------
// It never fails: a malformed stream gives whatever text can be made of it,
// in time linear in the stream's length and without reading past its end.
// A lead byte that no trail byte follows becomes "?", so it cannot swallow the
// next character (or a line break) when the text is shown. An escape cut short
// (\'4, \' at the end) is dropped. Raw control bytes other than tab are
// dropped - raw CR and LF are line breaks of the stream, not of the text - but
// an escaped one (\'1b) is kept, so text holding escape characters survives
// a round trip; only NUL is dropped in every form.
// Numeric parameters saturate at 32 bits, so a huge \ucN or \binN just runs to
// the end of the stream. Groups nest on an explicit stack capped at 1000
// levels; deeper groups are read with the format of the deepest level, which is
// restored when they close. Groups left open at the end are closed; a stray }
// outside every group is ignored. When the stream starts with {, the document
// ends at the brace that closes that group and anything after it is ignored.
#pragma once

#include "platform/rtf/RtfRun.h"

#include <string_view>

class RtfReader {
public:
    // The runs of the stream, adjacent runs with the same format merged and
    // empty runs dropped. \fsN gives the size; a size never set is 0 (the
    // control's default), and so are face "" / charSet 1 for text in a font
    // the font table does not name.
    static RtfRuns Read(std::string_view rtf);

    // The code page of a \fcharset value; 1 (default) and unknown values give
    // documentCodePage.
    static int CodePageOfCharSet(int charSet, int documentCodePage);
};
