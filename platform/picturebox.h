#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <optional>

namespace platform {

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
    // The part of a drawing's area (logical units) that the clip lets through.
    QRectF clipped(const QRectF &drawn) const;
    void changed(const QRectF &touched);
    void flush();
    QRect changedSinceShown(const QRect &area) const;

    QImage m_canvas;
    // The canvas as last handed to the screen: a copy of its own, never shared with the canvas, so
    // that drawing never has to copy the whole canvas first.
    QImage m_shown;
    QRect m_dirty; // canvas pixels drawn on since the last flush
    bool m_flushPending = false;
    quint64 m_drawCount = 0;
    FillStyle m_fillStyle = FillStyle::Transparent;
    QColor m_fillColor = Qt::black;
    int m_drawWidth = 1;
    qreal m_zoom = 1.0;
    std::optional<QRegion> m_clip;
};

} // namespace platform
