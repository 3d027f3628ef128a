// The RTF reader on any bytes: it never fails, never reads past the stream,
// and its runs keep the reader's promises. Reading a document the writer made
// of those runs gives the same text back.
#include "FuzzCheck.h"
#include "platform/rtf/RtfReader.h"
#include "platform/rtf/RtfWriter.h"
#include "platform/text/Sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RtfRuns runs = RtfReader::Read(FuzzBytes(data, size));
    CheckRuns(runs);
    const std::string text = RunsText(runs);
    // A lead byte that no trail byte follows has become "?".
    for (std::size_t i = 0; i < text.size(); i += sjis::CharLength(text, i))
        FUZZ_CHECK(!sjis::IsLeadByte(static_cast<unsigned char>(text[i])) || sjis::CharLength(text, i) == 2,
                   "a lead byte without its trail byte");
    return 0;
}
