#include "zoom.h"

#include "picturebox.h"
#include "twips.h"

#include <QResizeEvent>

#include <cmath>

namespace toolkit {

namespace {

const char *const kZoomProperty = "partivaktZoom";

QRect scaled(const QRect &twipsRect, qreal zoom)
{
    // Edges, not sizes, are rounded: neighbours that touch at 100 % still touch at any zoom.
    const auto px = [zoom](int t) { return int(std::lround(t * zoom / kTwipsPerPixel)); };
    const int left = px(twipsRect.left());
    const int top = px(twipsRect.top());
    return QRect(left, top, px(twipsRect.left() + twipsRect.width()) - left,
                 px(twipsRect.top() + twipsRect.height()) - top);
}

} // namespace

QRect baseTwips(const QWidget *widget)
{
    return widget->property(kTwipsProperty).toRect();
}

qreal zoomOf(const QWidget *widget)
{
    const QVariant zoom = widget->property(kZoomProperty);
    return zoom.isValid() ? zoom.toReal() : 1.0;
}

ZoomStage::ZoomStage(QWidget *client, int widthTwips, int heightTwips, QWidget *parent)
    : QWidget(parent), m_client(client), m_base(twips(widthTwips), twips(heightTwips)), m_baseFont(client->font())
{
    setObjectName(QStringLiteral("stage"));
    // The stage speaks for the layout's face at 100 %, whatever the zoom does to the client's.
    setFont(m_baseFont);
    client->setParent(this);
    client->setFixedSize(m_base);
    resize(m_base);
    apply(1.0);
}

QSize ZoomStage::sizeFor(qreal zoom) const
{
    return (QSizeF(m_base) * zoom).toSize();
}

void ZoomStage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const qreal fit = std::min(qreal(width()) / m_base.width(), qreal(height()) / m_base.height());
    apply(std::max<qreal>(1.0, fit));
}

void ZoomStage::apply(qreal zoom)
{
    const QSize size = sizeFor(zoom);
    m_client->setFixedSize(size);
    m_client->move((width() - size.width()) / 2, (height() - size.height()) / 2);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;

    QFont font = m_baseFont;
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::lround(m_baseFont.pixelSize() * zoom))));
    else
        font.setPointSizeF(m_baseFont.pointSizeF() * zoom);
    m_client->setFont(font);
    for (QWidget *w : m_client->findChildren<QWidget *>()) {
        w->setProperty(kZoomProperty, zoom);
        const QRect base = baseTwips(w);
        if (!base.isEmpty())
            w->setGeometry(scaled(base, zoom));
        if (auto *box = qobject_cast<PictureBox *>(w))
            box->setZoom(zoom);
        w->update();
    }
    Q_EMIT zoomChanged(zoom);
}

} // namespace toolkit
