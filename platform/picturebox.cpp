#include "picturebox.h"

#include <QPainter>

#include <cstring>

namespace platform {

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
}

QColor PictureBox::foreColor() const
{
    return palette().color(QPalette::WindowText);
}

void PictureBox::setZoom(qreal zoom)
{
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;
    // An old picture scaled up would be blurred: the owner draws it again at the new scale.
    m_canvas = QImage();
    ensureCanvas();
    Q_EMIT zoomChanged();
}

void PictureBox::ensureCanvas()
{
    // The zoom is folded into the canvas's pixel ratio: the owner's drawing in its own units lands
    // on as many device pixels as the box now covers.
    const qreal dpr = devicePixelRatioF() * m_zoom;
    const QSize wanted = (QSizeF(size()) * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
    if (!m_canvas.isNull() && m_canvas.size() == wanted && qFuzzyCompare(m_canvas.devicePixelRatio(), dpr))
        return;
    ++m_drawCount;
    QImage fresh(wanted, QImage::Format_ARGB32_Premultiplied);
    fresh.setDevicePixelRatio(dpr);
    fresh.fill(palette().color(QPalette::Window));
    // Keep the drawing across a change of size or screen scale; only the program draws it again.
    if (!m_canvas.isNull()) {
        QPainter p(&fresh);
        p.drawImage(QPoint(0, 0), m_canvas);
    }
    m_canvas = fresh;
    m_shown = QImage();
}

void PictureBox::prepare(QPainter &painter, bool smooth) const
{
    // Whole pixels, before the shift below; a region clip costs far less than a path clip.
    if (m_clip)
        painter.setClipRegion(*m_clip);
    if (smooth)
        painter.setRenderHint(QPainter::Antialiasing);
    // Whole coordinates name pixels: draw through their centres so one-pixel lines stay crisp.
    // Aliased drawing at 1:1 already lands there.
    if (smooth || m_canvas.devicePixelRatio() > 1.0)
        painter.translate(0.5, 0.5);
}

void PictureBox::circle(double cx, double cy, double radius, const QColor &outline)
{
    ensureCanvas();
    QPainter p(&m_canvas);
    // Aliased at every scale: each pixel the circle touches is replaced outright, so a solid
    // circle drawn again gives the same pixels whatever lay there. Antialiased edges would blend
    // with the previous picture and grow at every redraw.
    prepare(p, false);
    p.setPen(QPen(outline, m_drawWidth));
    p.setBrush(m_fillStyle == FillStyle::Solid ? QBrush(m_fillColor) : QBrush(Qt::NoBrush));
    p.drawEllipse(QPointF(cx, cy), radius, radius);
    const double reach = radius + m_drawWidth;
    changed(clipped(p.transform().mapRect(QRectF(cx - reach, cy - reach, 2 * reach, 2 * reach))));
}

void PictureBox::line(float x1, float y1, float x2, float y2)
{
    ensureCanvas();
    QPainter p(&m_canvas);
    prepare(p, true);
    p.setPen(QPen(foreColor(), m_drawWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    const double reach = m_drawWidth + 1.0; // round caps and smoothed edges
    changed(clipped(p.transform().mapRect(
        QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized().adjusted(-reach, -reach, reach, reach))));
}

QRectF PictureBox::clipped(const QRectF &drawn) const
{
    // Beyond the clip's bounds nothing can have changed.
    return m_clip ? drawn & QRectF(m_clip->boundingRect()) : drawn;
}

void PictureBox::changed(const QRectF &touched)
{
    ++m_drawCount;
    // In canvas pixels; the painter's transform is in logical units.
    const qreal dpr = m_canvas.devicePixelRatio();
    const QRectF device(touched.topLeft() * dpr, touched.size() * dpr);
    m_dirty |= device.toAlignedRect().adjusted(-1, -1, 1, 1) & m_canvas.rect();
    Q_EMIT drawnOn();
    if (m_flushPending)
        return;
    m_flushPending = true;
    QMetaObject::invokeMethod(this, &PictureBox::flush, Qt::QueuedConnection);
}

// The smallest rectangle of canvas pixels within area that differ from what the screen shows.
QRect PictureBox::changedSinceShown(const QRect &area) const
{
    if (m_shown.size() != m_canvas.size() || m_shown.format() != m_canvas.format())
        return m_canvas.rect();
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *now = reinterpret_cast<const quint32 *>(m_canvas.constScanLine(y));
        const auto *was = reinterpret_cast<const quint32 *>(m_shown.constScanLine(y));
        if (std::memcmp(now + area.left(), was + area.left(), size_t(area.width()) * 4) == 0)
            continue;
        int first = area.left();
        while (now[first] == was[first])
            ++first;
        int last = area.right();
        while (now[last] == was[last])
            --last;
        found |= QRect(first, y, last - first + 1, 1);
    }
    return found;
}

void PictureBox::flush()
{
    m_flushPending = false;
    const QRect area = m_dirty;
    m_dirty = QRect();
    // A face redrawn mostly comes out as it was, but for the hand: only the pixels that really
    // changed are worth a repaint.
    const QRect changedPixels = changedSinceShown(area);
    if (changedPixels.isEmpty())
        return;
    if (m_shown.size() != m_canvas.size() || m_shown.format() != m_canvas.format()) {
        m_shown = m_canvas.copy();
    } else {
        const qsizetype bytes = qsizetype(changedPixels.width()) * 4;
        for (int y = changedPixels.top(); y <= changedPixels.bottom(); ++y)
            std::memcpy(m_shown.scanLine(y) + changedPixels.left() * 4,
                        m_canvas.constScanLine(y) + changedPixels.left() * 4, size_t(bytes));
    }
    const qreal dpr = m_canvas.devicePixelRatio() / m_zoom; // canvas pixels per logical pixel
    update(QRectF(QPointF(changedPixels.topLeft()) / dpr, QSizeF(changedPixels.size()) / dpr).toAlignedRect());
}

QColor PictureBox::pixelAt(int x, int y) const
{
    if (m_canvas.isNull())
        return palette().color(QPalette::Window);
    const qreal dpr = m_canvas.devicePixelRatio();
    const QPoint device(int(x * dpr), int(y * dpr));
    if (!m_canvas.rect().contains(device))
        return {};
    return m_canvas.pixelColor(device);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    ensureCanvas();
    QPainter p(this);
    // Device pixel for device pixel: the canvas already holds the box at its zoom.
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(m_canvas.size()) / devicePixelRatioF()), m_canvas,
                QRectF(m_canvas.rect()));
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ensureCanvas();
}

} // namespace platform
