#include "app/builders/DialogUnits.h"

#include "platform/ui/CFaceSubstitution.h"

#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace {

// a * b / c rounded half away from zero, for the non-negative sizes of a
// layout and the occasional negative offset.
int MulDiv(int a, int b, int c)
{
    long long n = static_cast<long long>(a) * b;
    long long q = (2 * (n < 0 ? -n : n) + c) / (2LL * c);
    return static_cast<int>(n < 0 ? -q : q);
}

} // namespace

DialogUnits::DialogUnits() : DialogUnits(DialogFont()) {}

DialogUnits::DialogUnits(const QFont& font)
{
    QFontMetrics metrics(font);
    // The average width of the Latin letters, rounded to a whole pixel.
    const int width =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, (width / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

QFont DialogUnits::DialogFont()
{
    return CFaceSubstitution::Font(QStringLiteral(u"ＭＳ Ｐゴシック"), 9);
}

int DialogUnits::X(int units) const
{
    return MulDiv(units, baseX_, 4);
}

int DialogUnits::Y(int units) const
{
    return MulDiv(units, baseY_, 8);
}

QRect DialogUnits::Rect(int x, int y, int cx, int cy) const
{
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + cx) - left, Y(y + cy) - top);
}

void DialogUnits::Place(QWidget* widget, int x, int y, int cx, int cy) const
{
    widget->setGeometry(Rect(x, y, cx, cy));
}
