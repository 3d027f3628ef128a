// Times the colouring of a whole script: building the coloured stream,
// loading it into the control, the floor of loading the same text with no
// colours, and recolouring one line near the top and one near the end.
// Exits non-zero when the control does not give back the script's lines.
//
//   colour_bench FILE [--dump STREAM.rtf]
#include "editor/CLineReader.h"
#include "editor/CSyntaxColorizer.h"
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/text/Nkf.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: colour_bench FILE [--dump STREAM.rtf]\n");
        return 2;
    }
    const char* dump = nullptr;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dump")
            dump = argv[i + 1];
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    const std::string file = ReadAll(argv[1]);
    CSyntaxColorizer colorizer;
    colorizer.SetFont(sjis::FromUtf8("ＭＳ　明朝"), 200, 1);
    colorizer.SetColors(0x00FF0000, 0x0000FF00);
    if (!colorizer.LoadCommandData(nullptr)) {
        std::fprintf(stderr, "colour_bench: keydata.dat not found\n");
        return 2;
    }

    std::string stream;
    const double buildMs = MedianMs(5, [&] {
        CLineReader reader(file);
        stream = colorizer.BuildStream(reader);
    });
    if (dump) {
        std::ofstream out(dump, std::ios::binary);
        out << stream;
    }

    // What the control must show: the file's lines, each in Shift-JIS.
    std::string expected;
    const bool convert = CSyntaxColorizer::NeedsConversion(file);
    {
        CLineReader reader(file);
        std::string line;
        bool first = true;
        while (reader.ReadString(line)) {
            if (!first)
                expected += '\r';
            expected += convert ? NkfConvertText(line, NkfCode::ShiftJis) : line;
            first = false;
        }
    }

    CRichEditCtrl control;
    control.resize(800, 600);
    control.show();
    const double loadMs = MedianMs(5, [&] { control.StreamIn(StreamFormat::Rtf, stream); });
    // The control colours what lies beyond the first screens while the event
    // loop is idle; this figure includes every colour applied.
    const double loadAllMs = MedianMs(5, [&] {
        control.StreamIn(StreamFormat::Rtf, stream);
        (void)control.GetCharFormat();
    });
    const std::string back = control.GetTextRange(0, -1);
    if (back != expected) {
        std::size_t at = 0;
        while (at < back.size() && at < expected.size() && back[at] == expected[at])
            ++at;
        long line = long(std::count(expected.begin(), expected.begin() + long(at), '\r')) + 1;
        std::fprintf(stderr, "colour_bench: the control's text differs from the file at line %ld\n", line);
        std::fprintf(stderr, "  file:    %s\n  control: %s\n", expected.substr(at, 60).c_str(),
                     back.substr(at, 60).c_str());
        return 1;
    }

    const QString plain = sjis::ToUnicode(expected).replace(QChar('\r'), QChar('\n'));
    QPlainTextEdit floorEdit;
    floorEdit.resize(800, 600);
    floorEdit.show();
    const double floorMs = MedianMs(5, [&] { floorEdit.setPlainText(plain); });

    auto recolorAt = [&](long line) {
        const long at = control.LineIndex(line) + 1;
        return MedianMs(51, [&] {
            control.SetSel(at, at);
            colorizer.RecolorCaretLine(&control, 'a');
        });
    };
    const long lines = control.GetLineCount();
    const double topMs = recolorAt(std::min(10L, lines - 1));
    const double endMs = recolorAt(std::max(0L, lines - 10));

    std::printf("file_bytes %zu\n", file.size());
    std::printf("stream_bytes %zu\n", stream.size());
    std::printf("build_ms %.3f\n", buildMs);
    std::printf("load_ms %.3f\n", loadMs);
    std::printf("load_all_colours_ms %.3f\n", loadAllMs);
    std::printf("floor_ms %.3f\n", floorMs);
    std::printf("recolor_top_ms %.4f\n", topMs);
    std::printf("recolor_end_ms %.4f\n", endMs);
    std::printf("load_over_floor %.2f\n", loadMs / floorMs);
    std::printf("recolor_end_over_top %.2f\n", endMs / topMs);
    return 0;
}
