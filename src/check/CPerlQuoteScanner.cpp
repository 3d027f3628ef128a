#include "check/CPerlQuoteScanner.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

bool IsWordStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsWord(char c)
{
    return IsWordStart(c) || (c >= '0' && c <= '9');
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

char ClosingOf(char open)
{
    switch (open) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    case '<': return '>';
    default: return open;
    }
}

// Named operators and list functions after which a "/" starts a pattern.
bool TakesTerm(std::string_view word)
{
    static constexpr std::array<std::string_view, 28> kWords = {
        "and",   "cmp",    "die",     "else",  "elsif", "eq",   "ge",    "grep",  "gt",   "if",
        "join",  "le",     "lt",      "map",   "ne",    "not",  "or",    "print", "push", "return",
        "split", "unless", "unshift", "until", "warn",  "when", "while", "x"};
    return std::find(kWords.begin(), kWords.end(), word) != kWords.end() || word == "xor" ||
           word == "printf" || word == "defined";
}

bool IsQuoteOperator(std::string_view word)
{
    return word == "q" || word == "qq" || word == "qw" || word == "qx" || word == "m" || word == "qr" ||
           word == "s" || word == "tr" || word == "y";
}

struct PendingHereDoc {
    std::string terminator;
    bool interpolates;
    bool indented;
};

class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s), n_(s.size()) {}

    QuoteRegions Run()
    {
        if (!SkipLineStartBlock())
            return {};
        while (i_ < n_) {
            const char c = s_[i_];
            if (c == '\n') {
                ++i_;
                ReadHereDocBodies();
                if (AtLineStart() && !SkipLineStartBlock())
                    break;
                continue;
            }
            if (IsSpace(c)) {
                ++i_;
                continue;
            }
            if (c == '#') {
                SkipToLineEnd();
                continue;
            }
            if (IsWordStart(c)) {
                Word();
                continue;
            }
            if (c >= '0' && c <= '9') {
                while (i_ < n_ && (IsWord(s_[i_]) || s_[i_] == '.') &&
                       !(s_[i_] == '.' && i_ + 1 < n_ && s_[i_ + 1] == '.'))
                    ++i_;
                Term();
                continue;
            }
            switch (c) {
            case '$':
            case '@': Variable(); continue;
            case '%':
            case '&':
            case '*':
                if (expectTerm_ && i_ + 1 < n_ &&
                    (IsWordStart(s_[i_ + 1]) || s_[i_ + 1] == '{' || s_[i_ + 1] == '$' ||
                     s_[i_ + 1] == ':')) {
                    Variable();
                } else {
                    ++i_;
                    Operator();
                }
                continue;
            case '"':
                Quoted(QuoteKind::DoubleQuoted, i_);
                Term();
                continue;
            case '\'':
                Quoted(QuoteKind::SingleQuoted, i_);
                Term();
                continue;
            case '`':
                Quoted(QuoteKind::DoubleQuoted, i_);
                Term();
                continue;
            case '/':
                if (expectTerm_) {
                    Quoted(QuoteKind::Regex, i_);
                    SkipModifiers();
                    Term();
                } else {
                    ++i_;
                    Operator();
                }
                continue;
            case '<':
                if (HereDocStart())
                    continue;
                if (expectTerm_ && Readline())
                    continue;
                ++i_;
                Operator();
                continue;
            case '-':
                if (i_ + 1 < n_ && s_[i_ + 1] == '>') {
                    i_ += 2;
                    afterArrow_ = true;
                    expectTerm_ = false;
                    continue;
                }
                ++i_;
                Operator();
                continue;
            case '{':
                braces_.push_back(!expectTerm_ && subscriptable_);
                ++i_;
                Operator();
                continue;
            case '}': {
                const bool subscript = !braces_.empty() && braces_.back();
                if (!braces_.empty())
                    braces_.pop_back();
                ++i_;
                if (subscript)
                    Term();
                else
                    Operator();
                continue;
            }
            case ')':
            case ']':
                ++i_;
                Term();
                continue;
            default: ++i_; Operator();
            }
        }
        std::sort(regions_.begin(), regions_.end(),
                  [](const QuoteRegion& a, const QuoteRegion& b) { return a.begin < b.begin; });
        return std::move(regions_);
    }

private:
    bool AtLineStart() const { return i_ == 0 || s_[i_ - 1] == '\n'; }

    void Term()
    {
        expectTerm_ = false;
        subscriptable_ = true;
        afterArrow_ = false;
    }

    void Operator()
    {
        expectTerm_ = true;
        subscriptable_ = false;
        afterArrow_ = false;
    }

    void SkipToLineEnd()
    {
        while (i_ < n_ && s_[i_] != '\n')
            ++i_;
    }

    std::string_view LineAt(std::size_t at) const
    {
        std::size_t e = at;
        while (e < n_ && s_[e] != '\n')
            ++e;
        std::string_view line = s_.substr(at, e - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    // POD and the end of the code at a line's start; false when the code ends.
    bool SkipLineStartBlock()
    {
        const std::string_view line = LineAt(i_);
        if (line.starts_with("__END__") || line.starts_with("__DATA__"))
            return false;
        if (line.size() > 1 && line[0] == '=' && IsWordStart(line[1])) {
            while (i_ < n_) {
                const std::string_view l = LineAt(i_);
                i_ += l.size();
                while (i_ < n_ && s_[i_] != '\n')
                    ++i_;
                if (i_ < n_)
                    ++i_;
                if (l.starts_with("=cut"))
                    break;
            }
        }
        return true;
    }

    void ReadHereDocBodies()
    {
        for (const PendingHereDoc& doc : pending_) {
            const std::size_t bodyBegin = i_;
            std::size_t bodyEnd = n_;
            while (i_ < n_) {
                std::string_view line = LineAt(i_);
                const std::size_t lineBegin = i_;
                i_ += line.size();
                while (i_ < n_ && s_[i_] != '\n')
                    ++i_;
                if (i_ < n_)
                    ++i_;
                if (doc.indented)
                    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
                        line.remove_prefix(1);
                if (line == doc.terminator) {
                    bodyEnd = lineBegin;
                    break;
                }
            }
            if (doc.interpolates)
                regions_.push_back({QuoteKind::HereDocument, bodyBegin, bodyEnd, 0, 0});
        }
        pending_.clear();
    }

    bool HereDocStart()
    {
        if (i_ + 2 >= n_ || s_[i_ + 1] != '<')
            return false;
        std::size_t j = i_ + 2;
        bool indented = false;
        if (s_[j] == '~') {
            indented = true;
            ++j;
        }
        std::size_t k = j;
        while (k < n_ && (s_[k] == ' ' || s_[k] == '\t'))
            ++k;
        PendingHereDoc doc{{}, true, indented};
        if (k < n_ && (s_[k] == '"' || s_[k] == '\'' || s_[k] == '`')) {
            const char q = s_[k];
            const std::size_t e = s_.find(q, k + 1);
            if (e == std::string_view::npos)
                return false;
            doc.terminator = std::string(s_.substr(k + 1, e - k - 1));
            doc.interpolates = q != '\'';
            i_ = e + 1;
        } else if (j < n_ && IsWordStart(s_[j]) && (expectTerm_ || j > i_ + 2)) {
            std::size_t e = j;
            while (e < n_ && IsWord(s_[e]))
                ++e;
            doc.terminator = std::string(s_.substr(j, e - j));
            i_ = e;
        } else {
            return false;
        }
        pending_.push_back(std::move(doc));
        Term();
        return true;
    }

    // <STDIN>, <$fh>, <*.txt>: read to the ">" on the same line.
    bool Readline()
    {
        std::size_t e = i_ + 1;
        while (e < n_ && s_[e] != '>' && s_[e] != '\n' && s_[e] != ';' && s_[e] != ' ')
            ++e;
        if (e >= n_ || s_[e] != '>')
            return false;
        i_ = e + 1;
        Term();
        return true;
    }

    void Variable()
    {
        ++i_; // the sigil
        if (i_ < n_ && s_[i_] == '#')
            ++i_;
        if (i_ < n_ && (IsWordStart(s_[i_]) || s_[i_] == ':')) {
            SkipName();
        } else if (i_ < n_ && s_[i_] == '{') {
            // ${name} or ${ expr }: the brace is a block that yields the name.
            Operator();
            return;
        } else if (i_ < n_ && s_[i_] == '$') {
            // $$ alone, or $$name (a dereference).
            if (i_ + 1 < n_ && (IsWordStart(s_[i_ + 1]) || s_[i_ + 1] == '{'))
                return Variable();
            ++i_;
        } else if (i_ < n_ && s_[i_] == '^') {
            i_ += 2;
        } else if (i_ < n_ && !IsSpace(s_[i_])) {
            ++i_; // a punctuation variable: $_ $/ $' $" $& $0 ...
            while (i_ < n_ && s_[i_ - 1] >= '0' && s_[i_ - 1] <= '9' && s_[i_] >= '0' && s_[i_] <= '9')
                ++i_;
        }
        Term();
    }

    // A name with its package parts: "::" or the old "'" (jcode'convert).
    void SkipName()
    {
        const std::size_t start = i_;
        while (i_ < n_) {
            if (IsWord(s_[i_]))
                ++i_;
            else if (s_[i_] == ':' && i_ + 1 < n_ && s_[i_ + 1] == ':')
                i_ += 2;
            else if (s_[i_] == '\'' && i_ + 1 < n_ && IsWordStart(s_[i_ + 1]) && i_ > start &&
                     !IsQuoteOperator(s_.substr(start, i_ - start)))
                ++i_;
            else
                break;
        }
    }

    void Word()
    {
        const std::size_t start = i_;
        SkipName();
        const std::string_view word = s_.substr(start, i_ - start);
        std::size_t j = i_;
        while (j < n_ && (s_[j] == ' ' || s_[j] == '\t'))
            ++j;
        const bool fatComma = j + 1 < n_ && s_[j] == '=' && s_[j + 1] == '>';
        const bool hashKey = start > 0 && s_[start - 1] == '{' && j < n_ && s_[j] == '}';
        if (afterArrow_ || fatComma || hashKey) {
            Term();
            return;
        }
        if ((word == "__END__" || word == "__DATA__") && (start == 0 || s_[start - 1] == '\n')) {
            i_ = n_;
            return;
        }
        if (QuoteOperator(word, j))
            return;
        if (word == "sub" || word == "package" || word == "use" || word == "no" || word == "require") {
            // The name after these is never a quote operator.
            i_ = j;
            while (i_ < n_ && (IsWord(s_[i_]) || s_[i_] == ':'))
                ++i_;
            Operator();
            return;
        }
        if (TakesTerm(word))
            Operator();
        else
            Term();
    }

    // The delimiter of a quote operator starting at j (after white space);
    // "#" only counts when it follows the operator directly.
    bool QuoteOperator(std::string_view word, std::size_t j)
    {
        const bool quote = word == "q" || word == "qq" || word == "qw" || word == "qx";
        const bool match = word == "m" || word == "qr";
        const bool subst = word == "s";
        const bool trans = word == "tr" || word == "y";
        if (!(quote || match || subst || trans))
            return false;
        while (j < n_ && IsSpace(s_[j]))
            ++j;
        if (j >= n_)
            return false;
        const char d = s_[j];
        if (d == '=' || d == ',' || d == ';' || d == ')' || (d == '#' && j != i_) || IsWord(d))
            return false;
        if (quote) {
            Quoted(word == "q" || word == "qw" ? QuoteKind::SingleQuoted : QuoteKind::DoubleQuoted, j);
        } else if (match) {
            Quoted(QuoteKind::Regex, j);
            SkipModifiers();
        } else {
            const QuoteKind first = subst ? QuoteKind::Regex : QuoteKind::Transliteration;
            const std::size_t firstRegion = regions_.size();
            Quoted(first, j);
            std::size_t k = i_;
            if (ClosingOf(d) != d) {
                while (k < n_ && IsSpace(s_[k]))
                    ++k;
                if (k >= n_) {
                    i_ = n_;
                    return true;
                }
            } else {
                --k; // the middle delimiter opens the second part
            }
            const char d2 = s_[k];
            QuoteKind second = subst ? QuoteKind::Replacement : QuoteKind::Transliteration;
            if (subst && d2 == '\'')
                second = QuoteKind::SingleQuoted;
            Quoted(second, k);
            const std::size_t modifiers = i_;
            SkipModifiers();
            const std::string_view mods = s_.substr(modifiers, i_ - modifiers);
            if (subst && mods.find('e') != std::string_view::npos && regions_.size() > firstRegion + 1)
                regions_.pop_back(); // the replacement is code
        }
        Term();
        return true;
    }

    void SkipModifiers()
    {
        while (i_ < n_ && ((s_[i_] >= 'a' && s_[i_] <= 'z') || (s_[i_] >= 'A' && s_[i_] <= 'Z')))
            ++i_;
    }

    // The delimited text opening at `at`; i_ ends after the closing delimiter.
    void Quoted(QuoteKind kind, std::size_t at)
    {
        const char open = s_[at];
        const char close = ClosingOf(open);
        int depth = 0;
        std::size_t k = at + 1;
        for (; k < n_; ++k) {
            const char c = s_[k];
            if (c == '\\') {
                ++k;
                continue;
            }
            if (c == close && depth == 0)
                break;
            if (open != close) {
                if (c == open)
                    ++depth;
                else if (c == close)
                    --depth;
            }
        }
        const std::size_t end = std::min(k, n_);
        regions_.push_back({kind, at + 1, end, open, close});
        i_ = std::min(end + 1, n_);
    }

    std::string_view s_;
    std::size_t n_;
    std::size_t i_ = 0;
    bool expectTerm_ = true;
    bool subscriptable_ = false;
    bool afterArrow_ = false;
    std::vector<bool> braces_;
    std::vector<PendingHereDoc> pending_;
    QuoteRegions regions_;
};

} // namespace

QuoteRegions CPerlQuoteScanner::Scan(std::string_view masked)
{
    return Scanner(masked).Run();
}
