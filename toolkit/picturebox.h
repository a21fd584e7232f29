#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <optional>
#include <vector>

namespace toolkit {

// A drawing surface that keeps what is drawn on it: a persistent canvas with fill style, fill
// colour, draw width and foreground colour as lasting properties. Painting only shows the canvas.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum class FillStyle { Solid, Transparent };

    explicit PictureBox(QWidget *parent = nullptr);

    FillStyle fillStyle() const { return m_fillStyle; }
    void setFillStyle(FillStyle style) { m_fillStyle = style; }
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor &color) { m_fillColor = color; }
    int drawWidth() const { return m_drawWidth; }
    void setDrawWidth(int width) { m_drawWidth = width; }
    // The program never sets it: it follows the palette's text colour, so dark themes show it.
    QColor foreColor() const;

    // The box's own units are its pixels at 100 %; at another zoom the same drawing covers the
    // larger box, drawn afresh at that scale. What was drawn before a change of zoom is dropped.
    qreal zoom() const { return m_zoom; }
    void setZoom(qreal zoom);

    // Coordinates are the box's own units, origin top left, y downwards.
    void circle(double cx, double cy, double radius, const QColor &outline);
    void line(float x1, float y1, float x2, float y2);

    // While set, drawing leaves the pixels outside the region (logical pixels) untouched.
    void setClipRegion(const QRegion &region) { m_clip = region; }
    void clearClip() { m_clip.reset(); }

    // The canvas as drawn, at the device pixel ratio times the zoom; pixelAt reads it in the box's units.
    const QImage &canvas() const { return m_canvas; }
    QColor pixelAt(int x, int y) const;
    // Counts every change of the canvas (each drawing, a new canvas for a new size or scale), so
    // that a caller can tell whether it still holds what the caller last drew.
    quint64 drawCount() const { return m_drawCount; }

Q_SIGNALS:
    // Something was drawn onto the canvas.
    void drawnOn();
    // The canvas was laid anew at another scale and needs drawing.
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ensureCanvas();
    void prepare(class QPainter &painter, bool smooth) const;
    // Tiles of 8 by 8 canvas pixels that drawing has touched.
    struct Tiles {
        int columns = 0;
        std::vector<quint8> marked;
        QRect bounds; // in tiles, around every marked one

        size_t at(int column, int row) const { return size_t(row) * size_t(columns) + size_t(column); }
        void reset(const QSize &canvas);
        void clear();
        void mark(int column, int row);
        void addRect(const QRect &device);
        // Every tile within reach of the segment from a to b (canvas pixels), inside limit.
        void addBand(QPointF a, QPointF b, qreal reach, const QRect &limit);
        // Unmarks the tiles wholly inside the rectangle.
        void removeWithin(const QRect &device);
        // What other marks inside the rectangle.
        void addCommon(const Tiles &other, const QRect &device);
    };

    void changed();
    QRect toDevice(const QRectF &logical) const;
    QRect clipBounds() const;
    QRect deviceRect(const QPainter &painter, const QRectF &touched) const;
    void flush();
    QRect changedSinceShown();

    // What a solid circle of opaque colours paints depends on nothing under it: drawn again the
    // same, whole or in part, it brings back every pixel it covers as it was right after the last
    // one drawn whole.
    struct Cover {
        double cx = 0, cy = 0;
        double radius = 0;
        QRgb outline = 0, fill = 0;
        int width = 0;
        qreal scale = 0;
        bool operator==(const Cover &) const = default;
    };

    QImage m_canvas;
    // A hash of each tile as last handed to the screen: a few kilobytes where a copy of the canvas
    // would cost as much memory as the canvas itself.
    std::vector<quint64> m_shownTiles;
    std::optional<Cover> m_cover; // the last such circle drawn whole on this canvas
    Tiles m_sinceCover;           // drawn on since that circle
    Tiles m_dirty;                // drawn on since the last flush
    bool m_flushPending = false;
    quint64 m_drawCount = 0;
    FillStyle m_fillStyle = FillStyle::Transparent;
    QColor m_fillColor = Qt::black;
    int m_drawWidth = 1;
    qreal m_zoom = 1.0;
    std::optional<QRegion> m_clip;
};

} // namespace toolkit
