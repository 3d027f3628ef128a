// The position index on its own: the tree of line lengths against a plain
// vector, the index of a live QTextDocument against a walk over the whole
// text after random edits, and the table-driven code page 932 conversions
// against the system converter behind sjis::ToUnicode / FromUnicode.
#include "platform/richedit/ByteIndex.h"
#include "platform/text/Sjis.h"

#include "NamedCase.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// The tree of line lengths against a vector.

struct NaiveLines {
    std::vector<long> bytes{0};

    long Length() const { return std::accumulate(bytes.begin(), bytes.end(), 0L) + long(bytes.size()) - 1; }
    long Start(std::size_t block) const
    {
        long s = 0;
        for (std::size_t i = 0; i < block; ++i)
            s += bytes[i] + 1;
        return s;
    }
    int At(long pos) const
    {
        long s = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (pos <= s + bytes[i])
                return int(i);
            s += bytes[i] + 1;
        }
        return int(bytes.size()) - 1;
    }
};

void ExpectSame(const ByteIndex& index, const NaiveLines& naive, std::mt19937& rng)
{
    ASSERT_EQ(index.BlockCount(), int(naive.bytes.size()));
    ASSERT_EQ(index.Length(), naive.Length());
    long start = 0;
    for (std::size_t i = 0; i < naive.bytes.size(); ++i) {
        ASSERT_EQ(index.BlockStart(int(i)), start) << "line " << i;
        ASSERT_EQ(index.BlockBytes(int(i)), naive.bytes[i]) << "line " << i;
        // The line's first position, its break, and one in between.
        ASSERT_EQ(index.BlockAt(start), int(i));
        ASSERT_EQ(index.BlockAt(start + naive.bytes[i]), int(i));
        if (naive.bytes[i] > 1) {
            ASSERT_EQ(index.BlockAt(start + long(rng() % std::uint32_t(naive.bytes[i]))), int(i));
        }
        start += naive.bytes[i] + 1;
    }
}

struct TreeCase {
    const char* name;
    unsigned seed;
    int operations;
    int maxRemoved; // lines replaced per operation, at most
    int maxAdded;   // lines put in their place, at most
    long maxBytes;  // bytes per line, at most
};

class ByteIndexTreeTest : public ::testing::TestWithParam<TreeCase> {};

TEST_P(ByteIndexTreeTest, MatchesAVectorAfterRandomReplacements)
{
    const TreeCase& c = GetParam();
    std::mt19937 rng(c.seed);
    ByteIndex index;
    NaiveLines naive;
    ExpectSame(index, naive, rng);
    for (int op = 0; op < c.operations; ++op) {
        const int size = int(naive.bytes.size());
        const int first = int(rng() % std::uint32_t(size + 1));
        const int count = std::min(size - first, int(rng() % std::uint32_t(c.maxRemoved + 1)));
        std::vector<long> added(rng() % std::uint32_t(c.maxAdded + 1));
        for (long& b : added)
            b = long(rng() % std::uint32_t(c.maxBytes + 1));
        SCOPED_TRACE("operation " + std::to_string(op));
        index.Replace(first, count, added);
        naive.bytes.erase(naive.bytes.begin() + first, naive.bytes.begin() + first + count);
        naive.bytes.insert(naive.bytes.begin() + first, added.begin(), added.end());
        if (naive.bytes.empty())
            naive.bytes.push_back(0);
        ExpectSame(index, naive, rng);
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(ByteIndexTree, ByteIndexTreeTest,
                         ::testing::Values(
                             // One line changes or splits, as typing does.
                             TreeCase{"Typing", 1, 400, 1, 2, 80},
                             // Pastes and deletions of many lines.
                             TreeCase{"BlockEdits", 2, 200, 40, 40, 120},
                             // Mostly empty lines, replaced wholesale now and then: the index must
                             // never lose its last line.
                             TreeCase{"EmptyLinesAndWipes", 3, 300, 500, 6, 1},
                             // Growing to thousands of lines, then shrinking.
                             TreeCase{"GrowAndShrink", 4, 120, 20, 200, 40}),
                         CaseName);

TEST(ByteIndexTree, ClampsOutOfRangeQueries)
{
    ByteIndex index;
    const long lines[] = {3, 0, 5};
    index.Replace(0, 1, lines); // "abc", "", "defgh": 3 + 1 + 0 + 1 + 5
    EXPECT_EQ(index.Length(), 10);
    EXPECT_EQ(index.BlockAt(-5), 0);
    EXPECT_EQ(index.BlockAt(4), 1);
    EXPECT_EQ(index.BlockAt(99), 2);
    EXPECT_EQ(index.BlockStart(3), 10);
    EXPECT_EQ(index.BlockStart(7), 10);
    EXPECT_EQ(index.BlockBytes(3), 0);
    index.Replace(0, 99, {});
    EXPECT_EQ(index.BlockCount(), 1);
    EXPECT_EQ(index.Length(), 0);
}

// ---------------------------------------------------------------------------
// The index of a document against a walk over all of its text.

// Characters of every width: ASCII, a backslash, half-width katakana, kanji
// and kana whose second byte is 0x5C ("表", "ソ"), full-width letters, and
// characters code page 932 cannot hold (written as one "?" each, the emoji
// taking two UTF-16 units), so the index must agree with the written bytes
// even for text that reached the document without being normalised.
const QStringList kPieces = {"a",
                             "Z",
                             " ",
                             "\\",
                             "\t",
                             QString::fromUtf8("ｶ"),
                             QString::fromUtf8("ﾟ"),
                             QString::fromUtf8("日"),
                             QString::fromUtf8("本"),
                             QString::fromUtf8("表"),
                             QString::fromUtf8("ソ"),
                             QString::fromUtf8("Ａ"),
                             QString::fromUtf8("é"),
                             QString::fromUtf8("😀"),
                             QString::fromUtf8("¥"),
                             "\n",
                             "\n"};

// The written length of each character, as the system converter gives it.
struct NaiveText {
    QString raw;               // QTextDocument::toRawText(): U+2029 between lines
    std::vector<int> docPos;   // per character: its document position
    std::vector<long> bytePos; // per character: its byte position
    long length = 0;
    std::vector<long> lineStarts;

    explicit NaiveText(const QTextDocument& doc)
    {
        raw = doc.toRawText();
        EXPECT_EQ(raw.size(), doc.characterCount() - 1);
        lineStarts.push_back(0);
        long bytes = 0;
        for (qsizetype i = 0; i < raw.size();) {
            const qsizetype n = raw[i].isHighSurrogate() && i + 1 < raw.size() ? 2 : 1;
            docPos.push_back(int(i));
            bytePos.push_back(bytes);
            const QString ch = raw.mid(i, n);
            if (ch == QChar::ParagraphSeparator) {
                bytes += 1;
                lineStarts.push_back(bytes);
            } else {
                bytes += long(sjis::FromUnicode(ch).size());
            }
            i += n;
        }
        length = bytes;
    }

    // The document position of a byte position: that of the character the
    // position falls in (its start), or the end.
    int ToDocument(long pos) const
    {
        auto it = std::upper_bound(bytePos.begin(), bytePos.end(), pos);
        if (it == bytePos.begin())
            return 0;
        const std::size_t k = std::size_t(it - bytePos.begin()) - 1;
        if (k + 1 == bytePos.size() && pos >= length)
            return int(raw.size());
        return docPos[k];
    }
    long FromDocument(int doc) const
    {
        auto it = std::lower_bound(docPos.begin(), docPos.end(), doc);
        if (it == docPos.end())
            return length;
        return bytePos[std::size_t(it - docPos.begin())];
    }
};

void ExpectMatchesWalk(const ByteIndex& index, const QTextDocument& doc)
{
    const NaiveText naive(doc);
    ASSERT_EQ(index.Length(), naive.length);
    ASSERT_EQ(index.BlockCount(), doc.blockCount());
    ASSERT_EQ(index.BlockCount(), int(naive.lineStarts.size()));
    for (std::size_t i = 0; i < naive.lineStarts.size(); ++i)
        ASSERT_EQ(index.BlockStart(int(i)), naive.lineStarts[i]) << "line " << i;
    for (long pos = 0; pos <= naive.length; ++pos) {
        ASSERT_EQ(index.ToDocument(pos), naive.ToDocument(pos)) << "byte position " << pos;
        ASSERT_EQ(index.BlockAt(pos), doc.findBlock(index.ToDocument(pos)).blockNumber()) << pos;
    }
    for (int d = 0; d <= int(naive.raw.size()); ++d) {
        // A position between the halves of a surrogate pair is no place the
        // index has to answer for.
        if (d > 0 && d < naive.raw.size() && naive.raw[d].isLowSurrogate())
            continue;
        ASSERT_EQ(index.FromDocument(d), naive.FromDocument(d)) << "document position " << d;
    }
}

QString RandomText(std::mt19937& rng, int maxPieces)
{
    QString s;
    const int n = int(rng() % std::uint32_t(maxPieces + 1));
    for (int i = 0; i < n; ++i)
        s += kPieces[qsizetype(rng() % std::uint32_t(kPieces.size()))];
    return s;
}

// A random position that does not split a surrogate pair.
int RandomPosition(std::mt19937& rng, const QTextDocument& doc)
{
    const int end = doc.characterCount() - 1;
    int p = int(rng() % std::uint32_t(end + 1));
    const QString raw = doc.toRawText();
    if (p > 0 && p < raw.size() && raw[p].isLowSurrogate())
        --p;
    return p;
}

enum class EditMix { Typing, Blocks, Batched };

struct DocumentCase {
    const char* name;
    unsigned seed;
    int operations;
    EditMix mix;
};

class ByteIndexDocumentTest : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(ByteIndexDocumentTest, MatchesAWalkAfterRandomEdits)
{
    const DocumentCase& c = GetParam();
    std::mt19937 rng(c.seed);
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setPlainText(RandomText(rng, 30));
    ByteIndex index(&doc);
    ExpectMatchesWalk(index, doc);
    const int maxPieces = c.mix == EditMix::Typing ? 2 : 40;
    for (int op = 0; op < c.operations; ++op) {
        SCOPED_TRACE("operation " + std::to_string(op));
        QTextCursor cur(&doc);
        const bool batch = c.mix == EditMix::Batched;
        if (batch)
            cur.beginEditBlock();
        for (int k = 0; k < (batch ? 4 : 1); ++k) {
            const int a = RandomPosition(rng, doc);
            int b = RandomPosition(rng, doc);
            if (c.mix == EditMix::Typing) {
                // One character or none; a surrogate pair is one character.
                b = std::min(doc.characterCount() - 1, a + int(rng() % 2));
                if (b < doc.characterCount() - 1 && doc.toRawText()[b].isLowSurrogate())
                    ++b;
            }
            cur.setPosition(a);
            cur.setPosition(b, QTextCursor::KeepAnchor);
            switch (rng() % 8) {
            case 0: cur.removeSelectedText(); break;
            case 1: cur.insertBlock(); break;
            case 2: {
                QTextCharFormat f;
                f.setForeground(QColor(int(rng() % 256), 0, 0));
                cur.mergeCharFormat(f);
                break;
            }
            case 3:
                if (rng() % 10 == 0 && !batch)
                    doc.setPlainText(RandomText(rng, maxPieces * 4));
                else
                    cur.insertText(RandomText(rng, maxPieces));
                break;
            default: cur.insertText(RandomText(rng, maxPieces)); break;
            }
        }
        if (batch)
            cur.endEditBlock();
        ExpectMatchesWalk(index, doc);
        if (HasFatalFailure())
            return;
    }
    doc.clear();
    ExpectMatchesWalk(index, doc);
}

INSTANTIATE_TEST_SUITE_P(ByteIndexDocument, ByteIndexDocumentTest,
                         ::testing::Values(
                             // A character or two typed, deleted or recoloured at a time.
                             DocumentCase{"Typing", 11, 300, EditMix::Typing},
                             // Pastes and deletions across lines, now and then a new text.
                             DocumentCase{"Blocks", 12, 200, EditMix::Blocks},
                             // Several edits in one edit block report as one change.
                             DocumentCase{"EditBlocks", 13, 150, EditMix::Batched}),
                         CaseName);

TEST(ByteIndexDocument, LargeDocumentMapsAtTheFarEnd)
{
    // 60,000 lines of mixed width; the positions near the end must come out
    // right, and the mapping must not walk the document to get there.
    QString text;
    std::vector<long> lineStarts;
    long bytes = 0;
    for (int i = 0; i < 60000; ++i) {
        lineStarts.push_back(bytes);
        const QString line = QString::fromUtf8("行%1 ｶﾅ ascii 表示").arg(i);
        text += line;
        text += u'\n';
        bytes += long(sjis::FromUnicode(line).size()) + 1;
    }
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setPlainText(text);
    ByteIndex index(&doc);
    EXPECT_EQ(index.Length(), bytes);
    EXPECT_EQ(index.BlockStart(59999), lineStarts[59999]);
    EXPECT_EQ(index.ToDocument(lineStarts[59999] + 2), doc.findBlockByNumber(59999).position() + 1);
    EXPECT_EQ(index.ToDocument(lineStarts[59999] + 1), doc.findBlockByNumber(59999).position());
    // An edit at the start shifts everything after it.
    QTextCursor cur(&doc);
    cur.insertText(QString::fromUtf8("日\n"));
    EXPECT_EQ(index.BlockStart(60000), lineStarts[59999] + 3);
    EXPECT_EQ(index.FromDocument(doc.findBlockByNumber(60000).position()), lineStarts[59999] + 3);

    const auto t0 = std::chrono::steady_clock::now();
    long sum = 0;
    for (int i = 0; i < 20000; ++i)
        sum += index.ToDocument(index.Length() - 5 - i % 1000);
    const auto t1 = std::chrono::steady_clock::now();
    EXPECT_GT(sum, 0);
    std::cout << "[ info ] 20000 mappings at the end of a 60000-line document: "
              << std::chrono::duration<double, std::milli>(t1 - t0).count() << " ms\n";
}

// ---------------------------------------------------------------------------
// The table-driven conversions against the system converter.

// Every code page 932 character: the single bytes and all lead/trail pairs.
std::vector<std::string> AllCodes()
{
    std::vector<std::string> codes;
    for (int b = 0; b < 0x100; ++b)
        if (!sjis::IsLeadByte(static_cast<unsigned char>(b)))
            codes.push_back(std::string(1, char(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!sjis::IsLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (trail != 0x7F)
                codes.push_back(std::string{char(lead), char(trail)});
    }
    return codes;
}

TEST(ByteIndexText, AgreesWithTheSystemConverterOnEveryCode)
{
    int defined = 0;
    for (const std::string& code : AllCodes()) {
        if (!sjis::IsValid(code))
            continue;
        ++defined;
        const QString expected = sjis::ToUnicode(code);
        const QString decoded = ByteIndex::Decode(code);
        ASSERT_EQ(decoded, expected) << "code " << std::hex << int(static_cast<unsigned char>(code[0]));
        const std::string written = sjis::FromUnicode(decoded);
        ASSERT_EQ(ByteIndex::Encode(decoded), written);
        ASSERT_EQ(ByteIndex::TextBytes(decoded), long(written.size()));
        // The decoded character is stable: it reads the same once written.
        ASSERT_EQ(ByteIndex::Normalize(decoded), decoded);
    }
    EXPECT_GT(defined, 7000);
}

TEST(ByteIndexText, EncodeAndNormalizeAgreeWithTheSystemConverterOnEveryCharacter)
{
    // All of the BMP but the surrogates and U+2029 (which the index writes
    // as a line break), as one text: the converter works per character, so
    // the texts agree as a whole exactly when they agree per character.
    QString all;
    for (char16_t u = 1; u < 0xFFFF; ++u)
        if ((u < 0xD800 || u > 0xDFFF) && u != 0x2029)
            all += QChar(u);
    const std::string written = sjis::FromUnicode(all);
    EXPECT_TRUE(ByteIndex::Encode(all) == written);
    EXPECT_EQ(ByteIndex::TextBytes(all), long(written.size()));
    EXPECT_TRUE(ByteIndex::Normalize(all) == sjis::ToUnicode(written));
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    const char* utf8;
};

class ByteIndexDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ByteIndexDecodeTest, Decodes)
{
    EXPECT_EQ(ByteIndex::Decode(GetParam().bytes).toStdString(), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(ByteIndexDecode, ByteIndexDecodeTest,
                         ::testing::Values(DecodeCase{"Ascii", "print $x;\r\n", "print $x;\r\n"},
                                           DecodeCase{"TrailByte5C", "\x95\\\x83\\\\", "表ソ\\"},
                                           DecodeCase{"HalfWidthKatakana", "\xb6\xc0\xb6\xc5", "ｶﾀｶﾅ"},
                                           DecodeCase{"LeadByteAtTheEnd", "ab\x82", "ab?"},
                                           // The break after a stray lead byte survives.
                                           DecodeCase{"LeadByteBeforeABreak", "a\x82\nb", "a?\nb"},
                                           DecodeCase{"UndefinedPair", "a\x85\x40z", "a?z"},
                                           DecodeCase{"UndefinedSingleBytes", "\x80\xa0\xfd", "???"}),
                         CaseName);

struct NormalizeCase {
    const char* name;
    const char* in;
    const char* out;
};

class ByteIndexNormalizeTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(ByteIndexNormalizeTest, Normalizes)
{
    const QString in = QString::fromUtf8(GetParam().in);
    const QString out = ByteIndex::Normalize(in);
    EXPECT_EQ(out.toStdString(), GetParam().out);
    // Whatever comes out is measured the same before and after writing.
    EXPECT_EQ(ByteIndex::TextBytes(out), long(ByteIndex::Encode(out).size()));
    EXPECT_EQ(ByteIndex::TextBytes(in), long(ByteIndex::Encode(in).size()));
}

INSTANTIATE_TEST_SUITE_P(ByteIndexNormalize, ByteIndexNormalizeTest,
                         ::testing::Values(NormalizeCase{"Kept", "日本語 ｶﾀｶﾅ abc\\", "日本語 ｶﾀｶﾅ abc\\"},
                                           NormalizeCase{"AccentedLetter", "caf\u00e9", "caf?"},
                                           NormalizeCase{"EmojiIsOneQuestionMark", "a\U0001F600b", "a?b"},
                                           NormalizeCase{"YenSignBecomesBackslash", "\u00a5100", "\\100"},
                                           NormalizeCase{"ParagraphSeparatorIsABreak", "a\u2029b", "a\nb"},
                                           NormalizeCase{"LineSeparatorIsNoBreak", "a\u2028b", "a?b"}),
                         CaseName);

} // namespace
