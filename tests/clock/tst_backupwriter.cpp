#include "clock/backupwriter.h"
#include "tests/support/clockfixture.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>

using gameclock::BackupWriter;
using gamefiles::GameValues;

namespace {

GameValues valuesAt(int second)
{
    return {QString::number(second / 60), QString::number(second % 60), QStringLiteral("0"), QStringLiteral("0"),
            QStringLiteral("Spiller A"),  QStringLiteral("Spiller B"),  QStringLiteral("60")};
}

QByteArray bytesOf(const GameValues &v)
{
    QByteArray out;
    for (const QString &s : {v.mina, v.seka, v.minb, v.sekb, v.spillera, v.spillerb, v.stans})
        out += s.toLatin1() + "\r\n";
    return out;
}

} // namespace

// The backup writer off the clock's thread: the newest values always reach the file, failures come
// back on the clock's own thread, and nothing waiting is lost when the writer goes.
class tst_backupwriter : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("Sikkerhetskopi.sur")); }

private Q_SLOTS:
    void init() { QFile::remove(file()); }

    void newestValuesWin()
    {
        BackupWriter writer(file(), BackupWriter::Mode::Background);
        QSignalSpy spy(&writer, &BackupWriter::written);
        for (int s = 1; s <= 200; ++s)
            writer.write(valuesAt(s));
        QVERIFY(writer.waitForIdle(10'000));
        QCOMPARE(readRaw(file()), bytesOf(valuesAt(200)));
        QTRY_VERIFY(spy.count() >= 1);
        QVERIFY(spy.count() <= 200); // writes still waiting are replaced, never queued up
        QVERIFY(!spy.last().at(0).value<std::optional<gamefiles::FileError>>());
    }

    void failureComesBackOnTheOwnersThread()
    {
        QVERIFY(QDir().mkpath(file())); // a directory in the file's place
        BackupWriter writer(file(), BackupWriter::Mode::Background);
        QThread *seenOn = nullptr;
        std::optional<gamefiles::FileError> seen;
        connect(&writer, &BackupWriter::written, this, [&](const std::optional<gamefiles::FileError> &e) {
            seenOn = QThread::currentThread();
            seen = e;
        });
        writer.write(valuesAt(1));
        QVERIFY(writer.waitForIdle(10'000));
        QTRY_VERIFY(seen.has_value());
        QCOMPARE(seenOn, QThread::currentThread());
        QCOMPARE(seen->kind, gamefiles::FileError::Kind::CannotWrite);
        QVERIFY(QDir().rmdir(file()));
    }

    void destroyingFinishesTheLastWrite()
    {
        {
            BackupWriter writer(file(), BackupWriter::Mode::Background);
            writer.write(valuesAt(1));
            writer.write(valuesAt(2));
        }
        QCOMPARE(readRaw(file()), bytesOf(valuesAt(2)));
    }

    // The owner hears of the first write and then of changes only: a failure, and the first good
    // write after it. A good write every second would otherwise wake the clock's thread each time.
    void reportsChangesOfOutcome_data()
    {
        QTest::addColumn<QString>("writes");   // g: the file can be written, b: a directory blocks it
        QTest::addColumn<QString>("reported"); // the outcomes the owner hears, in order
        QTest::newRow("all good") << "gggg"
                                  << "g";
        QTest::newRow("fails, recovers") << "ggbbgg"
                                         << "gbg";
        QTest::newRow("fails from the start") << "bbg"
                                              << "bg";
        QTest::newRow("flickers") << "gbgbg"
                                  << "gbgbg";
    }
    void reportsChangesOfOutcome()
    {
        QFETCH(QString, writes);
        QFETCH(QString, reported);
        BackupWriter writer(file(), BackupWriter::Mode::Background);
        QString heard;
        connect(&writer, &BackupWriter::written, this,
                [&heard](const std::optional<gamefiles::FileError> &e) { heard += e ? u'b' : u'g'; });
        int second = 0;
        for (QChar w : writes) {
            const bool blocked = QFileInfo(file()).isDir();
            if (w == u'b' && !blocked) {
                QFile::remove(file());
                QVERIFY(QDir().mkpath(file()));
            } else if (w == u'g' && blocked) {
                QVERIFY(QDir().rmdir(file()));
            }
            writer.write(valuesAt(++second));
            QVERIFY(writer.waitForIdle(10'000));
            QCoreApplication::processEvents(); // the report arrives queued
        }
        QTRY_COMPARE(heard, reported);
        QTest::qWait(20);
        QCOMPARE(heard, reported);
        QDir().rmdir(file());
    }

    void immediateModeWritesBeforeReturning()
    {
        BackupWriter writer(file(), BackupWriter::Mode::Immediate);
        QSignalSpy spy(&writer, &BackupWriter::written);
        writer.write(valuesAt(7));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(readRaw(file()), bytesOf(valuesAt(7)));
        QVERIFY(writer.waitForIdle(0));
    }

    void clockInBackgroundModeKeepsTheBackupAndReportsFailure()
    {
        ClockFixture f;
        gameclock::frmhoved &w = startInBackground(f);
        w.starta->click();
        f.clock.advance(3000);
        QVERIFY(w.finishBackup());
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)), bytesOf(valuesAt(3)));
        QVERIFY(QFile::remove(f.file(gamefiles::kBackupFile)));
        QVERIFY(QDir(f.dir.path()).mkdir(gamefiles::kBackupFile));
        f.clock.advance(1000);
        QVERIFY(w.finishBackup());
        QTRY_VERIFY(w.lastingMessage(gameclock::frmhoved::Lasting::Backup).contains(gamefiles::kBackupFile));
        QCOMPARE(readouts(w), QStringLiteral("0:4 0:0"));
    }
};

QTEST_MAIN(tst_backupwriter)
#include "tst_backupwriter.moc"
