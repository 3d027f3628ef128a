#include "ftp/FtpIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace ftpicons {
namespace {

void Page(QPainter& p, const QColor& fill)
{
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 23);
    page.lineTo(5, 23);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(fill);
    p.drawPath(page);
    p.drawLine(15, 2, 15, 7);
    p.drawLine(15, 7, 20, 7);
}

void Server(QPainter& p, bool online)
{
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(online ? QColor(200, 210, 230) : QColor(190, 190, 190));
    p.drawRect(6, 2, 13, 21);
    for (int y : {6, 11, 16}) {
        p.setBrush(online ? QColor(90, 110, 150) : QColor(130, 130, 130));
        p.drawRect(8, y, 9, 2);
    }
    p.setBrush(online ? QColor(40, 200, 60) : QColor(120, 120, 120));
    p.drawEllipse(QPointF(16, 20), 1.5, 1.5);
    if (!online) {
        p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(3, 3, 22, 22);
        p.drawLine(22, 3, 3, 22);
    }
}

void Folder(QPainter& p)
{
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(2, 6, 8, 3);
    p.setBrush(QColor(250, 215, 100));
    p.drawRect(2, 8, 21, 14);
}

} // namespace

QPixmap Draw(int index)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: Server(p, true); break;
    case 1: Server(p, false); break;
    case 2: Folder(p); break;
    case 3:
        Page(p, Qt::white);
        p.setPen(QColor(120, 120, 120));
        for (int y = 10; y <= 19; y += 3)
            p.drawLine(8, y, 17, y);
        break;
    case 4:
        Page(p, Qt::white);
        p.setPen(QPen(QColor(30, 90, 200), 2));
        p.drawLine(12, 11, 8, 15);
        p.drawLine(8, 15, 12, 19);
        p.drawLine(14, 11, 18, 15);
        p.drawLine(18, 15, 14, 19);
        break;
    case 5:
        Page(p, QColor(220, 240, 255));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 170, 30));
        p.drawEllipse(QPointF(15, 11), 2.2, 2.2);
        p.setBrush(QColor(60, 150, 70));
        p.drawPolygon(
            QPolygonF({QPointF(6, 22), QPointF(11, 13), QPointF(15, 18), QPointF(17, 16), QPointF(20, 22)}));
        break;
    case 6:
        Page(p, Qt::white);
        p.setPen(QPen(QColor(120, 40, 160), 1.5));
        p.setBrush(QColor(120, 40, 160));
        p.drawEllipse(QPointF(10, 19), 2.2, 1.7);
        p.drawEllipse(QPointF(16, 17), 2.2, 1.7);
        p.drawLine(QPointF(12, 19), QPointF(12, 10));
        p.drawLine(QPointF(18, 17), QPointF(18, 8));
        p.drawLine(QPointF(12, 10), QPointF(18, 8));
        break;
    default: break;
    }
    return pixmap;
}

QIcon Icon(int index)
{
    return QIcon(Draw(index));
}

} // namespace ftpicons
