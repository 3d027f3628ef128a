#include "editor/CSyntaxColorizer.h"

#include "editor/CColorStreamReader.h"
#include "editor/CLineReader.h"
#include "editor/CommandTipWindow.h"
#include "platform/registry/SettingsStore.h"
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/shell/Shell.h"
#include "platform/text/Nkf.h"
#include "platform/ui/UiService.h"

#include <QWidget>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

// True when every byte above ASCII is a half-width katakana of Shift-JIS.
bool OnlyHalfWidthKana(std::string_view text)
{
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && (b < 0xA1 || b > 0xDF))
            return false;
    }
    return true;
}

} // namespace

CSyntaxColorizer::CSyntaxColorizer()
{
    // The control reads the streams this engine builds with the engine's own
    // reader, which gives back the script's bytes exactly.
    static std::once_flag registered;
    std::call_once(registered, [] { CRichEditCtrl::AddStreamReader(&CColorStreamReader::Read); });
}
CSyntaxColorizer::~CSyntaxColorizer() = default;

void CSyntaxColorizer::SetTipWindow(std::unique_ptr<CommandTipWindow> window)
{
    tipWindow_ = std::move(window);
}

bool CSyntaxColorizer::LoadCommandData(QWidget* parentFrame)
{
    // The tooltip window comes first: without it there is nothing to load for.
    if (tipWindow_ && !tipWindow_->Create(parentFrame))
        return false;

    settings::ReadTipFlag(tipSwitch_);

    std::string path;
    DWORD needed = SearchPathA(nullptr, "keydata", ".dat", 0, nullptr, nullptr);
    if (needed != 0) {
        std::vector<char> buffer(needed, '\0');
        DWORD length = SearchPathA(nullptr, "keydata", ".dat", needed, buffer.data(), nullptr);
        if (length != 0 && length < needed)
            path.assign(buffer.data(), length);
    }
    return LoadCommandFile(path);
}

bool CSyntaxColorizer::LoadCommandFile(const std::string& path)
{
    std::ifstream file;
    if (!path.empty())
        file.open(path, std::ios::binary);
    if (!file.is_open()) {
        MessageBox(nullptr, path, "Error", MB_OK);
        return false;
    }
    file.seekg(0, std::ios::end);
    std::streamoff length = file.tellg();
    if (length <= 0)
        return false;
    file.seekg(0, std::ios::beg);
    std::string data(std::size_t(length), '\0');
    if (!file.read(data.data(), length))
        return false;

    std::string key;
    std::string value;
    std::string* target = &key;
    for (char c : data) {
        if (c == '\0')
            break; // a NUL ends the data
        if (c == '/') {
            commands_.insert_or_assign(key, value);
            key.clear();
            value.clear();
            target = &key;
        } else if (c == '=') {
            target = &value;
        } else {
            *target += c;
        }
    }
    return true;
}

std::string CSyntaxColorizer::LookupCommand(const std::string& word) const
{
    auto it = commands_.find(word);
    return it == commands_.end() ? std::string() : it->second;
}

void CSyntaxColorizer::SetFont(const std::string& face, LONG heightTwips, BYTE charSet)
{
    font_.face = face;
    font_.halfPoints = int(heightTwips / 20) * 2;
    font_.charSet = charSet;
}

void CSyntaxColorizer::SetColors(COLORREF commandColor, COLORREF commentColor)
{
    font_.commandColor = commandColor;
    font_.commentColor = commentColor;
}

bool CSyntaxColorizer::NeedsConversion(std::string_view file)
{
    // A file whose only non-ASCII bytes are half-width katakana reads as
    // valid EUC too; scripts here are Shift-JIS, so it stays as it is.
    const NkfInput code = NkfDetect(file);
    return code == NkfInput::Jis || (code == NkfInput::Euc && !OnlyHalfWidthKana(file));
}

std::string CSyntaxColorizer::BuildStream(CLineReader& reader) const
{
    return BuildStream(reader, NeedsConversion(reader.Data()));
}

std::string CSyntaxColorizer::BuildStream(CLineReader& reader, bool convert) const
{
    CColorStreamBuilder builder(font_, commands_);
    // Twice the file's size holds most scripts; the stream grows when a file
    // of mostly double-byte text needs more.
    builder.Reserve(reader.Size() * 2 + 512);
    builder.AppendHeader();
    // Each line reaches the control as Shift-JIS whatever the file's code.
    // The code is judged on the whole file: a single line is too short to
    // judge (a Shift-JIS line of half-width katakana reads as valid EUC
    // kanji), and a Shift-JIS file needs no conversion at all.
    // Every line is read in the code judged for the file: a line of
    // half-width katakana alone would otherwise be judged anew, and as EUC
    // kanji or Shift-JIS katakana by chance.
    const NkfInput code = convert ? NkfDetect(reader.Data()) : NkfInput::ShiftJis;
    std::string line;
    while (reader.ReadString(line)) {
        if (!convert || code == NkfInput::ShiftJis || code == NkfInput::Ascii) {
            builder.AppendLine(line, CColorStreamBuilder::Paragraph::PlainText);
            continue;
        }
        builder.AppendLine(NkfConvertFrom(line, code, NkfCode::ShiftJis),
                           CColorStreamBuilder::Paragraph::PlainText);
    }
    builder.AppendEnd();
    return builder.Take();
}

bool CSyntaxColorizer::BuildFromPlainText(CRichEditCtrl& control, CLineReader& reader, bool convert) const
{
    const std::string stream = BuildStream(reader, convert);
    control.StreamIn(StreamFormat::Rtf, stream);
    return true;
}

bool CSyntaxColorizer::BuildFromControl(CRichEditCtrl& control) const
{
    const std::string text = control.StreamOut(StreamFormat::Text);
    CColorStreamBuilder builder(font_, commands_);
    builder.Reserve(text.size() * 2 + 512);
    builder.AppendHeader();
    // A CR ends a line and stays in it; the LF after it starts the next.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t cr = text.find('\r', start);
        std::size_t end = cr == std::string::npos ? text.size() : cr + 1;
        builder.AppendLine(std::string_view(text).substr(start, end - start),
                           CColorStreamBuilder::Paragraph::Recolored);
        start = end;
    }
    builder.AppendEnd();
    control.StreamIn(StreamFormat::Rtf, builder.Stream());
    return true;
}

void CSyntaxColorizer::ColorRange(CRichEditCtrl& control, long first, long last, COLORREF color) const
{
    control.HideSelection(true);
    control.SetSel(first, last);
    CharFormat format;
    format.mask = CFM_COLOR;
    format.color = color;
    control.SetCharFormat(CharFormatTarget::Selection, format);
    control.SetSel(-1, 1);
    control.HideSelection(false);
    control.EmptyUndoBuffer();
}

void CSyntaxColorizer::ColorWords(CRichEditCtrl& control, long first, long last, long caret)
{
    if (last <= first)
        return;
    const std::string text = control.GetTextRange(first, last);
    if (text.empty() || CWordScanner::IsShebang(text))
        return;
    bool tipPending = false;
    CWordScanner::Scan(text, commands_, [&](const ScanHit& hit) {
        const long at = first + long(hit.offset);
        if (hit.kind == ScanHit::Kind::Comment) {
            ColorRange(control, at, first + long(text.size()), font_.commentColor);
            return;
        }
        ColorRange(control, at, at + long(hit.length), font_.commandColor);
        if (caret != -1 && at + long(hit.length) == caret && tipWindow_) {
            tipWindow_->SetTipText(*hit.tip);
            tipPending = true;
        }
    });
    if (!tipPending || tipSwitch_ != 1)
        return;
    // The tip goes just below the end of the range, and the editor keeps the
    // keyboard.
    const int height = tipWindow_->CurrentTipHeight(&control);
    const QPoint client = control.PosFromChar(last);
    const QPoint screen = control.viewport()->mapToGlobal(client);
    tipWindow_->HideTip();
    tipWindow_->ShowAt(QPoint(screen.x(), screen.y() + height));
    if (QWidget* top = control.window())
        top->activateWindow();
}

void CSyntaxColorizer::ColorLines(CRichEditCtrl& control, long first, long last)
{
    ColorRange(control, first, last, kDefaultColor);
    const long lastLine = control.LineFromChar(last);
    for (long line = control.LineFromChar(first); line <= lastLine; ++line) {
        const long start = control.LineIndex(line);
        ColorWords(control, start, start + control.LineLength(start), -1);
    }
}

bool CSyntaxColorizer::RecolorCaretLine(CRichEditCtrl* control, int key)
{
    if (!control)
        return false;
    if (tipWindow_ && tipWindow_->IsShown())
        tipWindow_->HideTip();
    long s = 0, e = 0;
    control->GetSel(s, e);
    const long lineStart = control->LineIndex(-1);
    const long lineLength = control->LineLength(lineStart);
    const long line = control->LineFromChar(lineStart);
    long start = lineStart;
    if (key == 13 && line > 0) {
        // Enter split a line: unless the split line ends in a comment, it is
        // recoloured too (its end may have been a command word). The caret
        // just before the break reads the format of the line's last
        // character (a break is one position).
        const long probe = std::max(0L, lineStart - 1);
        control->SetSel(probe, probe);
        const CharFormat format = control->GetCharFormat();
        const bool commentColored = (format.mask & CFM_COLOR) && !(format.effects & CFE_AUTOCOLOR) &&
                                    format.color == font_.commentColor;
        if (!commentColored && lineStart == s)
            start = control->LineIndex(line - 1);
    }
    ColorRange(*control, start, lineStart + lineLength, kDefaultColor);
    ColorWords(*control, start, lineStart + lineLength, s);
    control->SetSel(s, e);
    CharFormat format;
    format.mask = CFM_COLOR;
    format.color = kDefaultColor;
    control->SetCharFormat(CharFormatTarget::Selection, format);
    return true;
}
