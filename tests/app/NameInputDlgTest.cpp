// The name input dialog as the user meets it: the caption and prompt for a
// file or a folder, and which names OK takes.
#include "ScriptedUi.h"

#include "app/CNameInputDlg.h"
#include "platform/Sjis.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

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
    void PressOk() const { dialog_->findChild<QPushButton*>(QString::number(IDOK))->click(); }

    // Typing on the keyboard, one character (or surrogate pair) at a time.
    void Type(const QString& text) const
    {
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(Edit(), &press);
            i += n;
        }
    }
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
            dlg.findChild<QPushButton*>(QString::number(IDOK))->click();
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetName(), "images");
    }
    {
        CNameInputDlg dlg;
        dlg.SetMode(CNameInputDlg::kFileMode);
        QTimer::singleShot(0, &dlg, [&] {
            dlg.findChild<QLineEdit*>("1000")->setText("index.cgi");
            dlg.findChild<QPushButton*>(QString::number(IDCANCEL))->click();
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_TRUE(ui.Boxes().empty());
}

} // namespace
