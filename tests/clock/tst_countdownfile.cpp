// The record of moves in a count-down game's file, through real files: it comes back as written, a
// damaged record costs the chart and never the game, and a file of the lines before the record opens
// as it did.

#include "clock/countdownfile.h"
#include "gamefiles/linefiles.h"
#include "tests/support/files.h"
#include "tests/support/playedrecord.h"

#include <QTemporaryDir>
#include <QTest>

using namespace gameclock;

Q_DECLARE_METATYPE(gameclock::MoveRecords)

namespace {

const TimeControl k3plus2{"3 min + 2 s", {{180000, 0, Bonus::Fischer, 2000}}, {{180000, 0, Bonus::Fischer, 2000}}};

// The game file of the game written before there was a record: 7 moves of 3 min + 2 s, then paused.
const QString kBefore = QStringLiteral(PARTIVAKT_SOURCE_DIR "/tests/gamefiles/fuzz/corpus/countdown.sur");
const MoveRecords kBeforeMoves = support::playedRecord(k3plus2, {4210, 6020, 12345, 3001, 25000, 9876, 800});

// The lines after the seventh as a file at path holds them, written with the record after the state.
CountdownRead writtenAndRead(const QString &path, const MoveRecords &record, const QByteArray &line = {}, int at = 0)
{
    gamefiles::GameValues values = gamefiles::readGameFile(kBefore).values;
    const CountdownRead before = readCountdownLines(values.further);
    values.further = countdownLines(before.control, before.state, record);
    if (gamefiles::writeGameFile(path, values))
        qFatal("cannot write %s", qPrintable(path));
    if (at > 0) { // line `at` of the file becomes `line`; "cut" ends the file before it
        QList<QByteArray> lines = readRaw(path).split('\n');
        if (line == "cut")
            lines.resize(at - 1);
        else
            lines[at - 1] = line + '\r';
        writeRaw(path, lines.join('\n'));
    }
    const gamefiles::GameRead read = gamefiles::readGameFile(path);
    if (read.error || read.values.further.mid(0, 10) != countdownLines(before.control, before.state))
        qFatal("the state's lines did not come back");
    return readCountdownLines(read.values.further);
}

} // namespace

class tst_countdownfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordComesBack_data()
    {
        QTest::addColumn<MoveRecords>("record");
        QTest::newRow("seven moves in virtual time") << kBeforeMoves;
        // An arbiter's correction took the move count back: a number comes twice, as played.
        QTest::newRow("a number twice") << MoveRecords{{Player::A, 1, 3000, 179000, 0},
                                                       {Player::A, 1, 1500, 179500, 2}};
        // A marathon: far more lines than a game file held before there was a record.
        QTest::newRow("600 moves") << support::playedRecord(k3plus2, QList<qint64>(600, 250));
    }
    void recordComesBack()
    {
        QFETCH(MoveRecords, record);
        QTemporaryDir dir;
        const CountdownRead read = writtenAndRead(dir.filePath(QStringLiteral("parti.sur")), record);
        QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
        QCOMPARE(read.records, record);
        QCOMPARE(read.recordNote, QString());
    }

    // The game opens with its state whatever happened to the move lines (18 to 26); only the chart goes.
    void damagedRecordOpensWithout_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("note");
        QTest::newRow("a letter in a time") << 20 << QByteArray("B 1 20x0 180000 0") << "kan ikke leses (linje 20)";
        QTest::newRow("cut after a move") << 22 << QByteArray("cut") << "ikke hele (filen slutter ved linje 21)";
        QTest::newRow("a later version") << 18 << QByteArray("trekktider 2") << "en annen versjon";
    }
    void damagedRecordOpensWithout()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QFETCH(QString, note);
        QTemporaryDir dir;
        const CountdownRead read = writtenAndRead(dir.filePath(QStringLiteral("parti.sur")), kBeforeMoves, text, line);
        QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
        QCOMPARE(read.records, MoveRecords{});
        QVERIFY2(read.recordNote.contains(note) && read.recordNote.endsWith(QStringLiteral("uten dem.")),
                 qPrintable(read.recordNote));
    }

    // Written before there was a record, a file opens as it did; the same game written now holds those
    // very bytes first, so that a reader that stops at "slutt" opens it as it always did.
    void fileWrittenBeforeOpensAsBefore()
    {
        const CountdownRead read = readCountdownLines(gamefiles::readGameFile(kBefore).values.further);
        QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
        QCOMPARE(read.control, k3plus2);
        QCOMPARE(read.state, (CountdownState{{147645, 167603}, 1500, {4, 3}, {0, 0}, Player::B, {0, 0}}));
        QVERIFY(read.records.empty() && read.recordNote.isEmpty());
        QTemporaryDir dir;
        writtenAndRead(dir.filePath(QStringLiteral("parti.sur")), kBeforeMoves);
        QVERIFY(readRaw(dir.filePath(QStringLiteral("parti.sur"))).startsWith(readRaw(kBefore)));
    }
};

QTEST_GUILESS_MAIN(tst_countdownfile)
#include "tst_countdownfile.moc"
