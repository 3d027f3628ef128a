// What the script-execution tests share: a settings hive of the test's own
// naming the real perl, a temporary folder of the test's own (where the
// debug runs make their copies), scripted message boxes, and waiting on the
// event loop for a run to reach a state.
#pragma once

#include "ScriptedUi.h"
#include "TempDir.h"

#include "platform/registry/SettingsStore.h"
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace runtest {

inline std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// A control's whole text with "\n" line breaks.
inline std::string TextOf(const CRichEditCtrl& control)
{
    std::string text = control.GetTextRange(0, -1);
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    return text;
}

// The folders a debug run made in the temporary folder and left there.
inline std::vector<std::string> DebugFolders(const std::string& tmp)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(tmp))
        if (entry.path().filename().string().starts_with("kestrix-debug-"))
            found.push_back(entry.path().string());
    return found;
}

// Runs the event loop until the condition holds; false after the time-out.
template <typename Condition> bool WaitUntil(Condition condition, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// Types text into a widget and presses Enter, as the user does.
inline void TypeLine(QWidget* widget, const std::string& utf8)
{
    for (const QChar c : QString::fromUtf8(utf8.c_str())) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &enter);
}

class RunFixture : public ::testing::Test {
protected:
    RunFixture() { UsePerl("/usr/bin/perl"); }

    static void UsePerl(const std::string& path)
    {
        settings::AppPaths paths;
        paths.perlApp = path;
        ASSERT_EQ(settings::SaveAppPaths(paths), 0u);
    }

    TempDir config{"kestrix-run-config"};
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.path()};
    TempDir tmp{"kestrix-run-tmp"};
    ScopedEnv tmpEnv{"TMPDIR", tmp.path()};
    TempDir files{"kestrix-run-files"};
    ScriptedUi ui;
};

} // namespace runtest
