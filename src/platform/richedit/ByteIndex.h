// The position index of the rich-edit control: it maps code page 932 byte
// positions (one position per line break) to a QTextDocument's character
// positions and back without walking the document from its start.
//
// The index keeps, for every block (line) of the document, the number of
// bytes its text takes in code page 932. The lengths sit in an implicit
// balanced tree (a treap keyed by block order) whose nodes carry subtree sums,
// so the position of a line's start, the line holding a position, and the
// replacement of any run of lines all cost O(log n) in the number of lines
// (plus the lines replaced). QTextDocument finds a block by number or by
// character position in O(log n) as well, and inside one line the mapping
// walks that line's text only.
//
// Attached to a document, the index follows QTextDocument::contentsChange:
// the lines a change touched are measured again and the lines it added or
// removed are inserted into or taken out of the tree. Detached (the default
// constructor) it is a plain sequence of line lengths that Replace edits.
//
// The index measures text the way the control holds it: every character is
// one code page 932 can hold, so it takes 1 byte (ASCII, half-width katakana)
// or 2 (everything else). The static helpers below decode, encode and
// normalise text into that form quickly from one table built on first use.
// A character that slipped in without being normalised counts as the "?" it
// will be written as, so positions and written bytes always agree.
#pragma once

#include <QMetaObject>
#include <QString>
#include <QStringView>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QTextDocument;

class ByteIndex {
public:
    // A detached index of one empty line.
    ByteIndex();
    // An index that follows the document from now on. The document must
    // outlive the index or the index must be destroyed first.
    explicit ByteIndex(QTextDocument* document);
    ~ByteIndex();
    ByteIndex(const ByteIndex&) = delete;
    ByteIndex& operator=(const ByteIndex&) = delete;

    // ---- lines ----
    int BlockCount() const;
    // The bytes of the line's text, without its break; 0 for no such line.
    long BlockBytes(int block) const;
    // The position of the line's first character; Length() for block ==
    // BlockCount(), clamped to that beyond.
    long BlockStart(int block) const;
    // The line holding the position, its break counted with it; clamped to
    // the first and last line.
    int BlockAt(long pos) const;
    // All positions: the bytes of every line plus one per break.
    long Length() const;
    // Replaces lines [first, first + count) with lines of the given byte
    // lengths. The index always keeps at least one line; a replacement that
    // would leave none leaves one empty line.
    void Replace(int first, int count, std::span<const long> bytes);
    // Measures every line of the attached document again.
    void Rebuild();

    // ---- document positions (attached index only) ----
    // The document position of a byte position. A position inside a
    // double-byte character is moved to the character's start; positions
    // outside [0, Length()] are clamped.
    int ToDocument(long pos) const;
    // The byte position of a document position, clamped to the document.
    long FromDocument(int documentPosition) const;

    // ---- text as the control holds it ----
    // The code page 932 bytes of one UTF-16 unit: 1 or 2 for a character of
    // the code page, 1 for any other character (it is written as "?"), 0
    // for the low half of a surrogate pair (the pair is one "?").
    static int CharBytes(char16_t c);
    static long TextBytes(QStringView text);
    // How many UTF-16 units at the start of the text take no more than the
    // given bytes, stopping before the first character that does not fit.
    static qsizetype FitUnits(QStringView text, long bytes);
    // Code page 932 bytes to text. An undefined code becomes "?"; a lead byte
    // whose follower is not a trail byte becomes "?" on its own, so it can
    // never swallow a line break or an ASCII character.
    static QString Decode(std::string_view bytes);
    // The same, appended to out.
    static void AppendDecoded(std::string_view bytes, QString& out);
    // Text to code page 932 bytes. U+2029 (the document's paragraph
    // separator) becomes "\r"; any other character the code page lacks
    // becomes "?".
    static std::string Encode(QStringView text);
    // The text as it reads once it has been through code page 932: each
    // character that has a code page 932 form is replaced by the character
    // that form decodes to ("¥" becomes "\"), every other character becomes
    // "?", and U+2029 becomes "\n". Line breaks stay as they are.
    static QString Normalize(QStringView text);

private:
    struct Tree;

    void OnContentsChange(int position, int removed, int added);
    void MeasureBlocks(int first, int last, std::vector<long>& out) const;

    std::unique_ptr<Tree> tree_;
    QTextDocument* document_ = nullptr;
    QMetaObject::Connection connection_;
};
