#include "platform/richedit/ByteIndex.h"

#include "platform/text/Iconv.h"
#include "platform/text/Sjis.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// ---- code page 932 tables ----

// Everything the fast conversions need, built once from the system's code
// page 932 converter so that they agree with sjis::ToUnicode/FromUnicode.
struct CodeTables {
    // Per BMP unit: the length of its code page 932 form (0: none), the form
    // (a single byte, or lead << 8 | trail) and the unit that form decodes to.
    std::array<std::uint8_t, 0x10000> length{};
    std::array<std::uint16_t, 0x10000> code{};
    std::array<char16_t, 0x10000> normal{};
    // Per single byte, and per lead << 8 | trail: the decoded unit, 0 for an
    // undefined code (no code page 932 code decodes to U+0000 but 0x00).
    std::array<char16_t, 0x100> single{};
    std::array<bool, 0x100> singleDefined{};
    std::array<char16_t, 0x10000> pair{};
};

// The single UTF-16 unit of a UTF-16LE output of two bytes, or 0.
char16_t OneUnit(const std::string& out)
{
    if (out.size() != 2)
        return 0;
    auto u = char16_t(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
    return QChar::isSurrogate(u) ? 0 : u;
}

std::unique_ptr<CodeTables> BuildTables()
{
    auto t = std::make_unique<CodeTables>();
    Iconv decoder("UTF-16LE", "CP932");
    Iconv encoder("CP932", "UTF-16LE");
    const bool ok = decoder.ok() && encoder.ok();
    std::string out;

    // Decoding: every single byte that is not a lead byte, every lead byte
    // with every trail byte.
    for (int b = 0; b < 0x100; ++b) {
        if (sjis::IsLeadByte(static_cast<unsigned char>(b)))
            continue;
        const char in[1] = {char(b)};
        char16_t u = 0;
        if (b < 0x80)
            u = char16_t(b); // ASCII, whatever the converter does with NUL
        else if (ok && decoder.Convert({in, 1}, out))
            u = OneUnit(out);
        if (u != 0 || b == 0) {
            t->single[std::size_t(b)] = u;
            t->singleDefined[std::size_t(b)] = true;
        }
    }
    for (int lead = 0x81; lead <= 0xFC && ok; ++lead) {
        if (!sjis::IsLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!sjis::IsTrailByte(static_cast<unsigned char>(trail)))
                continue;
            const char in[2] = {char(lead), char(trail)};
            if (decoder.Convert({in, 2}, out))
                t->pair[std::size_t(lead << 8 | trail)] = OneUnit(out);
        }
    }

    // Encoding: what each BMP unit becomes, and what that decodes back to.
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        t->normal[u] = u'?';
        const char in[2] = {char(u & 0xFF), char(u >> 8)};
        if (u < 0x80)
            out.assign(1, char(u));
        else if (!ok || !encoder.Convert({in, 2}, out))
            continue;
        const std::size_t size = out.size();
        auto b0 = static_cast<unsigned char>(out[0]);
        if (size == 1 && t->singleDefined[b0]) {
            t->length[u] = 1;
            t->code[u] = b0;
            t->normal[u] = t->single[b0];
        } else if (size == 2) {
            auto b1 = static_cast<unsigned char>(out[1]);
            char16_t back = t->pair[std::size_t(b0 << 8 | b1)];
            if (back != 0) {
                t->length[u] = 2;
                t->code[u] = std::uint16_t(b0 << 8 | b1);
                t->normal[u] = back;
            }
        }
    }
    return t;
}

const CodeTables& Tables()
{
    static const std::unique_ptr<CodeTables> tables = BuildTables();
    return *tables;
}

// The bytes of one UTF-16 unit (see ByteIndex::CharBytes), the tables
// fetched by the caller once per text.
int Width(const CodeTables& t, char16_t c)
{
    if (QChar::isHighSurrogate(c))
        return 1;
    if (QChar::isLowSurrogate(c))
        return 0;
    return t.length[c] == 0 ? 1 : t.length[c];
}

} // namespace

// ---- the tree of line lengths ----

// An implicit treap: the in-order sequence of nodes is the sequence of lines,
// each node holding its line's bytes plus one for the break after it. Nodes
// live in a vector and refer to each other by index; freed nodes are reused.
struct ByteIndex::Tree {
    struct Node {
        int left = -1;
        int right = -1;
        std::uint32_t priority = 0;
        int size = 1;
        long value = 0;
        long sum = 0;
    };

    std::vector<Node> nodes;
    std::vector<int> unused;
    int root = -1;
    std::uint64_t state = 0x9E3779B97F4A7C15ull;

    int Size(int t) const { return t < 0 ? 0 : nodes[std::size_t(t)].size; }
    long Sum(int t) const { return t < 0 ? 0 : nodes[std::size_t(t)].sum; }
    Node& At(int t) { return nodes[std::size_t(t)]; }
    const Node& At(int t) const { return nodes[std::size_t(t)]; }

    void Update(int t)
    {
        Node& n = At(t);
        n.size = 1 + Size(n.left) + Size(n.right);
        n.sum = n.value + Sum(n.left) + Sum(n.right);
    }

    std::uint32_t NextPriority()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return std::uint32_t(state >> 16);
    }

    int NewNode(long value)
    {
        Node n;
        n.priority = NextPriority();
        n.value = value;
        n.sum = value;
        if (!unused.empty()) {
            int t = unused.back();
            unused.pop_back();
            At(t) = n;
            return t;
        }
        nodes.push_back(n);
        return int(nodes.size() - 1);
    }

    int Merge(int a, int b)
    {
        if (a < 0)
            return b;
        if (b < 0)
            return a;
        if (At(a).priority > At(b).priority) {
            int right = Merge(At(a).right, b);
            At(a).right = right;
            Update(a);
            return a;
        }
        int left = Merge(a, At(b).left);
        At(b).left = left;
        Update(b);
        return b;
    }

    // The first k nodes of t go to a, the rest to b.
    void Split(int t, int k, int& a, int& b)
    {
        if (t < 0) {
            a = b = -1;
            return;
        }
        if (Size(At(t).left) < k) {
            int rightA = -1;
            Split(At(t).right, k - Size(At(t).left) - 1, rightA, b);
            At(t).right = rightA;
            a = t;
        } else {
            int leftB = -1;
            Split(At(t).left, k, a, leftB);
            At(t).left = leftB;
            b = t;
        }
        Update(t);
    }

    // A treap of the values in order, in linear time: the nodes are pushed
    // along the right spine, which stays sorted by priority.
    int Build(std::span<const long> values)
    {
        std::vector<int> spine;
        for (long v : values) {
            int n = NewNode(v + 1);
            int last = -1;
            while (!spine.empty() && At(spine.back()).priority < At(n).priority) {
                last = spine.back();
                spine.pop_back();
                Update(last);
            }
            At(n).left = last;
            if (!spine.empty())
                At(spine.back()).right = n;
            spine.push_back(n);
        }
        while (spine.size() > 1) {
            Update(spine.back());
            spine.pop_back();
        }
        if (spine.empty())
            return -1;
        Update(spine.front());
        return spine.front();
    }

    void Release(int t)
    {
        std::vector<int> stack;
        if (t >= 0)
            stack.push_back(t);
        while (!stack.empty()) {
            int n = stack.back();
            stack.pop_back();
            if (At(n).left >= 0)
                stack.push_back(At(n).left);
            if (At(n).right >= 0)
                stack.push_back(At(n).right);
            unused.push_back(n);
        }
    }

    void Replace(int first, int count, std::span<const long> values)
    {
        int a = -1, rest = -1, middle = -1, c = -1;
        Split(root, first, a, rest);
        Split(rest, count, middle, c);
        Release(middle);
        root = Merge(Merge(a, Build(values)), c);
    }

    // The sum of the first k values.
    long Prefix(int k) const
    {
        long sum = 0;
        int t = root;
        while (t >= 0 && k > 0) {
            const Node& n = At(t);
            int leftSize = Size(n.left);
            if (k <= leftSize) {
                t = n.left;
            } else {
                sum += Sum(n.left) + n.value;
                k -= leftSize + 1;
                t = n.right;
            }
        }
        return sum;
    }

    long Value(int k) const
    {
        int t = root;
        while (t >= 0) {
            const Node& n = At(t);
            int leftSize = Size(n.left);
            if (k < leftSize)
                t = n.left;
            else if (k == leftSize)
                return n.value;
            else {
                k -= leftSize + 1;
                t = n.right;
            }
        }
        return 0;
    }

    // The node whose span [Prefix(i), Prefix(i + 1)) holds pos, with the
    // span's start; pos must lie in [0, Sum(root)).
    std::pair<int, long> Find(long pos) const
    {
        int index = 0;
        long start = 0;
        int t = root;
        while (t >= 0) {
            const Node& n = At(t);
            long leftSum = Sum(n.left);
            if (pos < leftSum) {
                t = n.left;
            } else if (pos < leftSum + n.value) {
                return {index + Size(n.left), start + leftSum};
            } else {
                pos -= leftSum + n.value;
                start += leftSum + n.value;
                index += Size(n.left) + 1;
                t = n.right;
            }
        }
        return {std::max(0, Size(root) - 1), start};
    }
};

ByteIndex::ByteIndex() : tree_(std::make_unique<Tree>())
{
    Replace(0, 0, {}); // leaves the one empty line
}

ByteIndex::ByteIndex(QTextDocument* document) : ByteIndex()
{
    document_ = document;
    // QTextDocument reports contentsChange only once it has a layout.
    document_->documentLayout();
    connection_ = QObject::connect(
        document_, &QTextDocument::contentsChange, document_,
        [this](int position, int removed, int added) { OnContentsChange(position, removed, added); });
    Rebuild();
}

ByteIndex::~ByteIndex()
{
    QObject::disconnect(connection_);
}

int ByteIndex::BlockCount() const
{
    return tree_->Size(tree_->root);
}

long ByteIndex::BlockBytes(int block) const
{
    if (block < 0 || block >= BlockCount())
        return 0;
    return tree_->Value(block) - 1;
}

long ByteIndex::BlockStart(int block) const
{
    if (block <= 0)
        return 0;
    if (block >= BlockCount())
        return Length();
    return tree_->Prefix(block);
}

int ByteIndex::BlockAt(long pos) const
{
    pos = std::clamp(pos, 0L, Length());
    return tree_->Find(pos).first;
}

long ByteIndex::Length() const
{
    return tree_->Sum(tree_->root) - 1;
}

void ByteIndex::Replace(int first, int count, std::span<const long> bytes)
{
    const int size = BlockCount();
    first = std::clamp(first, 0, size);
    count = std::clamp(count, 0, size - first);
    tree_->Replace(first, count, bytes);
    if (tree_->root < 0) {
        const long empty[1] = {0};
        tree_->root = tree_->Build(empty);
    }
}

void ByteIndex::Rebuild()
{
    if (!document_)
        return;
    std::vector<long> lengths;
    MeasureBlocks(0, document_->blockCount() - 1, lengths);
    Replace(0, BlockCount(), lengths);
}

void ByteIndex::MeasureBlocks(int first, int last, std::vector<long>& out) const
{
    out.clear();
    out.reserve(std::size_t(std::max(0, last - first + 1)));
    QTextBlock block = document_->findBlockByNumber(first);
    for (int i = first; i <= last && block.isValid(); ++i, block = block.next())
        out.push_back(TextBytes(block.text()));
}

void ByteIndex::OnContentsChange(int position, int /*removed*/, int added)
{
    // Everything before `position` is unchanged, and so is everything after
    // the change: the lines after the one holding position + added in the
    // new document are the old lines after the change, one for one. So the
    // old lines [first, oldLast] became the new lines [first, last].
    // Qt sometimes reports more than changed (a whole-document change counts
    // the final separator); a wider range only costs measuring more lines.
    const int characters = document_->characterCount();
    const int newCount = document_->blockCount();
    const int oldCount = BlockCount();
    const int from = std::clamp(position, 0, characters - 1);
    const int to = int(std::clamp(long(position) + long(added), long(from), long(characters - 1)));
    const int first = document_->findBlock(from).blockNumber();
    const int last = document_->findBlock(to).blockNumber();
    const int oldLast = oldCount - (newCount - last);
    if (first < 0 || last < first || oldLast < first || oldLast >= oldCount) {
        Rebuild();
        return;
    }
    std::vector<long> lengths;
    MeasureBlocks(first, last, lengths);
    Replace(first, oldLast - first + 1, lengths);
}

int ByteIndex::ToDocument(long pos) const
{
    pos = std::clamp(pos, 0L, Length());
    if (!document_)
        return int(pos);
    auto [block, start] = tree_->Find(pos);
    const long offset = pos - start;
    const QTextBlock b = document_->findBlockByNumber(block);
    return b.position() + int(FitUnits(b.text(), offset));
}

long ByteIndex::FromDocument(int documentPosition) const
{
    if (!document_)
        return std::clamp(long(documentPosition), 0L, Length());
    documentPosition = std::clamp(documentPosition, 0, document_->characterCount() - 1);
    const QTextBlock b = document_->findBlock(documentPosition);
    const int offset = documentPosition - b.position();
    return BlockStart(b.blockNumber()) + TextBytes(QStringView(b.text()).left(offset));
}

// ---- text ----

int ByteIndex::CharBytes(char16_t c)
{
    return Width(Tables(), c);
}

long ByteIndex::TextBytes(QStringView text)
{
    const CodeTables& t = Tables();
    long bytes = 0;
    for (QChar ch : text)
        bytes += ch.unicode() < 0x80 ? 1 : Width(t, ch.unicode());
    return bytes;
}

qsizetype ByteIndex::FitUnits(QStringView text, long bytes)
{
    const CodeTables& t = Tables();
    long used = 0;
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const int w = Width(t, text[i].unicode());
        if (used + w > bytes)
            break;
        used += w;
    }
    return i;
}

QString ByteIndex::Decode(std::string_view bytes)
{
    QString out;
    AppendDecoded(bytes, out);
    return out;
}

void ByteIndex::AppendDecoded(std::string_view bytes, QString& out)
{
    const CodeTables& t = Tables();
    // Room for one unit a byte, growing geometrically so that many small
    // appends stay linear; the text is written in place and cut to size.
    const qsizetype base = out.size();
    const qsizetype most = base + qsizetype(bytes.size());
    if (out.capacity() < most)
        out.reserve(std::max(most, out.capacity() * 2));
    out.resize(most);
    QChar* const begin = out.data();
    QChar* p = begin + base;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            *p++ = QChar(b);
            ++i;
        } else if (sjis::IsLeadByte(b)) {
            if (i + 1 < bytes.size() && sjis::IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
                const char16_t u = t.pair[std::size_t(b << 8 | static_cast<unsigned char>(bytes[i + 1]))];
                *p++ = QChar(u != 0 ? u : u'?');
                i += 2;
            } else {
                *p++ = QChar(u'?');
                ++i;
            }
        } else {
            *p++ = QChar(t.singleDefined[b] ? t.single[b] : u'?');
            ++i;
        }
    }
    out.truncate(p - begin);
}

std::string ByteIndex::Encode(QStringView text)
{
    const CodeTables& t = Tables();
    std::string out;
    out.reserve(std::size_t(text.size()) * 2);
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            out += char(c);
        } else if (c == 0x2029) {
            out += '\r';
        } else if (QChar::isLowSurrogate(c)) {
            continue;
        } else if (QChar::isHighSurrogate(c) || t.length[c] == 0) {
            out += '?';
        } else if (t.length[c] == 1) {
            out += char(t.code[c]);
        } else {
            out += char(t.code[c] >> 8);
            out += char(t.code[c] & 0xFF);
        }
    }
    return out;
}

QString ByteIndex::Normalize(QStringView text)
{
    const CodeTables& t = Tables();
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80)
            out += ch;
        else if (c == 0x2029)
            out += u'\n';
        else if (QChar::isLowSurrogate(c))
            continue;
        else if (QChar::isHighSurrogate(c))
            out += u'?';
        else
            out += QChar(t.normal[c]);
    }
    return out;
}
