// The name input dialog as the user meets it: the caption and prompt for a
// file or a folder, and which names OK takes.
#include "AppFixture.h"

#include "app/CNameInputDlg.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

using namespace apptest;

class NameInputDlgTest : public ::testing::Test {
protected:
    CNameInputDlg& Open(int mode)
    {
        dialog_ = std::make_unique<CNameInputDlg>();
        dialog_->SetMode(mode);
        dialog_->show();
        QApplication::processEvents();
        return *dialog_;
    }
    QLineEdit* Edit() const { return dialog_->findChild<QLineEdit*>("1000"); }
    QLabel* Prompt() const { return dialog_->findChild<QLabel*>("1001"); }
    void PressOk() const { Press(*dialog_, IDOK); }
    void Type(const QString& text) const { apptest::Type(Edit(), text); }
    // Text committed by an input method, as Japanese is entered.
    void Compose(const QString& text) const
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(Edit(), &event);
    }

    // OK is refused with the message, and the dialog stays open.
    void ExpectRefused(const char* message)
    {
        const std::size_t before = ui.Boxes().size();
        ui.AnswerBox(IDOK);
        PressOk();
        ASSERT_EQ(ui.Boxes().size(), before + 1);
        EXPECT_EQ(ui.Boxes().back().Utf8Text(), message);
        EXPECT_EQ(ui.Boxes().back().Utf8Caption(), "通知");
        EXPECT_EQ(ui.Boxes().back().buttons, MB_OK);
        EXPECT_TRUE(dialog_->isVisible());
        EXPECT_NE(dialog_->result(), QDialog::Accepted);
    }

    ScriptedUi ui;
    std::unique_ptr<CNameInputDlg> dialog_;
};

TEST_F(NameInputDlgTest, CaptionAndPromptFollowTheMode)
{
    CNameInputDlg plain;
    EXPECT_EQ(plain.windowTitle(), Q("ディレクトリ名の入力"));

    Open(CNameInputDlg::kFileMode);
    EXPECT_EQ(dialog_->windowTitle(), Q("新しいファイル名の入力"));
    EXPECT_EQ(Prompt()->text(), Q("新しいファイル名を入力してください"));
    EXPECT_TRUE(dialog_->isModal());

    Open(CNameInputDlg::kDirectoryMode);
    EXPECT_EQ(dialog_->windowTitle(), Q("新しいディレクトリ名の入力"));
    EXPECT_EQ(Prompt()->text(), Q("新しいディレクトリ名を入力してください"));
    // The prompt is shown whole.
    EXPECT_LE(Prompt()->sizeHint().width(), Prompt()->width());
}

TEST_F(NameInputDlgTest, EmptyNameIsRefusedInEveryMode)
{
    Open(CNameInputDlg::kFileMode);
    ExpectRefused("ファイル名が無効です");
    Open(CNameInputDlg::kDirectoryMode);
    ExpectRefused("ディレクトリ名が無効です");
    Open(7);
    ExpectRefused("ディレクトリ名が無効です");

    // After the refusal the user types a name and OK takes it.
    Type("cgi-bin");
    PressOk();
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->GetName(), "cgi-bin");
}

TEST_F(NameInputDlgTest, NamesReachingOutsideTheFolderAreRefused)
{
    for (const auto& [mode, message] :
         {std::pair{CNameInputDlg::kFileMode, "ファイル名が無効です"},
          std::pair{CNameInputDlg::kDirectoryMode, "ディレクトリ名が無効です"}}) {
        Open(mode);
        for (const char* name : {"../x", "a/b", "..", ".", "/etc/passwd", "..\\x"}) {
            Edit()->setText(name);
            ExpectRefused(message);
        }
        Edit()->setText(".htaccess");
        PressOk();
        EXPECT_EQ(dialog_->result(), QDialog::Accepted);
        EXPECT_EQ(dialog_->GetName(), ".htaccess");
    }
}

TEST_F(NameInputDlgTest, DoubleByteCharactersAreRefusedHalfWidthKanaTaken)
{
    Open(CNameInputDlg::kFileMode);
    Compose(Q("掲示板.cgi"));
    ExpectRefused("入力名に2バイト文字列が使われています。");
    Edit()->clear();
    Type("bbs");
    Compose(Q("テ"));
    Type(".cgi");
    ExpectRefused("入力名に2バイト文字列が使われています。");
    // A full-width Latin letter is double-byte as well.
    Edit()->clear();
    Type(Q("Ａ.cgi"));
    ExpectRefused("入力名に2バイト文字列が使われています。");

    Edit()->clear();
    Type(Q("ｶﾅ.cgi")); // half-width katakana are single bytes
    PressOk();
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->GetName(), "\xB6\xC5.cgi");
}

TEST_F(NameInputDlgTest, CharactersCodePage932CannotHoldShowAsQuestionMarks)
{
    Open(CNameInputDlg::kFileMode);
    Type(Q("caf\u00e9"));
    Type(QString::fromUcs4(U"\U0001F600"));
    Type("x");
    // What the edit shows is what OK takes, and the cursor stays at the end.
    EXPECT_EQ(Edit()->text(), "caf??x");
    EXPECT_EQ(Edit()->cursorPosition(), 6);
    PressOk();
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->GetName(), "caf??x");
}

TEST_F(NameInputDlgTest, DoModalAnswersOkOrCancel)
{
    {
        CNameInputDlg dlg;
        dlg.SetMode(CNameInputDlg::kDirectoryMode);
        QTimer::singleShot(0, &dlg, [&] {
            dlg.findChild<QLineEdit*>("1000")->setText("images");
            Press(dlg, IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetName(), "images");
    }
    {
        CNameInputDlg dlg;
        dlg.SetMode(CNameInputDlg::kFileMode);
        QTimer::singleShot(0, &dlg, [&] {
            dlg.findChild<QLineEdit*>("1000")->setText("index.cgi");
            Press(dlg, IDCANCEL);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_TRUE(ui.Boxes().empty());
}

} // namespace
