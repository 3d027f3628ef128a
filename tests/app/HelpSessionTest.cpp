// The program's help: F1 keyword lookup in the help collection made at build
// time (the manual and perl's documentation), the help window, 操作説明, and
// what the user hears when a keyword is missing or the collection is broken.
#include "AppFixture.h"
#include "platform/NamedCase.h"

#include "app/CHtmlHelpSession.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/help/CHelpWindow.h"
#include "platform/help/HelpCollection.h"

#include <QFile>
#include <QTest>
#include <fstream>

namespace {

using namespace apptest;

const std::string kCollection = std::string(KESTRIX_BINARY_DIR) + "/KESTRIX_HELP.qhc";

struct LookupCase {
    const char* name;
    const char* keyword; // UTF-8
    const char* title;   // the page's title
    const char* text;    // something the page says
};

class HelpLookup : public ::testing::TestWithParam<LookupCase> {
protected:
    OwnHive hive;
    ScriptedUi ui;
};

TEST_P(HelpLookup, ShowsThePageInTheHelpWindow)
{
    CHtmlHelpSession help;
    QWidget* shown = help.KeywordLookup(J(GetParam().keyword));
    EXPECT_TRUE(ui.Boxes().empty()) << ui.Boxes().front().Utf8Text();
    ASSERT_NE(shown, nullptr);
    CHelpWindow* window = help.Window();
    EXPECT_EQ(shown, window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->PageTitle(), Q(GetParam().title));
    EXPECT_TRUE(window->PageText().contains(Q(GetParam().text)))
        << window->PageText().left(400).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, HelpLookup,
    ::testing::Values(LookupCase{"Printf", "printf", "printf", "Equivalent to print FILEHANDLE sprintf"},
                      LookupCase{"Sprintf", "sprintf", "sprintf", "Returns a string formatted"},
                      LookupCase{"FirstOfTwoEntriesOfOneName", "select", "select",
                                 "Returns the currently selected filehandle"},
                      LookupCase{"FileTest", "-e", "-X", "File exists."},
                      LookupCase{"OtherFileTest", "-M", "-X", "Script start time minus file modification"},
                      LookupCase{"SpecialVariable", "$_", "$ARG, $_",
                                 "The default input and pattern-searching"},
                      LookupCase{"OperatorWord", "eq", "Equality Operators", "Binary \"eq\" returns true"},
                      LookupCase{"Statement", "foreach", "Foreach Loops", "foreach"},
                      LookupCase{"ManualKeyword", "FTP", "FTP でファイルを転送する", "FTP"}),
    CaseName);

class HelpFlow : public AppFixture {};

TEST_F(HelpFlow, F1OnASelectionWithASpaceShowsTheFunctionsPage)
{
    const std::string path = files_.path() + "/f1.cgi";
    std::ofstream(path) << "print f(\"%s\", $x);\n";
    CDocument* document = OpenFile(path);
    ASSERT_NE(document, nullptr);
    auto* view = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(view, nullptr);
    view->SetSel(0, 7);
    QTest::keyRelease(view, Qt::Key_F1);
    CHelpWindow* window = App().Help().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->PageTitle(), "printf");
    EXPECT_TRUE(ui.Boxes().empty());

    // Nothing selected: the word at the caret; the same window shows it.
    view->SetSel(1, 1);
    QTest::keyRelease(view, Qt::Key_F1);
    EXPECT_EQ(App().Help().Window(), window);
    EXPECT_EQ(window->PageTitle(), "print");
}

TEST_F(HelpFlow, AnUnknownKeywordIsNotFoundAndTheIndexShowsIt)
{
    ui.AnswerBox(IDOK);
    EXPECT_EQ(App().Help().KeywordLookup("nosuchcommand"), nullptr);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "指定されたキーワードが見つかりません。");
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "通知");
    CHelpWindow* window = App().Help().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IndexShown());
    EXPECT_EQ(window->IndexText(), "nosuchcommand");
}

TEST_F(HelpFlow, NothingToLookUpOpensTheIndexWithoutAMessage)
{
    EXPECT_EQ(App().Help().KeywordLookup(""), nullptr);
    EXPECT_TRUE(ui.Boxes().empty());
    ASSERT_NE(App().Help().Window(), nullptr);
    EXPECT_TRUE(App().Help().Window()->IndexShown());
    EXPECT_EQ(App().Help().Window()->IndexText(), "");
}

TEST_F(HelpFlow, TheHelpMenusManualCommandShowsTheManualsFirstPage)
{
    Frame().SendCommand(cmd::kHelpContents);
    CHelpWindow* window = App().Help().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->PageTitle(), Q("KESTRIX 2 操作説明"));
    EXPECT_TRUE(ui.Boxes().empty());
    // A second request brings the same window back.
    window->hide();
    Frame().SendCommand(cmd::kHelpContents);
    EXPECT_EQ(App().Help().Window(), window);
    EXPECT_TRUE(window->isVisible());
}

struct BrokenCase {
    const char* name;
    const char* collection; // written to the .qhc; nullptr: no file
    const char* reason;     // part of the message
};

class BrokenCollection : public ::testing::TestWithParam<BrokenCase> {
protected:
    OwnHive hive;
    ScriptedUi ui;
    TempDir folder{"kestrix-help"};
};

TEST_P(BrokenCollection, SaysWhyInAnErrorBox)
{
    const std::string path = folder.path() + "/KESTRIX_HELP.qhc";
    if (GetParam().collection) {
        std::ofstream(path) << GetParam().collection;
        std::ofstream(folder.path() + "/KESTRIX_HELP.qch") << GetParam().collection;
    }
    CHtmlHelpSession help;
    help.SetHelpFile(path);
    ui.AnswerBox(IDOK);
    EXPECT_EQ(help.KeywordLookup("print"), nullptr);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_NE(ui.Boxes()[0].Utf8Text().find(GetParam().reason), std::string::npos)
        << ui.Boxes()[0].Utf8Text();
    EXPECT_EQ(help.Window(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Collections, BrokenCollection,
                         ::testing::Values(BrokenCase{"Missing", nullptr, "が見つかりません"},
                                           BrokenCase{"NotAHelpCollection", "garbage, not SQLite",
                                                      "を読めません"}),
                         CaseName);

TEST(HelpIndex, CoversEveryCommandOfTheCommandData)
{
    // Every word the editor colours and tips has a page for F1.
    std::ifstream in(std::string(KESTRIX_BINARY_DIR) + "/keydata.dat", std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HelpCollection collection;
    ASSERT_EQ(collection.Open(kCollection), "");
    std::size_t words = 0;
    std::vector<std::string> missing;
    for (std::size_t start = 0; start < data.size();) {
        const std::size_t equals = data.find('=', start);
        const std::size_t end = data.find('/', equals);
        ASSERT_NE(end, std::string::npos);
        const std::string word = data.substr(start, equals - start);
        ++words;
        if (collection.Lookup(QString::fromStdString(word)).empty())
            missing.push_back(word);
        start = end + 1;
    }
    EXPECT_GT(words, 250u);
    EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

TEST(HelpIndex, TheInstalledCollectionIsNeverWritten)
{
    // The engine works on a copy in the cache folder; the collection the
    // program found keeps its bytes.
    QFile file(QString::fromStdString(kCollection));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        HelpCollection collection;
        ASSERT_EQ(collection.Open(kCollection), "");
        EXPECT_FALSE(collection.Lookup("print").empty());
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_TRUE(std::filesystem::exists(HelpCollection::WorkingFolder() + "/KESTRIX_HELP.qhc"));
}

TEST(HelpIndex, ADamagedWorkingCopyIsMadeAgain)
{
    const std::string copy = HelpCollection::WorkingFolder() + "/KESTRIX_HELP.qhc";
    {
        HelpCollection collection;
        ASSERT_EQ(collection.Open(kCollection), "");
    }
    std::ofstream(copy, std::ios::trunc) << "damaged";
    HelpCollection collection;
    ASSERT_EQ(collection.Open(kCollection), "");
    EXPECT_FALSE(collection.Lookup("printf").empty());
}

} // namespace
