// What the clock says, from its state: the read-out a player asks for, and what a counted second
// brings to say.

#include "speech/sentences.h"

#include <QTest>

using speech::ClockState;
using speech::Turn;

Q_DECLARE_METATYPE(speech::ClockState)

namespace {

ClockState state(const QString &nameA, const QString &timeA, const QString &nameB, const QString &timeB,
                 Turn turn = Turn::None, const QString &limit = QStringLiteral("60"))
{
    const QStringList a = timeA.split(u':'), b = timeB.split(u':');
    ClockState s;
    s.a = {nameA, a.value(0), a.value(1), false};
    s.b = {nameB, b.value(0), b.value(1), false};
    s.turn = turn;
    s.limit = limit;
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
        QTest::newRow("set-up, no one to move") << state("Kari", "0:0", "Ola", "0:0")
                                                << "Kari 0 minutter 0. Ola 0 minutter 0.";
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
        QTest::newRow("1 minute left, B") << state("Kari", "0:0", "", "9:0", Turn::B, "10") << false << false
                                          << "Spiller B 1 minutt igjen.";
        QTest::newRow("the other player's minutes")
            << state("Kari", "55:0", "Ola", "3:4", Turn::B) << false << false << "";
        QTest::newRow("at the limit, flag fell") << state("Kari", "60:0", "Ola", "0:0", Turn::A) << true << true
                                                 << "Klaffen har falt for Kari.";
        QTest::newRow("restored above the limit, flag fell")
            << state("Kari", "0:0", "Ola", "30:41", Turn::B, "30") << false << true << "Klaffen har falt for Ola.";
        QTest::newRow("past the limit") << state("Kari", "61:0", "Ola", "0:0", Turn::A) << true << false << "";
        QTest::newRow("limit no whole number")
            << state("Kari", "8:0", "Ola", "0:0", Turn::A, "10.5") << true << false << "";
        QTest::newRow("damaged read-out") << state("Kari", "x:0", "Ola", "0:0", Turn::A) << true << false << "";
    }
    void tickSentence()
    {
        QFETCH(ClockState, clock);
        QFETCH(bool, playerA);
        QFETCH(bool, flagFell);
        QFETCH(QString, sentence);
        QCOMPARE(speech::tickSentence(clock, playerA, flagFell), sentence);
    }
};

QTEST_GUILESS_MAIN(tst_sentences)
#include "tst_sentences.moc"
