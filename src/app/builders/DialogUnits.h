// Dialog units: the coordinates the program's dialogs are laid out in. One
// horizontal unit is a quarter of the dialog font's average character width
// and one vertical unit an eighth of its height, so a layout keeps its
// proportions whatever font the dialog is drawn in.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

class DialogUnits {
public:
    // Units of the program's dialog font.
    DialogUnits();
    explicit DialogUnits(const QFont& font);

    // The dialogs' font: "ＭＳ Ｐゴシック" 9pt, drawn by the installed
    // Japanese family that stands in for it when the face itself is not
    // installed.
    static QFont DialogFont();

    int X(int units) const;
    int Y(int units) const;
    QSize Size(int cx, int cy) const { return {X(cx), Y(cy)}; }
    // Each edge is mapped on its own, as the layout's coordinates are, so
    // neighbouring controls meet without gaps or overlaps from rounding.
    QRect Rect(int x, int y, int cx, int cy) const;
    void Place(QWidget* widget, int x, int y, int cx, int cy) const;

private:
    int baseX_;
    int baseY_;
};
