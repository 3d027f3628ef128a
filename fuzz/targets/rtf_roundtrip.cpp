// The RTF writer, then the reader: runs made from the input are written as a
// document and read back, and every byte of text must come back with its own
// colour, size, bold, italic, face and character set. Text in a font of
// another code page travels as Unicode, so it comes back as its code page 932
// reading; empty faces and sizes come back as the defaults the writer was
// given; "\r\n" and "\r" come back as "\n".
#include "FuzzCheck.h"
#include "platform/rtf/RtfReader.h"
#include "platform/rtf/RtfWriter.h"
#include "platform/text/Sjis.h"

#include <algorithm>
#include <deque>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

const char* const kFaces[] = {"", "Courier New", "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e",
                              "A;B{c}\\d", "\xB1\xB2"};
const int kCharSets[] = {1, 128, 0, 2, 134, 136, 161, 204, 222, 238, 255, 77};

// A piece of code page 932 text: ASCII with RTF's own characters, line
// breaks of every kind, tabs, escape characters, half-width katakana and any
// double-byte character, defined or not.
std::string Piece(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 9)) {
    case 0: return "\r\n";
    case 1:
        return std::string(1, input.PickValueInArray({'\n', '\r', '\t', '\x1b', '\\', '{', '}', ' ', ';'}));
    case 2: return std::string(1, char(input.ConsumeIntegralInRange(0xA1, 0xDF)));
    case 3:
    case 4: {
        unsigned lead = input.ConsumeIntegralInRange(0, 0x1F + 0x1D - 1);
        lead = lead < 0x1F ? 0x81 + lead : 0xE0 + (lead - 0x1F);
        unsigned trail = input.ConsumeIntegralInRange(0x40, 0xFB);
        if (trail >= 0x7F)
            ++trail;
        return std::string{char(lead), char(trail)};
    }
    default: return std::string(1, char(input.ConsumeIntegralInRange(0x20, 0x7E)));
    }
}

struct Byte {
    char c;
    bool hasColor;
    COLORREF color;
    int halfPoints;
    bool bold;
    bool italic;
    // A view of the run's face, so that a byte does not copy it.
    std::string_view face;
    int charSet;
    bool operator==(const Byte&) const = default;
};

// The text as the reader gives it: one "\n" for each break, and in another
// code page what the way through Unicode makes of it.
std::string Normalised(std::string text, int codePage)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return codePage == 932 ? out : sjis::FromUnicode(sjis::ToUnicode(out));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string defaultFace = kFaces[input.ConsumeIntegralInRange(1, 4)];
    const int defaultHalfPoints = input.ConsumeIntegralInRange(-2, 40000);
    RtfRuns runs;
    while (input.remaining_bytes() > 0 && runs.size() < 64) {
        RtfRun run;
        run.face = input.PickValueInArray(kFaces);
        run.charSet = BYTE(input.PickValueInArray(kCharSets));
        run.hasColor = input.ConsumeBool();
        run.color = input.ConsumeIntegral<COLORREF>();
        run.halfPoints = input.ConsumeIntegralInRange(-2, 40000);
        run.bold = input.ConsumeBool();
        run.italic = input.ConsumeBool();
        for (int n = input.ConsumeIntegralInRange(0, 12); n > 0; --n)
            run.text += Piece(input);
        runs.push_back(run);
    }

    std::vector<Byte> expected;
    std::deque<std::string> faces; // what the expected bytes' faces view
    for (const RtfRun& run : runs) {
        const int codePage = RtfReader::CodePageOfCharSet(run.charSet, 932);
        const int size = run.halfPoints > 0 ? run.halfPoints : defaultHalfPoints;
        const std::string_view face =
            faces.emplace_back(Normalised(run.face.empty() ? defaultFace : run.face, codePage));
        for (char c : Normalised(run.text, codePage))
            expected.push_back({c, run.hasColor, run.hasColor ? run.color & 0xFFFFFF : 0,
                                std::clamp(size, 0, 32767), run.bold, run.italic, face, run.charSet});
    }

    const std::string document = RtfWriter::Write(runs, defaultFace, defaultHalfPoints);
    FUZZ_CHECK(std::all_of(document.begin(), document.end(), [](char c) { return (unsigned char)c < 0x80; }),
               "the document is not 7-bit");
    const RtfRuns back = RtfReader::Read(document);
    CheckRuns(back);
    std::vector<Byte> got;
    for (const RtfRun& run : back)
        for (char c : run.text)
            got.push_back({c, run.hasColor, run.hasColor ? run.color : 0, run.halfPoints, run.bold,
                           run.italic, run.face, run.charSet});
    FUZZ_CHECK(got.size() == expected.size(), "the text came back with another length");
    for (std::size_t i = 0; i < got.size(); ++i) {
        FUZZ_CHECK(got[i].c == expected[i].c, "the text came back changed");
        FUZZ_CHECK(got[i].hasColor == expected[i].hasColor && got[i].color == expected[i].color,
                   "a colour came back changed");
        FUZZ_CHECK(got[i] == expected[i], "a format came back changed");
    }
    return 0;
}
