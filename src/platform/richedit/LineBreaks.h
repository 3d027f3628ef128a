// Line breaks as the rich-edit control takes and gives them: "\r\n", "\r"
// and "\n" each make one break going in; a break reads as "\r" coming out.
#pragma once

#include <QString>
#include <QStringView>

class QTextDocument;

class LineBreaks {
public:
    // Appends text with "\r\n", "\r" and "\n" each turned into one "\n".
    // afterCr carries a trailing "\r" over to the next piece, so that a
    // "\r\n" split between two pieces still makes one break.
    static void AppendUnified(QString& out, QStringView text, bool& afterCr);
    static QString Unify(QStringView text);
    // The document's text of [from, to) with every line break as "\r".
    static QString TextOf(const QTextDocument* document, int from, int to);
};
