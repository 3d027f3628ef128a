// Files named on the command line (and by the desktop's "Open with") open in
// editor windows when the program starts.
#include "AppFixture.h"

#include <fstream>

namespace {

using namespace apptest;

class CommandLine : public AppFixture {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = files_.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

TEST_F(CommandLine, EveryNamedFileOpensInAnEditorWindow)
{
    const std::string first = Write("first.cgi", "print 1;\n");
    Write("second.pl", "print 2;\n");
    const std::string third = Write("third.cgi", "print 3;\n");
    {
        // A relative name is taken from the current folder; a file: address
        // (as some desktops pass) is a file too.
        ScopedCurrentDir cwd(files_.path());
        App().OpenCommandLineFiles({first, "second.pl", "file://" + third});
    }
    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_EQ(OpenDocuments(), 3u);
    EXPECT_EQ(WindowTitles(), Lines({"first.cgi", "second.pl", "third.cgi"}));
    EXPECT_EQ(App().RecentFiles()[0], third);
}

TEST_F(CommandLine, AFolderOrAMissingFileIsReportedAndTheOthersStillOpen)
{
    const std::string good = Write("good.cgi", "print 1;\n");
    const std::string missing = files_.path() + "/missing.cgi";
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    App().OpenCommandLineFiles({files_.path(), missing, good});
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(),
              "「" + files_.path() + "」はフォルダです。ファイルを指定してください。");
    EXPECT_EQ(ui.Boxes()[1].caption, "Error");
    EXPECT_NE(ui.Boxes()[1].Utf8Text().find("を開けません。"), std::string::npos) << ui.Boxes()[1].Utf8Text();
    EXPECT_EQ(OpenDocuments(), 1u);
    EXPECT_EQ(WindowTitles(), Lines({"good.cgi"}));
}

TEST_F(CommandLine, NoFilesOpensNothing)
{
    App().OpenCommandLineFiles({});
    EXPECT_EQ(OpenDocuments(), 0u);
    EXPECT_TRUE(ui.Boxes().empty());
}

} // namespace
