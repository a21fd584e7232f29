#include "tests/support/fakeservices.h"
#include "tests/support/privatebus.h"

#include "desktop/sleepwatch.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using desktop::SleepWatch;

// Holding off sleep while a clock runs and hearing it come, against a private bus that stands in
// for the system bus, with a fake logind.
class tst_sleepwatch : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_service;
    std::unique_ptr<FakeLogin> m_fake;
    Barrier m_barrier;

    void publish()
    {
        m_fake = std::make_unique<FakeLogin>();
        QVERIFY(m_service->registerObject(kLoginPath, m_fake.get(), QDBusConnection::ExportAllSlots));
        QVERIFY(m_service->registerService(kLoginService));
    }

    int clientsOnBus() const
    {
        const QStringList names = m_service->interface()->registeredServiceNames().value();
        return int(std::count_if(names.begin(), names.end(), [](const QString &n) { return n.startsWith(':'); }));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Before anything connects to the system bus.
        if (const QString why = m_bus.startAs(QDBusConnection::SystemBus, m_dir.path(), m_service); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_service->isConnected());
        QVERIFY(m_service->registerObject(Barrier::path, &m_barrier, QDBusConnection::ExportAllSlots));
    }

    void cleanup()
    {
        if (m_service) {
            m_service->unregisterService(kLoginService);
            m_service->unregisterObject(kLoginPath);
        }
        m_fake.reset();
    }

    void cleanupTestCase()
    {
        m_service.reset();
        QDBusConnection::disconnectFromBus(PrivateBus::fakesName);
    }

    // First of all: the system-bus connection of the process is shared and lives on once made.
    void noBusUntilWantedAndNothingWithoutLogind()
    {
        SleepWatch watch;
        watch.setInhibited(false);
        QCoreApplication::processEvents();
        QVERIFY(!watch.hasTouchedBus());
        QCOMPARE(clientsOnBus(), 1); // the fakes' own connection

        // logind is not there: the wish reaches the bus and fails without a word.
        watch.setInhibited(true);
        QTRY_COMPARE(clientsOnBus(), 2);
        QVERIFY(Barrier::settle(*m_service));
        QVERIFY(watch.isInhibited());
        QVERIFY(!watch.isHeld());

        // A sleep announced by something else than logind is not logind's.
        QSignalSpy sleeping(&watch, &SleepWatch::aboutToSleep);
        QVERIFY(FakeLogin::announceSleep(*m_service, true));
        QVERIFY(Barrier::settle(*m_service));
        QCOMPARE(sleeping.count(), 0);
    }

    void lockHeldWhileWanted()
    {
        publish();
        SleepWatch watch;
        watch.setInhibited(true);
        QTRY_VERIFY(watch.isHeld());
        QCOMPARE(m_fake->locks.size(), 1);
        QCOMPARE(m_fake->locks[0].what, QStringLiteral("sleep"));
        QCOMPARE(m_fake->locks[0].who, QStringLiteral("Partivakt"));
        QCOMPARE(m_fake->locks[0].mode, QStringLiteral("delay"));
        QVERIFY(!m_fake->locks[0].why.isEmpty());
        QVERIFY(!m_fake->isReleased(0));

        // Switching the move: one clock stops just before the other starts.
        for (int i = 0; i < 3; ++i) {
            watch.setInhibited(false);
            watch.setInhibited(true);
            QVERIFY(Barrier::settle(*m_service));
        }
        QCOMPARE(m_fake->locks.size(), 1);
        QVERIFY(!m_fake->isReleased(0));

        watch.setInhibited(false);
        QTRY_VERIFY(m_fake->isReleased(0));
        QVERIFY(!watch.isHeld());
    }

    void sleepReleasesLockAfterReceivers_data()
    {
        QTest::addColumn<bool>("receiverStopsWanting");
        QTest::addColumn<int>("locksAfterWake");
        QTest::newRow("game paused by the receiver") << true << 1;
        QTest::newRow("nothing paused: lock taken again on waking") << false << 2;
    }
    void sleepReleasesLockAfterReceivers()
    {
        QFETCH(bool, receiverStopsWanting);
        QFETCH(int, locksAfterWake);
        publish();
        SleepWatch watch;
        watch.setInhibited(true);
        QTRY_VERIFY(watch.isHeld());

        int calls = 0;
        bool heldDuringReceiver = false;
        connect(&watch, &SleepWatch::aboutToSleep, this, [&] {
            ++calls;
            heldDuringReceiver = watch.isHeld() && !m_fake->isReleased(0);
            if (receiverStopsWanting)
                watch.setInhibited(false);
        });
        QSignalSpy awake(&watch, &SleepWatch::awake);

        QVERIFY(FakeLogin::announceSleep(*m_service, true));
        QTRY_COMPARE(calls, 1);
        QVERIFY(heldDuringReceiver);
        QVERIFY(m_fake->isReleased(0));
        QVERIFY(!watch.isHeld());
        // Until the wake-up, no new lock.
        QVERIFY(Barrier::settle(*m_service));
        QCOMPARE(m_fake->locks.size(), 1);

        QVERIFY(FakeLogin::announceSleep(*m_service, false));
        QTRY_COMPARE(awake.count(), 1);
        QVERIFY(Barrier::settle(*m_service));
        QVERIFY(Barrier::settle(*m_service));
        QCOMPARE(m_fake->locks.size(), locksAfterWake);
        QCOMPARE(watch.isHeld(), !receiverStopsWanting);
        QCOMPARE(calls, 1);
    }

    void slowLogind_data()
    {
        QTest::addColumn<bool>("wantedAgainBeforeAnswer");
        QTest::newRow("not wanted when the answer comes") << false;
        QTest::newRow("wanted again when the answer comes") << true;
    }
    void slowLogind()
    {
        QFETCH(bool, wantedAgainBeforeAnswer);
        publish();
        m_fake->holdAnswers = true;
        SleepWatch watch;
        watch.setInhibited(true);
        QTRY_COMPARE(m_fake->locks.size(), 1);
        watch.setInhibited(false);
        QVERIFY(Barrier::settle(*m_service));
        if (wantedAgainBeforeAnswer) {
            watch.setInhibited(true);
            QVERIFY(Barrier::settle(*m_service));
        }
        m_fake->sendHeldAnswers(*m_service);
        if (wantedAgainBeforeAnswer) {
            QTRY_VERIFY(watch.isHeld());
            QVERIFY(!m_fake->isReleased(0));
        } else {
            QTRY_VERIFY(m_fake->isReleased(0));
            QVERIFY(!watch.isHeld());
        }
        QCOMPARE(m_fake->locks.size(), 1);
    }

    void lockGoesWithTheWatch()
    {
        publish();
        auto watch = std::make_unique<SleepWatch>();
        watch->setInhibited(true);
        QTRY_VERIFY(watch->isHeld());
        watch.reset();
        QTRY_VERIFY(m_fake->isReleased(0));
    }

    // A program started while the lock is held (the help viewer) must not keep it.
    void startedProgramDoesNotKeepTheLock()
    {
        publish();
        SleepWatch watch;
        watch.setInhibited(true);
        QTRY_VERIFY(watch.isHeld());
        QProcess child;
        child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(child.waitForStarted());
        watch.setInhibited(false);
        QTRY_VERIFY(!watch.isHeld());
        QVERIFY(Barrier::settle(*m_service));
        const bool released = m_fake->isReleased(0);
        child.kill();
        child.waitForFinished();
        QVERIFY(released);
    }
};

QTEST_GUILESS_MAIN(tst_sleepwatch)
#include "tst_sleepwatch.moc"
