#include "tests/support/clockfixture.h"

#include "display/face.h"
#include "toolkit/picturebox.h"
#include "toolkit/twips.h"

#include <QEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>

using gameclock::frmhoved;
using toolkit::PictureBox;

namespace {

// Hands are drawn through pixel centres: (100, 100) names the pixel whose centre is (100.5, 100.5).
QPointF onHand(double value, double distance, double across = 0)
{
    const double angle = value * std::numbers::pi / 30.0;
    return {100.5 + distance * std::sin(angle) + across * std::cos(angle),
            100.5 - distance * std::cos(angle) + across * std::sin(angle)};
}

// How far the pixel under a point has gone from the disc colour towards the hands' colour:
// 0 for bare disc, 1 for a pixel fully covered by a hand. Colours that are no blend of the two
// (rim, background) count as no ink.
double inkAt(const PictureBox &box, QPointF p)
{
    const QImage &canvas = box.canvas();
    const qreal dpr = canvas.devicePixelRatio();
    const QColor c = canvas.pixelColor(int(std::floor(p.x() * dpr)), int(std::floor(p.y() * dpr)));
    const QColor fore = box.foreColor();
    const QColor disc = display::kDiscColour;
    const double f[3] = {double(fore.red() - disc.red()), double(fore.green() - disc.green()),
                         double(fore.blue() - disc.blue())};
    const double v[3] = {double(c.red() - disc.red()), double(c.green() - disc.green()),
                         double(c.blue() - disc.blue())};
    const double t =
        std::clamp((v[0] * f[0] + v[1] * f[1] + v[2] * f[2]) / (f[0] * f[0] + f[1] * f[1] + f[2] * f[2]), 0.0, 1.0);
    const double off = std::hypot(v[0] - t * f[0], v[1] - t * f[1], v[2] - t * f[2]);
    return off > 24 ? 0.0 : t;
}

// The width of the ink where a pixel row or column (whichever crosses the hand more squarely)
// meets the hand at the given distance from the centre.
double widthAt(const PictureBox &box, double value, double distance)
{
    const double angle = value * std::numbers::pi / 30.0;
    const double ux = std::sin(angle), uy = -std::cos(angle);
    const QPointF p = onHand(value, distance);
    const qreal dpr = box.canvas().devicePixelRatio();
    const bool alongRow = std::abs(uy) >= std::abs(ux);
    double sum = 0;
    for (double step = -4; step <= 4; step += 1 / dpr)
        sum += inkAt(box, alongRow ? QPointF(p.x() + step, p.y()) : QPointF(p.x(), p.y() + step));
    return sum / dpr * (alongRow ? std::abs(uy) : std::abs(ux));
}

// Checks that one hand of the given width and length points at value; empty when it does.
QString handProblem(const PictureBox &box, double value, double length, int width)
{
    const auto fail = [&](const char *what, double d, double measured) {
        return QStringLiteral("value %1: %2 at distance %3 (%4)")
            .arg(value)
            .arg(QLatin1String(what))
            .arg(d)
            .arg(measured);
    };
    for (double d : {length * 0.4, length * 0.6, length - 3}) {
        const double w = widthAt(box, value, d);
        if (std::abs(w - width) > 0.5)
            return fail("wrong width", d, w);
    }
    if (const double w = widthAt(box, value, length - 2); w < 0.6 * width)
        return fail("too short", length - 2, w);
    const double past = length + width / 2.0 + 1.5;
    if (const double ink = inkAt(box, onHand(value, past)); ink > 0.05)
        return fail("too long", past, ink);
    if (const double ink = inkAt(box, onHand(value + 30, 10)); ink > 0.05)
        return fail("drawn backwards", -10, ink);
    return {};
}

QSize faceSize()
{
    return {toolkit::twips(3100), toolkit::twips(2775)};
}

void refresh(PictureBox &box, std::optional<double> minutes, std::optional<double> seconds)
{
    display::faceRefresh(box, minutes, seconds, [&box](double x, double y, std::optional<double> v, double l) {
        display::drawHand(box, x, y, v, l);
    });
}

// The first pixel where two canvases differ, or empty.
QString firstDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("device pixel (%1, %2): %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixelColor(x, y).name(), b.pixelColor(x, y).name());
    return {};
}

// Records the order in which picture boxes are drawn on.
class DrawOrder {
public:
    explicit DrawOrder(const QList<PictureBox *> &boxes)
    {
        for (PictureBox *box : boxes)
            m_connections << QObject::connect(box, &PictureBox::drawnOn, box, [this, box] {
                if (m_order.isEmpty() || m_order.last() != box->objectName())
                    m_order << box->objectName();
            });
    }
    QStringList finish()
    {
        for (const auto &c : std::as_const(m_connections))
            QObject::disconnect(c);
        return m_order;
    }

private:
    QList<QMetaObject::Connection> m_connections;
    QStringList m_order;
};

} // namespace

class tst_face : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handPointsAtItsValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("length");
        QTest::addColumn<int>("width");
        QTest::newRow("0: twelve") << 0.0 << 80.0 << 1;
        QTest::newRow("15: three") << 15.0 << 80.0 << 1;
        QTest::newRow("30: six") << 30.0 << 80.0 << 1;
        QTest::newRow("45: nine") << 45.0 << 80.0 << 1;
        QTest::newRow("60: twelve again") << 60.0 << 80.0 << 1;
        QTest::newRow("75: three again") << 75.0 << 80.0 << 1;
        QTest::newRow("-15: nine") << -15.0 << 80.0 << 1;
        QTest::newRow("5: one") << 5.0 << 80.0 << 1;
        QTest::newRow("22") << 22.0 << 80.0 << 1;
        QTest::newRow("52") << 52.0 << 80.0 << 1;
        QTest::newRow("between steps") << 37.5 << 80.0 << 1;
        QTest::newRow("thick 0") << 0.0 << 72.0 << 3;
        QTest::newRow("thick 45") << 45.0 << 72.0 << 3;
        QTest::newRow("thick 5") << 5.0 << 72.0 << 3;
        QTest::newRow("thick 41") << 41.0 << 72.0 << 3;
        QTest::newRow("short") << 10.0 << 30.0 << 1;
    }
    void handPointsAtItsValue()
    {
        QFETCH(double, value);
        QFETCH(double, length);
        QFETCH(int, width);
        PictureBox box;
        box.resize(faceSize());
        refresh(box, std::nullopt, std::nullopt);
        box.setDrawWidth(width);
        display::drawHand(box, 100, 100, value, length);
        const QString problem = handProblem(box, value, length, width);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void handStartsAtItsCentre()
    {
        PictureBox box;
        box.resize(faceSize());
        refresh(box, std::nullopt, std::nullopt);
        display::drawHand(box, 60, 90, 15, 20);
        for (int x : {61, 70, 79})
            QVERIFY(inkAt(box, QPointF(x + 0.5, 90.5)) > 0.95);
        for (QPoint bare : {QPoint(58, 90), QPoint(82, 90), QPoint(70, 89), QPoint(70, 91), QPoint(101, 90)})
            QVERIFY(inkAt(box, QPointF(bare.x() + 0.5, bare.y() + 0.5)) < 0.05);
    }

    void faceShowsItsReadouts_data()
    {
        QTest::addColumn<double>("minutes");
        QTest::addColumn<double>("seconds");
        QTest::newRow("0:40") << 0.0 << 40.0;
        QTest::newRow("5:30") << 5.0 << 30.0;
        QTest::newRow("12:45") << 12.0 << 45.0;
        QTest::newRow("15:7") << 15.0 << 7.0;
        QTest::newRow("59:20") << 59.0 << 20.0;
        QTest::newRow("past the hour 83:50") << 83.0 << 50.0;
    }
    void faceShowsItsReadouts()
    {
        QFETCH(double, minutes);
        QFETCH(double, seconds);
        PictureBox box;
        box.resize(faceSize());
        refresh(box, minutes, seconds);
        QString problem = handProblem(box, minutes, 72, 3);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("minute hand: ") + problem));
        problem = handProblem(box, seconds, 80, 1);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("second hand: ") + problem));
    }

    void faceColoursAndReach()
    {
        PictureBox box;
        box.resize(faceSize());
        const QColor background = box.pixelAt(2, 2);
        refresh(box, 0, 15);
        const QColor rim(255, 0, 0);
        for (QPoint p : {QPoint(100, 20), QPoint(180, 100), QPoint(100, 180), QPoint(20, 100)})
            QCOMPARE(box.pixelAt(p.x(), p.y()), rim);
        for (QPoint p : {QPoint(100, 18), QPoint(182, 100), QPoint(100, 182), QPoint(18, 100), QPoint(2, 2)})
            QCOMPARE(box.pixelAt(p.x(), p.y()), background);
        for (QPoint p : {QPoint(60, 60), QPoint(140, 140), QPoint(100, 178), QPoint(22, 100), QPoint(130, 50)})
            QCOMPARE(box.pixelAt(p.x(), p.y()), QColor(0, 128, 0));
        // Minute hand: 3 wide, 72 long, straight up.
        for (int x : {99, 100, 101})
            QCOMPARE(box.pixelAt(x, 100 - 71), box.foreColor());
        QCOMPARE(box.pixelAt(98, 60), QColor(0, 128, 0));
        QCOMPARE(box.pixelAt(102, 60), QColor(0, 128, 0));
        QCOMPARE(box.pixelAt(100, 100 - 74), QColor(0, 128, 0));
        // Second hand: 1 wide, reaching the rim at three o'clock without breaking it. The dial's
        // rounded pi tilts it by a ten-thousandth of a pixel.
        for (int x : {101, 140, 179})
            QVERIFY(inkAt(box, QPointF(x + 0.5, 100.5)) > 0.95);
        QVERIFY(inkAt(box, QPointF(140.5, 99.5)) < 0.05);
        QVERIFY(inkAt(box, QPointF(140.5, 101.5)) < 0.05);
    }

    void redrawLeavesNoTrace_data()
    {
        QTest::addColumn<double>("value");
        for (double v = 0; v < 60; v += 0.5)
            QTest::addRow("%g", v) << v;
    }
    void redrawLeavesNoTrace()
    {
        QFETCH(double, value);
        PictureBox box;
        box.resize(faceSize());
        refresh(box, value, value);
        const QImage once = box.canvas();
        refresh(box, value, value);
        QString difference = firstDifference(box.canvas(), once);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("same labels again: ") + difference));

        // The old hands are gone at the next refresh, the tips beside the rim included.
        refresh(box, 23, 41);
        PictureBox fresh;
        fresh.resize(faceSize());
        refresh(fresh, 23, 41);
        difference = firstDifference(box.canvas(), fresh.canvas());
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("after moving on: ") + difference));
    }

    // A face that redraws only where its hands moved, and one drawn whole over its last picture,
    // must each end up as a face drawn once from scratch, at every zoom: in a running game and when
    // the hands jump (an opened game, a read-out that is no number).
    void refreshedFaceMatchesAFreshOne_data()
    {
        using Hands = QList<std::optional<double>>; // minutes, seconds, minutes, seconds, ...
        const std::optional<double> none;
        QTest::addColumn<double>("zoom");
        QTest::addColumn<Hands>("steps");
        for (double zoom : {1.0, 1.5, 2.86}) {
            for (int from : {0, 55, 3599}) {
                Hands running;
                for (int second = from; second <= from + 70; ++second)
                    running << second / 60 << second % 60;
                QTest::addRow("zoom %g, a second at a time from %d s", zoom, from) << zoom << running;
            }
            QTest::addRow("zoom %g, jumps", zoom)
                << zoom << Hands{12, 34, 45, 1, 45, 31, 7.5, 15.25, 0, 0, 59.9, 59.9, 30, 30, 30, 30, 14, 46, 1, 59};
            QTest::addRow("zoom %g, hands that are not there", zoom)
                << zoom << Hands{none, none, 5, 5, none, 30, 20, none, 1e308, 44, 8, 1e308, 8, 9, none, none, 3, 4};
        }
    }
    void refreshedFaceMatchesAFreshOne()
    {
        QFETCH(double, zoom);
        QFETCH(QList<std::optional<double>>, steps);
        const auto drawn = [zoom](PictureBox &box, std::optional<double> minutes, std::optional<double> seconds,
                                  const std::optional<display::FaceHands> &shown) {
            box.resize((QSizeF(faceSize()) * zoom).toSize());
            box.setZoom(zoom);
            display::faceRefresh(
                box, minutes, seconds,
                [&box](double x, double y, std::optional<double> v, double l) { display::drawHand(box, x, y, v, l); },
                true, shown);
        };
        PictureBox moved, whole;
        std::optional<display::FaceHands> shown;
        for (qsizetype i = 0; i + 1 < steps.size(); i += 2) {
            drawn(moved, steps[i], steps[i + 1], shown);
            shown = display::FaceHands{steps[i], steps[i + 1]};
            drawn(whole, steps[i], steps[i + 1], std::nullopt);
            PictureBox fresh;
            drawn(fresh, steps[i], steps[i + 1], std::nullopt);
            for (const auto &[how, box] : {std::pair{"where the hands moved", &moved}, std::pair{"whole", &whole}}) {
                const QString difference = firstDifference(box->canvas(), fresh.canvas());
                QVERIFY2(difference.isEmpty(),
                         qPrintable(QStringLiteral("step %1, drawn %2: ").arg(i / 2).arg(how) + difference));
            }
        }
    }

    void valueThatIsNoNumberDrawsNothing_data()
    {
        QTest::addColumn<std::optional<double>>("value");
        QTest::newRow("none") << std::optional<double>();
        QTest::newRow("NaN") << std::optional<double>(std::numeric_limits<double>::quiet_NaN());
        QTest::newRow("infinity") << std::optional<double>(std::numeric_limits<double>::infinity());
        QTest::newRow("minus infinity") << std::optional<double>(-std::numeric_limits<double>::infinity());
        QTest::newRow("no angle") << std::optional<double>(1e308);
    }
    void valueThatIsNoNumberDrawsNothing()
    {
        QFETCH(std::optional<double>, value);
        PictureBox box;
        box.resize(faceSize());
        refresh(box, std::nullopt, std::nullopt);
        const QImage before = box.canvas();
        box.setDrawWidth(3);
        display::drawHand(box, 100, 100, value, 72);
        const QString difference = firstDifference(box.canvas(), before);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // ---- through the main window ---------------------------------------------------------------

    void tickMovesTheHandsOfARunningClock()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.starta->click();
        // The hands follow within one refresh period of the last second.
        f.clock.advance(160'000 + 100);
        QCOMPARE(readouts(w), QStringLiteral("2:40 0:0"));
        QString problem = handProblem(*w.ura, 2, 72, 3);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = handProblem(*w.ura, 40, 80, 1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        w.Command1->click();
        f.clock.advance(12 * 60'000 + 45'000 + 100);
        QCOMPARE(readouts(w), QStringLiteral("2:40 12:45"));
        problem = handProblem(*w.urb, 12, 72, 3);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = handProblem(*w.urb, 45, 80, 1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void limitDecidesWhetherFacesAreRedrawn_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<bool>("redrawn");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("00") << "00" << false;
        QTest::newRow("abc") << "abc" << false;
        QTest::newRow("blanks around 0") << " 0 " << false;
        QTest::newRow("0.5") << "0.5" << true;
        QTest::newRow("60") << "60" << true;
        QTest::newRow("45abc") << "45abc" << true;
        QTest::newRow("negative") << "-3" << true;
    }
    void limitDecidesWhetherFacesAreRedrawn()
    {
        QFETCH(QString, limit);
        QFETCH(bool, redrawn);
        ClockFixture f;
        frmhoved &w = f.start();
        w.stans->setText(limit);
        w.mina->setText(QStringLiteral("10"));
        w.seka->setText(QStringLiteral("30"));
        w.minb->setText(QStringLiteral("20"));
        w.sekb->setText(QStringLiteral("15"));
        f.clock.advance(100);
        for (PictureBox *face : {w.ura, w.urb}) {
            // Start-up drew both hands at twelve.
            const bool moved = inkAt(*face, onHand(0, 50)) < 0.1;
            QCOMPARE(moved, redrawn);
        }
        if (redrawn)
            return;
        // Typing a number brings the redrawing back at the next tick.
        w.stans->clear();
        QTest::keyClicks(w.stans, QStringLiteral("30"));
        f.clock.advance(100);
        for (auto [face, minutes, seconds] : {std::tuple{w.ura, 10, 30}, std::tuple{w.urb, 20, 15}}) {
            QString problem = handProblem(*face, minutes, 72, 3);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            problem = handProblem(*face, seconds, 80, 1);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
    }

    void captionsFollowTheNames_data()
    {
        QTest::addColumn<QString>("nameA");
        QTest::addColumn<QString>("nameB");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("captionA");
        QTest::addColumn<QString>("captionB");
        QTest::newRow("defaults") << "Spiller A"
                                  << "Spiller B"
                                  << "60"
                                  << "Spiller A begynner"
                                  << "Spiller B begynner";
        QTest::newRow("typed") << "Kari"
                               << "Åse Ødegård"
                               << "60"
                               << "Kari begynner"
                               << "Åse Ødegård begynner";
        QTest::newRow("empty") << ""
                               << "Ola"
                               << "60"
                               << " begynner"
                               << "Ola begynner";
        QTest::newRow("blanks kept") << " Per "
                                     << ""
                                     << "60"
                                     << " Per  begynner"
                                     << " begynner";
        QTest::newRow("limit 0") << "Kari"
                                 << "Ola"
                                 << "0"
                                 << "Kari begynner"
                                 << "Ola begynner";
        QTest::newRow("limit empty") << "Kari"
                                     << "Ola"
                                     << ""
                                     << "Kari begynner"
                                     << "Ola begynner";
    }
    void captionsFollowTheNames()
    {
        QFETCH(QString, nameA);
        QFETCH(QString, nameB);
        QFETCH(QString, limit);
        QFETCH(QString, captionA);
        QFETCH(QString, captionB);
        ClockFixture f;
        frmhoved &w = f.start();
        w.spillera->setText(nameA);
        w.spillerb->setText(nameB);
        w.stans->setText(limit);
        f.clock.advance(100);
        QCOMPARE(w.starta->text(), captionA);
        QCOMPARE(w.startb->text(), captionB);
    }

    void faceBIsRedrawnFirstAndKeepsItsFillColour()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        const QColor other(0, 0, 200);
        w.ura->setFillColor(other);
        w.urb->setFillColor(other);
        // Both read-outs move, so that both faces have something new to show.
        w.mina->setText(QStringLiteral("1"));
        w.minb->setText(QStringLiteral("1"));
        DrawOrder order({w.ura, w.urb});
        f.clock.advance(100);
        QCOMPARE(order.finish(), (QStringList{QStringLiteral("urb"), QStringLiteral("ura")}));
        QCOMPARE(w.ura->pixelAt(60, 60), QColor(0, 128, 0));
        QCOMPARE(w.urb->pixelAt(60, 60), other);
        // The start-up sets both.
        w.Nytt->trigger();
        f.clock.advance(1);
        QCOMPARE(w.urb->pixelAt(60, 60), QColor(0, 128, 0));
    }

    void readoutThatIsNoNumberDrawsNoHand_data()
    {
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("minutes abc") << "abc"
                                     << "30";
        QTest::newRow("minutes empty") << ""
                                       << "30";
        QTest::newRow("minutes 5x") << "5x"
                                    << "30";
        QTest::newRow("seconds abc") << "5"
                                     << "abc";
        QTest::newRow("seconds empty") << "5"
                                       << "";
        QTest::newRow("both") << "x"
                              << "y";
    }
    void readoutThatIsNoNumberDrawsNoHand()
    {
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        ClockFixture f;
        frmhoved &w = f.start();
        w.minb->setText(minutes);
        w.sekb->setText(seconds);
        w.mina->setText(QStringLiteral("5"));
        w.seka->setText(QStringLiteral("30"));
        f.clock.advance(100);
        // The hands drawn at twelve by the start-up are gone; a number still gets its hand.
        QVERIFY(inkAt(*w.urb, onHand(0, 50)) < 0.1);
        if (minutes == QLatin1String("5"))
            QVERIFY(handProblem(*w.urb, 5, 72, 3).isEmpty());
        if (seconds == QLatin1String("30"))
            QVERIFY(handProblem(*w.urb, 30, 80, 1).isEmpty());
        // Face A, redrawn after B, is not held up.
        QString problem = handProblem(*w.ura, 5, 72, 3);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = handProblem(*w.ura, 30, 80, 1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_MAIN(tst_face)
#include "tst_face.moc"
