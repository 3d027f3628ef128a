// The settings dialog as the user meets it: what it shows on opening, what
// OK writes (checked byte for byte in the settings hive), and what it says.
#include "AppFixture.h"

#include "app/settings/CColorSwatch.h"
#include "app/settings/CFaceComboBox.h"
#include "app/settings/CPointSizeComboBox.h"
#include "app/settings/CPointSizeComboBoxList.h"
#include "app/settings/CSettingDlg.h"
#include "app/settings/CSettingPage.h"
#include "app/settings/CTabPageCtrl.h"
#include "platform/registry/SettingsStore.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTest>
#include <stdexcept>

namespace {

using namespace apptest;
using namespace std::string_literals;

// A page that counts its writes and answers them with the code, as a page
// does that fails when the disk is full.
class CountingPage : public CSettingPage {
public:
    explicit CountingPage(DWORD result) : result_(result) {}
    void Load() override {}
    int writes = 0;

protected:
    DWORD Write() override
    {
        ++writes;
        return result_;
    }

private:
    DWORD result_;
};

class SettingDlgTest : public ::testing::Test, protected OwnHive {
protected:
    // Opens the dialog on the test's own settings and shows it.
    CSettingDlg& Open()
    {
        dialog_ = std::make_unique<CSettingDlg>();
        dialog_->show();
        QApplication::processEvents();
        return *dialog_;
    }

    template <typename T> T* Find(int id) const
    {
        T* widget = dialog_->findChild<T*>(QString::number(id));
        if (!widget)
            throw std::runtime_error("no control " + std::to_string(id));
        return widget;
    }
    CFaceComboBox* Face() const { return Find<CFaceComboBox>(1024); }
    CPointSizeComboBox* Size() const { return Find<CPointSizeComboBox>(1025); }
    QLineEdit* Edit(int id) const { return Find<QLineEdit>(id); }

    // OK, answering the box that follows it.
    void PressOk()
    {
        ui.AnswerBox(IDOK);
        Find<QPushButton>(IDOK)->click();
    }
    void ExpectSavedBox() const
    {
        ASSERT_EQ(ui.Boxes().size(), 1u);
        EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "設定を保存しました");
        EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "通知");
        EXPECT_EQ(ui.Boxes()[0].buttons, MB_OK);
    }

    // An installed Japanese face, listed under its own name; nothing when the
    // system has none.
    QString InstalledJapaneseFace() const
    {
        for (int i = 0; i < Face()->count(); ++i) {
            const auto* item = Face()->ItemAt(i);
            if (item && item->charSet == 128 && item->family == Face()->itemText(i))
                return item->family;
        }
        return {};
    }

    // Drops the size list down on the text and closes it again; the text the
    // box shows then.
    QString DropSizes(const char* text) const
    {
        Size()->setEditText(text);
        Size()->showPopup();
        Size()->hidePopup();
        return Size()->currentText();
    }

    static QStringList Entries(const QComboBox* box)
    {
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        return entries;
    }

    ScriptedUi ui;
    std::unique_ptr<CSettingDlg> dialog_;
};

TEST_F(SettingDlgTest, OpensWithDefaultsAndCancelWritesNothingButTheFtpKey)
{
    CSettingDlg& dlg = Open();
    EXPECT_EQ(dlg.windowTitle(), Q("設定"));
    EXPECT_TRUE(dlg.isModal());

    EXPECT_EQ(Face()->currentText(), Q("ＭＳ　明朝"));
    // The default face is selected in the list, though no such font is
    // installed here.
    ASSERT_GE(Face()->currentIndex(), 0);
    EXPECT_EQ(Face()->itemText(Face()->currentIndex()), Q("ＭＳ　明朝"));
    // What the editor uses while nothing is stored.
    EXPECT_EQ(Size()->currentText(), "10");
    EXPECT_EQ(Find<CColorSwatch>(1033)->Color(), 0x0000FF00u); // comments green
    EXPECT_EQ(Find<CColorSwatch>(1034)->Color(), 0x00FF0000u); // commands blue
    EXPECT_TRUE(Find<QCheckBox>(1028)->isChecked());
    EXPECT_TRUE(dlg.TipsChecked());
    for (int id : {1029, 1030, 1031, 1020, 1021, 1015, 1016, 1017})
        EXPECT_TRUE(Edit(id)->text().isEmpty()) << id;
    EXPECT_EQ(Edit(1031)->echoMode(), QLineEdit::Password);

    // Opening alone creates the FTP key and nothing else.
    EXPECT_TRUE(KeyExists(settings::kFtpKey));
    EXPECT_FALSE(KeyExists(settings::kFontKey));

    Edit(1029)->setText("ftp.example.jp");
    Size()->setEditText("20");
    Find<QPushButton>(IDCANCEL)->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(KeyExists(settings::kFtpKey));
    EXPECT_FALSE(ReadStored(settings::kFtpKey, settings::kFtpUrl));
    EXPECT_FALSE(KeyExists(settings::kFontKey));
    EXPECT_FALSE(KeyExists(settings::kAppKey));
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(SettingDlgTest, OpensWithTheStoredSettings)
{
    settings::FontSettings font;
    font.face = "ipap"; // a prefix, in other case, of an installed face
    font.charSet = 128;
    font.heightTwips = 210;
    font.commandColor = 0x00112233;
    font.commentColor = 0x00445566;
    font.tipFlag = 1;
    ASSERT_EQ(settings::SaveFontSettings(font), 0u);
    ASSERT_EQ(settings::SaveFtpAccount({"ftp.example.jp", "taro", J("秘密")}), 0u);
    ASSERT_EQ(settings::SaveAppPaths({"/usr/bin/bluefish", "/usr/bin/perl"}), 0u);
    ASSERT_EQ(settings::SaveWebServerSettings({"/usr/sbin/httpd", J("/srv/ウェブ"), "localhost"}), 0u);

    CSettingDlg& dlg = Open();
    if (Face()->findText("IPAPGothic") >= 0) {
        EXPECT_EQ(Face()->currentText(), "IPAPGothic");
    }
    EXPECT_EQ(Size()->currentText(), "10.5");
    EXPECT_EQ(Find<CColorSwatch>(1034)->Color(), 0x00112233u);
    EXPECT_EQ(Find<CColorSwatch>(1033)->Color(), 0x00445566u);
    EXPECT_TRUE(Find<QCheckBox>(1028)->isChecked());
    EXPECT_TRUE(dlg.TipsChecked());
    EXPECT_EQ(Edit(1029)->text(), "ftp.example.jp");
    EXPECT_EQ(Edit(1030)->text(), "taro");
    EXPECT_EQ(Edit(1031)->text(), Q("秘密"));
    EXPECT_EQ(Edit(1020)->text(), "/usr/bin/bluefish");
    EXPECT_EQ(Edit(1021)->text(), "/usr/bin/perl");
    EXPECT_EQ(Edit(1015)->text(), "/usr/sbin/httpd");
    EXPECT_EQ(Edit(1016)->text(), Q("/srv/ウェブ"));
    EXPECT_EQ(Edit(1017)->text(), "localhost");
    dlg.reject();

    // Only a flag of exactly 1 means tips on.
    font.tipFlag = 2;
    ASSERT_EQ(settings::SaveFontSettings(font), 0u);
    Open();
    EXPECT_FALSE(Find<QCheckBox>(1028)->isChecked());
    EXPECT_FALSE(dialog_->TipsChecked());
}

TEST_F(SettingDlgTest, OkWritesEveryValueByteForByte)
{
    CSettingDlg& dlg = Open();
    const QString face = InstalledJapaneseFace();
    if (face.isEmpty())
        GTEST_SKIP() << "no Japanese font installed";
    Face()->setCurrentIndex(Face()->findText(face));
    Size()->setEditText("10.5");
    Find<QCheckBox>(1028)->setChecked(true);
    Edit(1029)->setText("ftp.example.jp");
    Edit(1030)->setText("taro");
    Edit(1031)->setText(Q("パス１"));
    Edit(1020)->setText("/usr/bin/bluefish");
    Edit(1021)->setText("/usr/bin/perl");
    Edit(1015)->setText("/usr/sbin/lighttpd");
    Edit(1016)->setText(Q("/srv/ウェブ"));
    Edit(1017)->setText("127.0.0.1");
    PressOk();

    ExpectSavedBox();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.TipsChecked());

    EXPECT_STORED(settings::kFontKey, "EDIT_CharSet", REG_NONE, "\x80"s);
    EXPECT_STORED(settings::kFontKey, "EDIT_Face", REG_SZ, face.toStdString());    // no NUL
    EXPECT_STORED(settings::kFontKey, "EDIT_Size", REG_NONE, "\xD2\x00\x00\x00"s); // 210 twips
    EXPECT_STORED(settings::kFontKey, "COMMAND_Color", REG_NONE, "\x00\x00\xFF\x00"s);
    EXPECT_STORED(settings::kFontKey, "COMMENT_Color", REG_NONE, "\x00\xFF\x00\x00"s);
    EXPECT_STORED(settings::kFontKey, "TIP_Flag", REG_NONE, "\x01"s);
    EXPECT_STORED(settings::kFtpKey, "FTP_URL", REG_SZ, "ftp.example.jp\0"s);
    EXPECT_STORED(settings::kFtpKey, "USER_ID", REG_SZ, "taro\0"s);
    EXPECT_STORED(settings::kFtpKey, "USER_PASS", REG_SZ, "\x83\x70\x83\x58\x82\x50\0"s); // パス１
    EXPECT_STORED(settings::kAppKey, "HTML_APP", REG_SZ, "/usr/bin/bluefish\0"s);
    EXPECT_STORED(settings::kAppKey, "PERL_APP", REG_SZ, "/usr/bin/perl\0"s);
    EXPECT_STORED(settings::kAppKey, "WEB_APP", REG_SZ, "/usr/sbin/lighttpd\0"s);
    EXPECT_STORED(settings::kAppKey, "ROOT_DIR", REG_SZ, "/srv/\x83\x45\x83\x46\x83\x75\0"s); // ウェブ
    EXPECT_STORED(settings::kAppKey, "LOCALHOST_IP", REG_SZ, "127.0.0.1\0"s);

    // Opening again shows what was written.
    Open();
    EXPECT_EQ(Face()->currentText(), face);
    EXPECT_EQ(Size()->currentText(), "10.5");
    EXPECT_EQ(Edit(1031)->text(), Q("パス１"));
    EXPECT_EQ(Edit(1016)->text(), Q("/srv/ウェブ"));
}

TEST_F(SettingDlgTest, OkUnchangedWritesTheDefaults)
{
    CSettingDlg& dlg = Open();
    PressOk();
    ExpectSavedBox();
    EXPECT_TRUE(dlg.TipsChecked());
    EXPECT_STORED(settings::kFontKey, "EDIT_Face", REG_SZ, std::string(settings::kDefaultFace));
    // The listed "ＭＳ　明朝" is a Japanese face; without any Japanese font
    // the remembered face is kept with the default character set.
    const auto charSet = ReadStored(settings::kFontKey, "EDIT_CharSet");
    ASSERT_TRUE(charSet);
    EXPECT_EQ(charSet->bytes, InstalledJapaneseFace().isEmpty() ? "\x01"s : "\x80"s);
    EXPECT_STORED(settings::kFontKey, "EDIT_Size", REG_NONE, "\xC8\x00\x00\x00"s); // 200 twips
    EXPECT_STORED(settings::kFontKey, "COMMAND_Color", REG_NONE, "\x00\x00\xFF\x00"s);
    EXPECT_STORED(settings::kFontKey, "COMMENT_Color", REG_NONE, "\x00\xFF\x00\x00"s);
    EXPECT_STORED(settings::kFontKey, "TIP_Flag", REG_NONE, "\x01"s);
    EXPECT_STORED(settings::kFtpKey, "USER_PASS", REG_SZ, "\0"s);
    EXPECT_STORED(settings::kAppKey, "ROOT_DIR", REG_SZ, "\0"s);
}

TEST_F(SettingDlgTest, SizeTextDecidesTheStoredHeight)
{
    struct Case {
        const char* text;
        std::string stored;
    };
    // 300 twips are stored beforehand; a text that is no size keeps them.
    const Case cases[] = {
        {"10.5", "\xD2\x00\x00\x00"s}, {"0", "\x64\x00\x00\x00"s},   {"-3", "\x64\x00\x00\x00"s},
        {"12pt", "\x2C\x01\x00\x00"s}, {"", "\x2C\x01\x00\x00"s},    {" 12 ", "\xF0\x00\x00\x00"s},
        {"72", "\xA0\x05\x00\x00"s},   {"abc", "\x2C\x01\x00\x00"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TempDir own("kestrix-settingdlg-size");
        ScopedEnv env("XDG_CONFIG_HOME", own.path());
        settings::FontSettings font = settings::DialogFontDefaults();
        font.heightTwips = 300;
        ASSERT_EQ(settings::SaveFontSettings(font), 0u);
        Open();
        EXPECT_EQ(Size()->currentText(), "15");
        Size()->setEditText(QString::fromUtf8(c.text));
        PressOk();
        EXPECT_STORED(settings::kFontKey, "EDIT_Size", REG_NONE, c.stored);
    }
    EXPECT_EQ(ui.Boxes().size(), std::size(cases));
}

TEST_F(SettingDlgTest, FaceTextDecidesTheStoredFace)
{
    // A text that names no entry stores the default face.
    Open();
    Face()->setEditText("NoSuchFace");
    PressOk();
    EXPECT_STORED(settings::kFontKey, "EDIT_Face", REG_SZ, std::string(settings::kDefaultFace));
    EXPECT_STORED(settings::kFontKey, "EDIT_CharSet", REG_NONE, "\x01"s);

    // A face typed out in full is the entry of that name, even when another
    // entry was selected before.
    Open();
    const QString face = InstalledJapaneseFace();
    if (!face.isEmpty()) {
        Face()->setCurrentIndex(Face()->findText("DejaVu Sans"));
        Face()->setEditText(face);
        PressOk();
        EXPECT_STORED(settings::kFontKey, "EDIT_Face", REG_SZ, face.toStdString());
        EXPECT_STORED(settings::kFontKey, "EDIT_CharSet", REG_NONE, "\x80"s);
    }

    // A western face stores the default character set.
    Open();
    if (Face()->findText("DejaVu Sans") >= 0) {
        Face()->setCurrentIndex(Face()->findText("DejaVu Sans"));
        PressOk();
        EXPECT_STORED(settings::kFontKey, "EDIT_Face", REG_SZ, "DejaVu Sans"s);
        EXPECT_STORED(settings::kFontKey, "EDIT_CharSet", REG_NONE, "\x01"s);
    }
}

TEST_F(SettingDlgTest, StoredFaceThatIsNotInstalledIsShownAndKept)
{
    settings::FontSettings font = settings::DialogFontDefaults();
    font.face = "Osaka";
    font.charSet = 128;
    ASSERT_EQ(settings::SaveFontSettings(font), 0u);
    Open();
    EXPECT_EQ(Face()->currentText(), "Osaka");
    EXPECT_GE(Face()->currentIndex(), 0);
    PressOk();
    EXPECT_STORED(settings::kFontKey, "EDIT_Face", REG_SZ, "Osaka"s);
    EXPECT_STORED(settings::kFontKey, "EDIT_CharSet", REG_NONE, "\x80"s);
}

TEST_F(SettingDlgTest, FaceListHasEachFaceOnceInOrderWithoutVerticalFaces)
{
    Open();
    const QStringList entries = Entries(Face());
    ASSERT_FALSE(entries.isEmpty());
    for (int i = 1; i < entries.size(); ++i)
        EXPECT_TRUE(CFaceComboBoxFaces::SortsBefore(entries[i - 1], entries[i]))
            << entries[i - 1].toStdString() << " / " << entries[i].toStdString();
    for (const QString& entry : entries) {
        EXPECT_FALSE(entry.startsWith('@'));
        // Every entry can be stored as it is shown.
        const std::string bytes = sjis::FromUnicode(entry);
        EXPECT_EQ(sjis::ToUnicode(bytes), entry);
        EXPECT_LE(bytes.size(), settings::kMaxFaceBytes);
    }
    if (!InstalledJapaneseFace().isEmpty()) {
        for (const char* known : {"ＭＳ　明朝", "ＭＳ ゴシック"}) {
            const int i = Face()->FindExact(Q(known));
            ASSERT_GE(i, 0) << known;
            const auto* item = Face()->ItemAt(i);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->charSet, 128);
            EXPECT_EQ(item->face, J(known));
            EXPECT_TRUE(QFontDatabase::writingSystems(item->family).contains(QFontDatabase::Japanese));
        }
    }
}

TEST_F(SettingDlgTest, BuiltFaceListSkipsWhatCannotBeStored)
{
    using Faces = CFaceComboBoxFaces;
    const std::vector<Faces::Family> families{
        {"Zeta", false, true, false},
        {"@IPAGothic", true, true, false},
        {"alpha", false, true, false},
        {"Alpha", false, true, false},
        {QString::fromUtf8("Café"), false, true, false},             // not in code page 932
        {"A Family Name Far Too Long To Store", false, true, false}, // over 31 bytes
        {"Fixed", false, false, true},
        {"IPAMincho", true, true, false},
        {"IPAPGothic", true, true, false},
        {"IPAGothic", true, true, false},
    };
    const auto items = Faces::Build(families);
    QStringList faces;
    for (const auto& item : items)
        faces << sjis::ToUnicode(item.face);
    EXPECT_EQ(faces,
              (QStringList{"Alpha", "alpha", "Fixed", "IPAGothic", "IPAMincho", "IPAPGothic", "Zeta",
                           Q("ＭＳ ゴシック"), Q("ＭＳ Ｐゴシック"), Q("ＭＳ Ｐ明朝"), Q("ＭＳ　明朝")}));
    auto itemFor = [&](const char* face) {
        return items[std::size_t(faces.indexOf(QString::fromUtf8(face)))];
    };
    EXPECT_EQ(itemFor("Fixed").fontType, Faces::kBitmapFont);
    EXPECT_EQ(itemFor("Zeta").fontType, Faces::kScalableFont);
    EXPECT_EQ(itemFor("Zeta").charSet, 1);
    EXPECT_EQ(itemFor("IPAGothic").charSet, 128);
    EXPECT_EQ(itemFor("ＭＳ　明朝").family, "IPAMincho");
    EXPECT_EQ(itemFor("ＭＳ ゴシック").family, "IPAGothic");
    EXPECT_EQ(itemFor("ＭＳ Ｐゴシック").family, "IPAPGothic");
    // Without a Japanese family no well-known face is offered.
    EXPECT_EQ(Faces::Build({{"Zeta", false, true, false}}).size(), 1u);
}

TEST_F(SettingDlgTest, FailedSaveShowsTheSystemTextAndStops)
{
    TempDir broken("kestrix-settingdlg-broken");
    ScopedEnv env("XDG_CONFIG_HOME", broken.path());
    broken.write("kestrix", "not a folder");
    const DWORD code = settings::SaveFtpAccount({});
    ASSERT_NE(code, 0u);

    CSettingDlg& dlg = Open(); // the FTP key cannot be created: no message yet
    EXPECT_TRUE(ui.Boxes().empty());
    Edit(1029)->setText("ftp.example.jp");
    PressOk();
    // One box: the font group failed, and neither the FTP account nor a page
    // was tried (a page would have said so itself).
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].text, SystemErrorText(code));
    EXPECT_FALSE(ui.Boxes()[0].text.empty());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(ReadFileBytes(broken.file("kestrix")), "not a folder");
}

TEST_F(SettingDlgTest, PageThatFailsSaysSoAloneAndStopsTheLaterPages)
{
    Open();
    auto* tabs = Find<CTabPageCtrl>(1032);
    auto* failing = new CountingPage(ERROR_ACCESS_DENIED);
    auto* later = new CountingPage(0);
    tabs->AddPage(failing, "x");
    tabs->AddPage(later, "y");
    Edit(1021)->setText("/usr/bin/perl");
    PressOk();

    // The page's own box, and no "saved" box after it.
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].text, SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ui.Boxes()[0].buttons, MB_OK);
    EXPECT_EQ(failing->writes, 1);
    EXPECT_EQ(later->writes, 0);
    // What came before the failing page was written.
    EXPECT_TRUE(ReadStored(settings::kFontKey, "EDIT_Size"));
    EXPECT_TRUE(ReadStored(settings::kFtpKey, "FTP_URL"));
    EXPECT_STORED(settings::kAppKey, "PERL_APP", REG_SZ, "/usr/bin/perl\0"s);
    EXPECT_TRUE(ReadStored(settings::kAppKey, "LOCALHOST_IP"));
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
}

TEST_F(SettingDlgTest, AClickOnAColourChoosesIt)
{
    Open();
    auto* comment = Find<CColorSwatch>(1033);
    auto* command = Find<CColorSwatch>(1034);
    ui.AnswerColor(0x00123456);
    QTest::mouseClick(comment, Qt::LeftButton);
    EXPECT_EQ(comment->Color(), 0x00123456u);
    // The whole field shows the colour (red 0x56, green 0x34, blue 0x12).
    const QImage image = comment->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), QColor(0x56, 0x34, 0x12));

    ui.AnswerColor(std::nullopt); // cancelled
    QTest::mouseClick(command, Qt::LeftButton);
    EXPECT_EQ(command->Color(), 0x00FF0000u);
    EXPECT_EQ(ui.ColorDialogs(), (std::vector<COLORREF>{0x0000FF00, 0x00FF0000}));

    PressOk();
    EXPECT_STORED(settings::kFontKey, "COMMENT_Color", REG_NONE, "\x56\x34\x12\x00"s);
    EXPECT_STORED(settings::kFontKey, "COMMAND_Color", REG_NONE, "\x00\x00\xFF\x00"s);
}

TEST_F(SettingDlgTest, BrowseButtonsFillTheirFields)
{
    Open();
    Edit(1015)->setText("/usr/sbin/httpd");
    ui.AnswerFile(std::string("/opt/エディタ/editor")); // a local (UTF-8) path
    Find<QPushButton>(1022)->click();
    ui.AnswerFile(std::string("/usr/bin/perl"));
    Find<QPushButton>(1023)->click();
    ui.AnswerFile(std::nullopt);
    Find<QPushButton>(1018)->click();
    ui.AnswerFolder(std::string("/srv/www"));
    Find<QPushButton>(1019)->click();
    ui.AnswerFolder(std::nullopt);
    Find<QPushButton>(1019)->click();

    EXPECT_EQ(Edit(1020)->text(), Q("/opt/エディタ/editor"));
    EXPECT_EQ(Edit(1021)->text(), "/usr/bin/perl");
    EXPECT_EQ(Edit(1015)->text(), "/usr/sbin/httpd"); // cancelled
    EXPECT_EQ(Edit(1016)->text(), "/srv/www");        // the second browse was cancelled
    EXPECT_EQ(ui.FolderDialogCount(), 2u);

    const auto& requests = ui.FileDialogs();
    ASSERT_EQ(requests.size(), 3u);
    const char* titles[] = {"HTML編集アプリケーションの選択", "ActivePerl（Perl.exe）パスの選択",
                            "Webサーバーアプリケーションの選択"};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].kind, FileDialogKind::Open);
        EXPECT_EQ(sjis::ToUtf8(requests[i].title), titles[i]);
        // Programs as "*.exe" first, any file second.
        EXPECT_EQ(sjis::ToUtf8(requests[i].filter), "EXE (*.exe)|*.exe|すべてのファイル|*||");
    }
    EXPECT_EQ(requests[2].initialName, "/usr/sbin/httpd");

    PressOk();
    EXPECT_STORED(settings::kAppKey, "HTML_APP", REG_SZ, J("/opt/エディタ/editor") + '\0');
    EXPECT_STORED(settings::kAppKey, "ROOT_DIR", REG_SZ, "/srv/www\0"s);
    EXPECT_STORED(settings::kAppKey, "WEB_APP", REG_SZ, "/usr/sbin/httpd\0"s);
}

TEST_F(SettingDlgTest, SizeListIsRebuiltForTheFaceWhenItDropsDown)
{
    Open();
    const QString face = InstalledJapaneseFace();
    if (face.isEmpty())
        GTEST_SKIP() << "no Japanese font installed";
    Face()->setCurrentIndex(Face()->findText(face));
    EXPECT_EQ(Size()->count(), 0); // nothing listed until the list opens

    EXPECT_EQ(DropSizes("12"), "12");
    EXPECT_EQ(Entries(Size()), (QStringList{"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24",
                                            "26", "28", "36", "48", "72"}));
    EXPECT_EQ(Size()->currentIndex(), 4);

    // Below a point, or no size at all: the last size shown comes back.
    for (const char* text : {"0.5", "abc", "2000"})
        EXPECT_EQ(DropSizes(text), "12") << text;
    // A size that is not listed stays as typed; an empty box stays empty.
    EXPECT_EQ(DropSizes("13.5"), "13.5");
    EXPECT_EQ(Size()->count(), 16);
    EXPECT_EQ(DropSizes(""), "");

    // A bitmap face offers the sizes it has, in order, once each.
    EXPECT_EQ(CPointSizeComboBoxList::BitmapTwips({12, 8, 10, 8}), (std::vector<int>{160, 200, 240}));

    // A face the list does not have is offered the usual sizes too.
    Face()->setEditText("NoSuchFace");
    DropSizes("9");
    EXPECT_EQ(Size()->count(), 16);
    EXPECT_EQ(Size()->currentIndex(), 1);
}

TEST_F(SettingDlgTest, ComboKeysOpenTheListAndEnterDoesNotPressOk)
{
    CSettingDlg& dlg = Open();
    Size()->setEditText("16");
    Size()->setFocus();
    QTest::keyClick(Size(), Qt::Key_Down);
    EXPECT_TRUE(Size()->view()->isVisible());
    EXPECT_EQ(Size()->count(), 16); // the list opened through the refresh
    EXPECT_EQ(Size()->currentText(), "16");
    Size()->hidePopup();

    // Typing into the filled list takes the text as typed: "1" is not
    // completed to "10" behind the user's back.
    Size()->lineEdit()->selectAll();
    Type(Size(), "1");
    EXPECT_EQ(Size()->currentText(), "1");
    Face()->lineEdit()->selectAll();
    Type(Face(), "IPA");
    EXPECT_EQ(Face()->currentText(), "IPA");

    for (QComboBox* box : {static_cast<QComboBox*>(Face()), static_cast<QComboBox*>(Size())}) {
        // Enter in a closed list is taken by the box: no OK, no message.
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        EXPECT_TRUE(dlg.isVisible());
        QTest::keyClick(box, Qt::Key_Up);
        EXPECT_TRUE(box->view()->isVisible());
        box->hidePopup();
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(SettingDlgTest, TabsShowOnePageAtATimeAboveTheTabs)
{
    CSettingDlg& dlg = Open();
    auto* tabs = Find<CTabPageCtrl>(1032);
    ASSERT_EQ(tabs->Pages().size(), 3u);
    EXPECT_EQ(tabs->TabBar()->tabText(0), Q("その他の設定1"));
    EXPECT_EQ(tabs->TabBar()->tabText(1), Q("その他の設定2"));
    EXPECT_EQ(tabs->TabBar()->tabText(2), Q("以前の版"));
    EXPECT_TRUE(Edit(1020)->isVisibleTo(&dlg));
    EXPECT_FALSE(Edit(1015)->isVisibleTo(&dlg));

    tabs->TabBar()->setCurrentIndex(1);
    EXPECT_FALSE(Edit(1020)->isVisibleTo(&dlg));
    EXPECT_TRUE(Edit(1015)->isVisibleTo(&dlg));
    EXPECT_TRUE(Edit(1017)->isVisibleTo(&dlg));

    const QRect bar = tabs->TabBar()->geometry();
    for (CSettingPage* page : tabs->Pages()) {
        EXPECT_TRUE(tabs->rect().contains(page->geometry()));
        EXPECT_LE(page->geometry().bottom(), bar.top());
    }
    // Values typed on a hidden page are written all the same.
    Edit(1017)->setText("localhost");
    tabs->TabBar()->setCurrentIndex(0);
    PressOk();
    EXPECT_STORED(settings::kAppKey, "LOCALHOST_IP", REG_SZ, "localhost\0"s);
}

TEST_F(SettingDlgTest, TextsFitTheirControlsAndControlsDoNotOverlap)
{
    CSettingDlg& dlg = Open();
    const QString family = QFontInfo(dlg.font()).family();
    if (!QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese))
        GTEST_SKIP() << "no Japanese font installed";
    Find<CTabPageCtrl>(1032)->SetCurrentIndex(1);

    for (QLabel* label : dlg.findChildren<QLabel*>())
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    auto* tips = Find<QCheckBox>(1028);
    QStyleOptionButton option;
    option.initFrom(tips);
    option.text = tips->text();
    const QRect contents = tips->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, tips);
    EXPECT_LE(tips->fontMetrics().horizontalAdvance(tips->text()), contents.width());
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width());

    // Controls under one parent never cover each other; group boxes frame
    // the controls drawn over them.
    QList<QWidget*> parents{&dlg};
    for (CSettingPage* page : dlg.findChildren<CSettingPage*>())
        parents << page;
    for (QWidget* parent : parents) {
        QList<QWidget*> controls;
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget && !widget->isWindow() && !qobject_cast<QGroupBox*>(widget))
                controls << widget;
        }
        for (int i = 0; i < controls.size(); ++i)
            for (int j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->metaObject()->className() << " "
                    << controls[i]->objectName().toStdString() << " / "
                    << controls[j]->metaObject()->className() << " "
                    << controls[j]->objectName().toStdString();
    }
}

TEST_F(SettingDlgTest, DoModalAnswersOkOrCancel)
{
    {
        CSettingDlg dlg;
        QTimer::singleShot(0, &dlg, [&] { Press(dlg, IDCANCEL); });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_FALSE(KeyExists(settings::kFontKey));
    {
        CSettingDlg dlg;
        ui.AnswerBox(IDOK);
        QTimer::singleShot(0, &dlg, [&] {
            dlg.findChild<QCheckBox*>("1028")->setChecked(true);
            Press(dlg, IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(dlg.TipsChecked());
    }
    ExpectSavedBox();
    EXPECT_STORED(settings::kFontKey, "TIP_Flag", REG_NONE, "\x01"s);
}

} // namespace
