#include "check/CSjisHazardChecker.h"

#include "check/CPerlQuoteScanner.h"
#include "check/CSjisMask.h"
#include "platform/text/Sjis.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsWordByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool Interpolates(const QuoteRegion& r)
{
    switch (r.kind) {
    case QuoteKind::DoubleQuoted:
    case QuoteKind::HereDocument:
    case QuoteKind::Replacement: return true;
    case QuoteKind::Regex: return r.open != '\'';
    default: return false;
    }
}

// "{3}", "{2,}", "{2,5}" from `at`: a quantifier in a pattern.
bool IsQuantifier(std::string_view s, std::size_t at)
{
    std::size_t k = at;
    const std::size_t digits = k;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9')
        ++k;
    if (k == digits)
        return false;
    if (k < s.size() && s[k] == ',')
        for (++k; k < s.size() && s[k] >= '0' && s[k] <= '9';)
            ++k;
    return k < s.size() && s[k] == '}';
}

std::string HexEscape(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
        out += buf;
    }
    return out;
}

class Judge {
public:
    Judge(std::string_view sjis, std::string_view masked) : s_(sjis), m_(masked)
    {
        lineStarts_.push_back(0);
        for (std::size_t i = 0; i < s_.size(); ++i)
            if (s_[i] == '\n')
                lineStarts_.push_back(i + 1);
    }

    void Region(const QuoteRegion& r)
    {
        bool inClass = false;
        std::size_t classFirst = 0;
        const bool pattern = r.kind == QuoteKind::Regex;
        // Regions read from another tokenizer are held to the text.
        const std::size_t end = std::min(r.end, s_.size());
        for (std::size_t p = r.begin; p < end;) {
            const auto b = static_cast<unsigned char>(s_[p]);
            if (b >= 0x80) {
                const std::size_t n = sjis::CharLength(s_, p);
                if (n == 2) {
                    if (Character(r, p, pattern && inClass))
                        ++p; // the extra "\" of the cure
                }
                p += n;
                continue;
            }
            const char c = m_[p];
            if (c == '\\') {
                p += p + 1 < end && static_cast<unsigned char>(s_[p + 1]) < 0x80 ? 2 : 1;
                continue;
            }
            if (pattern && !inClass && c == '[') {
                inClass = true;
                classFirst = p + 1;
                if (classFirst < end && m_[classFirst] == '^')
                    ++classFirst;
            } else if (pattern && inClass && c == '[' && p + 1 < end && m_[p + 1] == ':') {
                const std::size_t e = m_.find(":]", p + 2);
                if (e != std::string_view::npos && e < end) {
                    p = e + 2;
                    continue;
                }
            } else if (pattern && inClass && c == ']' && p != classFirst) {
                inClass = false;
            }
            ++p;
        }
    }

    SjisHazards Take() { return std::move(hazards_); }

private:
    // Judges the character at p; true when it is followed by its extra "\".
    bool Character(const QuoteRegion& r, std::size_t p, bool inClass)
    {
        const char trail = s_[p + 1];
        const std::size_t next = p + 2;
        const char after = next < s_.size() ? s_[next] : '\0';
        const HazardContext context = ContextOf(r, inClass);
        const bool delimited = r.kind != QuoteKind::HereDocument;
        if (trail == '\\' && after == '\\')
            return true;
        if (delimited && (trail == r.close || (r.open != r.close && trail == r.open))) {
            Add(p, context, HazardKind::Delimiter, r.kind == QuoteKind::SingleQuoted);
            return false;
        }
        if (trail == '\\') {
            if (r.kind == QuoteKind::SingleQuoted &&
                !(after == r.close || (r.open != r.close && after == r.open)))
                return false;
            Add(p, context, HazardKind::Backslash, false);
            return false;
        }
        if (trail == '@' && Interpolates(r)) {
            const auto a = static_cast<unsigned char>(after);
            const bool array = IsWordByte(a) || a == '{' || a == '$' || a == '-' || a == '+' ||
                               (a == ':' && next + 1 < s_.size() && s_[next + 1] == ':');
            if (array)
                Add(p, context, HazardKind::ArrayInterpolation, false);
            return false;
        }
        if (r.kind == QuoteKind::Regex) {
            const bool meta = inClass ? trail == ']'
                                      : (trail == '[' || trail == '^' || trail == '|' ||
                                         (trail == '{' && IsQuantifier(s_, next)));
            if (meta)
                Add(p, context, HazardKind::RegexMetacharacter, false);
        }
        return false;
    }

    static HazardContext ContextOf(const QuoteRegion& r, bool inClass)
    {
        switch (r.kind) {
        case QuoteKind::DoubleQuoted:
        case QuoteKind::Replacement: return HazardContext::DoubleQuoted;
        case QuoteKind::SingleQuoted: return HazardContext::SingleQuoted;
        case QuoteKind::HereDocument: return HazardContext::HereDocument;
        case QuoteKind::Transliteration: return HazardContext::Transliteration;
        case QuoteKind::Regex: return inClass ? HazardContext::CharacterClass : HazardContext::Regex;
        }
        return HazardContext::DoubleQuoted;
    }

    void Add(std::size_t p, HazardContext context, HazardKind kind, bool noFix)
    {
        SjisHazard h{};
        h.offset = p;
        const auto line = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), p) - 1;
        h.line = static_cast<int>(line - lineStarts_.begin()) + 1;
        h.column = static_cast<int>(p - *line) + 1;
        h.character = std::string(s_.substr(p, 2));
        h.context = context;
        h.kind = kind;
        if (noFix) {
            // Another delimiter is the only cure in a single-quoted string.
        } else if (kind == HazardKind::Backslash) {
            h.fixOffset = p + 2;
            h.fixText = "\\";
        } else {
            h.fixOffset = p;
            h.fixLength = 2;
            h.fixText = HexEscape(h.character);
        }
        hazards_.push_back(std::move(h));
    }

    std::string_view s_;
    std::string_view m_;
    std::vector<std::size_t> lineStarts_;
    SjisHazards hazards_;
};

} // namespace

namespace {

SjisHazards CheckMasked(std::string_view sjis, std::string_view masked, const QuoteRegions& regions)
{
    Judge judge(sjis, masked);
    for (const QuoteRegion& r : regions)
        judge.Region(r);
    return judge.Take();
}

} // namespace

SjisHazards CSjisHazardChecker::Check(std::string_view sjis)
{
    const std::string masked = CSjisMask::Mask(sjis);
    return CheckMasked(sjis, masked, CPerlQuoteScanner::Scan(masked));
}

SjisHazards CSjisHazardChecker::Check(std::string_view sjis, const QuoteRegions& regions)
{
    return CheckMasked(sjis, CSjisMask::Mask(sjis), regions);
}

std::string CSjisHazardChecker::ApplyFixes(std::string_view sjis, const SjisHazards& hazards)
{
    std::string out(sjis);
    std::vector<const SjisHazard*> order;
    for (const SjisHazard& h : hazards)
        if (h.HasFix())
            order.push_back(&h);
    // From the end backwards, so that earlier offsets stay valid.
    std::sort(order.begin(), order.end(),
              [](const SjisHazard* a, const SjisHazard* b) { return a->fixOffset > b->fixOffset; });
    for (const SjisHazard* h : order)
        out.replace(h->fixOffset, h->fixLength, h->fixText);
    return out;
}
