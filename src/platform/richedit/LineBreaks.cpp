#include "platform/richedit/LineBreaks.h"

#include <QTextCursor>
#include <QTextDocument>

void LineBreaks::AppendUnified(QString& out, QStringView text, bool& afterCr)
{
    for (QChar c : text) {
        if (c == u'\r') {
            out += u'\n';
            afterCr = true;
            continue;
        }
        if (c == u'\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = false;
        out += c;
    }
}

QString LineBreaks::Unify(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool afterCr = false;
    AppendUnified(out, text, afterCr);
    return out;
}

QString LineBreaks::TextOf(const QTextDocument* document, int from, int to)
{
    if (to <= from)
        return {};
    QTextCursor c(const_cast<QTextDocument*>(document));
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    QString text = c.selectedText();
    text.replace(QChar::ParagraphSeparator, u'\r');
    return text;
}
