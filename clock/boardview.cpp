#include "boardview.h"

#include "captions.h"
#include "display/face.h"
#include "sidetext.h"
#include "toolkit/controls.h"
#include "toolkit/gamemarks.h"
#include "toolkit/liveaccessible.h"
#include "toolkit/timer.h"
#include "toolkit/windows.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <list>

namespace gameclock {

namespace {

// Amber: the last minute, told from the running blue and the fallen red at a glance.
const QColor kLowTime(255, 170, 0);
// The running side where the desktop's accent would not stand out from the window.
const QColor kRunningBlue(21, 101, 192);
const QString kTimePatternFloor = QStringLiteral("00:00");

double luminance(const QColor &c)
{
    const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const QColor rgb = c.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

QColor readableOn(const QColor &ground)
{
    return contrastRatio(Qt::white, ground) >= contrastRatio(Qt::black, ground) ? QColor(Qt::white) : QColor(Qt::black);
}

// The time with every digit as '0': two times of one pattern occupy the same cells.
QString patternOf(const QString &time)
{
    QString pattern = time;
    for (QChar &c : pattern)
        if (c.isDigit())
            c = u'0';
    return pattern;
}

// A digit's cell holds the widest digit; any other character gets its own width.
qreal digitCellWidth(const QFontMetricsF &m)
{
    qreal width = 0;
    for (char16_t d = u'0'; d <= u'9'; ++d)
        width = std::max({width, m.horizontalAdvance(QChar(d)), m.boundingRect(QChar(d)).width()});
    return width;
}

qreal cellWidth(const QFontMetricsF &m, QChar c, qreal digitWidth)
{
    if (c.isDigit())
        return digitWidth;
    // A colon or a point between figures needs little room beside its ink: an hour's "1:30:00"
    // gains a tenth in size over the font's own spacing.
    const qreal ink = m.boundingRect(c).width();
    return std::max(ink, std::min(m.horizontalAdvance(c), ink + 0.12 * m.height()));
}

qreal patternWidth(const QFontMetricsF &m, const QString &pattern)
{
    const qreal digit = digitCellWidth(m);
    qreal width = 0;
    for (QChar c : pattern)
        width += cellWidth(m, c, digit);
    return width;
}

// The ink of every digit and of the pattern's other characters, around the baseline.
QRectF inkOf(const QFontMetricsF &m, const QString &pattern)
{
    return m.tightBoundingRect(QStringLiteral("0123456789") + pattern);
}

QFont timeFontBase()
{
    QFont font = toolkit::layoutFont();
    font.setBold(true);
    return font;
}

// The largest font in which the pattern fits the area, ink and all.
QFont fittedTimeFont(const QString &pattern, const QSize &area)
{
    QFont font = timeFontBase();
    constexpr int kReference = 200;
    font.setPixelSize(kReference);
    const QFontMetricsF reference(font);
    const qreal scale = std::min(area.width() / std::max<qreal>(1, patternWidth(reference, pattern)),
                                 area.height() / std::max<qreal>(1, inkOf(reference, pattern).height()));
    // Text does not scale quite linearly (hinting, rounding): check the size chosen and step down.
    int size = std::max(toolkit::kMinimumTextPixels, int(kReference * scale));
    for (;;) {
        font.setPixelSize(size);
        const QFontMetricsF m(font);
        if (size <= toolkit::kMinimumTextPixels ||
            (patternWidth(m, pattern) <= area.width() && inkOf(m, pattern).height() <= area.height()))
            return font;
        size = std::max(toolkit::kMinimumTextPixels, size - std::max(1, size / 100));
    }
}

constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap;

// The game buttons' column: narrow, for the halves' figures; the captions wrap.
int middleWidth(int viewWidth)
{
    return std::max(90, int(viewWidth * 0.1));
}

// A hand of the face: where it is drawn and how wide.
struct Hand {
    QLineF line;
    qreal width;
};

// The minute hand and the second hand of a side on a face in this square, in the classic face's
// proportions (a radius of 80, hands 72 and 80 long, 3 and 1 wide).
std::array<Hand, 2> hands(const SideView &side, const QRect &face)
{
    const QPointF centre = QRectF(face).center();
    const qreal radius = face.width() / 2.0 - 1;
    const qreal unit = radius / display::kRadius;
    const auto line = [&](qreal value, qreal length) {
        const qreal angle = value * M_PI / 30;
        return QLineF(centre, centre + QPointF(length * std::sin(angle), -length * std::cos(angle)));
    };
    return {Hand{line(side.handMinutes.value_or(0), display::kMinuteHandLength * unit), std::max(1.0, 3 * unit)},
            Hand{line(side.handSeconds.value_or(0), (display::kSecondHandLength - 1) * unit), std::max(1.0, unit)}};
}

// The pixels a hand may touch, its round ends and antialiased edges included.
QRect handReach(const Hand &hand)
{
    const qreal pad = hand.width / 2 + 2;
    return QRectF(hand.line.p1(), hand.line.p2()).normalized().adjusted(-pad, -pad, pad, pad).toAlignedRect();
}

// The face without its hands: green disc, red rim, transparent around it.
QImage discImage(const QSize &size, qreal ratio)
{
    QImage disc((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    disc.setDevicePixelRatio(ratio);
    disc.fill(Qt::transparent);
    QPainter p(&disc);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = size.width() / 2.0 - 1;
    const qreal unit = radius / display::kRadius;
    p.setPen(QPen(display::kRimColour, std::max(1.0, unit)));
    p.setBrush(display::kDiscColour);
    p.drawEllipse(QRectF(QPointF(0, 0), QSizeF(size)).center(), radius - unit / 2, radius - unit / 2);
    return disc;
}

} // namespace

// The figures of the time drawn once into images and copied from then on. Qt fills the outline of
// text this large anew at every drawing (its own glyph cache stops at 64 pixels): 1.5 ms for one
// figure at 3840 x 2160, against a tenth of that to copy it. Only the last few figures drawn are
// kept, in the colours in use: a running clock comes back to the same dozen.
class FigureCache {
public:
    struct Figure {
        QImage image;   // the ink, transparent around it
        QPointF offset; // from the pen's position on the baseline to the image's top left
    };

    const Figure &figure(QChar c, const QColor &colour, const QFont &font, qreal ratio)
    {
        if (font != m_font || ratio != m_ratio) {
            m_figures.clear();
            m_font = font;
            m_ratio = ratio;
        }
        const quint64 key = quint64(c.unicode()) << 32 | colour.rgba();
        for (auto it = m_figures.begin(); it != m_figures.end(); ++it) {
            if (it->first == key) {
                // Most recent first: the next look-up finds it at once.
                m_figures.splice(m_figures.begin(), m_figures, it);
                return m_figures.front().second;
            }
        }
        const QRectF ink = QFontMetricsF(font).boundingRect(c).adjusted(-2, -2, 2, 2);
        Figure f;
        f.image = QImage(QSize(int(std::ceil(ink.width() * ratio)), int(std::ceil(ink.height() * ratio))),
                         QImage::Format_ARGB32_Premultiplied);
        f.image.setDevicePixelRatio(ratio);
        f.image.fill(Qt::transparent);
        f.offset = ink.topLeft();
        QPainter p(&f.image);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(-ink.topLeft(), QString(c));
        p.end();
        m_figures.emplace_front(key, std::move(f));
        if (m_figures.size() > kKept)
            m_figures.pop_back();
        return m_figures.front().second;
    }

private:
    // Two colours of eleven characters, with room to spare.
    static constexpr size_t kKept = 26;
    std::list<std::pair<quint64, Figure>> m_figures;
    QFont m_font;
    qreal m_ratio = 0;
};

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

HalfLook halfLook(const SideView &side, Phase phase, const QPalette &palette)
{
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    HalfLook look{window, palette.color(QPalette::Active, QPalette::WindowText), QColor(), phase == Phase::Paused};
    if (side.flagFallen) {
        // The whole half, not a strip over the running blue: from across the room a fallen flag must
        // not look like a clock still running.
        look.ground = toolkit::FlagStrip::fallenBackground();
        look.figures = readableOn(look.ground);
    } else if (side.running) {
        QColor accent = palette.color(QPalette::Active, QPalette::Highlight);
        if (contrastRatio(accent, window) < 2.0)
            accent = kRunningBlue;
        look.ground = side.lowTime ? kLowTime : accent;
        look.figures = readableOn(look.ground);
    } else if (side.lowTime && phase != Phase::SetUp) {
        look.frame = kLowTime;
    }
    return look;
}

// ---- one half ----------------------------------------------------------------------------------

BoardHalf::BoardHalf(Player player, FigureCache *figures, QWidget *parent)
    : QWidget(parent), m_figures(figures), m_onLeft(player == Player::A)
{
    setObjectName(QLatin1String(player == Player::A ? "tavleA" : "tavleB"));
    // Every pixel is painted here: nothing behind needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    // The side in the words every view uses, as it is when the screen reader asks.
    toolkit::setLiveAccessibleText(this, [this](QAccessible::Text t) {
        return t == QAccessible::Description ? QStringLiteral("Trykk på din egen halvdel for å avslutte trekket ditt")
                                             : sideText(m_side, m_phase);
    });
}

void BoardHalf::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void BoardHalf::layOut()
{
    const int w = width(), h = height();
    const int unit = std::min(w, h);
    const int margin = std::max(4, int(unit * 0.025));
    const int inner = std::max(1, w - 2 * margin);
    m_flagArea = QRect(margin, margin, inner, std::max(12, int(h * 0.09)));
    m_nameArea = QRect(margin, m_flagArea.bottom() + 1 + margin / 2, inner, std::max(12, int(h * 0.09)));
    const int bottom = std::max(24, int(h * 0.24));
    const int faceSide = std::min(bottom, inner / 2);
    const int bottomTop = h - margin - bottom;
    // The face on the outer edge, the notes towards the middle.
    const bool onLeft = m_onLeft;
    const int faceLeft = onLeft ? margin : w - margin - faceSide;
    m_faceArea = QRect(faceLeft, bottomTop + (bottom - faceSide) / 2, faceSide, faceSide);
    m_statusArea = QRect(onLeft ? margin + faceSide + margin : margin, bottomTop, inner - faceSide - margin, bottom);
    const int timeTop = m_nameArea.bottom() + 1 + margin / 2;
    m_timeArea = QRect(margin, timeTop, inner, std::max(8, bottomTop - margin / 2 - timeTop));
    placeCells();
    update();
}

void BoardHalf::setOnLeft(bool onLeft)
{
    if (onLeft == m_onLeft)
        return;
    m_onLeft = onLeft;
    layOut();
}

void BoardHalf::setTimeFont(const QFont &font)
{
    if (font == m_cells.font)
        return;
    m_cells.font = font;
    placeCells();
    update(m_timeArea);
}

void BoardHalf::placeCells()
{
    m_cells.cells.clear();
    const QFontMetricsF m(m_cells.font);
    const QString &time = m_side.time;
    const qreal digit = digitCellWidth(m);
    qreal total = 0;
    for (QChar c : time)
        total += cellWidth(m, c, digit);
    qreal x = m_timeArea.left() + (m_timeArea.width() - total) / 2;
    for (QChar c : time) {
        const qreal cw = cellWidth(m, c, digit);
        m_cells.cells.emplace_back(x, m_timeArea.top(), cw, m_timeArea.height());
        x += cw;
    }
    // The ink of the figures centred in the area's height.
    const QRectF ink = inkOf(m, patternOf(time));
    m_cells.baseline = m_timeArea.top() + m_timeArea.height() / 2.0 - (ink.top() + ink.bottom()) / 2;
    // Where the figures' ink lies, antialiased edges and all: above and below it the ground never changes.
    m_cells.inkTop = m_cells.baseline + ink.top() - 2;
    m_cells.inkBottom = m_cells.baseline + ink.bottom() + 2;
}

QRect BoardHalf::cellRect(int index) const
{
    // Antialiased edges may touch the pixel beside the cell.
    QRectF cell = m_cells.cells[size_t(index)];
    cell.setTop(m_cells.inkTop);
    cell.setBottom(m_cells.inkBottom);
    return cell.toAlignedRect().adjusted(-1, 0, 1, 0) & m_timeArea;
}

void BoardHalf::setSide(const SideView &side, Phase phase)
{
    const HalfLook look = halfLook(side, phase, palette());
    const SideView old = m_side;
    const QString oldStatus = statusText();
    const Phase oldPhase = m_phase;
    const bool first = !m_look.ground.isValid();
    m_side = side;
    m_phase = phase;
    if (look != m_look || first) {
        m_look = look;
        placeCells();
        update();
    } else {
        QRegion dirty;
        if (old.name != side.name)
            dirty += m_nameArea;
        if (flagCaption(old) != flagCaption(side))
            dirty += m_flagArea;
        if (old.time != side.time) {
            if (patternOf(old.time) == patternOf(side.time) && m_cells.cells.size() == size_t(side.time.size())) {
                for (qsizetype i = 0; i < side.time.size(); ++i)
                    if (old.time[i] != side.time[i])
                        dirty += cellRect(int(i));
            } else {
                placeCells();
                dirty += m_timeArea;
            }
        }
        // Only around the hands that moved: the rest of the disc stays as it is.
        if (old.handMinutes != side.handMinutes || old.handSeconds != side.handSeconds) {
            const auto before = hands(old, m_faceArea), after = hands(side, m_faceArea);
            for (size_t i = 0; i < before.size(); ++i)
                if (before[i].line != after[i].line)
                    dirty += (handReach(before[i]) | handReach(after[i])) & m_faceArea;
        }
        if (statusText() != oldStatus)
            dirty += m_statusArea;
        if (!dirty.isEmpty())
            update(dirty);
    }
    // A screen reader hears a change of state, never a second counted: it reads the time when it asks.
    if (first || old.name != side.name || old.running != side.running || old.toMove != side.toMove ||
        old.flagFallen != side.flagFallen || old.fellFirst != side.fellFirst || old.lowTime != side.lowTime ||
        phase != oldPhase)
        toolkit::announceChange(this);
}

QString BoardHalf::flagCaption(const SideView &side)
{
    if (!side.flagFallen)
        return {};
    return gameclock::flagCaption(side.name, side.fellFirst);
}

QString BoardHalf::statusText() const
{
    QStringList lines;
    if (m_phase == Phase::Paused)
        lines << QStringLiteral("Pause");
    if (m_side.moves)
        lines << QStringLiteral("%1 trekk").arg(*m_side.moves);
    return lines.join(u'\n');
}

void BoardHalf::paintEvent(QPaintEvent *event)
{
    // Parts far apart (a figure, a hand) come as one region: each is drawn for its own rectangles.
    const QRegion &dirty = event->region();
    QPainter p(this);
    for (const QRect &r : dirty)
        p.fillRect(r, m_look.ground);
    const int unit = std::min(width(), height());
    if (m_look.striped) {
        // Broad diagonal stripes: a stopped clock, seen from across the room.
        p.setRenderHint(QPainter::Antialiasing);
        const qreal spacing = std::max(12.0, unit / 7.0);
        QColor stripe = m_look.figures;
        stripe.setAlpha(36);
        p.setPen(QPen(stripe, spacing / 3, Qt::SolidLine, Qt::FlatCap));
        const int h = height();
        const QRect bounds = dirty.boundingRect();
        for (qreal c = std::floor((bounds.left() - h) / spacing) * spacing; c < bounds.right() + h + spacing;
             c += spacing)
            if (c + h >= bounds.left() - spacing && c - h <= bounds.right() + spacing)
                p.drawLine(QPointF(c + h, -1), QPointF(c - 1, h + 1));
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (m_look.frame.isValid()) {
        const int t = std::max(3, int(unit * 0.025));
        for (const QRect &band : {QRect(0, 0, width(), t), QRect(0, height() - t, width(), t), QRect(0, 0, t, height()),
                                  QRect(width() - t, 0, t, height())})
            if (dirty.intersects(band))
                p.fillRect(band, m_look.frame);
    }
    if (hasFocus()) {
        p.setPen(QPen(m_look.figures, std::max(1, unit / 200), Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        const int inset = std::max(2, int(unit * 0.012));
        p.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
    }

    QFont textFont = toolkit::layoutFont();
    textFont.setBold(true);
    if (m_side.flagFallen && dirty.intersects(m_flagArea)) {
        // The strip turned inside out on the red half: a label across it that says whose flag it is.
        p.fillRect(m_flagArea, toolkit::FlagStrip::fallenText());
        textFont.setPixelSize(std::max(toolkit::kMinimumTextPixels, int(m_flagArea.height() * 0.55)));
        const toolkit::FittedText fit = toolkit::fitText(
            textFont, flagCaption(m_side),
            m_flagArea.adjusted(m_flagArea.height() / 4, 0, -m_flagArea.height() / 4, 0).size(), Qt::AlignCenter);
        p.setFont(fit.font);
        p.setPen(toolkit::FlagStrip::fallenBackground());
        p.drawText(m_flagArea, Qt::AlignCenter, fit.shown);
    }
    p.setPen(m_look.figures);
    if (dirty.intersects(m_nameArea)) {
        textFont.setPixelSize(std::max(toolkit::kMinimumTextPixels, int(m_nameArea.height() * 0.7)));
        const toolkit::FittedText fit = toolkit::fitText(textFont, m_side.name, m_nameArea.size(), Qt::AlignCenter);
        p.setFont(fit.font);
        p.drawText(m_nameArea, Qt::AlignCenter, fit.shown);
    }
    if (dirty.intersects(m_timeArea)) {
        const QFontMetricsF m(m_cells.font);
        const qreal ratio = devicePixelRatioF();
        for (size_t i = 0; i < m_cells.cells.size(); ++i) {
            const QRectF &cell = m_cells.cells[i];
            if (!dirty.intersects(cell.toAlignedRect()))
                continue;
            const QChar c = m_side.time[qsizetype(i)];
            const FigureCache::Figure &f = m_figures->figure(c, m_look.figures, m_cells.font, ratio);
            // The ink centred in its cell, on whole device pixels: a copy, never a resampling.
            const QPointF at(cell.center().x() - f.image.width() / ratio / 2, m_cells.baseline + f.offset.y());
            p.drawImage(QPointF(std::round(at.x() * ratio) / ratio, std::round(at.y() * ratio) / ratio), f.image);
        }
    }
    if (dirty.intersects(m_faceArea)) {
        // The disc as drawn once for this size, then the hands over it.
        const qreal ratio = devicePixelRatioF();
        if (m_disc.isNull() || m_disc.devicePixelRatio() != ratio ||
            m_disc.size() != (QSizeF(m_faceArea.size()) * ratio).toSize())
            m_disc = discImage(m_faceArea.size(), ratio);
        for (const QRect &r : dirty) {
            const QRect part = r & m_faceArea;
            if (!part.isEmpty())
                p.drawImage(
                    part, m_disc,
                    QRectF(QPointF(part.topLeft() - m_faceArea.topLeft()) * ratio, QSizeF(part.size()) * ratio));
        }
        p.setRenderHint(QPainter::Antialiasing);
        for (const Hand &hand : hands(m_side, m_faceArea)) {
            p.setPen(QPen(palette().color(QPalette::ButtonText), hand.width, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(hand.line);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (dirty.intersects(m_statusArea)) {
        const QString status = statusText();
        if (!status.isEmpty()) {
            QFont font = toolkit::layoutFont();
            font.setPixelSize(std::max(toolkit::kMinimumTextPixels, int(m_statusArea.height() * 0.28)));
            const toolkit::FittedText fit = toolkit::fitText(font, status, m_statusArea.size(), kTextFlags);
            p.setFont(fit.font);
            p.setPen(m_look.figures);
            p.drawText(m_statusArea, fit.whole ? kTextFlags : Qt::AlignCenter, fit.shown);
        }
    }
}

void BoardHalf::mousePressEvent(QMouseEvent *event)
{
    // A tap counts when it ends where it began: a finger that slides off, or a press that a popup
    // took, is no move.
    m_pressed = event->button() == Qt::LeftButton;
    // The move ends as the finger goes down; the release only confirms it.
    m_pressedAt = toolkit::TimeSource::current().nowMs();
    event->accept();
}

void BoardHalf::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Two quick taps are two taps: the second finds the clock switched and does nothing.
    mousePressEvent(event);
}

void BoardHalf::mouseReleaseEvent(QMouseEvent *event)
{
    const bool tap = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (tap)
        Q_EMIT tapped(m_pressedAt);
}

void BoardHalf::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            Q_EMIT tapped(toolkit::TimeSource::current().nowMs());
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BoardHalf::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The desktop's theme changed: the colours follow at once, not at the next second.
    if (event->type() == QEvent::PaletteChange && m_look.ground.isValid())
        setSide(m_side, m_phase);
}

void BoardHalf::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void BoardHalf::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

// ---- the view ----------------------------------------------------------------------------------

BoardView::BoardView(QWidget *parent) : QWidget(parent), m_figures(std::make_unique<FigureCache>())
{
    setObjectName(QStringLiteral("tavle"));
    setAccessibleName(QStringLiteral("Begge klokkene, tavlevisning"));
    m_halfA = new BoardHalf(Player::A, m_figures.get(), this);
    m_halfB = new BoardHalf(Player::B, m_figures.get(), this);
    const auto button = [this](const char *name, const QString &caption) {
        return toolkit::makeButton(this, name, caption);
    };
    startA = button("tavleStarta", QString());
    startB = button("tavleStartb", QString());
    switchButton = button("tavleBytt", QStringLiteral("Bytt spiller"));
    pauseButton = button("tavlePause", QStringLiteral("Pause"));
    resumeA = button("tavlePausea", QString());
    resumeB = button("tavlePauseb", QString());
    leaveButton = button("tavleLukk", QStringLiteral("Vanlig visning"));
    leaveButton->setToolTip(QStringLiteral("Tilbake til vinduet med menyene (Esc)"));
    connect(m_halfA, &BoardHalf::tapped, this, [this](qint64 at) { Q_EMIT tapped(Player::A, at); });
    connect(m_halfB, &BoardHalf::tapped, this, [this](qint64 at) { Q_EMIT tapped(Player::B, at); });
    connect(startA, &QPushButton::clicked, this, [this] { Q_EMIT startClicked(Player::A); });
    connect(startB, &QPushButton::clicked, this, [this] { Q_EMIT startClicked(Player::B); });
    connect(switchButton, &QPushButton::clicked, this, &BoardView::switchClicked);
    connect(pauseButton, &QPushButton::clicked, this, &BoardView::pauseClicked);
    connect(resumeA, &QPushButton::clicked, this, [this] { Q_EMIT resumeClicked(Player::A); });
    connect(resumeB, &QPushButton::clicked, this, [this] { Q_EMIT resumeClicked(Player::B); });
    connect(leaveButton, &QPushButton::clicked, this, &BoardView::leaveClicked);
    setMinimumSize(320, 200);
    followPhase();
}

BoardView::~BoardView() = default;

void BoardView::setState(const SideView &a, const SideView &b, Phase phase)
{
    // Nine refreshes in ten bring nothing new.
    if (m_shown && phase == m_phase && a == m_halfA->side() && b == m_halfB->side())
        return;
    m_shown = true;
    const bool phaseChanged = phase != m_phase;
    m_phase = phase;
    m_halfA->setSide(a, phase);
    m_halfB->setSide(b, phase);
    fitTime();
    if (a.name != m_names[0] || b.name != m_names[1]) {
        m_names[0] = a.name;
        m_names[1] = b.name;
        startA->setText(startCaption(a.name));
        startB->setText(startCaption(b.name));
        resumeA->setText(resumeCaption(a.name));
        resumeB->setText(resumeCaption(b.name));
    }
    if (phaseChanged) {
        QWidget *focus = QApplication::focusWidget();
        const bool focusHere = focus && isAncestorOf(focus);
        followPhase();
        // The button pressed a moment ago may be gone: Space goes on working the clock.
        if (focusHere)
            takeFocus();
    }
}

void BoardView::setSwapped(bool swapped)
{
    if (swapped == m_swapped)
        return;
    m_swapped = swapped;
    layOut();
}

void BoardView::takeFocus()
{
    QWidget *target = m_swapped ? startB : startA;
    if (m_phase == Phase::Running)
        target = switchButton;
    else if (m_phase == Phase::Paused)
        target = m_halfB->side().toMove ? resumeB : resumeA;
    target->setFocus(Qt::OtherFocusReason);
}

void BoardView::setMenuActions(const QList<QAction *> &actions)
{
    if (!m_menu) {
        m_menu = new QMenu(this);
        m_menu->setObjectName(QStringLiteral("tavleMeny"));
        m_menu->setFont(menuFont());
    }
    m_menu->clear();
    m_menu->addActions(actions);
}

void BoardView::contextMenuEvent(QContextMenuEvent *event)
{
    // Shown without waiting in a loop of its own: the clocks and the refresh go on meanwhile.
    if (m_menu)
        m_menu->popup(event->globalPos());
    event->accept();
}

void BoardView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void BoardView::layOut()
{
    const int w = width(), h = height();
    const int middle = middleWidth(w);
    const int halfWidth = (w - middle) / 2;
    BoardHalf *left = m_swapped ? m_halfB : m_halfA;
    BoardHalf *right = m_swapped ? m_halfA : m_halfB;
    left->setOnLeft(true);
    right->setOnLeft(false);
    left->setGeometry(0, 0, halfWidth, h);
    right->setGeometry(w - halfWidth, 0, halfWidth, h);
    // Tab goes from left to right, as the eye does.
    setTabOrder(left, m_swapped ? startB : startA);
    setTabOrder(m_swapped ? startB : startA, m_swapped ? startA : startB);
    setTabOrder(m_swapped ? startA : startB, switchButton);
    setTabOrder(switchButton, pauseButton);
    setTabOrder(pauseButton, m_swapped ? resumeB : resumeA);
    setTabOrder(m_swapped ? resumeB : resumeA, m_swapped ? resumeA : resumeB);
    setTabOrder(m_swapped ? resumeA : resumeB, right);
    setTabOrder(right, leaveButton);
    followPhase();
    fitTime();
}

void BoardView::followPhase()
{
    const bool setUp = m_phase == Phase::SetUp, running = m_phase == Phase::Running, paused = m_phase == Phase::Paused;
    startA->setHidden(!setUp);
    startB->setHidden(!setUp);
    switchButton->setHidden(!running);
    pauseButton->setHidden(!running);
    resumeA->setHidden(!paused);
    resumeB->setHidden(!paused);

    const int w = width(), h = height();
    const int halfWidth = (w - middleWidth(w)) / 2;
    const int gap = std::max(4, int(h * 0.02));
    const int left = halfWidth + gap, width = std::max(10, w - 2 * halfWidth - 2 * gap);
    QFont font = toolkit::layoutFont();
    font.setPixelSize(std::clamp(int(h * 0.032), 11, 200));
    for (QPushButton *b : {startA, startB, switchButton, pauseButton, resumeA, resumeB, leaveButton})
        b->setFont(font);
    if (m_menu)
        m_menu->setFont(menuFont());
    const int top = gap, bottom = h - gap;
    const int leaveHeight = std::max(24, int(h * 0.1));
    leaveButton->setGeometry(left, bottom - leaveHeight, width, leaveHeight);
    const int room = bottom - leaveHeight - 3 * gap - top;
    // The switch is the big one: it is hit once a move.
    switchButton->setGeometry(left, top, width, room * 7 / 10);
    pauseButton->setGeometry(left, top + room * 7 / 10 + gap, width, room * 3 / 10);
    // The left player's button first.
    QPushButton *firstStart = m_swapped ? startB : startA, *secondStart = m_swapped ? startA : startB;
    QPushButton *firstResume = m_swapped ? resumeB : resumeA, *secondResume = m_swapped ? resumeA : resumeB;
    for (auto [first, second] : {std::pair{firstStart, secondStart}, std::pair{firstResume, secondResume}}) {
        first->setGeometry(left, top, width, room / 2);
        second->setGeometry(left, top + room / 2 + gap, width, room / 2);
    }
}

QFont BoardView::menuFont() const
{
    // A popup takes the desktop's font, not its parent's: at 4K that is a line a few millimetres high
    // on a board read from across the table. Smaller than the buttons', read from nearer.
    QFont font = toolkit::layoutFont();
    font.setPixelSize(std::clamp(int(height() * 0.022), 11, 120));
    return font;
}

void BoardView::fitTime()
{
    // Both halves in one size, fitted to the wider of the two times (and never to less than two
    // figures of minutes, so that the size holds still through a game).
    const QString a = patternOf(m_halfA->side().time), b = patternOf(m_halfB->side().time);
    const QSize area = m_halfA->timeArea().size();
    const QString key = a + u'|' + b + u'|' + QString::number(area.width()) + u'x' + QString::number(area.height()) +
                        (m_halfA->side().countsDown ? u'd' : u'c');
    if (key == m_pattern || area.isEmpty())
        return;
    m_pattern = key;
    QFont font = timeFontBase();
    font.setPixelSize(100);
    const QFontMetricsF m(font);
    QString pattern = kTimePatternFloor;
    // A count-down clock shows tenths in its last ten seconds: the size is set for them from the
    // start, rather than shrinking just when every second counts.
    const bool tenths = m_halfA->side().countsDown || m_halfB->side().countsDown;
    for (const QString &p : {a, b, tenths ? QStringLiteral("0:00.0") : QString()})
        if (patternWidth(m, p) > patternWidth(m, pattern))
            pattern = p;
    const QFont fitted = fittedTimeFont(pattern, area);
    m_halfA->setTimeFont(fitted);
    m_halfB->setTimeFont(fitted);
    // Every figure drawn once now, in the colours of both halves, rather than one a second during play.
    for (const BoardHalf *half : {m_halfA, m_halfB})
        for (QChar c : half->look().figures.isValid() ? QStringLiteral("0123456789:") : QString())
            m_figures->figure(c, half->look().figures, fitted, half->devicePixelRatioF());
}

} // namespace gameclock
