#include "platform/richedit/StyledContent.h"

#include "platform/richedit/ByteIndex.h"
#include "platform/richedit/LineBreaks.h"
#include "platform/richedit/RichTextFormat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace {

// The attributes of a run as a key: colour, character set, bold, italic and
// size in the first number, the face's number in the second.
struct PackedFormat {
    std::uint64_t attributes;
    std::uint64_t face;
    bool operator==(const PackedFormat&) const = default;
};

struct PackedFormatHash {
    std::size_t operator()(const PackedFormat& f) const
    {
        return std::hash<std::uint64_t>()(f.attributes * 0x9E3779B97F4A7C15ull ^ f.face);
    }
};

} // namespace

StyledContent StyledContent::FromRuns(const RtfRuns& runs)
{
    StyledContent out;
    QString& text = out.text;
    // Formats by their attributes packed into two numbers, the face by its
    // place among the faces seen (the views point into the runs).
    std::unordered_map<PackedFormat, int, PackedFormatHash> formatIndex;
    std::unordered_map<std::string_view, std::uint64_t> faceIndex;
    std::size_t total = 0;
    for (const RtfRun& run : runs)
        total += run.text.size();
    text.reserve(qsizetype(total));
    bool afterCr = false;
    for (const RtfRun& run : runs) {
        const int start = int(text.size());
        std::string_view bytes = run.text;
        if (afterCr && !bytes.empty() && bytes.front() == '\n')
            bytes.remove_prefix(1); // the LF of a CR LF split between runs
        afterCr = false;
        if (bytes.find('\r') == std::string_view::npos)
            ByteIndex::AppendDecoded(bytes, text);
        else
            LineBreaks::AppendUnified(text, ByteIndex::Decode(bytes), afterCr);
        const int length = int(text.size()) - start;
        const bool plain = !run.hasColor && run.face.empty() && run.charSet == 1 && run.halfPoints <= 0 &&
                           !run.bold && !run.italic;
        if (length == 0 || plain)
            continue;
        std::uint64_t face = 0;
        if (!run.face.empty())
            face = faceIndex.try_emplace(run.face, faceIndex.size() + 1).first->second;
        const PackedFormat key{(run.hasColor ? (std::uint64_t(run.color & 0xFFFFFF) | 1u << 24) : 0) |
                                   std::uint64_t(run.charSet) << 25 | std::uint64_t(run.bold) << 33 |
                                   std::uint64_t(run.italic) << 34 |
                                   std::uint64_t(std::uint32_t(std::max(0, run.halfPoints))) << 35,
                               face};
        auto [it, added] = formatIndex.try_emplace(key, int(out.formats.size()));
        if (added)
            out.formats.push_back(RichTextFormat::FromRun(run));
        std::vector<Stretch>& styled = out.stretches;
        if (!styled.empty() && styled.back().format == it->second &&
            styled.back().start + styled.back().length == start)
            styled.back().length += length;
        else
            styled.push_back({start, length, it->second});
    }
    return out;
}

RtfRuns StyledContent::ReadRuns(const QTextDocument* document)
{
    RtfRuns runs;
    auto append = [&runs](const RtfRun& format, std::string_view text) {
        if (text.empty())
            return;
        if (runs.empty() || !runs.back().SameFormat(format)) {
            runs.push_back(format);
            runs.back().text.clear();
        }
        runs.back().text += text;
    };
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            append(RichTextFormat::ToRun(f.charFormat()), ByteIndex::Encode(f.text()));
        }
        if (b.next().isValid()) {
            // A break belongs to the run before it; an empty first line gets
            // a run of its own.
            if (runs.empty())
                runs.emplace_back();
            runs.back().text += '\n';
        }
    }
    return runs;
}
