#pragma once

#include "controls.h"

#include <QGroupBox>

namespace toolkit {

// The frame around one player's clock. While that player's clock runs it is drawn thick in the
// palette's accent colour, plain to see from across the room; otherwise it is a plain shape.
class PlayerFrame : public Shape {
    Q_OBJECT
public:
    explicit PlayerFrame(QWidget *parent = nullptr);

    bool isRunning() const { return m_running; }
    void setRunning(bool running);
    // The colour and width (in the layout's pixels at 100 %) of a running side's frame.
    QColor accent() const;
    static constexpr int kRunningWidth = 4;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_running = false;
};

// A player's flag strip: a frame whose caption is empty while the flag stands. A fallen flag
// fills the whole strip, white on red, so it is seen at any size; a screen reader hears it once.
class FlagStrip : public FitFrame {
    Q_OBJECT
public:
    explicit FlagStrip(QWidget *parent = nullptr);

    bool hasFallen() const { return !title().isEmpty(); }
    // Sets the caption of a fall; a caption that is new is also told to a screen reader, once.
    void showFall(const QString &caption);
    // The flag stands again (a new game).
    void clearFall() { QGroupBox::setTitle(QString()); }
    // A caption written by name, as a restore or another window writes it, is told: the flag shows
    // a state that lives elsewhere, which follows it.
    void setTitle(const QString &caption);

Q_SIGNALS:
    void titleWritten(const QString &caption);

public:
    static QColor fallenBackground() { return QColor(192, 0, 0); }
    static QColor fallenText() { return Qt::white; }

protected:
    void paintEvent(QPaintEvent *event) override;
    QFont captionFont() const override;
};

} // namespace toolkit
