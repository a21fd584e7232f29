#include "frmhoved.h"

#include "toolkit/zoom.h"

#include <QScreen>

#include <algorithm>
#include <cmath>

// The main window at another scale: zoom steps, and the read-outs' fonts that grow with it.
namespace gameclock {

namespace {

// The figures are what the other chair must read: above 100 % they grow a little faster than the
// rest, as far as their boxes allow; a count-down game's, read from across the board, are larger
// still. At 100 % the classic read-outs keep the layout's own font.
constexpr double kCountdownReadoutScale = 1.7;

double readoutGrowth(qreal zoom)
{
    return 1.0 + 0.1 * std::max<qreal>(0.0, zoom - 1.0);
}

QFont scaledFont(QFont font, double scale)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(int(std::lround(font.pixelSize() * scale)));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

QFont classicReadoutFont(const QFont &layout, qreal zoom)
{
    return zoom <= 1.0 ? QFont() : scaledFont(layout, readoutGrowth(zoom));
}

QFont countdownReadoutFont(const QFont &layout, qreal zoom)
{
    QFont font = scaledFont(layout, kCountdownReadoutScale * readoutGrowth(zoom));
    font.setBold(true);
    return font;
}

} // namespace

void frmhoved::countdownFonts(qreal zoom)
{
    for (QLabel *igjen : std::initializer_list<QLabel *>{igjena, igjenb})
        igjen->setFont(countdownReadoutFont(m_stage->client()->font(), zoom));
}

qreal frmhoved::zoom() const
{
    return m_stage->zoom();
}

qreal frmhoved::largestZoom() const
{
    const QScreen *screen = this->screen();
    if (!screen)
        return 1.0;
    // Everything around the layout keeps its size: menu, status bar, the window's frame.
    const QSize around = frameGeometry().size() - m_stage->size();
    const QSize room = screen->availableGeometry().size() - around;
    const QSize base = m_stage->baseSize();
    return std::max<qreal>(1.0, std::min(qreal(room.width()) / base.width(), qreal(room.height()) / base.height()));
}

void frmhoved::setZoom(qreal zoom)
{
    if (m_boardShown)
        return;
    zoom = std::clamp<qreal>(zoom, 1.0, largestZoom());
    if (isFullScreen() || isMaximized())
        showNormal();
    resize(size() - m_stage->size() + m_stage->sizeFor(zoom));
}

void frmhoved::Storre_Click()
{
    // Steps of a quarter; the last step is whatever still fits the screen.
    // A window of whole pixels comes within a hair of a step: such a zoom counts as on the step.
    const qreal step = std::floor(zoom() * 4 + 0.05) / 4 + 0.25;
    setZoom(std::min(step, largestZoom()));
}

void frmhoved::Mindre_Click()
{
    setZoom(std::ceil(zoom() * 4 - 0.05) / 4 - 0.25);
}

void frmhoved::VanligStorrelse_Click()
{
    setZoom(1.0);
}

void frmhoved::zoomChanged(qreal zoom)
{
    const QFont layout = m_stage->client()->font();
    for (QLabel *readout : std::initializer_list<QLabel *>{mina, seka, minb, sekb})
        readout->setFont(classicReadoutFont(layout, zoom));
    countdownFonts(zoom);
    // The canvases were laid anew at the new scale.
    refreshFace(Player::A, true);
    refreshFace(Player::B, false);
    Q_EMIT zoomed(zoom);
}

} // namespace gameclock
