// What the clock says, from its state: the read-out a player asks for, and what a counted second
// brings to say.

#include "speech/sentences.h"

#include <QTest>

using speech::ClockState;
using speech::Turn;

Q_DECLARE_METATYPE(speech::ClockState)

namespace {

// A player's side from a read-out as the window shows it: "12:5", or one that is no time ("x:0").
speech::PlayerState player(const QString &name, const QString &time)
{
    speech::PlayerState p{name};
    const QStringList parts = time.split(u':');
    bool minutesOk = false, secondsOk = false;
    const qint64 minutes = parts.value(0).toLongLong(&minutesOk);
    const int seconds = parts.value(1).toInt(&secondsOk);
    if (minutesOk && secondsOk) {
        p.minutes = minutes;
        p.seconds = seconds;
    } else {
        p.shown = time;
    }
    return p;
}

ClockState state(const QString &nameA, const QString &timeA, const QString &nameB, const QString &timeB,
                 Turn turn = Turn::None, double limit = 60)
{
    ClockState s;
    s.a = player(nameA, timeA);
    s.b = player(nameB, timeB);
    s.turn = turn;
    s.limit = limit;
    return s;
}

// A count-down game: each player's time left in ms and moves made.
ClockState countdown(qint64 leftA, int movesA, qint64 leftB, int movesB, Turn turn = Turn::A)
{
    ClockState s = state("Kari", "", "Ola", "", turn);
    s.a.leftMs = leftA;
    s.a.moves = movesA;
    s.b.leftMs = leftB;
    s.b.moves = movesB;
    return s;
}

} // namespace

class tst_sentences : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timeSentence_data()
    {
        QTest::addColumn<ClockState>("clock");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("A runs") << state("Kari", "12:5", "Ola", "8:40", Turn::A)
                                << "Kari 12 minutter 5. Ola 8 minutter 40. Kari trekker.";
        QTest::newRow("B runs") << state("Kari", "12:5", "Ola", "8:40", Turn::B)
                                << "Kari 12 minutter 5. Ola 8 minutter 40. Ola trekker.";
        QTest::newRow("paused") << state("Kari", "0:59", "Ola", "1:0", Turn::Paused)
                                << "Kari 0 minutter 59. Ola 1 minutt 0. Pause.";
        QTest::newRow("set-up, no one to move")
            << state("Kari", "0:0", "Ola", "0:0") << "Kari 0 minutter 0. Ola 0 minutter 0.";
        QTest::newRow("empty names") << state("", "3:7", "", "21:1", Turn::B)
                                     << "Spiller A 3 minutter 7. Spiller B 21 minutter 1. Spiller B trekker.";
        QTest::newRow("blank name") << state("  ", "3:7", "Ola", "1:1", Turn::A)
                                    << "Spiller A 3 minutter 7. Ola 1 minutt 1. Spiller A trekker.";
        QTest::newRow("names as typed") << state("Ås-Brødrene 2", "3:7", "o.l.a", "1:1", Turn::A)
                                        << "Ås-Brødrene 2 3 minutter 7. o.l.a 1 minutt 1. Ås-Brødrene 2 trekker.";
        ClockState fallen = state("Kari", "61:12", "Ola", "40:3", Turn::A);
        fallen.a.flagFallen = true;
        QTest::newRow("A's flag, above the limit")
            << fallen << "Kari 61 minutter 12. Ola 40 minutter 3. Klaffen har falt for Kari. Kari trekker.";
        ClockState both = state("", "60:0", "Ola", "60:1", Turn::Paused);
        both.a.flagFallen = both.b.flagFallen = true;
        QTest::newRow("both flags, paused")
            << both
            << "Spiller A 60 minutter 0. Ola 60 minutter 1. Klaffen har falt for Spiller A. Klaffen har falt for "
               "Ola. Pause.";
        QTest::newRow("count-down: time left and the move")
            << countdown(252'900, 23, 3'600'000, 22)
            << "Kari 4 minutter 12 sekunder igjen, trekk 23. Ola 1 time igjen, trekk 22. Kari trekker.";
        QTest::newRow("count-down: whole minutes, one second, an hour and more")
            << countdown(60'000, 1, 3'661'000, 0, Turn::B)
            << "Kari 1 minutt igjen, trekk 1. Ola 1 time 1 minutt igjen, trekk 0. Ola trekker.";
        ClockState down = countdown(0, 40, 1'999, 39, Turn::Paused);
        down.a.flagFallen = true;
        QTest::newRow("count-down: a fallen flag at zero")
            << down
            << "Kari 0 sekunder igjen, trekk 40. Ola 1 sekund igjen, trekk 39. Klaffen har falt for Kari. Pause.";
    }
    void timeSentence()
    {
        QFETCH(ClockState, clock);
        QFETCH(QString, sentence);
        QCOMPARE(speech::timeSentence(clock), sentence);
    }

    void tickSentence_data()
    {
        QTest::addColumn<ClockState>("clock");
        QTest::addColumn<bool>("playerA");
        QTest::addColumn<bool>("flagFell");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("6 minutes left") << state("Kari", "54:0", "Ola", "0:0", Turn::A) << true << false << "";
        QTest::newRow("5 minutes left") << state("Kari", "55:0", "Ola", "0:0", Turn::A) << true << false
                                        << "Kari 5 minutter igjen.";
        QTest::newRow("within the minute") << state("Kari", "55:1", "Ola", "0:0", Turn::A) << true << false << "";
        QTest::newRow("1 minute left, B")
            << state("Kari", "0:0", "", "9:0", Turn::B, 10) << false << false << "Spiller B 1 minutt igjen.";
        QTest::newRow("the other player's minutes")
            << state("Kari", "55:0", "Ola", "3:4", Turn::B) << false << false << "";
        QTest::newRow("at the limit, flag fell")
            << state("Kari", "60:0", "Ola", "0:0", Turn::A) << true << true << "Klaffen har falt for Kari.";
        QTest::newRow("restored above the limit, flag fell")
            << state("Kari", "0:0", "Ola", "30:41", Turn::B, 30) << false << true << "Klaffen har falt for Ola.";
        QTest::newRow("past the limit") << state("Kari", "61:0", "Ola", "0:0", Turn::A) << true << false << "";
        QTest::newRow("limit no whole number")
            << state("Kari", "8:0", "Ola", "0:0", Turn::A, 10.5) << true << false << "";
        QTest::newRow("damaged read-out") << state("Kari", "x:0", "Ola", "0:0", Turn::A) << true << false << "";
        // A count-down clock ticks a second apart from the switch, not on whole seconds left.
        QTest::newRow("count-down: a fifth minute passed")
            << countdown(299'400, 3, 0, 0) << true << false << "Kari 5 minutter igjen.";
        QTest::newRow("count-down: the tick before it") << countdown(300'400, 3, 0, 0) << true << false << "";
        QTest::newRow("count-down: a sixth minute passed") << countdown(359'400, 3, 0, 0) << true << false << "";
        QTest::newRow("count-down: the last minute")
            << countdown(0, 0, 59'001, 3, Turn::B) << false << false << "Ola 1 minutt igjen.";
        QTest::newRow("count-down: ten seconds")
            << countdown(9'600, 3, 0, 0) << true << false << "Kari 10 sekunder igjen.";
        QTest::newRow("count-down: then the count") << countdown(8'600, 3, 0, 0) << true << false << "9";
        QTest::newRow("count-down: the last second") << countdown(700, 3, 0, 0) << true << false << "1";
        QTest::newRow("count-down: eleven seconds") << countdown(10'600, 3, 0, 0) << true << false << "";
        QTest::newRow("count-down: the flag") << countdown(0, 3, 0, 0) << true << true << "Klaffen har falt for Kari.";
    }
    void tickSentence()
    {
        QFETCH(ClockState, clock);
        QFETCH(bool, playerA);
        QFETCH(bool, flagFell);
        QFETCH(QString, sentence);
        QCOMPARE(speech::tickSentence(clock, playerA, flagFell), sentence);
    }

    // While a delay holds a clock still, each second finds the same time: it is said once.
    void stillClockSaysItOnce()
    {
        speech::Announcer announcer;
        const QStringList said{
            announcer.tick(countdown(8'600, 3, 0, 0), true), announcer.tick(countdown(8'600, 3, 0, 0), true),
            announcer.tick(countdown(0, 0, 8'600, 3, Turn::B), false), announcer.tick(countdown(7'600, 3, 0, 0), true),
            announcer.tick(countdown(7'600, 3, 0, 0), true)};
        QCOMPARE(said, QStringList({"9", "", "9", "8", ""}));
    }
};

QTEST_GUILESS_MAIN(tst_sentences)
#include "tst_sentences.moc"
