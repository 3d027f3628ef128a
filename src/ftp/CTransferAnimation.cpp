#include "ftp/CTransferAnimation.h"

#include "ftp/FtpIcons.h"

#include <QPainter>

CTransferAnimation::CTransferAnimation(QWidget* parent) : QWidget(parent)
{
    timer_.setInterval(70);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    });
}

void CTransferAnimation::Play()
{
    frame_ = 0;
    timer_.start();
    update();
}

void CTransferAnimation::Stop()
{
    timer_.stop();
}

void CTransferAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPixmap folder = ftpicons::Draw(2);
    const QPixmap page = ftpicons::Draw(3);
    const int h = height();
    const int top = (h - folder.height()) / 2;
    p.drawPixmap(2, top, folder);
    p.drawPixmap(width() - folder.width() - 2, top, folder);
    // The page rises and falls on an arc between the two folders.
    const double t = static_cast<double>(frame_) / (kFrames - 1);
    const double span = width() - 2.0 * folder.width() - 8;
    const double x = folder.width() + 4 + t * (span - page.width() * 0.6);
    const double y = top - 6.0 * std::sin(t * 3.14159265) + 2;
    p.drawPixmap(QRectF(x, y, page.width() * 0.7, page.height() * 0.7), page, page.rect());
}
