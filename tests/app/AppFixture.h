// What the application's tests share: texts in the program's code page, a
// settings hive of the test's own and its values read back byte for byte,
// typing and pressing buttons as the user would, and the flow tests'
// fixture: the whole program started the way main() starts it, from the
// build folder where keydata.dat lies, with a folder for the test's files,
// scripted message boxes and file dialogs, and a way to answer the
// program's modal dialogs.
#pragma once

#include "ScriptedUi.h"
#include "TempDir.h"

#include "app/CKESTRIX_2App.h"
#include "app/CMainFrame.h"
#include "app/builders/CMenuBuilder.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"
#include "platform/registry/Registry.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
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

// A settings hive of the test's own, in a folder removed afterwards.
struct OwnHive {
    TempDir config{"kestrix-app-config"};
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.path()};
};

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
inline bool KeyExists(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
// Whether the hive holds the value with exactly this type and these bytes.
inline ::testing::AssertionResult Stored(const char* keyPath, const std::string& name, DWORD type,
                                         const std::string& bytes)
{
    const std::optional<StoredValue> value = ReadStored(keyPath, name);
    if (!value)
        return ::testing::AssertionFailure() << name << " is missing";
    if (value->type != type || value->bytes != bytes)
        return ::testing::AssertionFailure()
               << name << " is type " << value->type << " " << ::testing::PrintToString(value->bytes)
               << ", not type " << type << " " << ::testing::PrintToString(bytes);
    return ::testing::AssertionSuccess();
}
#define EXPECT_STORED(keyPath, name, type, bytes) EXPECT_TRUE(::apptest::Stored(keyPath, name, type, bytes))

// Typing on the keyboard, one character (or surrogate pair) at a time.
inline void Type(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.mid(i, n));
        QApplication::sendEvent(widget, &press);
        i += n;
    }
}

// Clicks the dialog's button with the id (IDOK, IDCANCEL or a control id).
inline void Press(const QWidget& dialog, int id)
{
    dialog.findChild<QPushButton*>(QString::number(id))->click();
}

// Starts the program as main() does, from the folder.
inline bool StartIn(CKESTRIX_2App& app, const std::string& folder)
{
    ScopedCurrentDir cwd(folder);
    return app.InitInstance();
}

class AppFixture : public ::testing::Test, protected OwnHive {
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
        app_ = std::make_unique<CKESTRIX_2App>();
        ASSERT_TRUE(StartIn(*app_, KESTRIX_BINARY_DIR));
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

    // Whether an item of menu bar 128 or 129 is enabled once its pop-up has
    // been brought up to date, as just before it opens.
    bool ItemEnabled(UINT menu, UINT id) const
    {
        QMenuBar* bar = Frame().MenuBar(menu);
        Frame().UpdateMenu(CMenuBuilder::FindPopup(bar, id));
        return CMenuBuilder::FindAction(bar, id)->isEnabled();
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

    TempDir files_{"kestrix-app-files"};
    ScriptedUi ui;
    std::unique_ptr<CKESTRIX_2App> app_;
};

} // namespace apptest
