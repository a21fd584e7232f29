// The game played in virtual time, without a window: the record of every move and the flags,
// whatever event finds them.

#include "clock/game.h"
#include "tests/support/manualclock.h"
#include "tests/support/replaced.h"

#include <QSignalSpy>
#include <QTest>

using gameclock::Game;
using gameclock::MoveRecord;
using gameclock::Player;

namespace {

gameclock::TimeControl control(const QString &name)
{
    if (name == QLatin1String("Klassisk"))
        return gameclock::classicControl();
    const gameclock::Stages oneMinute{{60'000, 0, gameclock::Bonus::None, 0}};
    const gameclock::Stages fischer{{180'000, 0, gameclock::Bonus::Fischer, 2000}};
    const gameclock::Stages &s = name == QLatin1String("1 min") ? oneMinute : fischer;
    return {name, s, s};
}

// Plays a game from words: "A"/"B" start, "+N" N ms pass, "tA"/"tB" a second of that clock's timer,
// "x" the switch, "x-N" a switch whose key went down N ms ago, "p" pause, "rA"/"rB" resume,
// "f" the display's refresh.
void play(Game &game, support::ManualClock &clock, const QString &moves)
{
    for (const QString &m : moves.split(u' ', Qt::SkipEmptyParts)) {
        if (m == QLatin1String("A") || m == QLatin1String("B"))
            game.start(m == QLatin1String("A") ? Player::A : Player::B);
        else if (m.startsWith(u'+'))
            clock.advance(m.mid(1).toLongLong());
        else if (m.startsWith(QLatin1String("t")))
            game.countSecond(m.endsWith(u'A') ? Player::A : Player::B);
        else if (m == QLatin1String("x"))
            game.finishMove();
        else if (m.startsWith(QLatin1String("x-")))
            game.finishMove(clock.now() - m.mid(2).toLongLong());
        else if (m == QLatin1String("p"))
            game.pause();
        else if (m.startsWith(u'r'))
            game.resume(m.endsWith(u'A') ? Player::A : Player::B);
        else if (m == QLatin1String("f"))
            game.refresh();
        else
            qFatal("play: %s", qPrintable(m));
    }
}

QString shown(const MoveRecord &m)
{
    return QStringLiteral("%1%2 %3/%4%5")
        .arg(QChar(m.player == Player::A ? u'A' : u'B'))
        .arg(m.number)
        .arg(m.usedMs)
        .arg(m.leftMs)
        .arg(m.pauses ? QStringLiteral(" p%1").arg(m.pauses) : QString());
}

} // namespace

class tst_game : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordAndFlags_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QStringList>("record");
        QTest::addColumn<QString>("flags"); // players whose flag fell, in order, once each
        QTest::newRow("a flag that ran out just before the switch")
            << "1 min"
            << "A +1234 x +1234 x +58780 x +1000 f" << QStringList{"A1 1234/58766", "B1 1234/58766", "A2 58780/0"}
            << "A";
        QTest::newRow("just before a pause") << "1 min"
                                             << "A +60001 p f" << QStringList{} << "A";
        QTest::newRow("just before a resume with the other player")
            << "1 min"
            << "A +59000 p +5000 rB +1000 f" << QStringList{} << "";
        QTest::newRow("found by the refresh, said once") << "1 min"
                                                         << "B +60000 f +100 f x f" << QStringList{"B1 60100/0"} << "B";
        QTest::newRow("both, in the order they fell")
            << "1 min"
            << "A +60000 f x +60001 x" << QStringList{"A1 60000/0", "B1 60001/0"} << "AB";
        QTest::newRow("Fischer: the increment after the move")
            << "3 + 2"
            << "A +5000 x +7000 x" << QStringList{"A1 5000/179000", "B1 7000/177000"} << "";
        QTest::newRow("a pause inside a move counts once, its time not")
            << "3 + 2"
            << "A +1000 p +9000 rA +1000 x" << QStringList{"A1 2000/182000 p1"} << "";
        QTest::newRow("charged up to the key going down, the next clock running from then")
            << "3 + 2"
            << "A +5000 x-400 +3000 x" << QStringList{"A1 4600/179400", "B1 3400/180600"} << "";
        QTest::newRow("a key that went down before the move began counts from its start")
            << "3 + 2"
            << "A +500 x-900" << QStringList{"A1 0/184000"} << "";
        QTest::newRow("classic: the whole seconds its timers counted")
            << "Klassisk"
            << "A +1500 tA tA tA x tB +900 x" << QStringList{"A1 3000/57000", "B1 1000/59000"} << "";
        QTest::newRow("classic: the flag at the limit's minute")
            << "Klassisk"
            << "A" + QStringLiteral(" tA").repeated(60) + " x" << QStringList{"A1 60000/0"} << "A";
    }
    void recordAndFlags()
    {
        QFETCH(QString, control);
        QFETCH(QString, moves);
        QFETCH(QStringList, record);
        QFETCH(QString, flags);
        support::ManualClock clock;
        const support::Replaced time{toolkit::TimeSource::setCurrent, &clock, nullptr};
        Game game;
        game.setLimit(QStringLiteral("1"));
        game.newGame(::control(control));
        QString fell;
        connect(&game, &Game::flagFell, this, [&](Player p) { fell += p == Player::A ? u'A' : u'B'; });
        QSignalSpy finished(&game, &Game::moveFinished);
        play(game, clock, moves);
        QStringList seen;
        for (const MoveRecord &m : game.record())
            seen << shown(m);
        QCOMPARE(seen, record);
        QCOMPARE(finished.count(), record.size());
        QCOMPARE(fell, flags);
        for (const Player p : gameclock::kPlayers)
            QCOMPARE(game.fellAs(p), flags.indexOf(p == Player::A ? u'A' : u'B') + 1);
    }

    // What a count-down game's file holds opens as the same game with the same record, for the
    // chart of an opened game; a classic game's seven lines have no room for one.
    void recordKeptInTheFile_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("kept");
        QTest::newRow("count-down") << "3 + 2" << 3;
        QTest::newRow("classic") << "Klassisk" << 0;
    }
    void recordKeptInTheFile()
    {
        QFETCH(QString, control);
        QFETCH(int, kept);
        support::ManualClock clock;
        const support::Replaced time{toolkit::TimeSource::setCurrent, &clock, nullptr};
        Game game;
        game.newGame(::control(control));
        play(game, clock, QStringLiteral("A +1500 tA x +2500 tB tB x +700 x +400 p"));
        QString note;
        Game opened;
        QVERIFY(!opened.restore(game.values(), &note));
        QCOMPARE(note, QString());
        QCOMPARE(opened.record().size(), std::size_t(kept));
        QVERIFY(std::equal(opened.record().begin(), opened.record().end(), game.record().begin()));
        QCOMPARE(opened.values(), game.values());
    }
};

QTEST_GUILESS_MAIN(tst_game)
#include "tst_game.moc"
