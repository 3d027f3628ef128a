// Times the editor's key path on a large script opened in a real view: one
// typed character near the top and near the end (the key press and release
// with the undo record, the caret line's recolouring and the hand-off to the
// project tree's rescan), and a paste of 1,000 lines (recorded, recoloured
// line by line, its subs handed over). A typed character must cost about the
// same wherever it lands: the ratio end/top is printed last.
//
// With --recovery the editor keeps recovery files as the program does (in a
// temporary store); the typing figures are then compared with a run without
// it. The time taken on the UI thread to hand one text to the writer, and the
// writer's time to write it, are printed too.
//
//   keystroke_bench FILE [--recovery]
#include "editor/CChildFrame.h"
#include "editor/CHazardMarks.h"
#include "editor/CDocRecovery.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CKESTRIX_2View.h"
#include "editor/CSyntaxColorizer.h"
#include "editor/EditorHooks.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/recovery/RecoveryStore.h"
#include "platform/recovery/RecoveryWriter.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMdiArea>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void()>& work, const std::function<void()>& undo)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        undo();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The hand-off only: the project tree rescans off the UI thread.
class CountingHooks : public EditorHooks {
public:
    void RescanSubs(CKESTRIX_2View*, const std::string&) override { ++rescans; }
    void AddSubs(const std::string&, const std::string& text) override { added += text.size(); }
    long rescans = 0;
    std::size_t added = 0;
};

// Messages go to the terminal; no box waits for a click.
class TerminalUi : public UiService {
public:
    int MessageBox(QWidget*, const std::string& text, const std::string& caption, UINT) override
    {
        std::fprintf(stderr, "[%s] %s\n", sjis::ToUtf8(caption).c_str(), sjis::ToUtf8(text).c_str());
        return IDOK;
    }
    std::optional<std::string> FileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> BrowseForFolder(QWidget*, const std::string&) override { return std::nullopt; }
    std::optional<COLORREF> ChooseColor(QWidget*, COLORREF) override { return std::nullopt; }
    bool PageSetup(QWidget*, QPrinter&) override { return false; }
    bool PrintDialog(QWidget*, QPrinter&) override { return false; }
    void PrintPreview(QWidget*, QPrinter&, const std::function<void(QPrinter*)>&) override {}
};

void Key(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: keystroke_bench FILE\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TerminalUi ui;
    UiService::Install(&ui);

    const bool recovery = argc > 2 && std::string(argv[2]) == "--recovery";
    char stateTemplate[] = "/tmp/keystroke-bench-XXXXXX";
    std::unique_ptr<RecoveryStore> store;
    std::unique_ptr<RecoveryWriter> writer;
    if (recovery) {
        if (!::mkdtemp(stateTemplate)) {
            std::fprintf(stderr, "keystroke_bench: no temporary folder\n");
            return 1;
        }
        store = std::make_unique<RecoveryStore>(std::string(stateTemplate) + "/recovery");
        if (store->Open() != 0) {
            std::fprintf(stderr, "keystroke_bench: cannot open the recovery store\n");
            return 1;
        }
        writer = std::make_unique<RecoveryWriter>(*store);
        CDocRecovery::SetWriter(writer.get());
    }

    CSyntaxColorizer colorizer;
    if (!colorizer.LoadCommandData(nullptr)) {
        std::fprintf(stderr, "keystroke_bench: keydata.dat not found\n");
        return 2;
    }
    colorizer.SetTipSwitch(false);
    CountingHooks hooks;
    EditorContext context{colorizer, hooks};
    QMdiArea area;
    area.resize(1000, 800);
    area.show();
    CMultiDocTemplate docTemplate(
        129, "\nKESTRI\nKESTRI\nCGI FILE (*.cgi)\n.cgi\nKESTRIX2.Document\nKESTRIX2 Document",
        [&context] { return std::make_unique<CKESTRIX_2Doc>(context); }, [] { return new CChildFrame; },
        [&context](CDocument*, CMDIChildWnd*) { return new CKESTRIX_2View(context); });
    docTemplate.SetMdiArea(&area);

    const auto openStart = std::chrono::steady_clock::now();
    auto* doc = static_cast<CKESTRIX_2Doc*>(
        docTemplate.OpenDocumentFile(std::filesystem::absolute(argv[1]).string()));
    if (!doc) {
        std::fprintf(stderr, "keystroke_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    CKESTRIX_2View* view = doc->View();
    view->parentWidget()->resize(900, 700);
    (void)view->GetCharFormat(); // every colour of the file applied
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openStart).count();
    QCoreApplication::processEvents();
    const long lines = view->GetLineCount();
    if (lines < 2200) {
        std::fprintf(stderr, "keystroke_bench: the script needs at least 2,200 lines (%ld)\n", lines);
        return 2;
    }

    // The same line near the top and near the end, so that only the place
    // differs: a few words, a command and a comment.
    const std::string probe = sjis::FromUtf8("    my $s = \"日本\"; print $s; # 表示\r");
    auto typeAt = [&](long line) {
        view->SetSel(view->LineIndex(line), view->LineIndex(line));
        view->ReplaceSel(probe);
        const long at = view->LineIndex(line) + view->LineLength(view->LineIndex(line));
        return MedianMs(
            101,
            [&] {
                view->SetSel(at, at);
                Key(view, Qt::Key_A, QStringLiteral("a"));
            },
            [&] { Key(view, Qt::Key_Backspace, QStringLiteral("\b")); });
    };
    const double topMs = typeAt(10);
    const double endMs = typeAt(lines - 9);

    // 1,000 lines of the script itself, pasted at the start of line 2,000.
    const long from = view->LineIndex(100);
    const long to = view->LineIndex(1100);
    const std::string block = view->GetTextRange(from, to);
    QApplication::clipboard()->setText(sjis::ToUnicode(block).replace(QChar('\r'), QChar('\n')));
    const long pasteAt = view->LineIndex(2000);
    const long before = view->GetTextLength();
    const double pasteMs = MedianMs(
        11,
        [&] {
            view->SetSel(pasteAt, pasteAt);
            view->OnCommand(57637);
        },
        [&] { view->OnCommand(57643); });
    if (view->GetTextLength() != before) {
        std::fprintf(stderr, "keystroke_bench: undoing the paste did not restore the script\n");
        return 1;
    }

    // The check that follows a pause in typing: the whole script checked
    // for Shift-JIS hazards and its marks laid.
    const double hazardMs = MedianMs(
        5, [&] { view->HazardMarks().Refresh(); }, [] {});
    double handOffMs = 0, writeMs = 0;
    if (recovery) {
        // One text handed to the writer (on the UI thread), then written.
        Key(view, Qt::Key_A, QStringLiteral("a"));
        auto start = std::chrono::steady_clock::now();
        doc->Recovery().WriteNow();
        handOffMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        start = std::chrono::steady_clock::now();
        writer->Flush();
        writeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    std::printf("recovery %s\n", recovery ? "on" : "off");
    std::printf("file_lines %ld\n", lines);
    std::printf("open_ms %.1f\n", openMs);
    std::printf("type_top_ms %.4f\n", topMs);
    std::printf("type_end_ms %.4f\n", endMs);
    std::printf("paste_1000_lines_ms %.3f\n", pasteMs);
    std::printf("end_top_ratio %.2f\n", topMs > 0 ? endMs / topMs : 0.0);
    std::printf("hazard_marks_after_pause_ms %.1f (%zu hazards)\n", hazardMs,
                view->HazardMarks().Hazards().size());
    if (recovery) {
        std::printf("recovery_hand_off_ms %.3f\n", handOffMs);
        std::printf("recovery_write_ms %.3f\n", writeMs);
    }
    docTemplate.CloseAllDocuments();
    if (recovery) {
        CDocRecovery::SetWriter(nullptr);
        writer.reset();
        store->Close();
        std::filesystem::remove_all(stateTemplate);
    }
    return 0;
}
