// The record of moves as people and other programs read it: the CSV's exact bytes for games played
// in virtual time, and each player's longest move and summary in words.

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
        QTest::addColumn<QString>("nameA");
        QTest::addColumn<QString>("nameB");
        QTest::addColumn<QByteArray>("csv");
        const QByteArray header = "trekk,spiller,navn,brukt_ms,brukt,igjen_ms,igjen\r\n";
        // 3 min + 2 s: the increment is on the clock before move 1 and after each move.
        const gameclock::TimeControl threePlusTwo{QStringLiteral("3 min + 2 s"),
                                                  {{180000, 0, gameclock::Bonus::Fischer, 2000}},
                                                  {{180000, 0, gameclock::Bonus::Fischer, 2000}}};
        QTest::newRow("a count-down game in virtual time")
            << support::playedRecord(threePlusTwo, {4210, 6020, 12345, 3001, 25000}) << "Kari"
            << "Ola"
            << header + "1,A,Kari,4210,0:04,179790,2:59\r\n"
                        "1,B,Ola,6020,0:06,177980,2:57\r\n"
                        "2,A,Kari,12345,0:12,169445,2:49\r\n"
                        "2,B,Ola,3001,0:03,176979,2:56\r\n"
                        "3,A,Kari,25000,0:25,146445,2:26\r\n";
        // The classic clock's whole seconds; past the limit the time left is below zero.
        QTest::newRow("a classic game past the limit")
            << MoveRecords{{Player::A, 1, 4512000, 1188000, 0}, {Player::B, 1, 61000, -1000, 2}} << "Kari"
            << "Ola"
            << header + "1,A,Kari,4512000,75:12,1188000,19:48\r\n"
                        "1,B,Ola,61000,1:01,-1000,-0:01\r\n";
        QTest::newRow("names as typed, as one field each")
            << MoveRecords{{Player::A, 1, 1000, 59000, 0}, {Player::B, 1, 2000, 58000, 0}} << "Ødegård, Kari"
            << "Ola \"Lynet\""
            << header + "1,A,\"Ødegård, Kari\",1000,0:01,59000,0:59\r\n"
                        "1,B,\"Ola \"\"Lynet\"\"\",2000,0:02,58000,0:58\r\n";
        // A spreadsheet would run a field that begins as a formula.
        QTest::newRow("a name that reads as a formula")
            << MoveRecords{{Player::A, 1, 1000, 59000, 0}, {Player::B, 1, 2000, 58000, 0}} << "=HYPERLINK(\"x\")"
            << "-1"
            << header + "1,A,\"'=HYPERLINK(\"\"x\"\")\",1000,0:01,59000,0:59\r\n"
                        "1,B,'-1,2000,0:02,58000,0:58\r\n";
        QTest::newRow("no move") << MoveRecords{} << "Kari"
                                 << "Ola" << header;
    }
    void csv()
    {
        QFETCH(MoveRecords, record);
        QFETCH(QString, nameA);
        QFETCH(QString, nameB);
        QFETCH(QByteArray, csv);
        QCOMPARE(chart::recordCsv(record, nameA, nameB), csv);
    }

    void words_data()
    {
        QTest::addColumn<MoveRecords>("record");
        QTest::addColumn<bool>("classic");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("longest");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("spoken");
        // Two moves of equal length: the first of them is the longest.
        QTest::newRow("classic, whole seconds")
            << MoveRecords{{Player::A, 22, 60000, 0, 0},
                           {Player::B, 22, 999000, 0, 0},
                           {Player::A, 23, 252000, 0, 0},
                           {Player::A, 24, 252000, 0, 0}}
            << true << "Kari"
            << "Lengste trekk: Kari, trekk 23, 4 min 12 s"
            << "Kari: 3 trekk, i alt 9 min 24 s, i snitt 3 min 8 s per trekk, lengste trekk nummer 23 på 4 min 12 s."
            << "Kari: 3 trekk, i alt 9 minutter 24 sekunder, i snitt 3 minutter 8 sekunder per trekk, lengste trekk "
               "nummer 23 på 4 minutter 12 sekunder.";
        QTest::newRow("count-down, milliseconds")
            << MoveRecords{{Player::A, 1, 1500, 0, 0}, {Player::A, 2, 61001, 0, 0}} << false << "Kari"
            << "Lengste trekk: Kari, trekk 2, 1 min 1,001 s"
            << "Kari: 2 trekk, i alt 1 min 2,501 s, i snitt 31,250 s per trekk, lengste trekk nummer 2 på 1 min 1,001 "
               "s."
            << "Kari: 2 trekk, i alt 1 minutt 2,501 sekunder, i snitt 31,250 sekunder per trekk, lengste trekk "
               "nummer 2 på 1 minutt 1,001 sekunder.";
        QTest::newRow("one of each unit")
            << MoveRecords{{Player::B, 1, 3661000, 0, 0}} << true << "Ola"
            << "Lengste trekk: Ola, trekk 1, 1 t 1 min 1 s"
            << "Ola: 1 trekk, i alt 1 t 1 min 1 s, i snitt 1 t 1 min 1 s per trekk, lengste trekk nummer 1 på 1 t 1 "
               "min "
               "1 s."
            << "Ola: 1 trekk, i alt 1 time 1 minutt 1 sekund, i snitt 1 time 1 minutt 1 sekund per trekk, lengste "
               "trekk nummer 1 på 1 time 1 minutt 1 sekund.";
        // The classic average is of whole seconds too, to the nearest.
        QTest::newRow("classic average rounded")
            << MoveRecords{{Player::A, 1, 1000, 0, 0}, {Player::A, 2, 2000, 0, 0}, {Player::A, 3, 0, 0, 0}} << true
            << "Kari"
            << "Lengste trekk: Kari, trekk 2, 2 s"
            << "Kari: 3 trekk, i alt 3 s, i snitt 1 s per trekk, lengste trekk nummer 2 på 2 s."
            << "Kari: 3 trekk, i alt 3 sekunder, i snitt 1 sekund per trekk, lengste trekk nummer 2 på 2 sekunder.";
        QTest::newRow("no move yet") << MoveRecords{{Player::A, 1, 5000, 0, 0}} << false << "Ola"
                                     << "Lengste trekk: Ola, ingen trekk ennå"
                                     << "Ola: ingen trekk ennå."
                                     << "Ola: ingen trekk ennå.";
        QTest::newRow("a name with a place marker")
            << MoveRecords{{Player::A, 1, 5000, 0, 0}} << true << "100%2 Kari"
            << "Lengste trekk: 100%2 Kari, trekk 1, 5 s"
            << "100%2 Kari: 1 trekk, i alt 5 s, i snitt 5 s per trekk, lengste trekk nummer 1 på 5 s."
            << "100%2 Kari: 1 trekk, i alt 5 sekunder, i snitt 5 sekunder per trekk, lengste trekk nummer 1 på 5 "
               "sekunder.";
    }
    void words()
    {
        QFETCH(MoveRecords, record);
        QFETCH(bool, classic);
        QFETCH(QString, name);
        QFETCH(QString, longest);
        QFETCH(QString, summary);
        QFETCH(QString, spoken);
        const Player player = name == QLatin1String("Ola") ? Player::B : Player::A;
        const chart::PlayerSummary s = chart::summarize(record, player, classic);
        QCOMPARE(chart::longestMoveText(name, s, classic), longest);
        QCOMPARE(chart::summaryText(name, s, classic, chart::Words::Short), summary);
        QCOMPARE(chart::summaryText(name, s, classic, chart::Words::Long), spoken);
    }
};

QTEST_GUILESS_MAIN(tst_records)
#include "tst_records.moc"
