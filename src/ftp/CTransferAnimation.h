// The transfer dialog's animation, drawn: a page flies from one folder to
// the other, over and over, while the transfer runs. Opened it shows its
// first frame; it moves once played.
#pragma once

#include <QTimer>
#include <QWidget>

class CTransferAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrames = 16;

    explicit CTransferAnimation(QWidget* parent = nullptr);

    // From the first frame to the last, repeating without end.
    void Play();
    void Stop();
    bool IsPlaying() const { return timer_.isActive(); }
    int Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
};
