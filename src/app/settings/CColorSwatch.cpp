#include "app/settings/CColorSwatch.h"

#include "platform/ui/UiService.h"

#include <QMouseEvent>
#include <QPainter>

CColorSwatch::CColorSwatch(QWidget* parent) : QWidget(parent) {}

void CColorSwatch::SetColor(COLORREF color)
{
    color_ = color;
    update();
}

void CColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(GetRValue(color_), GetGValue(color_), GetBValue(color_)));
}

void CColorSwatch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (std::optional<COLORREF> chosen = UiService::Current().ChooseColor(nullptr, color_))
        SetColor(*chosen);
}
