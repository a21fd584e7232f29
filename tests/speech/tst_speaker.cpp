// The speaker with the real speech module: loaded only on first use, on a thread of its own, so
// that a missing module, a missing service or a service that never answers costs the caller
// nothing, and each is said once.

#include "speech/speaker.h"
#include "tests/support/procmaps.h"

#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

bool mapsSpeechLibrary()
{
    return support::mapsFile(QRegularExpression(QStringLiteral("/libspeechd\\.so")));
}

} // namespace

class tst_speaker : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unavailableSaidOnce_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<bool>("serviceListens");
        QTest::addColumn<QString>("why");
        QTest::newRow("no module") << "" << false << "talemodulen partivakt-speech er ikke installert";
        QTest::newRow("no speech service") << PARTIVAKT_SPEECH_MODULE << false << "taletjenesten svarer ikke";
        // Takes the connection and never answers: the speech thread waits, the caller does not.
        QTest::newRow("a service that never answers") << PARTIVAKT_SPEECH_MODULE << true << "";
    }
    void unavailableSaidOnce()
    {
        QFETCH(QString, module);
        QFETCH(bool, serviceListens);
        QFETCH(QString, why);
        QTemporaryDir dir;
        QLocalServer mute;
        QVERIFY(!serviceListens || mute.listen(dir.filePath(QStringLiteral("speechd.sock"))));
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + dir.filePath(QStringLiteral("speechd.sock")).toUtf8());
        // Nothing is loaded before the first use; once loaded, the library stays for the process.
        static bool loadedEarlier = false;
        QCOMPARE(mapsSpeechLibrary(), loadedEarlier);

        auto *speaker = new speech::Speaker(module, nullptr);
        QSignalSpy unavailable(speaker, &speech::Speaker::unavailable);
        // The caller's thread goes on turning its event loop while the speech thread loads or hangs.
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start(10);
        speaker->say(QStringLiteral("Kari 12 minutter 5."));
        speaker->say(QStringLiteral("Ola 8 minutter 40."));
        if (why.isEmpty()) {
            QTRY_VERIFY(ticks >= 50);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(unavailable.count(), 1, 10000);
            const QString said = unavailable.at(0).at(0).toString();
            QVERIFY2(said.startsWith(QStringLiteral("Tale er ikke tilgjengelig: ")) && said.contains(why),
                     qPrintable(said));
            speaker->say(QStringLiteral("Pause."));
            QTest::qWait(200);
        }
        QCOMPARE(unavailable.count(), why.isEmpty() ? 0 : 1); // said once, however often asked
        QCOMPARE(mapsSpeechLibrary(), loadedEarlier || !module.isEmpty());
        loadedEarlier = mapsSpeechLibrary();
        // Ending never hangs on a stuck service: at most the bounded wait.
        QElapsedTimer ending;
        ending.start();
        delete speaker;
        QVERIFY(ending.elapsed() < 5000);
        qunsetenv("SPEECHD_ADDRESS");
    }

    // A time asked for while the module loads is composed when it can be said, and only the newest;
    // a Ctrl meanwhile stops nothing, as nothing was heard.
    void composedWhenItCanBeSaid()
    {
        QTemporaryDir dir;
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + dir.filePath(QStringLiteral("none")).toUtf8());
        speech::Speaker speaker(QStringLiteral(PARTIVAKT_SPEECH_MODULE), nullptr);
        QStringList composed;
        const auto compose = [&composed](const QString &text) {
            return [&composed, text] { return composed << text, text; };
        };
        speaker.sayFresh(compose(QStringLiteral("Kari 0 minutter 1.")));
        speaker.sayFresh(compose(QStringLiteral("Kari 0 minutter 2.")));
        QVERIFY(!speaker.stop());
        QCOMPARE(composed, QStringList()); // the module's answer comes through this thread's event loop
        QTRY_COMPARE_WITH_TIMEOUT(composed, QStringList{"Kari 0 minutter 2."}, 10000);
        QTRY_VERIFY(!speaker.speaking()); // no service: it ends unsaid
        speaker.sayFresh(compose(QStringLiteral("Kari 0 minutter 3.")));
        QCOMPARE(composed, (QStringList{"Kari 0 minutter 2.", "Kari 0 minutter 3."}));
        QCOMPARE(speaker.said(), composed);
        qunsetenv("SPEECHD_ADDRESS");
    }
};

QTEST_GUILESS_MAIN(tst_speaker)
#include "tst_speaker.moc"
