// What the application's flow tests share: the whole program started the
// way main() starts it, on a settings hive of the test's own, from the build
// folder where keydata.dat lies; a folder for the test's files; scripted
// message boxes and file dialogs; and a way to answer the program's modal
// dialogs as the user would.
#pragma once

#include "ScriptedUi.h"
#include "TempDir.h"

#include "app/CKESTRIX_2App.h"
#include "app/CMainFrame.h"
#include "platform/CDocument.h"
#include "platform/CMDIChildWnd.h"
#include "platform/CMultiDocTemplate.h"
#include "platform/CView.h"
#include "platform/Registry.h"
#include "platform/Sjis.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

namespace apptest {

inline std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}
inline QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
inline QStringList Lines(std::initializer_list<const char*> utf8)
{
    QStringList lines;
    for (const char* line : utf8)
        lines << QString::fromUtf8(line);
    return lines;
}

// A value as the hive holds it: its type and exact bytes.
struct StoredValue {
    DWORD type = 0;
    std::string bytes;
};
inline std::optional<StoredValue> ReadStored(const char* keyPath, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (r == ERROR_SUCCESS) {
        value.bytes.assign(size, '\0');
        r = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                             reinterpret_cast<BYTE*>(value.bytes.data()), &size);
    }
    RegCloseKey(key);
    if (r != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override { Start(); }

    void TearDown() override
    {
        app_.reset();
        QApplication::processEvents();
    }

    // Starts the program as main() does.
    void Start()
    {
        const auto old = std::filesystem::current_path();
        std::filesystem::current_path(KESTRIX_BINARY_DIR);
        app_ = std::make_unique<CKESTRIX_2App>();
        const bool started = app_->InitInstance();
        std::filesystem::current_path(old);
        ASSERT_TRUE(started);
        QApplication::processEvents();
    }
    // Ends the program and starts it again on the same settings.
    void Restart()
    {
        app_.reset();
        QApplication::processEvents();
        Start();
    }

    CKESTRIX_2App& App() const { return *app_; }
    CMainFrame& Frame() const { return *app_->MainFrame(); }
    CMultiDocTemplate& Template() const { return app_->DocTemplate(); }
    std::size_t OpenDocuments() const { return Template().Documents().size(); }

    CView* ActiveView() const { return Frame().ActiveView(); }
    CDocument* ActiveDocument() const { return ActiveView() ? ActiveView()->GetDocument() : nullptr; }
    QString ActiveTitle() const
    {
        QMdiSubWindow* window = Frame().MdiArea()->currentSubWindow();
        return window ? window->windowTitle() : QString();
    }
    QStringList WindowTitles() const
    {
        QStringList titles;
        for (QMdiSubWindow* window : Frame().MdiArea()->subWindowList())
            titles << window->windowTitle();
        return titles;
    }

    // Once the command the test runs next has shown a modal dialog of type
    // T, answers it with act (which must close it). A dialog that never
    // shows fails the test.
    template <typename T, typename Act> void WhenDialog(Act act, int triesLeft = 300)
    {
        QTimer::singleShot(10, &Frame(), [this, act, triesLeft] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                act(*dialog);
                return;
            }
            if (triesLeft == 0) {
                ADD_FAILURE() << "the expected dialog did not show";
                if (QWidget* other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            WhenDialog<T>(act, triesLeft - 1);
        });
    }

    // Opens a file as the open command does, answering its dialog.
    CDocument* OpenFile(const std::string& path)
    {
        ui.AnswerFile(path);
        Frame().SendCommand(57601);
        return ActiveDocument();
    }

    TempDir config_{"kestrix-app-config"};
    ScopedEnv xdg_{"XDG_CONFIG_HOME", config_.path()};
    TempDir files_{"kestrix-app-files"};
    ScriptedUi ui;
    std::unique_ptr<CKESTRIX_2App> app_;
};

} // namespace apptest
