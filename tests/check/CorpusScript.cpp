#include "CorpusScript.h"

#include "TempDir.h"
#include "platform/text/Sjis.h"

#include <QProcess>
#include <cstdio>
#include <stdexcept>

namespace {

HazardContext ContextOf(char letter)
{
    switch (letter) {
    case 'D': return HazardContext::DoubleQuoted;
    case 'H': return HazardContext::HereDocument;
    case 'R': return HazardContext::Regex;
    case 'C': return HazardContext::CharacterClass;
    case 'S': return HazardContext::SingleQuoted;
    case 'T': return HazardContext::Transliteration;
    }
    throw std::runtime_error(std::string("unknown context letter ") + letter);
}

} // namespace

CorpusScript CorpusScript::FromTemplate(const std::string& utf8)
{
    static const std::string kOpen = "⟪", kClose = "⟫";
    CorpusScript s;
    std::size_t at = 0;
    while (true) {
        const std::size_t open = utf8.find(kOpen, at);
        const std::string before = sjis::FromUtf8(utf8.substr(at, open - at));
        s.plain += before;
        s.escaped += before;
        if (open == std::string::npos)
            break;
        const std::size_t bar = utf8.find('|', open);
        const std::size_t close = utf8.find(kClose, open);
        const std::string ch = sjis::FromUtf8(utf8.substr(open + kOpen.size(), bar - open - kOpen.size()));
        s.marks.push_back({s.plain.size(), ContextOf(utf8[bar + 1])});
        s.plain += ch;
        if (ch.size() == 2 && ch[1] == '\\') {
            s.escaped += ch + "\\";
        } else {
            for (const char c : ch) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
                s.escaped += buf;
            }
        }
        at = close + kClose.size();
    }
    return s;
}

CorpusScript CorpusScript::Load(const std::string& name)
{
    return FromTemplate(ReadFileBytes(std::string(KESTRIX_SOURCE_DIR) + "/tests/check/scripts/" + name));
}

std::string RunPerl(const std::string& script)
{
    TempDir dir("kestrix-perl");
    const std::string path = dir.write("fragment.pl", script);
    QProcess perl;
    perl.start("/usr/bin/perl", {QString::fromStdString(path)});
    perl.waitForFinished(30000);
    return perl.readAllStandardOutput().toStdString();
}
