#include "editor/CKESTRIX_2Doc.h"

#include "editor/CConvertedSaveConfirm.h"
#include "editor/CDocRecovery.h"
#include "editor/CDocVersions.h"
#include "editor/CEditUndoRecord.h"
#include "editor/CKESTRIX_2View.h"
#include "editor/CLineReader.h"
#include "editor/CSyntaxColorizer.h"
#include "platform/file/AtomicFileWriter.h"
#include "platform/file/FileErrorText.h"
#include "platform/richedit/ByteIndex.h"
#include "platform/text/Nkf.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr UINT ID_SYNTAX_CHECK = 32791;

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// A path as the user reads it in a message.
std::string Shown(const std::string& path)
{
    return sjis::FromUtf8(path);
}

// Reads a whole file; false with errno's value in error when it cannot.
bool ReadWholeFile(const std::string& path, std::string& bytes, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = EISDIR;
        return false;
    }
    bytes.clear();
    if (st.st_size > 0)
        bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            ::close(fd);
            return false;
        }
        bytes.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return true;
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    return std::filesystem::absolute(a, ec).lexically_normal() ==
           std::filesystem::absolute(b, ec).lexically_normal();
}

// The positions a Shift-JIS file takes in the control: its bytes, less the
// CR of each CR LF (a line break is one position) and the final line feed
// (the last line's break is no position of the text).
std::size_t ControlLength(std::string_view bytes)
{
    std::size_t length = bytes.size();
    for (std::size_t at = bytes.find("\r\n"); at != std::string_view::npos; at = bytes.find("\r\n", at + 2))
        --length;
    if (!bytes.empty() && bytes.back() == '\n')
        --length;
    return length;
}

bool HasLoneCr(std::string_view bytes)
{
    for (std::size_t at = bytes.find('\r'); at != std::string_view::npos; at = bytes.find('\r', at + 1))
        if (at + 1 >= bytes.size() || bytes[at + 1] != '\n')
            return true;
    return false;
}

std::string LoneCrsAsLineFeeds(std::string_view bytes)
{
    std::string out(bytes);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i] == '\r' && (i + 1 >= out.size() || out[i + 1] != '\n'))
            out[i] = '\n';
    return out;
}

} // namespace

CKESTRIX_2Doc::CKESTRIX_2Doc(EditorContext& context)
    : context_(context), recovery_(std::make_unique<CDocRecovery>([this] {
          RecoveryRecord record;
          const CKESTRIX_2View* view = View();
          record.path = GetPathName().empty() ? storedPath_ : GetPathName();
          record.title = GetTitle();
          record.kind = rtf_ ? "rtf" : "plain";
          record.readOnly = view && view->isReadOnly();
          record.body = rtf_ && view ? view->StreamOut(StreamFormat::Rtf) : PlainText();
          return record;
      }))
{
}

CKESTRIX_2Doc::~CKESTRIX_2Doc() = default;

CKESTRIX_2View* CKESTRIX_2Doc::View() const
{
    return dynamic_cast<CKESTRIX_2View*>(FirstView());
}

bool CKESTRIX_2Doc::IsModified() const
{
    if (const CKESTRIX_2View* view = View())
        return view->GetModify();
    return modified_;
}

void CKESTRIX_2Doc::SetModifiedFlag(bool modified)
{
    modified_ = modified;
    if (CKESTRIX_2View* view = View())
        view->SetModify(modified);
}

bool CKESTRIX_2Doc::OnNewDocument()
{
    ForgetFile();
    const bool ok = CDocument::OnNewDocument();
    if (CKESTRIX_2View* view = View())
        recovery_->Watch(view->document());
    recovery_->InStep({});
    return ok;
}

bool CKESTRIX_2Doc::Opened(const std::string& path)
{
    const bool ok = CDocument::OnOpenDocument(path);
    if (CKESTRIX_2View* view = View()) {
        // The text read replaces the whole text: an edit made before it
        // (a version restored over typing) is no edit of this text, and
        // taking it back would damage it.
        view->UndoRecord().Clear();
        recovery_->Watch(view->document());
    }
    recovery_->InStep(path);
    return ok;
}

void CKESTRIX_2Doc::OnCloseDocument()
{
    recovery_->Closed();
    CDocument::OnCloseDocument();
}

bool CKESTRIX_2Doc::RestoreRecovered(const std::string& file, const std::string& originalPath)
{
    if (!OnOpenDocument(file))
        return false;
    recovery_->InStep(originalPath);
    if (originalPath.empty()) {
        storedPath_.clear();
    } else {
        storedPath_ = originalPath;
        if (!damagedPath_.empty())
            damagedPath_ = originalPath;
        SetPathName(originalPath, false);
    }
    SetModifiedFlag(true);
    UpdateFrameTitles();
    recovery_->Changed();
    // The project tree lists the subs of the text now shown, not of the
    // file it scanned.
    if (CKESTRIX_2View* view = View())
        context_.hooks.RescanSubs(view, view->FrameTitle());
    return true;
}

bool CKESTRIX_2Doc::RestoreVersion(const std::string& versionFile)
{
    // A copy: reading the version points storedPath_ at its file for a while.
    const std::string script = storedPath_.empty() ? GetPathName() : storedPath_;
    CKESTRIX_2View* view = View();
    if (script.empty() || !view)
        return false;
    // A version the editor refuses (too large) has emptied the control by
    // then: the text it held comes back, with its modified mark.
    const std::string shown = view->StreamOut(StreamFormat::Rtf);
    const bool modified = IsModified();
    if (RestoreRecovered(versionFile, script))
        return true;
    view->StreamIn(StreamFormat::Rtf, shown);
    SetModifiedFlag(modified);
    return false;
}

void CKESTRIX_2Doc::TakeLineBreaks(std::string_view bytes)
{
    // A file keeps the line break it uses. A file that mixes them is saved
    // with the one most of its lines end in (the first one met when there is
    // a tie): the control holds plain line breaks and cannot tell them apart.
    std::size_t crlf = 0, lf = 0, cr = 0;
    std::string first;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++crlf;
                ++i;
                if (first.empty())
                    first = "\r\n";
            } else {
                ++cr;
                if (first.empty())
                    first = "\r";
            }
        } else if (bytes[i] == '\n') {
            ++lf;
            if (first.empty())
                first = "\n";
        }
    }
    mixedBreaks_ = (crlf > 0) + (lf > 0) + (cr > 0) > 1;
    const std::size_t most = std::max({crlf, lf, cr});
    auto count = [&](const std::string& b) { return b == "\r\n" ? crlf : b == "\n" ? lf : cr; };
    if (first.empty())
        lineBreak_ = "\n";
    else if (count(first) == most)
        lineBreak_ = first;
    else
        lineBreak_ = crlf == most ? "\r\n" : lf == most ? "\n" : "\r";
}

void CKESTRIX_2Doc::ForgetFile()
{
    rtf_ = false;
    storedPath_.clear();
    damagedPath_.clear();
    lineBreak_ = "\n";
    finalBreak_ = false;
    mixedBreaks_ = false;
}

bool CKESTRIX_2Doc::Write(const std::string& path, std::string_view bytes) const
{
    // A unique temporary file beside the script; a link keeps pointing at the
    // script it names, and the script keeps its permissions and owner.
    const int error = AtomicFileWriter::Write(path, bytes, AtomicFileWriter::Options{});
    if (error == 0)
        return true;
    MessageBox(View(), Shown(path) + "\n" + J("に保存できませんでした。") + "\n" + FileErrorText::Of(error),
               "Error", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CKESTRIX_2Doc::Refuse(const std::string& path, const char* utf8Reason) const
{
    MessageBox(View(), J(utf8Reason) + "\n" + Shown(path), J("通知"), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CKESTRIX_2Doc::OnOpenDocument(const std::string& path)
{
    CKESTRIX_2View* view = View();
    if (!view)
        return false;
    CSyntaxColorizer& engine = context_.colorizer;
    engine.SetColors(view->CommandColor(), view->CommentColor());
    const CharFormat& font = view->EditorFormat();
    engine.SetFont(font.face, font.heightTwips, font.charSet);

    std::string bytes;
    int error = 0;
    if (!ReadWholeFile(path, bytes, error)) {
        MessageBox(view, Shown(path) + "\n" + J("を開けません。") + "\n" + FileErrorText::Of(error), "Error",
                   MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (bytes.find('\0') != std::string::npos)
        return Refuse(path, "バイナリファイルは開けません。");
    const long limit = CKESTRIX_2View::kTextLimit;
    const char* tooLarge = "ファイルが大きすぎるため開けません (1,048,576 バイトまで開けます)。";

    const std::string_view firstLine = std::string_view(bytes).substr(0, bytes.find('\n'));
    if (firstLine.find("{\\rtf") != std::string_view::npos) {
        view->StreamIn(StreamFormat::Rtf, bytes);
        engine.BuildFromControl(*view);
        if (view->GetTextLength() > limit) {
            view->StreamIn(StreamFormat::Text, std::string_view());
            return Refuse(path, tooLarge);
        }
        ForgetFile();
        rtf_ = true;
        storedPath_ = path;
        return Opened(path);
    }

    // The control makes a line break of a lone CR as of a line feed, but the
    // engine reads lines up to line feeds only: a lone CR is made a line feed
    // before the engine sees it (the saved file gets its CRs back).
    std::string lines;
    std::string_view source = bytes;
    if (HasLoneCr(bytes)) {
        lines = LoneCrsAsLineFeeds(bytes);
        source = lines;
    }

    // EUC-JP and JIS files are shown converted to Shift-JIS by the engine.
    const bool converted = CSyntaxColorizer::NeedsConversion(bytes);
    if (!converted && ControlLength(source) > std::size_t(limit))
        return Refuse(path, tooLarge);
    // Bytes Shift-JIS does not define show as "?" and would be lost on
    // saving; characters with two codes come back with their usual one.
    const bool damaged = !converted && !sjis::IsValid(bytes);
    const bool recoded = !converted && !damaged && ByteIndex::Encode(ByteIndex::Decode(bytes)) != bytes;

    CLineReader reader(source);
    engine.BuildFromPlainText(*view, reader, converted);
    if (view->GetTextLength() > limit) {
        view->StreamIn(StreamFormat::Text, std::string_view());
        return Refuse(path, tooLarge);
    }
    TakeLineBreaks(bytes);
    // Only a last line break is left out of the control's text (a file read
    // line by line has no empty line after it).
    finalBreak_ = !source.empty() && source.back() == '\n';
    rtf_ = false;
    storedPath_ = path;
    damagedPath_.clear();
    view->setReadOnly(damaged);

    if (converted) {
        const bool jis = NkfDetect(bytes) == NkfInput::Jis;
        MessageBox(
            view,
            J(jis ? "このファイルは JIS (ISO-2022-JP) で書かれています。Shift-JIS に変換して表示します。"
                    "保存すると Shift-JIS で書き込まれます。"
                  : "このファイルは EUC-JP で書かれています。Shift-JIS に変換して表示します。"
                    "保存すると Shift-JIS で書き込まれます。"),
            J("通知"), MB_OK | MB_ICONINFORMATION);
    } else if (damaged) {
        damagedPath_ = path;
        MessageBox(
            view,
            J("このファイルは Shift-JIS "
              "として正しくない文字を含んでいます。正しくない文字は「?」と表示されます。"
              "元のファイルを壊さないよう、読み取り専用で開きます。別の名前で保存すると編集できます。"),
            J("通知"), MB_OK | MB_ICONEXCLAMATION);
    } else if (recoded) {
        MessageBox(view,
                   J("このファイルには、同じ文字に二つのコードがある文字 (NEC 選定 IBM 拡張文字など) "
                     "が含まれています。"
                     "保存すると、それらの文字は標準のコードで書き込まれます。"),
                   J("通知"), MB_OK | MB_ICONINFORMATION);
    }
    if (mixedBreaks_) {
        // The control holds plain line breaks: which break each line had is
        // not kept, and the user is told before saving can change it.
        const char* name = lineBreak_ == "\r\n" ? "CR+LF" : lineBreak_ == "\r" ? "CR" : "LF";
        MessageBox(view,
                   J("このファイルには異なる改行コードが混在しています。保存すると、すべての改行が ") + name +
                       J(" に統一されます。"),
                   J("通知"), MB_OK | MB_ICONINFORMATION);
    }
    return Opened(path);
}

std::string CKESTRIX_2Doc::PlainText() const
{
    const CKESTRIX_2View* view = View();
    const std::string text = view ? view->GetTextRange(0, -1) : std::string();
    std::string out;
    if (lineBreak_ == "\r") {
        out = text;
    } else {
        out.reserve(text.size() + text.size() / 16 + 2);
        for (char c : text) {
            if (c == '\r')
                out += lineBreak_;
            else
                out += c;
        }
    }
    if (finalBreak_)
        out += lineBreak_;
    return out;
}

bool CKESTRIX_2Doc::RefuseDamagedTarget(const std::string& target) const
{
    if (damagedPath_.empty() || !SameFile(target, damagedPath_))
        return false;
    MessageBox(View(),
               J("このファイルは Shift-JIS として正しくない文字を含んでいるため、上書き保存できません。"
                 "別の名前で保存してください。"),
               J("通知"), MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool CKESTRIX_2Doc::OnSaveDocument(const std::string& path)
{
    CKESTRIX_2View* view = View();
    if (!view)
        return false;
    std::string target = path.empty() ? storedPath_ : path;
    if (target.empty())
        target = GetPathName();
    if (target.empty())
        return false;
    if (RefuseDamagedTarget(target))
        return false;
    const std::optional<std::string> replaced = CDocVersions::Capture(target);
    if (!Write(target, rtf_ ? view->StreamOut(StreamFormat::Rtf) : PlainText()))
        return false;
    CDocVersions::Keep(target, replaced);
    storedPath_ = target;
    if (!damagedPath_.empty()) {
        // The new file holds exactly what is shown: it may be edited.
        damagedPath_.clear();
        view->setReadOnly(false);
    }
    SetModifiedFlag(false);
    recovery_->InStep(target);
    return true;
}

bool CKESTRIX_2Doc::SaveConverted(int kind, const std::string& path)
{
    CKESTRIX_2View* view = View();
    if (!view || path.empty())
        return false;
    if (RefuseDamagedTarget(path))
        return false;
    // The converter's options by code: NkfCode's order, which is also kind's.
    static constexpr const char* kOptions[] = {"s", "j", "e"};
    std::string text = PlainText();
    // What the copy would lose, and a charset it would declare wrongly, are
    // asked about first.
    if (!CConvertedSaveConfirm::Confirm(view, text, static_cast<NkfCode>(std::clamp(kind, 0, 2))))
        return false;
    // The option is set as the converter has always been driven; the text
    // itself is the editor's, so it is converted as Shift-JIS rather than
    // guessed (a text of nothing but half-width katakana also reads as
    // EUC-JP kanji).
    const NkfCode previous = NkfOutputCode();
    SetNkfOption(kOptions[std::clamp(kind, 0, 2)]);
    const std::string converted = NkfConvertFrom(text, NkfInput::ShiftJis, NkfOutputCode());
    SetNkfOption(kOptions[int(previous)]);
    return Write(path, converted);
}

bool CKESTRIX_2Doc::OnCommand(UINT id)
{
    if (id == ID_SYNTAX_CHECK) {
        if (storedPath_.empty()) {
            MessageBox(View(),
                       J("構文チェックはファイルに保存したスクリプトで行います。先に保存してください。"),
                       J("通知"), MB_OK | MB_ICONINFORMATION);
            return true;
        }
        context_.hooks.ExecuteFile("", storedPath_);
        return true;
    }
    return CDocument::OnCommand(id);
}
