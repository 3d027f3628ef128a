// A whole content of the rich-edit control as plain text plus stretches of
// format, built from RTF runs in one pass, and the runs read back from a
// document.
#pragma once

#include "platform/rtf/RtfRun.h"

#include <QString>
#include <QTextCharFormat>
#include <vector>

class QTextDocument;

struct StyledContent {
    // A stretch of the text, in document positions, in formats[format].
    struct Stretch {
        int start;
        int length;
        int format;
    };

    QString text;
    std::vector<Stretch> stretches;
    std::vector<QTextCharFormat> formats;

    // The runs' text with "\r\n", "\r" and "\n" each made one "\n" (also a
    // "\r\n" split between runs), and a stretch for every run with a format
    // of its own. Runs of equal attributes share one format.
    static StyledContent FromRuns(const RtfRuns& runs);
    // The document's content as runs of equal format ("\n" between
    // paragraphs).
    static RtfRuns ReadRuns(const QTextDocument* document);
};
