// Scripts on disk: what opening a file shows or refuses, and what saving
// writes: the same bytes back for an unchanged file, the file's own line
// breaks for an edited one, RTF for RTF, copies in other kanji codes that
// match the nkf command's, and a failed save that leaves the old file alone.
#include "EditorFixture.h"
#include "RecordingFileCalls.h"

#include "platform/text/Nkf.h"

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>

using namespace editortest;
namespace fs = std::filesystem;

namespace {

class EditorFile : public EditorFixture {
protected:
    // Opens bytes, saves them unchanged, and returns what was written.
    std::string RoundTrip(const std::string& name, const std::string& bytes)
    {
        CKESTRIX_2Doc* doc = OpenBytes(name, bytes);
        if (!doc)
            return "(not opened)";
        const bool saved = doc->DoFileSave();
        EXPECT_TRUE(saved) << name;
        const std::string written = ReadFileBytes(dir_.file(name));
        template_->CloseDocument(doc);
        return written;
    }
    // The text of the last message box, as UTF-8.
    std::string LastBox() const
    {
        return ui_.Boxes().empty() ? std::string() : ui_.Boxes().back().Utf8Text();
    }
};

TEST_F(EditorFile, AnUnchangedScriptIsSavedByteForByte)
{
    const std::string files[] = {
        J("#!/usr/bin/perl\nprint \"日本語ｶﾀｶﾅ\\n\"; # 表示\n\nsub a { return \"ソ\\\\\"; }\n"),
        J("print 1;\r\n# コメント\r\n\r\nexit;\r\n"),
        J("print 1;\nexit;"),
        J("print 1;\r\nexit;"),
        J("only one line"),
        J("\n"),
        J("\n\n\n"),
        J("a\n\n"),
        std::string(),
        J("ｱｲｳｴｵ kana only\n"),
        std::string("tab\there {brace} back\\slash \\par \\'82\n"),
    };
    int n = 0;
    for (const std::string& bytes : files) {
        const std::string name = "s" + std::to_string(n++) + ".cgi";
        EXPECT_EQ(RoundTrip(name, bytes), bytes) << U(bytes);
    }
}

TEST_F(EditorFile, AnEditedScriptKeepsItsLineBreaks)
{
    CKESTRIX_2Doc* crlf = OpenBytes("crlf.cgi", J("print 1;\r\nexit;\r\n"));
    CKESTRIX_2View* view = ViewOf(crlf);
    EXPECT_EQ(crlf->LineBreak(), "\r\n");
    Caret(view, view->LineLength(0));
    Key(view, Qt::Key_Return);
    Type(view, "# 日本");
    EXPECT_TRUE(crlf->IsModified());
    EXPECT_TRUE(crlf->DoFileSave());
    EXPECT_FALSE(crlf->IsModified());
    EXPECT_EQ(ReadFileBytes(dir_.file("crlf.cgi")), J("print 1;\r\n# 日本\r\nexit;\r\n"));

    CKESTRIX_2Doc* lf = OpenBytes("lf.cgi", "a\nb");
    view = ViewOf(lf);
    Caret(view, 1);
    Key(view, Qt::Key_Return);
    EXPECT_TRUE(lf->DoFileSave());
    EXPECT_EQ(ReadFileBytes(dir_.file("lf.cgi")), "a\n\nb");

    // A mixed file is saved with the break most of its lines use, and the
    // user is told so on opening it.
    ui_.AnswerBox(IDOK);
    CKESTRIX_2Doc* mixed = OpenBytes("mixed.cgi", "a\r\nb\nc\nd\r\ne\n");
    EXPECT_EQ(mixed->LineBreak(), "\n");
    EXPECT_EQ(
        LastBox(),
        "このファイルには異なる改行コードが混在しています。保存すると、すべての改行が LF に統一されます。");
    ui_.AnswerBox(IDOK);
    OpenBytes("mostly-crlf.cgi", "a\r\nb\r\nc\n");
    EXPECT_NE(LastBox().find("すべての改行が CR+LF に統一されます"), std::string::npos) << LastBox();
    const std::size_t boxes = ui_.Boxes().size();
    EXPECT_TRUE(mixed->DoFileSave());
    EXPECT_EQ(ReadFileBytes(dir_.file("mixed.cgi")), "a\nb\nc\nd\ne\n");
    // Old Macintosh files keep their CRs; a file of one kind of break is
    // opened without a word.
    EXPECT_EQ(RoundTrip("mac.cgi", "a\rb\r"), "a\rb\r");
    EXPECT_EQ(ui_.Boxes().size(), boxes);
}

TEST_F(EditorFile, ANewScriptIsSavedWithLineFeeds)
{
    CKESTRIX_2Doc* doc = New();
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_EQ(U(view->GetParentFrame()->GetWindowText()), "KESTRI1");
    Type(view, "print 1;");
    Key(view, Qt::Key_Return);
    Type(view, "# 日本");
    ui_.AnswerFile(dir_.file("new"));
    view->OnCommand(57603); // not the view's: nothing happens
    EXPECT_TRUE(ui_.FileDialogs().empty());
    doc->OnCommand(57603);
    ASSERT_EQ(ui_.FileDialogs().size(), 1u);
    EXPECT_EQ(U(ui_.FileDialogs()[0].initialName), "KESTRI1");
    EXPECT_EQ(ReadFileBytes(dir_.file("new.cgi")), J("print 1;\n# 日本"));
    EXPECT_EQ(doc->GetPathName(), dir_.file("new.cgi"));
    EXPECT_EQ(doc->StoredPath(), dir_.file("new.cgi"));
    EXPECT_FALSE(doc->IsModified());
    // The syntax check runs the file just saved.
    view->RunPopupCommand(32791);
    ASSERT_EQ(hooks_.executed.size(), 1u);
    EXPECT_EQ(hooks_.executed[0].text, dir_.file("new.cgi"));
    EXPECT_EQ(hooks_.executed[0].title, "");
}

TEST_F(EditorFile, SavingKeepsPermissionsAndSymbolicLinks)
{
    const std::string path = dir_.write("perm.cgi", "print 1;\n");
    ::chmod(path.c_str(), 0750);
    fs::create_symlink(path, dir_.file("link.cgi"));
    CKESTRIX_2Doc* doc = Open(dir_.file("link.cgi"));
    ASSERT_NE(doc, nullptr);
    Type(ViewOf(doc), "#");
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_TRUE(fs::is_symlink(dir_.file("link.cgi")));
    EXPECT_EQ(ReadFileBytes(path), "#print 1;\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    // Nothing is left beside the file.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_.path()))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST_F(EditorFile, AFailedSaveKeepsTheOldFileAndTheModifiedMark)
{
    const std::string original = J("print \"元\";\n");
    CKESTRIX_2Doc* doc = OpenBytes("keep.cgi", original);
    CKESTRIX_2View* view = ViewOf(doc);
    Type(view, "# ");

    // The folder to save in is a file.
    dir_.write("notafolder", "x");
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(doc->DoSave(dir_.file("notafolder/keep.cgi")));
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].Utf8Caption(), "Error");
    EXPECT_NE(LastBox().find("に保存できませんでした。"), std::string::npos) << LastBox();
    EXPECT_NE(LastBox().find("指定されたパスが見つかりません。"), std::string::npos) << LastBox();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), dir_.file("keep.cgi"));
    EXPECT_EQ(ReadFileBytes(dir_.file("notafolder")), "x");

    // The file has become a folder.
    fs::remove(dir_.file("keep.cgi"));
    fs::create_directory(dir_.file("keep.cgi"));
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_NE(LastBox().find("同じ名前のフォルダーがあります。"), std::string::npos) << LastBox();
    EXPECT_TRUE(fs::is_directory(dir_.file("keep.cgi")));
    EXPECT_TRUE(doc->IsModified());

    // The folder is gone.
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(doc->DoSave(dir_.file("gone/keep.cgi")));
    EXPECT_TRUE(doc->IsModified());

    // Saving where it can still works, and writes the edit.
    EXPECT_TRUE(doc->DoSave(dir_.file("other.cgi")));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(ReadFileBytes(dir_.file("other.cgi")), J("# print \"元\";\n"));
}

// Saving flushes the script to the disk before it replaces the old one, and
// flushes the rename with the folder; a save whose flush fails says so and
// keeps both the old file and the modified mark.
TEST_F(EditorFile, SavingFlushesTheScriptBeforeItReplacesTheOldOne)
{
    CKESTRIX_2Doc* doc = OpenBytes("flush.cgi", J("print 1;\n"));
    ASSERT_NE(doc, nullptr);
    Type(ViewOf(doc), "#");
    {
        RecordingFileCalls calls;
        EXPECT_TRUE(doc->DoFileSave());
        EXPECT_EQ(calls.ReplaceSteps(dir_.file("flush.cgi")),
                  (std::vector<std::string>{"write", "fsync", "rename", "fsync folder"}));
    }
    EXPECT_EQ(ReadFileBytes(dir_.file("flush.cgi")), "#print 1;\n");

    Type(ViewOf(doc), "#");
    {
        RecordingFileCalls calls;
        calls.FailNext("fsync", EIO);
        ui_.AnswerBox(IDOK);
        EXPECT_FALSE(doc->DoFileSave());
    }
    EXPECT_NE(LastBox().find("に保存できませんでした。"), std::string::npos) << LastBox();
    EXPECT_NE(LastBox().find("書き込みに失敗しました。"), std::string::npos) << LastBox();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ReadFileBytes(dir_.file("flush.cgi")), "#print 1;\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

TEST_F(EditorFile, AnRtfFileIsSavedAsRtf)
{
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
                            "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}\n"
                            "\\f0\\fs20 print \"\\'93\\'fa\\'96\\'7b\";\\par\n# note\\par\nexit;}";
    CKESTRIX_2Doc* doc = OpenBytes("doc.rtf", rtf);
    ASSERT_NE(doc, nullptr);
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_TRUE(doc->IsRtf());
    EXPECT_EQ(doc->StoredPath(), dir_.file("doc.rtf"));
    const std::string text = Text(view);
    EXPECT_NE(text.find("print \"日本\";"), std::string::npos) << text;
    EXPECT_NE(text.find("# note"), std::string::npos) << text;
    EXPECT_EQ(ColorAt(view, Find(view, "print")), kCommand);
    EXPECT_EQ(ColorAt(view, Find(view, "#")), kComment);
    Caret(view, 0);
    Type(view, "my $a; ");
    EXPECT_TRUE(doc->DoFileSave());
    const std::string saved = ReadFileBytes(dir_.file("doc.rtf"));
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved.substr(0, 40);
    const std::string edited = Text(view);
    template_->CloseDocument(doc);
    CKESTRIX_2Doc* again = Open(dir_.file("doc.rtf"));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->IsRtf());
    EXPECT_EQ(Text(ViewOf(again)), edited);
    // Saved under a new name, the syntax check reads that file at once.
    EXPECT_TRUE(again->DoSave(dir_.file("copy.rtf")));
    ViewOf(again)->RunPopupCommand(32791);
    ASSERT_EQ(hooks_.executed.size(), 1u);
    EXPECT_EQ(hooks_.executed[0].text, dir_.file("copy.rtf"));
}

TEST_F(EditorFile, ConvertedCopiesMatchTheNkfCommand)
{
    const std::string script = J("#!/usr/bin/perl\r\nprint \"日本語ｶﾀｶﾅ①\";  # 表示\r\nmy $s = '～－∥';\r\n");
    CKESTRIX_2Doc* doc = OpenBytes("conv.cgi", script);
    CKESTRIX_2View* view = ViewOf(doc);
    Caret(view, 0);
    Type(view, "#");
    ASSERT_TRUE(doc->IsModified());
    const std::string sjis = dir_.write("expected.sjis", "#" + script);
    struct Case {
        UINT command;
        const char* title;
        const char* nkf;
    };
    const Case cases[] = {
        {32784, "漢字コードをEUCに変換して保存", "-x -e"},
        {32786, "漢字コードをJISに変換して保存", "-x -j"},
        {32787, "漢字コードをSJISに変換して保存", "-x -s"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string target = dir_.file("out" + std::to_string(n++));
        ui_.AnswerFile(target);
        view->OnCommand(c.command);
        const FileDialogRequest& request = ui_.FileDialogs().back();
        EXPECT_EQ(request.kind, FileDialogKind::Save);
        EXPECT_EQ(U(request.title), c.title);
        EXPECT_EQ(request.filter, "CGI FILE (*.cgi) | *.cgi| PL FILE (*.pl)|*.pl||");
        EXPECT_EQ(request.defaultExtension, ".cgi");
        EXPECT_EQ(request.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR);
        EXPECT_EQ(U(request.initialName), "conv.cgi");
        EXPECT_EQ(request.initialFolder, dir_.path());
        const std::string expected = CommandOutput(std::string("nkf ") + c.nkf + " '" + sjis + "'");
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ReadFileBytes(target + ".cgi"), expected) << c.title;
    }
    // The document is still the same file, still modified.
    EXPECT_EQ(doc->GetPathName(), dir_.file("conv.cgi"));
    EXPECT_EQ(U(doc->GetTitle()), "conv.cgi");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ReadFileBytes(dir_.file("conv.cgi")), script);
    EXPECT_EQ(NkfOutputCode(), NkfCode::ShiftJis);
    // Cancelling the dialog writes nothing.
    ui_.AnswerFile(std::nullopt);
    view->OnCommand(32784);
    EXPECT_FALSE(fs::exists(dir_.file("out3.cgi")));
}

TEST_F(EditorFile, ConvertedCopiesOfEmptyAndLongScripts)
{
    CKESTRIX_2Doc* doc = New();
    CKESTRIX_2View* view = ViewOf(doc);
    ui_.AnswerFile(dir_.file("empty.pl"));
    view->OnCommand(32784);
    EXPECT_TRUE(fs::exists(dir_.file("empty.pl")));
    EXPECT_EQ(ReadFileBytes(dir_.file("empty.pl")), "");
    // Every line switches between kana and ASCII: JIS grows far beyond
    // twice the text with its escape sequences.
    std::string line;
    for (int i = 0; i < 200; ++i)
        line += J("あa");
    std::string script;
    for (int i = 0; i < 50; ++i)
        script += line + "\n";
    CKESTRIX_2Doc* big = OpenBytes("big.cgi", script);
    ui_.AnswerFile(dir_.file("big.jis"));
    ViewOf(big)->OnCommand(32786);
    const std::string expected = CommandOutput("nkf -x -j '" + dir_.file("big.cgi") + "'");
    EXPECT_GT(expected.size(), script.size() * 2);
    EXPECT_EQ(ReadFileBytes(dir_.file("big.jis")), expected);
}

TEST_F(EditorFile, AScriptOfHalfWidthKatakanaIsConvertedAsShiftJis)
{
    // Half-width katakana alone pair up into valid EUC-JP kanji; the
    // editor's text is Shift-JIS all the same, and is converted as such.
    const std::string script = J("print \"ｱｲｳｴ\";\n");
    CKESTRIX_2Doc* doc = OpenBytes("kana.cgi", script);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Text(ViewOf(doc)), "print \"ｱｲｳｴ\";");
    for (const auto& [id, name, expected] :
         {std::tuple{32784, "kana.euc", std::string("print \"\x8E\xB1\x8E\xB2\x8E\xB3\x8E\xB4\";\n")},
          std::tuple{32786, "kana.jis", std::string("print \"\x1B(I1234\x1B(B\";\n")},
          std::tuple{32787, "kana.sjis", script}}) {
        ui_.AnswerFile(dir_.file(name));
        ViewOf(doc)->OnCommand(id);
        EXPECT_EQ(ReadFileBytes(dir_.file(name)), expected) << name;
    }
}

TEST_F(EditorFile, AnEucOrJisFileOpensConvertedAndIsSavedAsShiftJis)
{
    const std::string text = J("print \"日本語のテキスト\"; # 表示\nexit;\n");
    const std::string euc = NkfConvertText(text, NkfCode::Euc);
    ASSERT_NE(euc, text);
    ui_.AnswerBox(IDOK);
    CKESTRIX_2Doc* doc = OpenBytes("euc.cgi", euc);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].Utf8Caption(), "通知");
    EXPECT_EQ(ui_.Boxes()[0].Utf8Text(),
              "このファイルは EUC-JP で書かれています。Shift-JIS に変換して表示します。"
              "保存すると Shift-JIS で書き込まれます。");
    EXPECT_EQ(Text(ViewOf(doc)), "print \"日本語のテキスト\"; # 表示\nexit;");
    EXPECT_EQ(ColorAt(ViewOf(doc), Find(ViewOf(doc), "#")), kComment);
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_EQ(ReadFileBytes(dir_.file("euc.cgi")), text);

    ui_.AnswerBox(IDOK);
    CKESTRIX_2Doc* jis = OpenBytes("jis.cgi", NkfConvertText(text, NkfCode::Jis));
    ASSERT_NE(jis, nullptr);
    EXPECT_NE(LastBox().find("JIS (ISO-2022-JP)"), std::string::npos) << LastBox();
    EXPECT_EQ(Text(ViewOf(jis)), "print \"日本語のテキスト\"; # 表示\nexit;");
}

TEST_F(EditorFile, EveryLineOfAnEucFileIsReadAsEucEvenALineOfHalfWidthKatakanaAlone)
{
    // Alone, the second line's bytes would read as Shift-JIS kanji; the file
    // as a whole is EUC-JP, and so is each of its lines.
    const std::string text = J("# 日本語のスクリプト\nprint \"ﾊﾝｶｸｶﾅ ｿﾌﾄ {ｶﾅ}\";\nexit;\n");
    const std::string euc = NkfConvertText(text, NkfCode::Euc);
    ASSERT_EQ(NkfDetect(euc), NkfInput::Euc);
    ui_.AnswerBox(IDOK);
    CKESTRIX_2Doc* doc = OpenBytes("kana-euc.cgi", euc);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Text(ViewOf(doc)), "# 日本語のスクリプト\nprint \"ﾊﾝｶｸｶﾅ ｿﾌﾄ {ｶﾅ}\";\nexit;");
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_EQ(ReadFileBytes(dir_.file("kana-euc.cgi")), text);
}

TEST_F(EditorFile, BinaryAndOversizedFilesAreRefused)
{
    ui_.AnswerBox(IDOK);
    EXPECT_EQ(OpenBytes("bin.cgi", std::string("print\0\x01\x02", 8)), nullptr);
    EXPECT_EQ(ui_.Boxes().back().Utf8Caption(), "通知");
    EXPECT_EQ(LastBox().rfind("バイナリファイルは開けません。", 0), 0u) << LastBox();
    EXPECT_TRUE(template_->Documents().empty());

    const long limit = CKESTRIX_2View::kTextLimit;
    std::string big;
    while (long(big.size()) < limit + 1)
        big += std::string(99, 'a') + "\n";
    big.resize(std::size_t(limit + 1));
    ui_.AnswerBox(IDOK);
    EXPECT_EQ(OpenBytes("big.cgi", big), nullptr);
    EXPECT_NE(LastBox().find("大きすぎる"), std::string::npos) << LastBox();
    EXPECT_TRUE(template_->Documents().empty());
    EXPECT_EQ(area_.subWindowList().size(), 0);

    // Exactly at the limit it opens whole, and CR LF counts as one position.
    big.resize(std::size_t(limit));
    CKESTRIX_2Doc* full = OpenBytes("full.cgi", big + "\n");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(ViewOf(full)->GetTextLength(), limit);
    std::string crlf;
    for (int i = 0; i < 10485; ++i)
        crlf += std::string(99, 'b') + "\r\n";
    ASSERT_GT(long(crlf.size()), limit);
    CKESTRIX_2Doc* lines = OpenBytes("crlf.cgi", crlf);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(ViewOf(lines)->GetTextLength(), 10485 * 100 - 1);
    // A file that cannot be read at all.
    ui_.AnswerBox(IDOK);
    EXPECT_EQ(Open(dir_.file("missing.cgi")), nullptr);
    EXPECT_EQ(ui_.Boxes().back().Utf8Caption(), "Error");
}

TEST_F(EditorFile, AFileWithBrokenShiftJisOpensReadOnlyAndIsNeverOverwritten)
{
    // 0x85 0x40 is no character of code page 932.
    const std::string bytes = J("print \"") + "\x85\x40" + J("日本\";\n");
    ui_.AnswerBox(IDOK);
    CKESTRIX_2Doc* doc = OpenBytes("broken.cgi", bytes);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(LastBox().rfind("このファイルは Shift-JIS として正しくない文字を含んでいます。", 0), 0u)
        << LastBox();
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_TRUE(view->isReadOnly());
    Type(view, "x");
    EXPECT_FALSE(doc->IsModified());
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_NE(LastBox().find("上書き保存できません"), std::string::npos) << LastBox();
    EXPECT_EQ(ReadFileBytes(dir_.file("broken.cgi")), bytes);
    // Nor do the converted saves write over it, whatever their code.
    for (UINT command : {32784u, 32786u, 32787u}) {
        ui_.AnswerFile(dir_.file("broken.cgi"));
        ui_.AnswerBox(IDOK);
        view->OnCommand(command);
        EXPECT_NE(LastBox().find("上書き保存できません"), std::string::npos) << command << LastBox();
        EXPECT_EQ(ReadFileBytes(dir_.file("broken.cgi")), bytes) << command;
    }
    // Saved under another name it holds what is shown, and may be edited.
    EXPECT_TRUE(doc->DoSave(dir_.file("fixed.cgi")));
    EXPECT_EQ(ReadFileBytes(dir_.file("fixed.cgi")), J("print \"?日本\";\n"));
    EXPECT_FALSE(view->isReadOnly());
    Type(view, "x");
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(EditorFile, CharactersWithTwoCodesAreAnnounced)
{
    // NEC row 13 "≒" (0x8790) is also JIS X 0208's 0x81E0.
    ui_.AnswerBox(IDOK);
    CKESTRIX_2Doc* doc = OpenBytes("two.cgi", "print \"\x87\x90\";\n");
    ASSERT_NE(doc, nullptr);
    EXPECT_NE(LastBox().find("標準のコードで書き込まれます"), std::string::npos) << LastBox();
    EXPECT_FALSE(ViewOf(doc)->isReadOnly());
}

} // namespace
