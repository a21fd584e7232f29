#include "clock/backupwriter.h"
#include "tests/support/clockfixture.h"

#include <QFile>
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
