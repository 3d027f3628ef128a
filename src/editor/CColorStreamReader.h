// Reads back the streams CColorStreamBuilder writes, so that the script's
// lines reach the control byte for byte.
//
// A general RTF reader cannot do that with these streams: the header's last
// paragraph mark runs into the first line ("\par" then "use" reads as the
// control word "\paruse"), fragments that begin or end with a space add or
// swallow the script's own spaces, and the header's two paragraph marks would
// show as two empty lines. This reader knows every fragment the builder
// writes: it takes the header as a whole, then the body as the script's bytes
// with the fragments between them. Because the builder doubles every
// backslash of the script, a single backslash is always a fragment or an
// escape, and a space followed by a single backslash is a fragment's space
// only when a whole fragment follows. Anything it does not recognise makes it
// decline the stream, which then goes to the general RTF reader.
#pragma once

#include "platform/rtf/RtfRun.h"

#include <optional>
#include <string_view>

class CColorStreamReader {
public:
    static std::optional<RtfRuns> Read(std::string_view stream);
};
