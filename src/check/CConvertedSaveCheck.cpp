#include "check/CConvertedSaveCheck.h"

#include "platform/text/Iconv.h"
#include "platform/text/Sjis.h"

#include <QRegularExpression>
#include <algorithm>
#include <unordered_map>

namespace {

bool IsHalfWidthKatakana(unsigned char c)
{
    return c >= 0xA1 && c <= 0xDF;
}

// Whether one character survives: converted, read back strictly, converted
// back to Shift-JIS, the same character.
bool Survives(std::string_view ch, NkfCode to)
{
    const std::string converted = NkfConvertFrom(ch, NkfInput::ShiftJis, to);
    Iconv strict("UTF-8", to == NkfCode::Euc ? "EUC-JP" : "ISO-2022-JP");
    std::string unicode;
    if (!strict.ok() || !strict.Convert(converted, unicode))
        return false;
    // glibc passes an escape sequence ISO-2022-JP does not have (ESC ( I,
    // half-width katakana) through as text; a reader of the code does not.
    if (unicode.find('\x1b') != std::string::npos)
        return false;
    const std::string back =
        NkfConvertFrom(converted, to == NkfCode::Euc ? NkfInput::Euc : NkfInput::Jis, NkfCode::ShiftJis);
    return sjis::ToUnicode(back) == sjis::ToUnicode(ch);
}

std::string Canonical(std::string name)
{
    std::string out;
    for (const char c : name)
        if (c != '-' && c != '_')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool Names(const std::string& declared, NkfCode code)
{
    const std::string n = Canonical(declared);
    switch (code) {
    case NkfCode::ShiftJis:
        return n == "shiftjis" || n == "sjis" || n == "xsjis" || n == "windows31j" || n == "cp932" ||
               n == "mskanji";
    case NkfCode::Euc: return n == "eucjp" || n == "xeucjp" || n == "cp51932" || n == "eucjpms";
    case NkfCode::Jis: return n == "iso2022jp" || n == "jis" || n == "csiso2022jp";
    }
    return false;
}

} // namespace

std::vector<LostCharacter> CConvertedSaveCheck::Lost(std::string_view sjis, NkfCode to)
{
    std::vector<LostCharacter> lost;
    if (to == NkfCode::ShiftJis)
        return lost;
    std::unordered_map<unsigned, bool> known;
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < sjis.size();) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c == '\n') {
            ++line;
            lineStart = ++i;
            continue;
        }
        if (c < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = sjis::CharLength(sjis, i);
        const std::string_view ch = sjis.substr(i, n);
        const unsigned code = n == 2 ? (c << 8 | static_cast<unsigned char>(sjis[i + 1])) : c;
        auto it = known.find(code);
        if (it == known.end())
            it = known.emplace(code, (n == 2 || IsHalfWidthKatakana(c)) && Survives(ch, to)).first;
        if (!it->second)
            lost.push_back({line, static_cast<int>(i - lineStart) + 1, std::string(ch)});
        i += n;
    }
    return lost;
}

std::vector<CharsetDeclaration> CConvertedSaveCheck::WrongDeclarations(std::string_view sjis, NkfCode to)
{
    static const QRegularExpression kCharset(QStringLiteral(R"(charset\s*=\s*["']?([A-Za-z0-9_\-]+))"),
                                             QRegularExpression::CaseInsensitiveOption);
    // The pattern runs on the bytes as Latin-1, so offsets stay byte offsets.
    const QString text = QString::fromLatin1(sjis.data(), static_cast<qsizetype>(sjis.size()));
    std::vector<CharsetDeclaration> wrong;
    auto matches = kCharset.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch m = matches.next();
        const std::string name = m.captured(1).toStdString();
        if (Names(name, to))
            continue;
        const auto offset = static_cast<std::size_t>(m.capturedStart(1));
        const int line = 1 + static_cast<int>(std::count(sjis.begin(), sjis.begin() + offset, '\n'));
        wrong.push_back({line, offset, name});
    }
    return wrong;
}

std::string CConvertedSaveCheck::WithDeclarations(std::string_view sjis, NkfCode to)
{
    std::string out(sjis);
    const auto wrong = WrongDeclarations(sjis, to);
    for (auto it = wrong.rbegin(); it != wrong.rend(); ++it)
        out.replace(it->offset, it->name.size(), CharsetName(to));
    return out;
}

std::string CConvertedSaveCheck::CharsetName(NkfCode to)
{
    switch (to) {
    case NkfCode::ShiftJis: return "Shift_JIS";
    case NkfCode::Euc: return "EUC-JP";
    case NkfCode::Jis: return "ISO-2022-JP";
    }
    return {};
}
