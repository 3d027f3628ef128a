// What the editor's tests share: a tooltip and hooks that record what they
// are asked, helpers that read a control's text and colours and drive it as a
// user does, and the fixture of the flow tests, whose documents are made the
// way the program makes them (a document template with a child frame and a
// view in an MDI area), with a colouring engine loaded with the real command
// data and a settings hive of the test's own.
#pragma once

#include "ScriptedUi.h"
#include "TempDir.h"

#include "editor/CChildFrame.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CKESTRIX_2View.h"
#include "editor/CLineReader.h"
#include "editor/CSyntaxColorizer.h"
#include "editor/CommandTipWindow.h"
#include "editor/EditorHooks.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMdiArea>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace editortest {

inline std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}
inline std::string U(const std::string& cp932)
{
    return sjis::ToUtf8(cp932);
}

inline constexpr COLORREF kCommand = 0x00FF0000; // the view's defaults
inline constexpr COLORREF kComment = 0x0000FF00;
inline constexpr COLORREF kAuto = 0; // ColorAt's answer for the default colour
inline const char* const kKeyData = KESTRIX_SOURCE_DIR "/src/res/keydata.dat";

class RecordingTip : public CommandTipWindow {
public:
    bool Create(QWidget*) override
    {
        ++created;
        return createResult;
    }
    void SetTipText(const std::string& tip) override { tips.push_back(tip); }
    int CurrentTipHeight(QWidget*) const override { return 12; }
    bool IsShown() const override { return shown; }
    void HideTip() override { shown = false; }
    void ShowAt(QPoint) override { shown = true; }
    bool createResult = true;
    int created = 0;
    std::vector<std::string> tips;
    bool shown = false;
};

class RecordingHooks : public EditorHooks {
public:
    struct Call {
        std::string title;
        std::string text;
    };
    void RemoveSubs(const std::string& title, const std::string& text) override
    {
        removed.push_back({title, text});
    }
    void AddSubs(const std::string& title, const std::string& text) override
    {
        added.push_back({title, text});
    }
    void RescanSubs(CKESTRIX_2View* view, const std::string& title) override
    {
        ++rescans;
        lastRescanView = view;
        lastRescanTitle = title;
    }
    void KeywordLookup(const std::string& keyword) override { lookups.push_back(keyword); }
    void ExecuteFile(const std::string& folder, const std::string& file) override
    {
        executed.push_back({folder, file});
    }

    std::vector<Call> removed;
    std::vector<Call> added;
    int rescans = 0;
    CKESTRIX_2View* lastRescanView = nullptr;
    std::string lastRescanTitle;
    std::vector<std::string> lookups;
    std::vector<Call> executed;
};

// The lines of a file as CLineReader reads them, joined by the separator.
inline std::string JoinedLines(std::string_view file, char separator)
{
    CLineReader reader(file);
    std::string line, joined;
    for (bool first = true; reader.ReadString(line); first = false)
        joined += (first ? "" : std::string(1, separator)) + line;
    return joined;
}

// The output of a command line.
inline std::string CommandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

// The whole text with "\n" line breaks, as UTF-8.
inline std::string Text(const CRichEditCtrl* view)
{
    std::string text = U(view->GetTextRange(0, -1));
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}
// The colour of the character at a position: kAuto for the default one.
inline COLORREF ColorAt(CRichEditCtrl* view, long pos)
{
    long s = 0, e = 0;
    view->GetSel(s, e);
    view->SetSel(pos, pos + 1);
    const CharFormat format = view->GetCharFormat();
    view->SetSel(s, e);
    if (!(format.mask & CFM_COLOR))
        return 0xFFFFFFFE;
    return (format.effects & CFE_AUTOCOLOR) ? kAuto : format.color;
}
// The position of a text (cp932), searched from a position.
inline long Find(const CRichEditCtrl* view, const std::string& cp932, long from = 0)
{
    return view->FindText(FR_DOWN | FR_MATCHCASE, from, -1, cp932);
}
inline void Caret(CRichEditCtrl* view, long pos)
{
    view->SetSel(pos, pos);
}
inline std::pair<long, long> Sel(const CRichEditCtrl* view)
{
    long s = 0, e = 0;
    view->GetSel(s, e);
    return {s, e};
}
// Types text one key a character, as a keyboard (or an input method
// committing one character at a time) does.
inline void Type(QWidget* view, const char* utf8)
{
    for (QChar c : QString::fromUtf8(utf8)) {
        if (c.unicode() < 0x80)
            QTest::keyClick(view, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
inline void Key(QWidget* view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(view, key, modifiers);
}
// Ctrl+Z, then the text it leaves.
inline std::string Undo(CRichEditCtrl* view)
{
    Key(view, Qt::Key_Z, Qt::ControlModifier);
    return Text(view);
}
// An input method's composing text, and the text it commits.
inline void Preedit(QWidget* view, const char* utf8)
{
    QInputMethodEvent event(QString::fromUtf8(utf8), {});
    QCoreApplication::sendEvent(view, &event);
}
inline void Commit(QWidget* view, const char* utf8)
{
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8(utf8));
    QCoreApplication::sendEvent(view, &event);
}

class EditorFixture : public ::testing::Test {
protected:
    EditorFixture()
        : config_("kestrix-editor-config"),
          configEnv_("XDG_CONFIG_HOME", config_.path()), context_{colorizer_, hooks_}
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(colorizer_.LoadCommandFile(kKeyData));
        auto tip = std::make_unique<RecordingTip>();
        tip_ = tip.get();
        colorizer_.SetTipWindow(std::move(tip));
        area_.resize(900, 700);
        area_.show();
        template_ = std::make_unique<CMultiDocTemplate>(
            129, J("\nKESTRI\nKESTRI\nCGI FILE (*.cgi)\n.cgi\nKESTRIX2.Document\nKESTRIX2 Document"),
            [this] { return std::make_unique<CKESTRIX_2Doc>(context_); }, [] { return new CChildFrame; },
            [this](CDocument*, CMDIChildWnd*) { return new CKESTRIX_2View(context_); });
        template_->SetMdiArea(&area_);
    }

    void TearDown() override
    {
        template_->CloseAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CKESTRIX_2Doc* Open(const std::string& path)
    {
        return static_cast<CKESTRIX_2Doc*>(template_->OpenDocumentFile(path));
    }
    CKESTRIX_2Doc* OpenBytes(const std::string& name, const std::string& bytes)
    {
        return Open(dir_.write(name, bytes));
    }
    CKESTRIX_2Doc* New() { return static_cast<CKESTRIX_2Doc*>(template_->OpenDocumentFile({})); }
    static CKESTRIX_2View* ViewOf(CKESTRIX_2Doc* doc) { return doc->View(); }
    // A script written as UTF-8, opened from a file of its Shift-JIS bytes.
    struct Script {
        CKESTRIX_2Doc* doc;
        CKESTRIX_2View* view;
    };
    Script OpenScript(const std::string& name, const char* utf8)
    {
        CKESTRIX_2Doc* doc = OpenBytes(name, J(utf8));
        return {doc, doc ? ViewOf(doc) : nullptr};
    }

    TempDir config_;
    ScopedEnv configEnv_;
    TempDir dir_;
    ScriptedUi ui_;
    CSyntaxColorizer colorizer_;
    RecordingHooks hooks_;
    EditorContext context_;
    RecordingTip* tip_ = nullptr;
    QMdiArea area_;
    std::unique_ptr<CMultiDocTemplate> template_;
};

} // namespace editortest
