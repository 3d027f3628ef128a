#include "check/CSjisHazardText.h"

#include "platform/text/Sjis.h"

#include <cstdio>

namespace {

std::string Char(const SjisHazard& h)
{
    return "「" + sjis::ToUtf8(h.character) + "」";
}

std::string TrailByte(const SjisHazard& h)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%02X (%c)", static_cast<unsigned char>(h.character[1]), h.character[1]);
    return buf;
}

} // namespace

std::string CSjisHazardText::ContextName(HazardContext context)
{
    switch (context) {
    case HazardContext::DoubleQuoted: return "ダブルクォート文字列";
    case HazardContext::HereDocument: return "ヒアドキュメント";
    case HazardContext::Regex: return "正規表現";
    case HazardContext::CharacterClass: return "文字クラス";
    case HazardContext::SingleQuoted: return "シングルクォート文字列";
    case HazardContext::Transliteration: return "文字の置き換え (tr)";
    }
    return {};
}

std::string CSjisHazardText::Problem(const SjisHazard& h)
{
    const std::string head =
        Char(h) + "の 2 バイト目 " + TrailByte(h) + " は、" + ContextName(h.context) + "の中で";
    switch (h.kind) {
    case HazardKind::Backslash:
        if (h.context == HazardContext::SingleQuoted)
            return head + "後ろの区切り文字をエスケープし、文字列が閉じません。";
        return head + "次のバイトをエスケープします。文字が化けるか、文字列が閉じません。";
    case HazardKind::ArrayInterpolation: return head + "後ろの名前と合わせて配列として展開されます。";
    case HazardKind::RegexMetacharacter: return head + "メタ文字として働きます。";
    case HazardKind::Delimiter: return head + "区切り文字と同じなので、そこで文字列が終わります。";
    }
    return head;
}

std::string CSjisHazardText::Fix(const SjisHazard& h)
{
    if (!h.HasFix())
        return "区切り文字を別の文字に変えてください。";
    if (h.kind == HazardKind::Backslash)
        return Char(h) + "の後に \\ を書きます (" + sjis::ToUtf8(h.character) + "\\)。";
    return Char(h) + "を " + h.fixText + " と書きます。";
}

std::string CSjisHazardText::ListLine(const SjisHazard& h, const std::string& fileName)
{
    return "Shift-JIS: " + Problem(h) + " " + Fix(h) + " at " + fileName + " line " + std::to_string(h.line) +
           ", column " + std::to_string(h.column) + ".";
}
