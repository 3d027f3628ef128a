// Writes runs of code page 932 text (see RtfRun.h) as a complete RTF document
// that RtfReader and other RTF readers take in.
#pragma once

#include "platform/rtf/RtfRun.h"

#include <string>

class RtfWriter {
public:
    // The document for the runs: {\rtf1\ansi\ansicpg932\deff0 with a font
    // table of the faces used (font 0 is defaultFace), a colour table of the
    // colours used (entry 0 is the automatic colour), then the text with \f,
    // \fs, \cf, \b and \i switched as the runs change. The output is 7-bit
    // ASCII. A run without a face is written in defaultFace, and one of size 0
    // in defaultHalfPoints (no size at all when that is 0 too). Text in a font
    // whose character set reads as code page 932 (128, or 1 under
    // \ansicpg932) keeps its bytes as \'hh escapes; other fonts get \uN so
    // that every reader decodes the same characters. "\n", "\r\n" and a lone
    // "\r" each end a paragraph (\par, with a CR LF after it for people
    // reading the stream). Reading the document back gives the same text and
    // formats, empty faces and sizes filled in as above.
    static std::string Write(const RtfRuns& runs, const std::string& defaultFace, int defaultHalfPoints);
};
