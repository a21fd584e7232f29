// The record of moves as people and other programs read it: the CSV's exact bytes for games played
// in virtual time, and a player's longest move and summary in words.

#include "chart/records.h"
#include "tests/support/playedrecord.h"

#include <QTest>

using gameclock::MoveRecords;
using gameclock::Player;

Q_DECLARE_METATYPE(gameclock::MoveRecords)

class tst_records : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void csv_data()
    {
        QTest::addColumn<MoveRecords>("record");
        QTest::addColumn<QString>("nameB");
        QTest::addColumn<QByteArray>("rows"); // after the header
        const gameclock::TimeControl threePlusTwo{
            "3 + 2", {{180000, 0, gameclock::Bonus::Fischer, 2000}}, {{180000, 0, gameclock::Bonus::Fischer, 2000}}};
        QTest::newRow("count-down, virtual time")
            << support::playedRecord(threePlusTwo, {4210, 6020, 12345}) << "Ola"
            << QByteArray("1,A,Kari,4210,0:04,179790,2:59\r\n1,B,Ola,6020,0:06,177980,2:57\r\n"
                          "2,A,Kari,12345,0:12,169445,2:49\r\n");
        QTest::newRow("classic, past the limit")
            << MoveRecords{{Player::A, 1, 4512000, 1188000, 0}, {Player::B, 1, 61000, -1000, 2}} << "Ola"
            << QByteArray("1,A,Kari,4512000,75:12,1188000,19:48\r\n1,B,Ola,61000,1:01,-1000,-0:01\r\n");
        QTest::newRow("a name in quotes, with a comma")
            << MoveRecords{{Player::B, 1, 2000, 58000, 0}} << "Ødegård, \"Lynet\""
            << QByteArray("1,B,\"Ødegård, \"\"Lynet\"\"\",2000,0:02,58000,0:58\r\n");
        // A spreadsheet would run a field that begins as a formula.
        QTest::newRow("a name that reads as a formula") << MoveRecords{{Player::B, 1, 2000, 58000, 0}} << "=1+1"
                                                        << QByteArray("1,B,'=1+1,2000,0:02,58000,0:58\r\n");
    }
    void csv()
    {
        QFETCH(MoveRecords, record);
        QFETCH(QString, nameB);
        QFETCH(QByteArray, rows);
        QCOMPARE(chart::recordCsv(record, QStringLiteral("Kari"), nameB),
                 "trekk,spiller,navn,brukt_ms,brukt,igjen_ms,igjen\r\n" + rows);
    }

    // The longest move in words, and the summary as a screen reader hears it: a count-down clock's
    // milliseconds, and a name that holds a place marker of the sentence.
    void words()
    {
        const MoveRecords record{{Player::A, 1, 1500, 0, 0}, {Player::A, 2, 3661001, 0, 0}};
        const chart::PlayerSummary s = chart::summarize(record, Player::A, false);
        const QString name = QStringLiteral("50%2 Kari");
        QCOMPARE(chart::longestMoveText(name, s, false), "Lengste trekk: 50%2 Kari, trekk 2, 1 t 1 min 1,001 s");
        QCOMPARE(chart::summaryText(name, s, false, chart::Words::Long),
                 "50%2 Kari: 2 trekk, i alt 1 time 1 minutt 2,501 sekunder, i snitt 30 minutter 31,250 sekunder per "
                 "trekk, lengste trekk nummer 2 på 1 time 1 minutt 1,001 sekunder.");
    }
};

QTEST_GUILESS_MAIN(tst_records)
#include "tst_records.moc"
