// What the size box lists for a face, and which size it shows when its list
// is refreshed; sizes are in twips (a point is 20 twips).
#pragma once

#include <QList>
#include <vector>

class CPointSizeComboBoxList {
public:
    // A scalable face is offered the usual point sizes, 8 to 72.
    static std::vector<int> StandardTwips();
    // A bitmap face is offered the point sizes it has, ascending, once each.
    static std::vector<int> BitmapTwips(const QList<int>& points);
    // The size to show after a refresh: a text that is no size, or a size
    // below one point or above 1638 points, gives way to the size last
    // shown; an empty box stays empty.
    static int SizeToShow(int readTwips, int lastTwips);
};
