// The record of a count-down game's moves in its game file, through real files: it comes back as
// written, a damaged record costs the chart and never the game, and a file written before there was
// a record opens exactly as it did.

#include "clock/countdownfile.h"
#include "gamefiles/linefiles.h"
#include "tests/support/files.h"
#include "tests/support/playedrecord.h"

#include <QTemporaryDir>
#include <QTest>

using namespace gameclock;

Q_DECLARE_METATYPE(gameclock::MoveRecords)

namespace {

const QString kCorpus = QStringLiteral(PARTIVAKT_SOURCE_DIR "/tests/gamefiles/fuzz/corpus/");

// 3 min + 2 s, as the presets have it.
TimeControl threePlusTwo()
{
    return {QStringLiteral("3 min + 2 s"), {{180000, 0, Bonus::Fischer, 2000}}, {{180000, 0, Bonus::Fischer, 2000}}};
}

// A game file of the control's game after the record's moves, written to path.
gamefiles::GameValues countdownFile(const QString &path, const TimeControl &control, const MoveRecords &record)
{
    CountdownState state;
    state.leftMs = {180000, 180000};
    for (const MoveRecord &move : record) {
        state.leftMs[at(move.player)] = move.leftMs;
        state.moves[at(move.player)] = move.number;
        state.turn = move.player == Player::A ? kB : kA;
    }
    const ClassicView seven = classicView(state);
    const gamefiles::GameValues values{seven.mina, seven.seka, seven.minb,  seven.sekb,
                                       "Kari",     "Ola",      seven.stans, countdownLines(control, state, record)};
    if (gamefiles::writeGameFile(path, values))
        qFatal("cannot write %s", qPrintable(path));
    return values;
}

} // namespace

class tst_countdownfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordComesBack_data()
    {
        QTest::addColumn<MoveRecords>("record");
        const TimeControl control = threePlusTwo();
        QTest::newRow("no move yet") << MoveRecords{};
        QTest::newRow("one move") << support::playedRecord(control, {4210});
        QTest::newRow("twenty moves in virtual time")
            << support::playedRecord(control, {4210, 6020, 12345, 3001, 25000, 9876, 800,  1,    59999, 2000,
                                               7000, 7000, 15000, 300,  4444,  5555, 6666, 7777, 8888,  9999});
        // An arbiter's correction takes the move count back: a number comes twice, as played.
        QTest::newRow("a number twice") << MoveRecords{
            {Player::A, 1, 3000, 179000, 0}, {Player::B, 1, 2000, 180000, 1}, {Player::A, 1, 1500, 179500, 2}};
        // A marathon's record: 600 moves, far more than the lines a file held before the record.
        QTest::newRow("a long game") << support::playedRecord(control, QList<qint64>(600, 250));
    }
    void recordComesBack()
    {
        QFETCH(MoveRecords, record);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("parti.sur"));
        const gamefiles::GameValues written = countdownFile(path, threePlusTwo(), record);

        const gamefiles::GameRead file = gamefiles::readGameFile(path);
        QVERIFY(!file.error);
        QCOMPARE(file.values, written);
        const CountdownRead read = readCountdownLines(file.values.further);
        QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
        QCOMPARE(read.control, threePlusTwo());
        QCOMPARE(read.records, record);
        QCOMPARE(read.recordNote, QString());
    }

    // The game opens with its state whatever happened to the move lines; only the chart is lost.
    void damagedRecordOpensWithout_data()
    {
        QTest::addColumn<int>("line");     // counted from the file's first; the record starts at line 18
        QTest::addColumn<QString>("text"); // what that line becomes; "-" drops it, "cut" ends the file there
        QTest::addColumn<QString>("note"); // a part of the note
        QTest::newRow("a letter in a time") << 20 << "B 1 20x0 180000 0"
                                            << "linje 20";
        QTest::newRow("a third player") << 21 << "C 2 3000 179000 0"
                                        << "linje 21";
        QTest::newRow("a field too many") << 19 << "A 1 3000 179000 0 7"
                                          << "linje 19";
        QTest::newRow("time used below zero") << 19 << "A 1 -3000 179000 0"
                                              << "linje 19";
        QTest::newRow("a move number of six digits") << 19 << "A 100000 3000 179000 0"
                                                     << "linje 19";
        QTest::newRow("no end line") << 22 << "-"
                                     << "ikke hele";
        QTest::newRow("cut after a move") << 21 << "cut"
                                          << "slutter ved linje 20";
        QTest::newRow("a later version") << 18 << "trekktider 2"
                                         << "annen versjon";
    }
    void damagedRecordOpensWithout()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QString, note);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("parti.sur"));
        const MoveRecords record = support::playedRecord(threePlusTwo(), {3000, 2000, 4000});
        countdownFile(path, threePlusTwo(), record);
        const CountdownRead whole = readCountdownLines(gamefiles::readGameFile(path).values.further);
        QCOMPARE(whole.records, record);

        QList<QByteArray> lines = readRaw(path).split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QCOMPARE(lines[line - 1], QByteArray(line == 18   ? "trekktider 1\r"
                                             : line == 22 ? "trekktider slutt\r"
                                                          : lines[line - 1]));
        if (text == QLatin1String("cut"))
            lines = lines.mid(0, line - 1);
        else if (text == QLatin1String("-"))
            lines.removeAt(line - 1);
        else
            lines[line - 1] = text.toUtf8() + '\r';
        QVERIFY(writeRaw(path, lines.join('\n') + '\n'));

        const gamefiles::GameRead file = gamefiles::readGameFile(path);
        QVERIFY(!file.error);
        const CountdownRead read = readCountdownLines(file.values.further);
        QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
        QCOMPARE(read.state, whole.state);
        QCOMPARE(read.records, MoveRecords{});
        QVERIFY2(read.recordNote.contains(note) && read.recordNote.endsWith(QStringLiteral("åpnet uten dem.")),
                 qPrintable(read.recordNote));
    }

    // A game file written before there was a record: the same seven values, the same state, no note;
    // and the same game written now with its record holds those very bytes first, so that a reader
    // that stops at "slutt" opens it as it always did.
    void fileWrittenBeforeOpensAsBefore()
    {
        const QString before = kCorpus + QStringLiteral("countdown.sur");
        const gamefiles::GameRead file = gamefiles::readGameFile(before);
        QVERIFY(!file.error);
        QCOMPARE((QStringList{file.values.mina, file.values.seka, file.values.minb, file.values.sekb,
                              file.values.spillera, file.values.spillerb, file.values.stans}),
                 (QStringList{"0", "33", "0", "13", "Kari Ødegård", "Ola", "3"}));
        const CountdownRead read = readCountdownLines(file.values.further);
        QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
        QCOMPARE(read.control, threePlusTwo());
        CountdownState state;
        state.leftMs = {147645, 167603};
        state.usedMs = 1500;
        state.moves = {4, 3};
        state.turn = kB;
        QCOMPARE(read.state, state);
        QCOMPARE(read.records, MoveRecords{});
        QCOMPARE(read.recordNote, QString());

        const MoveRecords record = support::playedRecord(threePlusTwo(), {4210, 6020, 12345, 3001, 25000, 9876, 800});
        QTemporaryDir dir;
        const QString now = dir.filePath(QStringLiteral("parti.sur"));
        gamefiles::GameValues values = file.values;
        values.further = countdownLines(read.control, read.state, record);
        QVERIFY(!gamefiles::writeGameFile(now, values));
        const QByteArray bytes = readRaw(now);
        QVERIFY2(bytes.startsWith(readRaw(before)) && bytes.size() > readRaw(before).size(), bytes.constData());
    }
};

QTEST_GUILESS_MAIN(tst_countdownfile)
#include "tst_countdownfile.moc"
