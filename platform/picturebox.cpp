#include "picturebox.h"

#include <QPainter>

#include <algorithm>

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
    m_shownTiles.clear();
    m_cover.reset();
    m_sinceCover = QRect();
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
    const QRect touched = deviceRect(p, QRectF(cx - reach, cy - reach, 2 * reach, 2 * reach));
    if (m_fillStyle != FillStyle::Solid || outline.alpha() != 255 || m_fillColor.alpha() != 255) {
        m_sinceCover |= touched;
        changed(touched);
        return;
    }
    const Cover cover{cx,    cy, radius, outline.rgba(), m_fillColor.rgba(), m_drawWidth, m_canvas.devicePixelRatio(),
                      m_clip};
    // The same circle again: only what was drawn on the last one since can differ.
    const QRect differs = cover == m_cover ? touched & m_sinceCover : touched;
    m_cover = cover;
    m_sinceCover = QRect();
    changed(differs);
}

void PictureBox::line(float x1, float y1, float x2, float y2)
{
    ensureCanvas();
    QPainter p(&m_canvas);
    prepare(p, true);
    p.setPen(QPen(foreColor(), m_drawWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    const double reach = m_drawWidth + 1.0; // round caps and smoothed edges
    const QRect touched =
        deviceRect(p, QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized().adjusted(-reach, -reach, reach, reach));
    m_sinceCover |= touched;
    changed(touched);
}

// In canvas pixels; the painter's transform is in logical units.
QRect PictureBox::deviceRect(const QPainter &painter, const QRectF &touched) const
{
    const QRectF logical = painter.transform().mapRect(touched);
    const qreal dpr = m_canvas.devicePixelRatio();
    const QRectF device(logical.topLeft() * dpr, logical.size() * dpr);
    return device.toAlignedRect().adjusted(-1, -1, 1, 1) & m_canvas.rect();
}

void PictureBox::changed(const QRect &device)
{
    ++m_drawCount;
    m_dirty |= device;
    Q_EMIT drawnOn();
    if (m_flushPending)
        return;
    m_flushPending = true;
    QMetaObject::invokeMethod(this, &PictureBox::flush, Qt::QueuedConnection);
}

namespace {

constexpr int kTile = 8; // canvas pixels a side

quint64 tileHash(const QImage &image, int tileX, int tileY)
{
    const int left = tileX * kTile, top = tileY * kTile;
    const int words = std::min(kTile, image.width() - left);
    const int bottom = std::min(top + kTile, image.height());
    quint64 h = 0;
    for (int y = top; y < bottom; ++y) {
        const auto *px = reinterpret_cast<const quint32 *>(image.constScanLine(y)) + left;
        for (int i = 0; i < words; ++i) {
            h = (h ^ px[i]) * 0x9e3779b97f4a7c15ULL;
            h ^= h >> 29;
        }
    }
    return h;
}

} // namespace

// The tiles within area whose pixels differ from what the screen shows, as one rectangle of canvas
// pixels; what it finds becomes what the screen shows.
QRect PictureBox::changedSinceShown(const QRect &area)
{
    const int columns = (m_canvas.width() + kTile - 1) / kTile;
    const int rows = (m_canvas.height() + kTile - 1) / kTile;
    QRect tiles(area.left() / kTile, area.top() / kTile, 0, 0);
    tiles.setRight(area.right() / kTile);
    tiles.setBottom(area.bottom() / kTile);
    const bool first = m_shownTiles.size() != size_t(columns) * size_t(rows);
    if (first) {
        m_shownTiles.assign(size_t(columns) * size_t(rows), 0);
        tiles = QRect(0, 0, columns, rows);
    }
    QRect found;
    for (int ty = tiles.top(); ty <= tiles.bottom(); ++ty) {
        for (int tx = tiles.left(); tx <= tiles.right(); ++tx) {
            quint64 &shown = m_shownTiles[size_t(ty) * size_t(columns) + size_t(tx)];
            const quint64 now = tileHash(m_canvas, tx, ty);
            if (now == shown && !first)
                continue;
            shown = now;
            found |= QRect(tx * kTile, ty * kTile, kTile, kTile);
        }
    }
    return found & m_canvas.rect();
}

void PictureBox::flush()
{
    m_flushPending = false;
    const QRect area = m_dirty;
    m_dirty = QRect();
    // A face redrawn mostly comes out as it was, but for the hand: only the pixels that really
    // changed are worth a repaint.
    const QRect changedPixels = area.isEmpty() ? QRect() : changedSinceShown(area);
    if (changedPixels.isEmpty())
        return;
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
