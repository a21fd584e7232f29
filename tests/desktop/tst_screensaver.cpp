#include "desktop/screensaver.h"
#include "toolkit/timer.h"
#include "tests/support/fakeservices.h"
#include "tests/support/manualclock.h"
#include "tests/support/privatebus.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using support::ManualClock;
using desktop::ScreenSaverInhibitor;
using toolkit::Timer;
using toolkit::TimeSource;

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");

// The desktop's screen-saver service as the program meets it on the bus. It may hold its answers
// back to play a slow desktop.
class FakeScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    struct Request {
        QString application;
        QString reason;
        uint cookie;
    };
    QList<Request> inhibits;
    QList<uint> uninhibits;
    bool holdAnswers = false;
    QList<QDBusMessage> heldAnswers;

    void sendHeldAnswers(QDBusConnection &connection)
    {
        for (const QDBusMessage &answer : std::as_const(heldAnswers))
            connection.send(answer);
        heldAnswers.clear();
    }

public Q_SLOTS:
    uint Inhibit(const QString &application, const QString &reason)
    {
        // Cookies far apart, so that releasing the wrong one shows.
        const uint cookie = 1000 + 17 * uint(inhibits.size());
        inhibits.append({application, reason, cookie});
        if (holdAnswers) {
            setDelayedReply(true);
            heldAnswers.append(message().createReply(cookie));
        }
        return cookie;
    }
    void UnInhibit(uint cookie) { uninhibits.append(cookie); }
};

} // namespace

// Keeping the screen awake while a clock runs, against a private session bus with a fake
// screen-saver service.
class tst_screensaver : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_service;
    std::unique_ptr<FakeScreenSaver> m_fake;
    Barrier m_barrier;
    ManualClock m_clock;

    // Publishes the fake under the service name at the given object path (none: absent).
    void publish(const QString &path)
    {
        m_fake = std::make_unique<FakeScreenSaver>();
        if (path.isEmpty())
            return;
        QVERIFY(m_service->registerObject(path, m_fake.get(), QDBusConnection::ExportAllSlots));
        QVERIFY(m_service->registerService(kService));
    }

    // Lets queued requests go out and every call made so far reach the fake and be answered.
    void settle() { QVERIFY(Barrier::settle(*m_service, QDBusConnection::sessionBus())); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Before anything connects to the session bus.
        if (const QString why = m_bus.startAs(QDBusConnection::SessionBus, m_dir.path(), m_service); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_service->isConnected());
        QVERIFY(m_service->registerObject(Barrier::path, &m_barrier, QDBusConnection::ExportAllSlots));
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.partivakt.Partivakt"));
    }

    void init()
    {
        TimeSource::setCurrent(&m_clock);
    }

    void cleanup()
    {
        TimeSource::setCurrent(nullptr);
        if (m_service) {
            m_service->unregisterService(kService);
            m_service->unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
            m_service->unregisterObject(QStringLiteral("/ScreenSaver"));
        }
        m_fake.reset();
    }

    void cleanupTestCase()
    {
        m_service.reset();
        QDBusConnection::disconnectFromBus(PrivateBus::fakesName);
    }

    void runningClockKeepsScreenAwake_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("freedesktop path") << QStringLiteral("/org/freedesktop/ScreenSaver");
        QTest::newRow("short path only") << QStringLiteral("/ScreenSaver");
    }
    void runningClockKeepsScreenAwake()
    {
        QFETCH(QString, path);
        publish(path);
        auto owner = std::make_unique<QObject>();
        Timer *tida = new Timer(owner.get());
        Timer *tidb = new Timer(owner.get());
        desktop::keepScreenAwakeWhileRunning<Timer>(owner.get(), {tida, tidb});
        auto *inhibitor = owner->findChild<ScreenSaverInhibitor *>();
        QVERIFY(inhibitor);

        // Interval 0: enabled but not counting, as before a game starts.
        tida->setEnabled(true);
        settle();
        QVERIFY(m_fake->inhibits.isEmpty());

        // A game starts with A's clock.
        tida->setInterval(1000);
        tidb->setInterval(1000);
        QTRY_VERIFY(inhibitor->isHeld());
        QCOMPARE(m_fake->inhibits.size(), 1);
        QCOMPARE(m_fake->inhibits[0].application, QStringLiteral("io.github.partivakt.Partivakt"));
        QVERIFY(!m_fake->inhibits[0].reason.isEmpty());

        // Switching the move, both ways: one clock stops just before the other starts.
        for (int i = 0; i < 3; ++i) {
            tida->setEnabled(false);
            tidb->setEnabled(true);
            settle();
            tidb->setEnabled(false);
            tida->setEnabled(true);
            settle();
        }
        QCOMPARE(m_fake->inhibits.size(), 1);
        QVERIFY(m_fake->uninhibits.isEmpty());
        QVERIFY(inhibitor->isHeld());

        // Pause: the request the desktop granted is given back.
        tida->setEnabled(false);
        QTRY_COMPARE(m_fake->uninhibits, QList<uint>{m_fake->inhibits[0].cookie});
        QVERIFY(!inhibitor->isHeld());
        QVERIFY(!inhibitor->isInhibited());

        // Resume with B, then the program goes away with the clock running.
        tidb->setEnabled(true);
        QTRY_VERIFY(inhibitor->isHeld());
        QCOMPARE(m_fake->inhibits.size(), 2);
        owner.reset();
        QTRY_COMPARE(m_fake->uninhibits.size(), 2);
        QCOMPARE(m_fake->uninhibits[1], m_fake->inhibits[1].cookie);
    }

    void repeatedRequestsAskOnce()
    {
        publish(QStringLiteral("/org/freedesktop/ScreenSaver"));
        ScreenSaverInhibitor inhibitor;
        inhibitor.setInhibited(true);
        QTRY_VERIFY(inhibitor.isHeld());
        inhibitor.setInhibited(true);
        settle();
        inhibitor.setInhibited(false);
        inhibitor.setInhibited(false);
        QTRY_VERIFY(!inhibitor.isHeld());
        settle();
        QCOMPARE(m_fake->inhibits.size(), 1);
        QCOMPARE(m_fake->uninhibits, QList<uint>{m_fake->inhibits[0].cookie});
    }

    void slowDesktopGetsItsCookieBack_data()
    {
        QTest::addColumn<bool>("resumeBeforeAnswer");
        QTest::addColumn<bool>("held");
        QTest::newRow("paused before the answer") << false << false;
        QTest::newRow("paused and resumed before the answer") << true << true;
    }
    void slowDesktopGetsItsCookieBack()
    {
        QFETCH(bool, resumeBeforeAnswer);
        QFETCH(bool, held);
        publish(QStringLiteral("/org/freedesktop/ScreenSaver"));
        m_fake->holdAnswers = true;
        ScreenSaverInhibitor inhibitor;
        inhibitor.setInhibited(true);
        QTRY_COMPARE(m_fake->inhibits.size(), 1);

        // The clock goes on while the desktop has not answered.
        inhibitor.setInhibited(false);
        settle();
        if (resumeBeforeAnswer) {
            inhibitor.setInhibited(true);
            settle();
        }
        QVERIFY(m_fake->uninhibits.isEmpty());

        m_fake->sendHeldAnswers(*m_service);
        if (held) {
            QTRY_VERIFY(inhibitor.isHeld());
            settle();
            QVERIFY(m_fake->uninhibits.isEmpty());
        } else {
            QTRY_COMPARE(m_fake->uninhibits, QList<uint>{m_fake->inhibits[0].cookie});
            QVERIFY(!inhibitor.isHeld());
        }
        QCOMPARE(m_fake->inhibits.size(), 1);
    }

    void destroyedBeforeTheAnswer()
    {
        publish(QStringLiteral("/org/freedesktop/ScreenSaver"));
        m_fake->holdAnswers = true;
        auto inhibitor = std::make_unique<ScreenSaverInhibitor>();
        inhibitor->setInhibited(true);
        QTRY_COMPARE(m_fake->inhibits.size(), 1);
        inhibitor.reset();
        m_fake->sendHeldAnswers(*m_service);
        QTRY_COMPARE(m_fake->uninhibits, QList<uint>{m_fake->inhibits[0].cookie});
    }

    void absentServiceChangesNothing()
    {
        const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
        publish(path);
        ScreenSaverInhibitor inhibitor;
        inhibitor.setInhibited(true);
        QTRY_VERIFY(inhibitor.isHeld());
        inhibitor.setInhibited(false);
        QTRY_VERIFY(!inhibitor.isHeld());

        // The desktop's service goes away: a clock that starts now asks nobody and fails quietly.
        QVERIFY(m_service->unregisterService(kService));
        inhibitor.setInhibited(true);
        settle();
        QVERIFY(inhibitor.isInhibited());
        QVERIFY(!inhibitor.isHeld());
        inhibitor.setInhibited(false);
        settle();
        QCOMPARE(m_fake->inhibits.size(), 1);
        QCOMPARE(m_fake->uninhibits.size(), 1);

        // When it is back, the next start of a clock is granted again.
        QVERIFY(m_service->registerService(kService));
        inhibitor.setInhibited(true);
        QTRY_VERIFY(inhibitor.isHeld());
        QCOMPARE(m_fake->inhibits.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_screensaver)
#include "tst_screensaver.moc"
