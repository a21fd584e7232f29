#include "toolkit/timer.h"
#include "tests/support/manualclock.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using support::ManualClock;
using toolkit::Timer;
using toolkit::TimeSource;

// The effects a game clock depends on and a bare QTimer does not give.
class tst_timer : public QObject {
    Q_OBJECT
    ManualClock m_clock;

private Q_SLOTS:
    void init() { TimeSource::setCurrent(&m_clock); }
    void cleanup() { TimeSource::setCurrent(nullptr); }

    void intervalZeroNeverFires()
    {
        Timer t(nullptr, 0, true);
        QSignalSpy spy(&t, &Timer::timeout);
        m_clock.advance(60'000);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_clock.armedCount(), 0);
    }

    void intervalAndEnabledAreSeparate_data()
    {
        QTest::addColumn<bool>("enableFirst");
        QTest::newRow("interval then enable") << false;
        QTest::newRow("enable then interval") << true;
    }
    void intervalAndEnabledAreSeparate()
    {
        QFETCH(bool, enableFirst);
        Timer t;
        QSignalSpy spy(&t, &Timer::timeout);
        if (enableFirst) {
            t.setEnabled(true);
            m_clock.advance(5000);
            QCOMPARE(spy.count(), 0); // enabled with interval 0 is still inert
            t.setInterval(1000);
        } else {
            t.setInterval(1000);
            m_clock.advance(5000);
            QCOMPARE(spy.count(), 0); // an interval alone does not start it
            t.setEnabled(true);
        }
        m_clock.advance(999);
        QCOMPARE(spy.count(), 0);
        m_clock.advance(1);
        QCOMPARE(spy.count(), 1);
        m_clock.advance(3000);
        QCOMPARE(spy.count(), 4);
    }

    void disablingDropsThePartAlreadyRun()
    {
        Timer t(nullptr, 1000, true);
        QSignalSpy spy(&t, &Timer::timeout);
        m_clock.advance(900);
        t.setEnabled(false);
        m_clock.advance(500);
        t.setEnabled(true); // a fresh period: 900 ms already run do not count
        m_clock.advance(999);
        QCOMPARE(spy.count(), 0);
        m_clock.advance(1);
        QCOMPARE(spy.count(), 1);
    }

    void enablingAnEnabledTimerKeepsItsPeriod()
    {
        Timer t(nullptr, 1000, true);
        QSignalSpy spy(&t, &Timer::timeout);
        m_clock.advance(600);
        t.setEnabled(true);
        m_clock.advance(400);
        QCOMPARE(spy.count(), 1);
    }

    void lateTickComesOnce()
    {
        Timer t(nullptr, 1000, true);
        QSignalSpy spy(&t, &Timer::timeout);
        m_clock.stall(3500); // the event loop was blocked for three and a half periods
        QCOMPARE(spy.count(), 1);
        m_clock.advance(999);
        QCOMPARE(spy.count(), 1);
        m_clock.advance(1);
        QCOMPARE(spy.count(), 2);
    }

    void ticksComeInTimeOrderAcrossTimers()
    {
        Timer fast(nullptr, 100, true);
        Timer slow(nullptr, 250, true);
        QStringList seen;
        const qint64 start = m_clock.now();
        connect(&fast, &Timer::timeout, this, [&] { seen << QStringLiteral("f%1").arg(m_clock.now() - start); });
        connect(&slow, &Timer::timeout, this, [&] { seen << QStringLiteral("s%1").arg(m_clock.now() - start); });
        m_clock.advance(500);
        QCOMPARE(seen, (QStringList{"f100", "f200", "s250", "f300", "f400", "s500", "f500"}));
    }

    void handlerSwitchingTimersSeesNoGap()
    {
        // A handler that stops one timer and starts another, as the switch button does, within one tick.
        Timer a(nullptr, 1000, true);
        Timer b(nullptr, 1000, false);
        int aTicks = 0, bTicks = 0;
        connect(&a, &Timer::timeout, this, [&] {
            ++aTicks;
            a.setEnabled(false);
            b.setEnabled(true);
        });
        connect(&b, &Timer::timeout, this, [&] { ++bTicks; });
        m_clock.advance(3000);
        QCOMPARE(aTicks, 1);
        QCOMPARE(bTicks, 2);
    }

    void destroyedTimerLeavesTheClock()
    {
        {
            Timer t(nullptr, 10, true);
            QCOMPARE(m_clock.armedCount(), 1);
        }
        QCOMPARE(m_clock.armedCount(), 0);
        m_clock.advance(100);
    }

    void changingIntervalStartsAFreshPeriod()
    {
        Timer t(nullptr, 1000, true);
        QSignalSpy spy(&t, &Timer::timeout);
        m_clock.advance(700);
        t.setInterval(500);
        m_clock.advance(499);
        QCOMPARE(spy.count(), 0);
        m_clock.advance(1);
        QCOMPARE(spy.count(), 1);
    }

    void activeFollowsEnabledAndInterval()
    {
        Timer t;
        QSignalSpy spy(&t, &Timer::activeChanged);
        t.setEnabled(true); // interval 0: still inactive
        t.setInterval(1000);
        t.setInterval(500); // a fresh period, but no change of activity
        t.setEnabled(false);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
    }

    void realTimerIsPreciseAndTicks()
    {
        TimeSource::setCurrent(nullptr);
        Timer t(nullptr, 20, true);
        QSignalSpy spy(&t, &Timer::timeout);
        QVERIFY(spy.wait(2000));
        auto *qt = t.findChild<QTimer *>();
        QVERIFY(qt);
        QCOMPARE(qt->timerType(), Qt::PreciseTimer);
        t.setEnabled(false);
        QVERIFY(!qt->isActive());
    }
};

QTEST_GUILESS_MAIN(tst_timer)
#include "tst_timer.moc"
