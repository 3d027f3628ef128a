#include "editor/CToolTipWindow.h"

#include "platform/ui/CFaceSubstitution.h"
#include "platform/text/Sjis.h"

#include <QFontMetrics>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QScreen>
#include <QTimerEvent>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

namespace {

// RGB(249, 243, 223): a pale cream that stands apart from the editor's white.
const QColor kBackground(249, 243, 223);
constexpr int kImageSize = 10;
constexpr int kButtonSize = 20;
constexpr int kButtonTop = 5;
// The counter sits right of the previous button; the next button goes after
// the widest counter of the tip set.
constexpr int kCounterLeft = 24;
constexpr int kTextMargin = 5;

} // namespace

CToolTipWindow::CToolTipWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    font_ = CFaceSubstitution::Font(QString::fromUtf8("ＭＳ　明朝"), 10.0);
    setFont(font_);
}

CToolTipWindow::~CToolTipWindow() = default;

bool CToolTipWindow::Create(QWidget* owner)
{
    owner_ = owner;
    if (!previous_) {
        previous_ = MakeButton(false, kPreviousCommand, QRect(5, kButtonTop, kButtonSize, kButtonSize));
        next_ = MakeButton(true, kNextCommand, QRect(30, kButtonTop, kButtonSize, kButtonSize));
    }
    previous_->hide();
    next_->hide();
    setFixedSize(kWidth, kHeight);
    Show(0);
    return true;
}

QToolButton* CToolTipWindow::MakeButton(bool right, int command, QRect geometry)
{
    auto* button = new QToolButton(this);
    button->setGeometry(geometry);
    button->setIcon(QIcon(Arrow(right)));
    button->setIconSize(QSize(kImageSize, kImageSize));
    // Clicking a button must not take the keyboard from the editor.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [this, command] { OnCommand(command); });
    return button;
}

QPixmap CToolTipWindow::Arrow(bool right)
{
    QPixmap image(kImageSize, kImageSize);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const qreal s = kImageSize;
    const QPolygonF triangle =
        right ? QPolygonF({{s * 0.25, s * 0.1}, {s * 0.8, s * 0.5}, {s * 0.25, s * 0.9}})
              : QPolygonF({{s * 0.75, s * 0.1}, {s * 0.2, s * 0.5}, {s * 0.75, s * 0.9}});
    painter.drawPolygon(triangle);
    return image;
}

QString CToolTipWindow::Counter(int current, int count, int padTo, bool trailingSpace)
{
    QString text = QStringLiteral("%1 of %2").arg(current).arg(count);
    if (trailingSpace)
        text += u' ';
    return text.leftJustified(padTo, u' ');
}

void CToolTipWindow::SetTipText(const std::string& tipText)
{
    tips_.clear();
    current_ = 1;
    std::string::size_type from = 0;
    for (auto colon = tipText.find(':'); colon != std::string::npos; colon = tipText.find(':', from)) {
        tips_.push_back(tipText.substr(from, colon - from));
        from = colon + 1;
    }
    const QFontMetrics metrics(font_, this);
    const bool paging = tips_.size() >= 2;
    counterWidth_ = paging ? metrics.horizontalAdvance(Counter(1, TipCount(), 9, false)) : 0;
    if (previous_) {
        if (paging)
            next_->move(counterWidth_ + kCounterLeft, kButtonTop);
        previous_->setVisible(paging);
        next_->setVisible(paging);
    }
    // Many tips (most Japanese ones) are longer than the usual width: the
    // window widens to the longest tip of the set, so that none is cut off
    // and paging does not make it jump, but never beyond the screen.
    int widest = 0;
    for (const std::string& text : tips_)
        widest = std::max(widest, metrics.horizontalAdvance(sjis::ToUnicode(text)));
    int width = std::max(kWidth, TextLeft() + widest + kTextMargin + 1);
    if (const QScreen* screen = owner_ ? owner_->screen() : this->screen())
        width = std::min(width, std::max(kWidth, screen->availableGeometry().width()));
    setFixedSize(width, kHeight);
    update();
}

std::string CToolTipWindow::CurrentTip() const
{
    if (current_ < 1 || current_ > TipCount())
        return {};
    return tips_[std::size_t(current_ - 1)];
}

int CToolTipWindow::CurrentTipHeight(QWidget* on) const
{
    // A tip is one line: its height is the font's line height on that window.
    return QFontMetrics(font_, on).height();
}

bool CToolTipWindow::IsShown() const
{
    return isVisible();
}

void CToolTipWindow::HideTip()
{
    Show(0);
}

void CToolTipWindow::ShowAt(QPoint screenPosition)
{
    move(screenPosition);
    Show(0);
    Show(kShow);
}

void CToolTipWindow::Show(int mode)
{
    ticks_ = 0;
    if (mode != kShow) {
        hide();
        timer_.stop();
        return;
    }
    if (owner_ && !isVisible()) {
        // Stay with the frame: above it, and gone when it minimises.
        winId();
        QWindow* frame = owner_->window()->windowHandle();
        if (windowHandle() && frame && windowHandle()->transientParent() != frame)
            windowHandle()->setTransientParent(frame);
    }
    show();
    timer_.start(kTickMilliseconds, this);
}

bool CToolTipWindow::OnCommand(int command)
{
    switch (command) {
    case kNextCommand: NextTip(); return true;
    case kPreviousCommand: PreviousTip(); return true;
    default: return false;
    }
}

void CToolTipWindow::NextTip()
{
    if (current_ < TipCount())
        ++current_;
    update();
    ticks_ /= 2;
}

void CToolTipWindow::PreviousTip()
{
    if (current_ > 1)
        --current_;
    update();
    ticks_ /= 2;
}

void CToolTipWindow::Tick()
{
    if (++ticks_ >= kTicksShown)
        Show(0);
}

void CToolTipWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timer_.timerId())
        Tick();
    else
        QWidget::timerEvent(event);
}

int CToolTipWindow::TextLeft() const
{
    if (TipCount() < 2)
        return kTextMargin;
    return counterWidth_ + kCounterLeft + kButtonSize + kTextMargin;
}

void CToolTipWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font_, this);
    const int top = (height() - metrics.height()) / 2;
    const int baseline = top + metrics.ascent();
    if (TipCount() >= 2) {
        // The counter ("2 of 3 ") is centred, trailing space and all, in the
        // room ten characters of it take.
        const QString counter = Counter(current_, TipCount(), 0, true);
        const int room = metrics.horizontalAdvance(counter.leftJustified(10, u' '));
        const int x = kCounterLeft + (room - metrics.horizontalAdvance(counter)) / 2;
        painter.drawText(QPoint(x, baseline), counter);
    }
    if (TipCount() >= 1)
        painter.drawText(QPoint(TextLeft(), baseline), sjis::ToUnicode(CurrentTip()));
    // The frame goes last so that a tip too long for the window cannot
    // cover it.
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CToolTipWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The buttons take their own presses; anywhere else the window follows
    // the pointer until the button is let go.
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
    event->accept();
}

void CToolTipWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
}

void CToolTipWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
