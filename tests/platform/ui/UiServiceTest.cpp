// The pieces of the UI service that carry the program's dialog requests into
// Qt's terms, and the scripted service every flow test relies on.
#include "ScriptedUi.h"

#include "platform/ui/UiService.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(UiService, FiltersBecomeQtFilters)
{
    EXPECT_EQ(
        QtFilterFromWindowsFilter("CGI File (*.cgi;*.pl)|*.cgi;*.pl|TEXT File (*.txt;*.rtf)|*.txt;*.rtf||"),
        "CGI File (*.cgi *.pl);;TEXT File (*.txt *.rtf)");
    EXPECT_EQ(QtFilterFromWindowsFilter("CGI FILE (*.cgi) | *.cgi| PL FILE (*.pl)|*.pl||"),
              "CGI FILE (*.cgi);;PL FILE (*.pl)");
    EXPECT_EQ(QtFilterFromWindowsFilter("EXE (*.exe)|*.exe||"), "EXE (*.exe)");
    // Patterns the description does not list are added to it.
    EXPECT_EQ(QtFilterFromWindowsFilter("Scripts|*.cgi;*.pl||"), "Scripts (*.cgi *.pl)");
    EXPECT_EQ(QtFilterFromWindowsFilter("Perl (*.pl)|*.pl;*.pm||"), "Perl (*.pl) (*.pl *.pm)");
    EXPECT_EQ(QtFilterFromWindowsFilter(""), "");
}

TEST(UiService, DefaultExtensionOnlyWhenNoneTyped)
{
    EXPECT_EQ(ApplyDefaultExtension("/tmp/a", ".cgi"), "/tmp/a.cgi");
    EXPECT_EQ(ApplyDefaultExtension("/tmp/a", "cgi"), "/tmp/a.cgi");
    EXPECT_EQ(ApplyDefaultExtension("/tmp/a.pl", ".cgi"), "/tmp/a.pl");
    EXPECT_EQ(ApplyDefaultExtension("/tmp.d/a", ".cgi"), "/tmp.d/a.cgi");
    EXPECT_EQ(ApplyDefaultExtension("/tmp/a", ""), "/tmp/a");
}

TEST(UiService, ScriptedServiceRecordsAndAnswersInOrder)
{
    ScriptedUi ui;
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDNO);
    ui.AnswerFile(std::string("/tmp/x"));
    ui.AnswerColor(COLORREF(0x123456));
    EXPECT_EQ(MessageBox(nullptr, "q1", "caption", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBox(nullptr, "q2", "caption", MB_YESNO), IDNO);
    FileDialogRequest save;
    save.kind = FileDialogKind::Save;
    save.defaultExtension = ".cgi";
    EXPECT_EQ(UiService::Current().FileDialog(save), std::optional<std::string>("/tmp/x.cgi"));
    EXPECT_EQ(UiService::Current().ChooseColor(nullptr, 0xFF), std::optional<COLORREF>(0x123456));
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[0].text, "q1");
    EXPECT_EQ(ui.Boxes()[0].buttons, MB_YESNO);
    EXPECT_EQ(ui.Boxes()[0].icon, MB_ICONQUESTION);
    EXPECT_EQ(ui.ColorDialogs(), std::vector<COLORREF>{0xFF});
}

TEST(UiService, UnexpectedBoxFailsTheTest)
{
    ScriptedUi ui;
    EXPECT_NONFATAL_FAILURE(MessageBox(nullptr, "surprise", "Error", MB_OK), "surprise");
}

} // namespace
