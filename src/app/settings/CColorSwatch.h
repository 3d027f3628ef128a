// A colour field of the settings dialog: shows its colour over its whole
// area; a click lets the user choose another.
#pragma once

#include "platform/base/WinTypes.h"

#include <QWidget>

class CColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit CColorSwatch(QWidget* parent = nullptr);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    COLORREF color_ = 0;
};
