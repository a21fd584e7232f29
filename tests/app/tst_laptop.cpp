#include "tests/support/clockfixture.h"
#include "tests/support/fakeservices.h"
#include "tests/support/privatebus.h"

#include "app/laptop.h"
#include "desktop/battery.h"
#include "desktop/sleepwatch.h"

#include <QTime>

#include <memory>

using gameclock::frmhoved;

namespace {

QByteArray gameFile(const frmhoved &w)
{
    QByteArray bytes;
    for (const QString &line : {w.mina->text(), w.seka->text(), w.minb->text(), w.sekb->text(), w.spillera->text(),
                                w.spillerb->text(), w.stans->text()})
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QString sleepMessageAt(const QTime &time)
{
    return QStringLiteral("Spillet ble satt på pause kl. %1 fordi maskinen gikk i dvale.")
        .arg(time.toString(QStringLiteral("HH:mm")));
}

} // namespace

// The game under the machine's sleep and battery, through the main window, with fake logind and
// UPower on a private bus that stands in for the system bus.
class tst_laptop : public QObject {
    Q_OBJECT
    QTemporaryDir m_busDir;
    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_service;
    std::unique_ptr<FakeLogin> m_login;
    std::unique_ptr<FakeDisplayDevice> m_battery;
    Barrier m_barrier;
    std::unique_ptr<ClockFixture> m_f;

    void publishLogin()
    {
        m_login = std::make_unique<FakeLogin>();
        QVERIFY(m_service->registerObject(kLoginPath, m_login.get(), QDBusConnection::ExportAllSlots));
        QVERIFY(m_service->registerService(kLoginService));
    }

    void publishBattery()
    {
        m_battery = std::make_unique<FakeDisplayDevice>();
        QVERIFY(m_service->registerObject(kDisplayDevicePath, m_battery.get(), QDBusConnection::ExportAllProperties));
        QVERIFY(m_service->registerService(kUPowerService));
    }

    // The main window, started and followed as the program does.
    frmhoved &start()
    {
        m_f = std::make_unique<ClockFixture>();
        // With the settings file in place, the start-up has nothing to report.
        writeRaw(m_f->file(QStringLiteral("def.dur")), "Spiller A\r\nSpiller B\r\n60\r\n");
        // The backup is written on the worker thread as in play, so waiting for it matters.
        frmhoved &w = startInBackground(*m_f);
        app::followTheMachine(w);
        return w;
    }

    QString sleepMessage() const { return m_f->w->lastingMessage(frmhoved::Lasting::Sleep); }
    QString batteryMessage() const { return m_f->w->lastingMessage(frmhoved::Lasting::Battery); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_busDir.isValid());
        if (const QString why = m_bus.startAs(QDBusConnection::SystemBus, m_busDir.path(), m_service); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_service->isConnected());
        QVERIFY(m_service->registerObject(Barrier::path, &m_barrier, QDBusConnection::ExportAllSlots));
    }

    void cleanup()
    {
        m_f.reset();
        if (m_service) {
            for (const QString &name : {kLoginService, kUPowerService})
                m_service->unregisterService(name);
            m_service->unregisterObject(kLoginPath);
            m_service->unregisterObject(kDisplayDevicePath);
        }
        m_login.reset();
        m_battery.reset();
    }

    void cleanupTestCase()
    {
        m_service.reset();
        QDBusConnection::disconnectFromBus(PrivateBus::fakesName);
    }

    void sleepDuringPlayPausesAndKeepsTheLastSecond_data()
    {
        QTest::addColumn<bool>("playerA");
        QTest::newRow("A's clock runs") << true;
        QTest::newRow("B's clock runs") << false;
    }
    void sleepDuringPlayPausesAndKeepsTheLastSecond()
    {
        QFETCH(bool, playerA);
        publishLogin();
        frmhoved &w = start();
        (playerA ? w.starta : w.startb)->click();
        auto *watch = w.findChild<desktop::SleepWatch *>();
        QVERIFY(watch);
        QTRY_VERIFY(watch->isHeld());
        QCOMPARE(m_login->locks.size(), 1);

        m_f->clock.advance(65'000);
        QCOMPARE(readouts(w), playerA ? QStringLiteral("1:5 0:0") : QStringLiteral("0:0 1:5"));
        // Whatever the last tick left, the machine sleeps only with the paused game on disk.
        QVERIFY(w.finishBackup());
        QVERIFY(writeRaw(m_f->file(QStringLiteral("Sikkerhetskopi.sur")), "stale"));

        // What the disk holds at the moment the lock goes.
        QByteArray onDiskAtRelease = "<lock not released>";
        const QObject whileThisTestRuns;
        connect(watch, &desktop::SleepWatch::heldChanged, &whileThisTestRuns, [&](bool held) {
            if (!held)
                onDiskAtRelease = readRaw(m_f->file(QStringLiteral("Sikkerhetskopi.sur")));
        });
        const QTime before = QTime::currentTime();
        QVERIFY(FakeLogin::announceSleep(*m_service, true));
        QTRY_VERIFY(m_login->isReleased(0));
        const QTime after = QTime::currentTime();

        QCOMPARE(phaseOf(w), QStringLiteral("paused"));
        QCOMPARE(onDiskAtRelease, gameFile(w));
        QVERIFY2(sleepMessage() == sleepMessageAt(before) || sleepMessage() == sleepMessageAt(after),
                 qPrintable(sleepMessage()));
        QVERIFY(w.lastingText().contains(sleepMessage()));

        // Waking up resumes nothing; time passes without a tick.
        QVERIFY(FakeLogin::announceSleep(*m_service, false));
        QVERIFY(Barrier::settle(*m_service));
        m_f->clock.advance(5000);
        QCOMPARE(phaseOf(w), QStringLiteral("paused"));
        QCOMPARE(readouts(w), playerA ? QStringLiteral("1:5 0:0") : QStringLiteral("0:0 1:5"));
        QVERIFY(!sleepMessage().isEmpty());
        QCOMPARE(m_login->locks.size(), 1);

        // The next resume ends the message and takes a new lock.
        w.pauseb->click();
        QVERIFY(sleepMessage().isEmpty());
        QTRY_VERIFY(watch->isHeld());
        QCOMPARE(m_login->locks.size(), 2);
    }

    void newGameClearsTheSleepMessage()
    {
        publishLogin();
        frmhoved &w = start();
        w.starta->click();
        // The watch hears logind once it holds its lock: a sleep announced before that is one it
        // could not have delayed anyway.
        auto *watch = w.findChild<desktop::SleepWatch *>();
        QVERIFY(watch);
        QTRY_VERIFY(watch->isHeld());
        m_f->clock.advance(3000);
        QVERIFY(FakeLogin::announceSleep(*m_service, true));
        QTRY_VERIFY(!sleepMessage().isEmpty());
        w.Nytt->trigger();
        m_f->clock.advance(1);
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
        QVERIFY(sleepMessage().isEmpty());
    }

    void sleepOutsidePlayChangesNothing_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("paused") << QStringLiteral("paused");
        QTest::newRow("set-up after a game") << QStringLiteral("setup");
    }
    void sleepOutsidePlayChangesNothing()
    {
        QFETCH(QString, phase);
        publishLogin();
        frmhoved &w = start();
        w.starta->click();
        m_f->clock.advance(7000);
        auto *watch = w.findChild<desktop::SleepWatch *>();
        QTRY_VERIFY(watch->isHeld());
        if (phase == QLatin1String("paused")) {
            w.pause->click();
        } else {
            w.Nytt->trigger();
            m_f->clock.advance(1);
        }
        QCOMPARE(phaseOf(w), phase);
        // No clock runs: the lock is given back at once, not at the sleep.
        QTRY_VERIFY(m_login->isReleased(0));
        QVERIFY(w.finishBackup());
        const QByteArray backup = readRaw(m_f->file(QStringLiteral("Sikkerhetskopi.sur")));
        const QString shown = readouts(w);

        QVERIFY(FakeLogin::announceSleep(*m_service, true));
        QVERIFY(Barrier::settle(*m_service));
        QVERIFY(FakeLogin::announceSleep(*m_service, false));
        QVERIFY(Barrier::settle(*m_service));

        QCOMPARE(phaseOf(w), phase);
        QCOMPARE(readouts(w), shown);
        QCOMPARE(readRaw(m_f->file(QStringLiteral("Sikkerhetskopi.sur"))), backup);
        QVERIFY(sleepMessage().isEmpty());
        QCOMPARE(m_login->locks.size(), 1);
    }

    void withoutLogindTheGameGoesOn()
    {
        frmhoved &w = start();
        w.starta->click();
        m_f->clock.advance(2000);
        auto *watch = w.findChild<desktop::SleepWatch *>();
        QTRY_VERIFY(watch->hasTouchedBus());
        QVERIFY(Barrier::settle(*m_service));
        QVERIFY(Barrier::settle(*m_service));
        QVERIFY(!watch->isHeld());
        m_f->clock.advance(1000);
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QCOMPARE(readouts(w), QStringLiteral("0:3 0:0"));
        QVERIFY(w.reportedMessage().isEmpty());
        QVERIFY(w.lastingText().isEmpty());
    }

    void batteryWarning_data()
    {
        QTest::addColumn<uint>("type");
        QTest::addColumn<bool>("present");
        QTest::addColumn<uint>("state");
        QTest::addColumn<double>("percentage");
        QTest::addColumn<qlonglong>("timeToEmpty");
        QTest::addColumn<QString>("warning");
        const QString plugIn = QStringLiteral("Lavt batteri: %1 % igjen – koble til strøm.");
        const QString saved = QStringLiteral(" Spillet lagres hvert sekund i Sikkerhetskopi.sur.");
        // UPower: type 2 battery, 0 unknown; state 1 charging, 2 discharging, 4 full.
        QTest::newRow("discharging 40 %, 3 h left") << 2u << true << 2u << 40.0 << 10800LL << QString();
        QTest::newRow("discharging 16 %, time unknown") << 2u << true << 2u << 16.0 << 0LL << QString();
        QTest::newRow("discharging 15 %") << 2u << true << 2u << 15.0 << 2400LL << plugIn.arg(15);
        QTest::newRow("discharging 12.4 %") << 2u << true << 2u << 12.4 << 0LL << plugIn.arg(12);
        QTest::newRow("discharging 6 %") << 2u << true << 2u << 6.0 << 600LL << plugIn.arg(6);
        QTest::newRow("discharging 5 %") << 2u << true << 2u << 5.0 << 500LL << plugIn.arg(5) + saved;
        QTest::newRow("discharging 1 %") << 2u << true << 2u << 1.0 << 60LL << plugIn.arg(1) + saved;
        QTest::newRow("discharging 40 %, 20 min left")
            << 2u << true << 2u << 40.0 << 1200LL
            << QStringLiteral("Lavt batteri: 40 % igjen, omtrent 20 minutter – koble til strøm.");
        QTest::newRow("discharging 30 %, 29 min 59 s left")
            << 2u << true << 2u << 30.0 << 1799LL
            << QStringLiteral("Lavt batteri: 30 % igjen, omtrent 29 minutter – koble til strøm.");
        QTest::newRow("discharging 30 %, 30 min left") << 2u << true << 2u << 30.0 << 1800LL << QString();
        QTest::newRow("charging 5 %") << 2u << true << 1u << 5.0 << 0LL << QString();
        QTest::newRow("full, on mains") << 2u << true << 4u << 100.0 << 0LL << QString();
        QTest::newRow("no battery") << 0u << false << 0u << 0.0 << 0LL << QString();
    }
    void batteryWarning()
    {
        QFETCH(uint, type);
        QFETCH(bool, present);
        QFETCH(uint, state);
        QFETCH(double, percentage);
        QFETCH(qlonglong, timeToEmpty);
        QFETCH(QString, warning);
        publishBattery();
        m_battery->type = type;
        m_battery->isPresent = present;
        m_battery->state = state;
        m_battery->percentage = percentage;
        m_battery->timeToEmpty = timeToEmpty;
        frmhoved &w = start();
        auto *monitor = w.findChild<desktop::BatteryMonitor *>();
        QVERIFY(monitor);
        QVERIFY(!monitor->isStarted());

        // Known from the first start of a clock on, and the clocks never notice it.
        w.starta->click();
        QVERIFY(monitor->isStarted());
        QTRY_VERIFY(monitor->isKnown());
        QCOMPARE(batteryMessage(), warning);
        QCOMPARE(monitor->status().present, present);
        m_f->clock.advance(2000);
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QCOMPARE(readouts(w), QStringLiteral("0:2 0:0"));
        QVERIFY(w.reportedMessage().isEmpty());
    }

    void batteryWarningFollowsChanges()
    {
        publishBattery();
        m_battery->state = 2;
        m_battery->percentage = 20;
        m_battery->timeToEmpty = 3600;
        frmhoved &w = start();
        w.startb->click();
        auto *monitor = w.findChild<desktop::BatteryMonitor *>();
        QTRY_VERIFY(monitor->isKnown());
        QCOMPARE(monitor->status().percentage, 20.0);
        QVERIFY(batteryMessage().isEmpty());

        struct Step {
            QVariantMap changed;
            QString warning;
            bool discharging = true;
        };
        const QList<Step> steps = {
            {{{QStringLiteral("Percentage"), 14.0}}, QStringLiteral("Lavt batteri: 14 % igjen – koble til strøm.")},
            {{{QStringLiteral("Percentage"), 4.0}, {QStringLiteral("TimeToEmpty"), qlonglong(300)}},
             QStringLiteral("Lavt batteri: 4 % igjen – koble til strøm. Spillet lagres hvert sekund i "
                            "Sikkerhetskopi.sur.")},
            // Plugged in: the warning goes at once.
            {{{QStringLiteral("State"), 1u}}, QString(), false},
            // Unplugged again.
            {{{QStringLiteral("State"), 2u}, {QStringLiteral("Percentage"), 9.0}},
             QStringLiteral("Lavt batteri: 9 % igjen – koble til strøm.")},
            // Pause does not hide it.
            {{}, QStringLiteral("Lavt batteri: 9 % igjen – koble til strøm.")},
        };
        for (const Step &step : steps) {
            if (step.changed.isEmpty())
                w.pause->click();
            else
                QVERIFY(m_battery->change(*m_service, step.changed));
            QTRY_COMPARE(monitor->status().discharging, step.discharging);
            QVERIFY(Barrier::settle(*m_service));
            QCOMPARE(batteryMessage(), step.warning);
        }
        // UPower goes away: nothing known, nothing to warn of. Back again: asked afresh.
        QVERIFY(m_service->unregisterService(kUPowerService));
        QTRY_VERIFY(batteryMessage().isEmpty());
        QVERIFY(!monitor->status().present);
        m_battery->percentage = 3;
        QVERIFY(m_service->registerService(kUPowerService));
        QTRY_COMPARE(batteryMessage(), QStringLiteral("Lavt batteri: 3 % igjen – koble til strøm. Spillet lagres "
                                                      "hvert sekund i Sikkerhetskopi.sur."));

        // The battery never touched the clocks.
        QCOMPARE(readouts(w), QStringLiteral("0:0 0:0"));
        QCOMPARE(phaseOf(w), QStringLiteral("paused"));
    }
};

QTEST_MAIN(tst_laptop)
#include "tst_laptop.moc"
