#include "gamemarks.h"

#include "zoom.h"

#include <QAccessible>
#include <QPainter>

#include <cmath>

namespace toolkit {

PlayerFrame::PlayerFrame(QWidget *parent) : Shape(parent) {}

void PlayerFrame::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    update();
}

QColor PlayerFrame::accent() const
{
    // The theme's own accent: it stands out from the window in light, dark and high-contrast themes.
    return palette().color(QPalette::Active, QPalette::Highlight);
}

void PlayerFrame::paintEvent(QPaintEvent *event)
{
    if (!m_running) {
        Shape::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal width = std::max<qreal>(1.0, std::round(kRunningWidth * zoomOf(this)));
    p.setPen(QPen(accent(), width));
    p.setBrush(Qt::NoBrush);
    const qreal inset = width / 2;
    const qreal radius = qMin<qreal>(10.0 * zoomOf(this), qMin(this->width(), height()) / 4.0);
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius, radius);
}

FlagStrip::FlagStrip(QWidget *parent) : FitFrame(QString(), parent) {}

QFont FlagStrip::captionFont() const
{
    // Only the caption of a fall is bold; face and size still come from the window, at any zoom. The
    // strip itself keeps the window's font: a standing flag's frame would otherwise load the bold
    // face at start-up only to measure an empty title.
    QFont bold = font();
    bold.setBold(true);
    return bold;
}

void FlagStrip::showFall(const QString &caption)
{
    if (caption == title())
        return;
    QGroupBox::setTitle(caption);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void FlagStrip::setTitle(const QString &caption)
{
    QGroupBox::setTitle(caption);
    Q_EMIT titleWritten(caption);
}

void FlagStrip::paintEvent(QPaintEvent *event)
{
    if (!hasFallen()) {
        FitFrame::paintEvent(event);
        return;
    }
    // The caption as the frame fits it (smaller, or shortened with the whole as tooltip), centred on red.
    const FittedText &fit = fittedText();
    QPainter p(this);
    p.fillRect(rect(), fallenBackground());
    p.setFont(fit.font);
    p.setPen(fallenText());
    p.drawText(rect(), Qt::AlignCenter, fit.shown);
}

} // namespace toolkit
