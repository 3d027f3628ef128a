#include "app/settings/CPointSizeComboBoxList.h"

#include "platform/registry/SettingsStore.h"

#include <algorithm>

std::vector<int> CPointSizeComboBoxList::StandardTwips()
{
    static constexpr int kPoints[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    std::vector<int> twips;
    for (int points : kPoints)
        twips.push_back(points * 20);
    return twips;
}

std::vector<int> CPointSizeComboBoxList::BitmapTwips(const QList<int>& points)
{
    std::vector<int> twips;
    for (int p : points)
        if (p > 0)
            twips.push_back(p * 20);
    std::sort(twips.begin(), twips.end());
    twips.erase(std::unique(twips.begin(), twips.end()), twips.end());
    return twips;
}

int CPointSizeComboBoxList::SizeToShow(int readTwips, int lastTwips)
{
    if (readTwips == settings::kSizeTrailingText || (readTwips >= 0 && readTwips < 20) || readTwips > 32760)
        return lastTwips;
    return readTwips;
}
