// The reader of the editor's own coloured streams. On any bytes it either
// declines or gives runs that keep the reader's promises; on a stream the
// builder made of lines taken from the input (the first byte says which
// test) it accepts and gives back exactly those lines.
#include "FuzzCheck.h"
#include "editor/CColorStreamBuilder.h"
#include "editor/CColorStreamReader.h"
#include "editor/CCommandDataReader.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

void BuiltStream(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CommandTable commands;
    CCommandDataReader::Read(input.ConsumeRandomLengthString(200), commands);
    ColorStreamFont font;
    // A face name as the font dialog gives one: the header writes it as it
    // is, so it never holds RTF's own characters or control bytes.
    font.face = input.ConsumeRandomLengthString(20);
    std::erase_if(font.face, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == '{' || c == '}' || c == ';';
    });
    font.halfPoints = input.ConsumeIntegralInRange(0, 200);
    font.charSet = input.ConsumeIntegral<BYTE>();
    font.commentColor = input.ConsumeIntegralInRange<COLORREF>(0, 0xFFFFFF);
    font.commandColor = input.ConsumeIntegralInRange<COLORREF>(0, 0xFFFFFF);
    CColorStreamBuilder builder(font, commands);
    builder.AppendHeader();
    std::string joined;
    for (bool first = true; input.remaining_bytes() > 0; first = false) {
        std::string line = input.ConsumeRandomLengthString(300);
        // Lines come from the line reader: no line feed in them (a NUL is a
        // byte of the script like any other and comes back). A carriage
        // return inside a line travels as an escape and comes back.
        std::erase(line, '\n');
        builder.AppendLine(line, CColorStreamBuilder::Paragraph::PlainText);
        if (!first)
            joined += '\n';
        joined += line;
    }
    builder.AppendEnd();
    const auto runs = CColorStreamReader::Read(builder.Stream());
    const bool same = runs && RunsText(*runs) == joined;
    if (!same)
        std::fprintf(stderr, "stream:\n%s\n", builder.Stream().c_str());
    FUZZ_CHECK(runs.has_value(), "a stream the builder made was declined");
    CheckRuns(*runs, false);
    FUZZ_CHECK(same, "the lines did not come back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0 && data[0] == 'B') {
        BuiltStream(data + 1, size - 1);
        return 0;
    }
    if (const auto runs = CColorStreamReader::Read(FuzzBytes(data, size)))
        CheckRuns(*runs, false);
    return 0;
}
