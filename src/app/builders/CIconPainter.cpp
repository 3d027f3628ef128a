#include "app/builders/CIconPainter.h"

#include "app/builders/CMenuResources.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>

namespace {

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kFolder(230, 190, 60);
const QColor kBlue(0, 64, 160);
const QColor kGrey(128, 128, 128);

// A sheet of paper with its top right corner folded down.
void Page(QPainter& p, int x, int y, int w, int h)
{
    const QPolygon outline(
        {QPoint(x, y), QPoint(x + w - 4, y), QPoint(x + w, y + 4), QPoint(x + w, y + h), QPoint(x, y + h)});
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawPolygon(outline);
    p.drawLine(x + w - 4, y, x + w - 4, y + 4);
    p.drawLine(x + w - 4, y + 4, x + w, y + 4);
}

void PaintNew(QPainter& p)
{
    Page(p, 3, 1, 10, 13);
}

void PaintOpen(QPainter& p)
{
    p.setPen(kInk);
    p.setBrush(kFolder.darker(120));
    p.drawPolygon(
        QPolygon({QPoint(1, 3), QPoint(5, 3), QPoint(6, 4), QPoint(12, 4), QPoint(12, 13), QPoint(1, 13)}));
    p.setBrush(kFolder);
    p.drawPolygon(QPolygon({QPoint(1, 13), QPoint(4, 7), QPoint(15, 7), QPoint(12, 13)}));
}

void PaintSave(QPainter& p)
{
    p.setPen(kInk);
    p.setBrush(kBlue);
    p.drawRect(1, 1, 13, 13);
    p.setBrush(kPaper);
    p.drawRect(3, 1, 9, 5);
    p.setBrush(kGrey.lighter(140));
    p.drawRect(4, 9, 7, 5);
    p.fillRect(5, 10, 2, 3, kBlue);
}

void PaintCut(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(5, 1), QPointF(9.5, 9));
    p.drawLine(QPointF(11, 1), QPointF(6.5, 9));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 1.5));
    p.drawEllipse(QPointF(5, 11.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11, 11.5), 2.3, 2.3);
}

void PaintCopy(QPainter& p)
{
    Page(p, 1, 1, 8, 9);
    Page(p, 6, 5, 8, 9);
}

void PaintPaste(QPainter& p)
{
    p.setPen(kInk);
    p.setBrush(QColor(160, 110, 50));
    p.drawRect(1, 2, 10, 12);
    p.setBrush(kGrey.lighter(150));
    p.drawRect(4, 1, 4, 2);
    Page(p, 7, 6, 8, 8);
}

void PaintPrint(QPainter& p)
{
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(4, 1, 8, 5);
    p.setBrush(kGrey.lighter(150));
    p.drawRect(1, 6, 14, 6);
    p.setBrush(kPaper);
    p.drawRect(4, 10, 8, 4);
    p.fillRect(12, 8, 2, 1, QColor(0, 160, 0));
}

void PaintAbout(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kInk);
    p.setBrush(QColor(255, 255, 160));
    p.drawEllipse(QRectF(1.5, 1, 13, 13));
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kBlue);
    p.drawText(QRect(1, 1, 14, 13), Qt::AlignCenter, QStringLiteral("?"));
}

// The project tree: a folder with two files hanging from it.
void PaintProjectTab(QPainter& p)
{
    p.setPen(kInk);
    p.setBrush(kFolder);
    p.drawRect(1, 1, 7, 5);
    p.drawLine(3, 7, 3, 13);
    p.drawLine(3, 9, 7, 9);
    p.drawLine(3, 13, 7, 13);
    p.setBrush(kPaper);
    p.drawRect(8, 7, 6, 4);
    p.drawRect(8, 11, 6, 4);
}

// The FTP browser: a globe.
void PaintFtpTab(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kBlue, 1));
    p.setBrush(QColor(170, 210, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 1.5, 6, 13));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
}

QPixmap Blank(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap CIconPainter::ToolBarButton(UINT id)
{
    void (*paint)(QPainter&) = nullptr;
    switch (id) {
    case cmd::kFileNew: paint = PaintNew; break;
    case cmd::kFileOpen: paint = PaintOpen; break;
    case cmd::kFileSave: paint = PaintSave; break;
    case cmd::kEditCut: paint = PaintCut; break;
    case cmd::kEditCopy: paint = PaintCopy; break;
    case cmd::kEditPaste: paint = PaintPaste; break;
    case cmd::kFilePrint: paint = PaintPrint; break;
    case cmd::kAppAbout: paint = PaintAbout; break;
    default: return {};
    }
    QPixmap pixmap = Blank(kButtonWidth, kButtonHeight);
    QPainter painter(&pixmap);
    paint(painter);
    return pixmap;
}

QPixmap CIconPainter::TabIcon(int index)
{
    QPixmap pixmap = Blank(kTabIconSize, kTabIconSize);
    QPainter painter(&pixmap);
    if (index == 0)
        PaintProjectTab(painter);
    else
        PaintFtpTab(painter);
    return pixmap;
}

QPixmap CIconPainter::ProgramIcon(int size)
{
    QPixmap pixmap = Blank(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(250, 210, 80), 2.5));
    p.setBrush(QColor(20, 40, 110));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont mark(QStringLiteral("DejaVu Serif"));
    mark.setPixelSize(19);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(QColor(250, 210, 80));
    p.drawText(QRect(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("K"));
    return pixmap;
}

QPixmap CIconPainter::DocumentIcon()
{
    QPixmap pixmap = Blank(32, 32);
    QPainter p(&pixmap);
    p.scale(2, 2);
    Page(p, 2, 0, 12, 15);
    p.setPen(kBlue);
    for (int y = 5; y <= 12; y += 2)
        p.drawLine(4, y, y == 9 ? 8 : 11, y);
    return pixmap;
}

QPixmap CIconPainter::AboutBitmap()
{
    QPixmap pixmap(kAboutWidth, kAboutHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kAboutHeight);
    sky.setColorAt(0, QColor(20, 40, 110));
    sky.setColorAt(1, QColor(70, 120, 200));
    p.fillRect(pixmap.rect(), sky);

    // The emblem: a gold ring around a "K".
    const QRectF ring(12, 14, 52, 52);
    p.setPen(QPen(QColor(250, 210, 80), 4));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(ring);
    QFont mark(QStringLiteral("DejaVu Serif"));
    mark.setPixelSize(34);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(QColor(250, 210, 80));
    p.drawText(ring, Qt::AlignCenter, QStringLiteral("K"));

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(17);
    name.setBold(true);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRect(70, 22, 126, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KESTRIX"));
    QFont version(QStringLiteral("DejaVu Sans"));
    version.setPixelSize(13);
    p.setFont(version);
    p.drawText(QRect(70, 44, 126, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ver2.0"));
    return pixmap;
}
