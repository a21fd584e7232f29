#include "picturebox.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace toolkit {

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
    m_sinceCover.reset(m_canvas.size());
    m_dirty.reset(m_canvas.size());
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
    const QRect touched = deviceRect(p, QRectF(cx - reach, cy - reach, 2 * reach, 2 * reach)) & clipBounds();
    if (m_fillStyle != FillStyle::Solid || outline.alpha() != 255 || m_fillColor.alpha() != 255) {
        m_sinceCover.addRect(touched);
        m_dirty.addRect(touched);
        changed();
        return;
    }
    const Cover cover{cx, cy, radius, outline.rgba(), m_fillColor.rgba(), m_drawWidth, m_canvas.devicePixelRatio()};
    if (cover == m_cover) {
        // The same circle again: only what was drawn on the last one since can differ, and inside
        // the clip it is all as the last one left it.
        m_dirty.addCommon(m_sinceCover, touched);
        if (!m_clip)
            m_sinceCover.clear();
        else if (m_clip->rectCount() == 1)
            m_sinceCover.removeWithin(clipBounds().adjusted(2, 2, -2, -2));
    } else {
        m_dirty.addRect(touched);
        // Part of another circle leaves the rest of the last one where it was: no longer known.
        if (m_clip)
            m_cover.reset();
        else
            m_cover = cover;
        m_sinceCover.clear();
    }
    changed();
}

void PictureBox::line(float x1, float y1, float x2, float y2)
{
    ensureCanvas();
    QPainter p(&m_canvas);
    prepare(p, true);
    p.setPen(QPen(foreColor(), m_drawWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    // Round caps and smoothed edges reach past half the width; a pixel's own extent on top.
    const qreal dpr = m_canvas.devicePixelRatio();
    const qreal reach = (m_drawWidth / 2.0 + 1.0) * dpr + 1.0;
    const QPointF a = p.transform().map(QPointF(x1, y1)) * dpr;
    const QPointF b = p.transform().map(QPointF(x2, y2)) * dpr;
    const QRect limit = clipBounds();
    m_sinceCover.addBand(a, b, reach, limit);
    m_dirty.addBand(a, b, reach, limit);
    changed();
}

// In canvas pixels, with a pixel to spare for rounding.
QRect PictureBox::toDevice(const QRectF &logical) const
{
    const qreal dpr = m_canvas.devicePixelRatio();
    return QRectF(logical.topLeft() * dpr, logical.size() * dpr).toAlignedRect().adjusted(-1, -1, 1, 1) &
           m_canvas.rect();
}

// The painter's transform is in logical units.
QRect PictureBox::deviceRect(const QPainter &painter, const QRectF &touched) const
{
    return toDevice(painter.transform().mapRect(touched));
}

// What the clip lets drawing reach.
QRect PictureBox::clipBounds() const
{
    return m_clip ? toDevice(m_clip->boundingRect()) : m_canvas.rect();
}

void PictureBox::changed()
{
    ++m_drawCount;
    Q_EMIT drawnOn();
    if (m_flushPending)
        return;
    m_flushPending = true;
    QMetaObject::invokeMethod(this, &PictureBox::flush, Qt::QueuedConnection);
}

namespace {

constexpr int kTile = 8; // canvas pixels a side

// The tiles that hold any pixel of a rectangle of canvas pixels.
QRect tilesOf(const QRect &device)
{
    return QRect(QPoint(device.left() / kTile, device.top() / kTile),
                 QPoint(device.right() / kTile, device.bottom() / kTile));
}

quint64 tileHash(const QImage &image, int tileX, int tileY)
{
    const int left = tileX * kTile, top = tileY * kTile;
    const int width = std::min(kTile, image.width() - left);
    const int bottom = std::min(top + kTile, image.height());
    quint64 h = 0;
    const auto mix = [&h](quint64 word) {
        h = (h ^ word) * 0x9e3779b97f4a7c15ULL;
        h ^= h >> 32;
    };
    for (int y = top; y < bottom; ++y) {
        const uchar *line = image.constScanLine(y) + left * 4;
        if (width == kTile) {
            for (int i = 0; i < kTile * 4; i += 8) {
                quint64 word;
                std::memcpy(&word, line + i, 8);
                mix(word);
            }
        } else {
            for (int i = 0; i < width; ++i) {
                quint32 pixel;
                std::memcpy(&pixel, line + i * 4, 4);
                mix(pixel);
            }
        }
    }
    return h;
}

} // namespace

void PictureBox::Tiles::reset(const QSize &canvas)
{
    columns = (canvas.width() + kTile - 1) / kTile;
    marked.assign(size_t(columns) * size_t((canvas.height() + kTile - 1) / kTile), 0);
    bounds = QRect();
}

void PictureBox::Tiles::clear()
{
    if (bounds.isEmpty())
        return;
    for (int row = bounds.top(); row <= bounds.bottom(); ++row)
        std::fill_n(marked.begin() + qsizetype(row) * columns + bounds.left(), bounds.width(), quint8(0));
    bounds = QRect();
}

void PictureBox::Tiles::mark(int column, int row)
{
    marked[at(column, row)] = 1;
    bounds |= QRect(column, row, 1, 1);
}

void PictureBox::Tiles::addRect(const QRect &device)
{
    if (device.isEmpty())
        return;
    const QRect tiles = tilesOf(device);
    for (int row = tiles.top(); row <= tiles.bottom(); ++row)
        std::fill_n(marked.begin() + qsizetype(row) * columns + tiles.left(), tiles.width(), quint8(1));
    bounds |= tiles;
}

void PictureBox::Tiles::addBand(QPointF a, QPointF b, qreal reach, const QRect &limit)
{
    if (columns == 0 || limit.isEmpty())
        return;
    const QRect within = tilesOf(limit);
    if (a.y() > b.y())
        std::swap(a, b);
    const int firstRow = std::max(within.top(), int(std::floor((a.y() - reach) / kTile)));
    const int lastRow = std::min(within.bottom(), int(std::floor((b.y() + reach) / kTile)));
    const qreal dy = b.y() - a.y();
    for (int row = firstRow; row <= lastRow; ++row) {
        // A pixel of this row lies within reach of the segment only if a point of the segment
        // within reach of the row does; those points run between two values of t.
        qreal t0 = 0, t1 = 1;
        if (dy > 0) {
            t0 = std::clamp((row * kTile - reach - a.y()) / dy, 0.0, 1.0);
            t1 = std::clamp(((row + 1) * kTile + reach - a.y()) / dy, 0.0, 1.0);
        }
        const qreal xa = a.x() + (b.x() - a.x()) * t0, xb = a.x() + (b.x() - a.x()) * t1;
        const int first = std::max(within.left(), int(std::floor((std::min(xa, xb) - reach) / kTile)));
        const int last = std::min(within.right(), int(std::floor((std::max(xa, xb) + reach) / kTile)));
        for (int column = first; column <= last; ++column)
            mark(column, row);
    }
}

void PictureBox::Tiles::removeWithin(const QRect &device)
{
    // Only tiles wholly inside.
    const QRect tiles = bounds & QRect(QPoint((device.left() + kTile - 1) / kTile, (device.top() + kTile - 1) / kTile),
                                       QPoint((device.right() + 1) / kTile - 1, (device.bottom() + 1) / kTile - 1));
    for (int row = tiles.top(); row <= tiles.bottom(); ++row)
        std::fill_n(marked.begin() + qsizetype(row) * columns + tiles.left(), tiles.width(), quint8(0));
}

void PictureBox::Tiles::addCommon(const Tiles &other, const QRect &device)
{
    const QRect tiles = other.bounds & tilesOf(device);
    for (int row = tiles.top(); row <= tiles.bottom(); ++row)
        for (int column = tiles.left(); column <= tiles.right(); ++column)
            if (other.marked[at(column, row)])
                mark(column, row);
}

// The marked tiles whose pixels differ from what the screen shows, as one rectangle of canvas
// pixels; what it finds becomes what the screen shows.
QRect PictureBox::changedSinceShown()
{
    const int columns = m_dirty.columns;
    const bool first = m_shownTiles.size() != m_dirty.marked.size();
    if (first)
        m_shownTiles.assign(m_dirty.marked.size(), 0);
    const QRect tiles = first ? QRect(0, 0, columns, int(m_dirty.marked.size()) / columns) : m_dirty.bounds;
    QRect found;
    for (int ty = tiles.top(); ty <= tiles.bottom(); ++ty) {
        for (int tx = tiles.left(); tx <= tiles.right(); ++tx) {
            const size_t at = m_dirty.at(tx, ty);
            if (!first && !m_dirty.marked[at])
                continue;
            const quint64 now = tileHash(m_canvas, tx, ty);
            if (now == m_shownTiles[at] && !first)
                continue;
            m_shownTiles[at] = now;
            found |= QRect(tx * kTile, ty * kTile, kTile, kTile);
        }
    }
    m_dirty.clear();
    return found & m_canvas.rect();
}

void PictureBox::flush()
{
    m_flushPending = false;
    // A face redrawn mostly comes out as it was, but for the hand: only the pixels that really
    // changed are worth a repaint.
    const QRect changedPixels = changedSinceShown();
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

} // namespace toolkit
