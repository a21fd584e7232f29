#include "appstyle.h"
#include "groupboxframe.h"

#include <QApplication>
#include <QGroupBox>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <qdrawutil.h>

#include <algorithm>

namespace toolkit {

namespace {

// Two chevrons side by side (») pointing along the direction given, in the button text colour of
// the mode.
class ChevronEngine : public QIconEngine {
public:
    explicit ChevronEngine(Qt::ArrowType direction) : m_direction(direction) {}

    QIconEngine *clone() const override { return new ChevronEngine(m_direction); }
    QString key() const override { return QStringLiteral("partivakt-chevrons"); }

    // Eight by five across the arrows' way, as wide as the size allows.
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const bool across = m_direction == Qt::LeftArrow || m_direction == Qt::RightArrow;
        const QSize shape = across ? QSize(8, 5) : QSize(5, 8);
        return shape.scaled(size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(actualSize(size, mode, state));
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, pixmap.rect(), mode, state);
        return pixmap;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette::ColorGroup group = mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
        const QColor colour = QGuiApplication::palette().color(group, QPalette::ButtonText);
        // Drawn pointing right in a box 8 by 5, turned to the direction asked for.
        QPainterPath chevrons;
        for (qreal x : {1.5, 4.5}) {
            chevrons.moveTo(x, 0.6);
            chevrons.lineTo(x + 2.0, 2.5);
            chevrons.lineTo(x, 4.4);
        }
        const QSizeF box =
            (m_direction == Qt::LeftArrow || m_direction == Qt::RightArrow) ? QSizeF(8, 5) : QSizeF(5, 8);
        const qreal scale = std::min(rect.width() / box.width(), rect.height() / box.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(QRectF(rect).center());
        painter->scale(scale, scale);
        switch (m_direction) {
        case Qt::LeftArrow:
            painter->rotate(180);
            break;
        case Qt::DownArrow:
            painter->rotate(90);
            break;
        case Qt::UpArrow:
            painter->rotate(-90);
            break;
        default:
            break;
        }
        painter->translate(-4.0, -2.5);
        painter->setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(chevrons);
        painter->restore();
    }

private:
    Qt::ArrowType m_direction;
};

} // namespace

ApplicationStyle::ApplicationStyle(QStyle *base) : QProxyStyle(base) {}

QIcon ApplicationStyle::standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const
{
    const Qt::LayoutDirection direction = option   ? option->direction
                                          : widget ? widget->layoutDirection()
                                                   : QGuiApplication::layoutDirection();
    switch (icon) {
    case SP_ToolBarHorizontalExtensionButton:
        return QIcon(new ChevronEngine(direction == Qt::RightToLeft ? Qt::LeftArrow : Qt::RightArrow));
    case SP_ToolBarVerticalExtensionButton:
        return QIcon(new ChevronEngine(Qt::DownArrow));
    default:
        return QProxyStyle::standardIcon(icon, option, widget);
    }
}

void ApplicationStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                     const QWidget *widget) const
{
    if (element != PE_FrameGroupBox || baseStyle()->name() != QLatin1String("fusion")) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    if (!m_groupBoxFrameRead) {
        m_groupBoxFrameRead = true;
        if constexpr (frame::kWidth > 0)
            m_groupBoxFrame = QPixmap::fromImage(
                QImage(frame::kPixels, frame::kWidth, frame::kHeight, QImage::Format_ARGB32_Premultiplied));
    }
    if (m_groupBoxFrame.isNull()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Where Fusion puts the frame: below the title's line, or just below the top of a box without
    // title or check box.
    constexpr int kTopMargin = 3;
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    const int top = box && !box->isCheckable() && box->title().isEmpty()
                        ? kTopMargin
                        : std::max(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                                   option->fontMetrics.height()) +
                              kTopMargin;
    qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6), m_groupBoxFrame);
}

void installApplicationStyle()
{
    if (qobject_cast<ApplicationStyle *>(QApplication::style()))
        return;
    // A style of the same kind as the one in use: the application deletes its own when replaced.
    QStyle *base = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new ApplicationStyle(base));
}

} // namespace toolkit
