#include "platform/richedit/TextFinder.h"

#include "platform/richedit/ByteIndex.h"
#include "platform/richedit/LineBreaks.h"

#include <QTextDocument>
#include <algorithm>

namespace {

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

TextFinder::TextFinder(const QTextDocument* document, const ByteIndex& index)
    : document_(document), index_(index)
{
}

long TextFinder::Find(DWORD flags, long from, long to, std::string_view text) const
{
    QString needle = ByteIndex::Decode(text);
    needle = LineBreaks::Unify(needle).replace(u'\n', u'\r');
    if (needle.isEmpty())
        return -1;
    const long length = index_.Length();
    from = std::clamp(from, 0L, length);
    long lo = 0;
    long hi = 0;
    if (flags & FR_DOWN) {
        lo = from;
        hi = (to < 0 || to > length) ? length : to;
    } else {
        lo = (to < 0 || to > from) ? 0 : to;
        hi = from;
    }
    if (hi <= lo)
        return -1;
    const int docLo = index_.ToDocument(lo);
    const int docHi = index_.ToDocument(hi);
    // The range's text, with a character of context on each side for whole
    // words. Matches start at or after first and end by last.
    const int docFrom = std::max(0, docLo - 1);
    const int docTo = std::min(document_->characterCount() - 1, docHi + 1);
    const QString hay = LineBreaks::TextOf(document_, docFrom, docTo);
    const qsizetype first = docLo - docFrom;
    const qsizetype last = docHi - docFrom;
    const Qt::CaseSensitivity cs = (flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto fits = [&](qsizetype at) {
        if (at < first || at + needle.size() > last)
            return false;
        if (!(flags & FR_WHOLEWORD))
            return true;
        const bool before = at > 0 && IsWordChar(hay[at - 1]);
        const bool after = at + needle.size() < hay.size() && IsWordChar(hay[at + needle.size()]);
        return !before && !after;
    };
    qsizetype at = -1;
    if (flags & FR_DOWN) {
        for (at = hay.indexOf(needle, first, cs); at >= 0 && !fits(at);
             at = hay.indexOf(needle, at + 1, cs)) {
            if (at + needle.size() > last) {
                at = -1;
                break;
            }
        }
    } else {
        const qsizetype start = last - needle.size();
        if (start < first)
            return -1;
        for (at = hay.lastIndexOf(needle, start, cs); at >= 0 && !fits(at);
             at = at > 0 ? hay.lastIndexOf(needle, at - 1, cs) : -1) {
            if (at < first) {
                at = -1;
                break;
            }
        }
    }
    if (at < 0)
        return -1;
    return index_.FromDocument(docFrom + int(at));
}
