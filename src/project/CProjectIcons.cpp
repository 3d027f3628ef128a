#include "project/CProjectIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void Folder(QPainter& p, QColor body, QColor tab)
{
    p.setPen(QPen(body.darker(160), 1));
    p.setBrush(tab);
    p.drawRoundedRect(QRectF(2.5, 5.5, 9, 4), 1, 1);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2.5, 7.5, 20, 14), 1.5, 1.5);
    p.setPen(QPen(body.lighter(140), 1));
    p.drawLine(QPointF(4, 9.5), QPointF(21, 9.5));
}

// A sheet with a folded corner.
void Sheet(QPainter& p, QColor paper, QColor edge)
{
    QPainterPath sheet;
    sheet.moveTo(5.5, 2.5);
    sheet.lineTo(15.5, 2.5);
    sheet.lineTo(20.5, 7.5);
    sheet.lineTo(20.5, 22.5);
    sheet.lineTo(5.5, 22.5);
    sheet.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(paper);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(15.5, 2.5);
    fold.lineTo(15.5, 7.5);
    fold.lineTo(20.5, 7.5);
    p.setBrush(paper.darker(115));
    p.drawPath(fold);
}

void Lines(QPainter& p, QColor ink, int from, int to)
{
    p.setPen(QPen(ink, 1));
    for (int y = from; y <= to; y += 3)
        p.drawLine(QPointF(8, y + 0.5), QPointF(18, y + 0.5));
}

} // namespace

QPixmap CProjectIcons::Icon(int image)
{
    if (image < 0 || image >= kCount)
        return {};
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case 0: // the project: a closed folder with a gold emblem
        Folder(p, QColor(0xE8, 0xB8, 0x3A), QColor(0xF2, 0xCF, 0x6B));
        p.setPen(QPen(QColor(0x8A, 0x2B, 0x1A), 1));
        p.setBrush(QColor(0xD9, 0x4A, 0x2E));
        p.drawEllipse(QRectF(9, 11, 7, 7));
        break;
    case 1: // a group: a plain open folder
        Folder(p, QColor(0xF0, 0xD0, 0x70), QColor(0xF7, 0xE0, 0x98));
        break;
    case 2: // a script: a sheet with lines of code
        Sheet(p, QColor(0xFF, 0xFF, 0xFF), QColor(0x40, 0x50, 0x70));
        Lines(p, QColor(0x2E, 0x6B, 0xC6), 10, 19);
        p.setPen(QPen(QColor(0x1E, 0x8A, 0x3C), 1));
        p.drawLine(QPointF(8, 7.5), QPointF(13, 7.5));
        break;
    case 3: { // an HTML page: a sheet with a globe
        Sheet(p, QColor(0xFF, 0xFF, 0xF4), QColor(0x70, 0x50, 0x30));
        p.setPen(QPen(QColor(0x1F, 0x5F, 0xA8), 1));
        p.setBrush(QColor(0x9C, 0xC8, 0xF0));
        const QRectF globe(8, 10, 10, 10);
        p.drawEllipse(globe);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(11, 10, 4, 10));
        p.drawLine(QPointF(8, 15), QPointF(18, 15));
        break;
    }
    case 4: { // a sub: a violet block with a pair of braces
        p.setPen(QPen(QColor(0x4B, 0x2A, 0x7A), 1));
        p.setBrush(QColor(0x8E, 0x5C, 0xD0));
        p.drawRoundedRect(QRectF(4.5, 6.5, 16, 12), 3, 3);
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(4.5, 6.5, 16, 12), Qt::AlignCenter, QStringLiteral("{ }"));
        break;
    }
    }
    return pixmap;
}
