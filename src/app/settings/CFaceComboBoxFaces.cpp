#include "app/settings/CFaceComboBoxFaces.h"

#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"

#include <QFontDatabase>
#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace {

constexpr BYTE kFixedPitch = 0x01;
constexpr BYTE kVariablePitch = 0x02;
constexpr BYTE kRoman = 0x10;
constexpr BYTE kSwiss = 0x20;
constexpr BYTE kModern = 0x30;

// A Windows Japanese face that Linux desktops rarely have: whether it is a
// Mincho (serif) or a Gothic (sans) face and whether its kana and Latin
// letters are proportional, which is what picks the family that stands in.
struct WellKnownFace {
    const char16_t* name;
    bool mincho;
    bool proportional;
};

// The faces offered in the list; "ＭＳ　明朝" is spelt as the settings store
// the default face, with an ideographic space.
constexpr std::array kListedFaces{
    WellKnownFace{u"ＭＳ　明朝", true, false},
    WellKnownFace{u"ＭＳ Ｐ明朝", true, true},
    WellKnownFace{u"ＭＳ ゴシック", false, false},
    WellKnownFace{u"ＭＳ Ｐゴシック", false, true},
};

bool HasAnyOf(const QString& name, std::initializer_list<const char16_t*> words)
{
    return std::any_of(words.begin(), words.end(), [&](const char16_t* word) {
        return name.contains(QString::fromUtf16(word), Qt::CaseInsensitive);
    });
}

// The installed Japanese family closest to a well-known face: the right
// style first (Mincho or Gothic), then the right spacing; among equals the
// first in the font database's order.
QString StandIn(const WellKnownFace& known, const std::vector<CFaceComboBoxFaces::Family>& families)
{
    static const QRegularExpression proportionalName(QStringLiteral(u"P ?(Gothic|Mincho|ゴシック|明朝)"));
    QString best;
    int bestScore = -1;
    for (const auto& family : families) {
        if (!family.japanese || family.name.startsWith(QLatin1Char('@')))
            continue;
        const bool mincho = HasAnyOf(family.name, {u"Mincho", u"明朝", u"Serif", u"Ming"});
        const bool gothic = HasAnyOf(family.name, {u"Gothic", u"ゴシック", u"Sans"});
        int score = 0;
        if (known.mincho ? mincho : gothic)
            score += 2;
        if (proportionalName.match(family.name).hasMatch() == known.proportional)
            score += 1;
        if (score > bestScore) {
            bestScore = score;
            best = family.name;
        }
    }
    return best;
}

const CFaceComboBoxFaces::Family* FindFamily(const QString& name,
                                             const std::vector<CFaceComboBoxFaces::Family>& families)
{
    for (const auto& family : families)
        if (family.name.compare(name, Qt::CaseInsensitive) == 0)
            return &family;
    return nullptr;
}

} // namespace

std::vector<CFaceComboBoxFaces::Family> CFaceComboBoxFaces::InstalledFamilies()
{
    std::vector<Family> families;
    for (const QString& name : QFontDatabase::families()) {
        Family family;
        family.name = name;
        family.japanese = QFontDatabase::writingSystems(name).contains(QFontDatabase::Japanese);
        family.scalable = QFontDatabase::isScalable(name);
        family.fixedPitch = QFontDatabase::isFixedPitch(name);
        families.push_back(family);
    }
    return families;
}

std::vector<CFaceComboBoxFaces::CFontItem> CFaceComboBoxFaces::Build(const std::vector<Family>& families)
{
    std::vector<std::pair<QString, CFontItem>> entries;
    for (const Family& family : families) {
        if (family.name.isEmpty() || family.name.startsWith(QLatin1Char('@')))
            continue;
        // A face the settings would store changed could never be selected
        // again: its name must survive code page 932 and fit the stored field.
        std::string face = sjis::FromUnicode(family.name);
        if (sjis::ToUnicode(face) != family.name || face.size() > settings::kMaxFaceBytes)
            continue;
        CFontItem item;
        item.face = std::move(face);
        item.family = family.name;
        item.script = family.japanese ? QStringLiteral("Japanese") : QStringLiteral("Western");
        item.charSet = family.japanese ? kShiftJisCharSet : kDefaultCharSet;
        item.pitchAndFamily = family.fixedPitch ? kFixedPitch : kVariablePitch;
        item.fontType = family.scalable ? kScalableFont : kBitmapFont;
        entries.emplace_back(family.name, std::move(item));
    }
    for (const WellKnownFace& known : kListedFaces) {
        const QString name = QString::fromUtf16(known.name);
        const QString family = StandIn(known, families);
        if (family.isEmpty())
            break; // no Japanese family at all
        const Family* drawn = FindFamily(family, families);
        CFontItem item;
        item.face = sjis::FromUnicode(name);
        item.family = family;
        item.script = QStringLiteral("Japanese");
        item.charSet = kShiftJisCharSet;
        item.pitchAndFamily = known.proportional ? BYTE(kVariablePitch | (known.mincho ? kRoman : kSwiss))
                                                 : BYTE(kFixedPitch | kModern);
        item.fontType = drawn && !drawn->scalable ? kBitmapFont : kScalableFont;
        entries.emplace_back(name, std::move(item));
    }
    // Installed faces come first, so an installed face keeps its own entry
    // when it has the same name as a well-known one.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return SortsBefore(a.first, b.first); });
    std::vector<CFontItem> items;
    QString previous;
    for (auto& [name, item] : entries) {
        if (!items.empty() && name == previous)
            continue;
        previous = name;
        items.push_back(std::move(item));
    }
    return items;
}

const std::vector<CFaceComboBoxFaces::CFontItem>& CFaceComboBoxFaces::Installed()
{
    static const std::vector<CFontItem> items = Build(InstalledFamilies());
    return items;
}

bool CFaceComboBoxFaces::SortsBefore(const QString& a, const QString& b)
{
    if (int c = a.compare(b, Qt::CaseInsensitive); c != 0)
        return c < 0;
    return a < b;
}
