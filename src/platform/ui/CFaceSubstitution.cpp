#include "platform/ui/CFaceSubstitution.h"

#include "platform/text/Sjis.h"

#include <QFont>
#include <QFontDatabase>
#include <array>
#include <mutex>

namespace {

enum class Kind { Mincho, Gothic };

struct WellKnownFace {
    const char* utf8;
    Kind kind;
    bool proportional;
};

// The Japanese faces Windows installs, under the names settings and RTF
// files use for them (full-width and half-width spellings alike).
constexpr std::array kWellKnown = {
    WellKnownFace{"ＭＳ　明朝", Kind::Mincho, false},
    WellKnownFace{"ＭＳ 明朝", Kind::Mincho, false},
    WellKnownFace{"MS Mincho", Kind::Mincho, false},
    WellKnownFace{"ＭＳ　Ｐ明朝", Kind::Mincho, true},
    WellKnownFace{"ＭＳ Ｐ明朝", Kind::Mincho, true},
    WellKnownFace{"MS PMincho", Kind::Mincho, true},
    WellKnownFace{"ＭＳ　ゴシック", Kind::Gothic, false},
    WellKnownFace{"ＭＳ ゴシック", Kind::Gothic, false},
    WellKnownFace{"MS Gothic", Kind::Gothic, false},
    WellKnownFace{"ＭＳ　Ｐゴシック", Kind::Gothic, true},
    WellKnownFace{"ＭＳ Ｐゴシック", Kind::Gothic, true},
    WellKnownFace{"MS PGothic", Kind::Gothic, true},
    WellKnownFace{"MS UI Gothic", Kind::Gothic, true},
    WellKnownFace{"メイリオ", Kind::Gothic, true},
    WellKnownFace{"Meiryo", Kind::Gothic, true},
    WellKnownFace{"游明朝", Kind::Mincho, true},
    WellKnownFace{"Yu Mincho", Kind::Mincho, true},
    WellKnownFace{"游ゴシック", Kind::Gothic, true},
    WellKnownFace{"Yu Gothic", Kind::Gothic, true},
};

// Installed Japanese families in the order they are preferred for a kind.
QStringList Candidates(Kind kind, bool proportional)
{
    if (kind == Kind::Mincho)
        return proportional ? QStringList{"IPAPMincho",    "IPAMincho",  "IPAexMincho", "Noto Serif CJK JP",
                                          "Noto Serif JP", "IPAPGothic", "IPAGothic"}
                            : QStringList{"IPAMincho",     "IPAexMincho", "IPAPMincho", "Noto Serif CJK JP",
                                          "Noto Serif JP", "IPAGothic",   "IPAPGothic"};
    return proportional
               ? QStringList{"IPAPGothic", "IPAGothic", "IPAexGothic", "Noto Sans CJK JP", "Noto Sans JP",
                             "VL PGothic", "VL Gothic", "IPAPMincho",  "IPAMincho"}
               : QStringList{"IPAGothic",        "IPAexGothic", "IPAPGothic", "Noto Sans Mono CJK JP",
                             "Noto Sans CJK JP", "VL Gothic",   "IPAMincho",  "IPAPMincho"};
}

const WellKnownFace* Find(const QString& face)
{
    for (const WellKnownFace& known : kWellKnown)
        if (face.compare(QString::fromUtf8(known.utf8), Qt::CaseInsensitive) == 0)
            return &known;
    return nullptr;
}

} // namespace

QString CFaceSubstitution::FamilyFor(const QString& face, const QStringList& installed)
{
    if (face.isEmpty())
        return {};
    for (const QString& family : installed)
        if (family.compare(face, Qt::CaseInsensitive) == 0)
            return family;
    const WellKnownFace* known = Find(face);
    if (!known)
        return {};
    for (const QString& candidate : Candidates(known->kind, known->proportional))
        for (const QString& family : installed)
            if (family.compare(candidate, Qt::CaseInsensitive) == 0)
                return family;
    return {};
}

QString CFaceSubstitution::InstalledFamilyFor(const std::string& face)
{
    return FamilyFor(sjis::ToUnicode(face), QFontDatabase::families());
}

void CFaceSubstitution::InstallSubstitutions(const std::string& face)
{
    const QStringList installed = QFontDatabase::families();
    QStringList faces;
    for (const WellKnownFace& known : kWellKnown)
        faces << QString::fromUtf8(known.utf8);
    if (!face.empty())
        faces << sjis::ToUnicode(face);
    for (const QString& name : faces) {
        const QString family = FamilyFor(name, installed);
        if (family.isEmpty() || family.compare(name, Qt::CaseInsensitive) == 0)
            continue; // not drawable here, or installed under its own name
        if (!QFont::substitutes(name).contains(family))
            QFont::insertSubstitution(name, family);
    }
}

QFont CFaceSubstitution::Font(const QString& face, qreal pointSize)
{
    static std::once_flag installed;
    std::call_once(installed, [] { InstallSubstitutions(); });
    QFont font(face);
    font.setPointSizeF(pointSize);
    return font;
}
