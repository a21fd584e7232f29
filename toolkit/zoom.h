#pragma once

#include <QWidget>

namespace toolkit {

// The rectangle in twips that placeTwips gave a control, or an empty one.
QRect baseTwips(const QWidget *widget);

// The zoom a control is drawn at: 1 unless a ZoomStage scaled it.
qreal zoomOf(const QWidget *widget);

// Holds a layout drawn in twips and scales it uniformly to the room it is given: every control's
// place and font, proportions kept, the layout centred on the stage's own neutral ground. Picture
// boxes draw their own units at the new scale, so nothing is a stretched bitmap. The layout is never
// drawn smaller than its own size.
class ZoomStage : public QWidget {
    Q_OBJECT
public:
    // The client keeps its own size in twips and becomes the stage's child.
    ZoomStage(QWidget *client, int widthTwips, int heightTwips, QWidget *parent = nullptr);

    QWidget *client() const { return m_client; }
    qreal zoom() const { return m_zoom; }
    QSize baseSize() const { return m_base; }
    // The stage size that shows the layout at the given zoom.
    QSize sizeFor(qreal zoom) const;

    QSize sizeHint() const override { return m_base; }
    QSize minimumSizeHint() const override { return m_base; }

Q_SIGNALS:
    void zoomChanged(qreal zoom);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void apply(qreal zoom);

    QWidget *m_client;
    QSize m_base;
    QFont m_baseFont;
    qreal m_zoom = 0;
};

} // namespace toolkit
