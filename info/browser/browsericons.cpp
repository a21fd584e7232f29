#include "browsericons.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>
#include <cmath>

namespace info {

namespace {

const QColor kOutline(40, 40, 40);
const QColor kArrowGreen(0, 140, 40);

QImage canvas()
{
    QImage image(kBrowserPictureSize, kBrowserPictureSize, QImage::Format_RGB32);
    image.fill(kPictureGround);
    return image;
}

void drawArrow(QPainter &p, bool pointsLeft)
{
    // A broad arrow across the picture, pointing left; mirrored for right.
    QPolygonF arrow({{2, 12}, {11, 3}, {11, 8}, {21, 8}, {21, 16}, {11, 16}, {11, 21}});
    if (!pointsLeft) {
        for (QPointF &pt : arrow)
            pt.setX(kBrowserPictureSize - pt.x());
    }
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kArrowGreen);
    p.drawPolygon(arrow);
}

void drawStop(QPainter &p)
{
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(210, 20, 20));
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
}

// A curved arrow: an arc around centre from startDeg sweeping spanDeg, with a head at its end.
void drawCircularArrow(QPainter &p, QPointF centre, double radius, double startDeg, double spanDeg)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kArrowGreen, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(box, int(startDeg * 16), int(spanDeg * 16));
    const double end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    // The head points along the arc's direction at its end.
    const double dir = end + (spanDeg > 0 ? M_PI / 2 : -M_PI / 2);
    const QPointF along(std::cos(dir), -std::sin(dir));
    const QPointF across(-along.y(), along.x());
    p.setPen(Qt::NoPen);
    p.setBrush(kArrowGreen);
    p.drawPolygon(QPolygonF({tip + along * 3.5, tip + across * 3.2, tip - across * 3.2}));
}

void drawRefresh(QPainter &p)
{
    // A page with a folded corner.
    QPolygonF page({{4, 1.5}, {16, 1.5}, {20.5, 6}, {20.5, 22.5}, {4, 22.5}});
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.drawPolyline(QPolygonF({{16, 1.5}, {16, 6}, {20.5, 6}}));
    const QPointF centre(12.25, 13);
    drawCircularArrow(p, centre, 6, 100, 140);
    drawCircularArrow(p, centre, 6, 280, 140);
}

void drawHome(QPainter &p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(245, 235, 200));
    p.drawRect(QRectF(5.5, 11.5, 13, 10)); // wall
    p.setBrush(QColor(180, 40, 30));
    p.drawPolygon(QPolygonF({{1.5, 12.5}, {12, 2.5}, {22.5, 12.5}})); // roof
    p.setBrush(QColor(120, 70, 30));
    p.drawRect(QRectF(10.5, 15.5, 4, 6)); // door
    p.setBrush(QColor(120, 170, 230));
    p.drawRect(QRectF(6.5, 13.5, 3, 3)); // window
}

void drawSearch(QPainter &p)
{
    // The globe, low and to the left.
    const QRectF globe(1.5, 6.5, 16, 16);
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(QColor(60, 130, 220));
    p.drawEllipse(globe);
    p.setBrush(QColor(40, 160, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(4, 10, 6, 5));
    p.drawEllipse(QRectF(10, 15, 5, 5));
    p.setPen(QPen(QColor(200, 225, 255), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(6.5, 6.5, 6, 16));
    p.drawLine(QPointF(1.5, 14.5), QPointF(17.5, 14.5));
    // The magnifying glass over it: lens up right, handle down right.
    p.setPen(QPen(QColor(110, 80, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 11), QPointF(22, 20));
    p.setPen(QPen(kOutline, 1.8));
    p.setBrush(QColor(230, 245, 255, 150));
    p.drawEllipse(QRectF(9, 1.5, 11, 11));
}

} // namespace

const std::array<BrowserCommand, 6> kBrowserCommands{{
    {"Back", "Tilbake", "go-previous", [](QPainter &p) { drawArrow(p, true); }},
    {"Forward", "Fram", "go-next", [](QPainter &p) { drawArrow(p, false); }},
    {"Stop", "Stopp", "process-stop", drawStop},
    {"Refresh", "Oppdater", "view-refresh", drawRefresh},
    {"Home", "Hjem", "go-home", drawHome},
    {"Search", "Søk", "system-search", drawSearch},
}};

QList<QImage> browserPictures()
{
    QList<QImage> pictures;
    for (const BrowserCommand &command : kBrowserCommands) {
        QImage image = canvas();
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        command.paint(p);
        p.end();
        pictures.append(image);
    }
    return pictures;
}

QIcon browserCommandIcon(const BrowserCommand &command, const QImage &ownPicture)
{
    QPixmap own = QPixmap::fromImage(ownPicture);
    own.setMask(own.createMaskFromColor(kPictureGround, Qt::MaskInColor));
    return QIcon::fromTheme(QString::fromLatin1(command.themeIcon), QIcon(own));
}

} // namespace info
