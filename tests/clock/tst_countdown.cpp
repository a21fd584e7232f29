// The count-down clock's rules, without a window, in virtual time: a row per rule.

#include "clock/countdown.h"
#include "clock/countdownfile.h"
#include "tests/support/manualclock.h"
#include "tests/support/replaced.h"

#include <QTest>

using namespace gameclock;

Q_DECLARE_METATYPE(gameclock::TimeControl)

namespace {

constexpr qint64 kMin = 60000;

TimeControl both(Stages stages)
{
    return {QStringLiteral("prøve"), stages, stages};
}

TimeControl fischer(qint64 minutes, qint64 incrementS, Bonus bonus = Bonus::Fischer)
{
    return both({{minutes * kMin, 0, bonus, incrementS * 1000}});
}

// Plays a script on the game, with the time source's clock:
//   sA / sB   the player's clock starts (or resumes)       +N   N ms pass
//   m         the running player completes a move          p    pause
//   NxT       N moves in turn, each taking T ms            r    saved to file lines and read back
//   cA:L:M    the arbiter sets A's (or B's) time left to L ms and moves to M
void play(Countdown &game, support::ManualClock &clock, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto now = [] { return toolkit::TimeSource::current().nowMs(); };
        if (step == QLatin1String("sA") || step == QLatin1String("sB")) {
            game.resume(step == QLatin1String("sA") ? Player::A : Player::B, now());
        } else if (step.startsWith(QLatin1Char('+'))) {
            clock.advance(step.mid(1).toLongLong());
            game.settle(now());
        } else if (step == QLatin1String("m")) {
            game.finishMove(now());
        } else if (step == QLatin1String("p")) {
            game.stop(now());
        } else if (step == QLatin1String("r")) {
            const CountdownRead read = readCountdownLines(countdownLines(game.control(), game.state(now())));
            QCOMPARE(read.kind, CountdownRead::Kind::Countdown);
            std::optional<Countdown> back = Countdown::restore(read.control, read.state);
            QVERIFY(back);
            game = *back;
        } else if (step.contains(QLatin1Char('x'))) {
            const QStringList nt = step.split(QLatin1Char('x'));
            for (int i = 0; i < nt[0].toInt(); ++i) {
                clock.advance(nt[1].toLongLong());
                game.finishMove(now());
            }
        } else if (step.startsWith(QLatin1Char('c'))) {
            const QStringList f = step.mid(1).split(QLatin1Char(':'));
            game.correct(f[0] == QLatin1String("A") ? Player::A : Player::B, f[1].toLongLong(), f[2].toInt());
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
}

// "left moves stage fell" for each player, A first.
QString summary(const Countdown &game, qint64 now)
{
    QStringList parts;
    for (const Player p : gameclock::kPlayers)
        parts << QStringLiteral("%1 %2 %3 %4")
                     .arg(game.leftMs(p, now))
                     .arg(game.moves(p))
                     .arg(game.stage(p))
                     .arg(game.state(now).fellAs[gameclock::at(p)]);
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class tst_countdown : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<TimeControl>("control");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected"); // A | B: left ms, moves, stage, fell (1 first, 2 second)

        QTest::newRow("Fischer 3+2: increment before move 1") << fischer(3, 2) << ""
                                                              << "182000 0 0 0 | 182000 0 0 0";
        QTest::newRow("Fischer 3+2 over 40 moves each, to the ms") << fischer(3, 2) << "sA 80x2345"
                                                                   << "168200 40 0 0 | 168200 40 0 0";
        QTest::newRow("Bronstein: shorter and longer than the delay")
            << fischer(5, 3, Bonus::Bronstein) << "sA 1x1200 1x4500"
            << "300000 1 0 0 | 298500 1 0 0";
        QTest::newRow("Bronstein counts down during the delay") << fischer(5, 3, Bonus::Bronstein) << "sA +1200"
                                                                << "298800 0 0 0 | 300000 0 0 0";
        QTest::newRow("simple delay: inside and beyond") << fischer(5, 5, Bonus::Delay) << "sA 1x4000 1x7250"
                                                         << "300000 1 0 0 | 297750 1 0 0";
        QTest::newRow("simple delay: the clock waits, then counts") << fischer(5, 5, Bonus::Delay) << "sA +4999"
                                                                    << "300000 0 0 0 | 300000 0 0 0";
        QTest::newRow("simple delay: beyond the delay, running") << fischer(5, 5, Bonus::Delay) << "sA +5001"
                                                                 << "299999 0 0 0 | 300000 0 0 0";

        const TimeControl fide = both({{90 * kMin, 40, Bonus::Fischer, 30000}, {30 * kMin, 0, Bonus::Fischer, 30000}});
        QTest::newRow("stages: A's 40th move adds 30 min, B's 39th nothing") << fide << "sA 79x1000"
                                                                             << "8390000 40 1 0 | 6561000 39 0 0";
        QTest::newRow("stages: each at their own 40th move") << fide << "sB 80x1000"
                                                             << "8390000 40 1 0 | 8390000 40 1 0";
        const TimeControl threeStages =
            both({{2 * kMin, 2, Bonus::None, 0}, {kMin, 1, Bonus::None, 0}, {kMin / 2, 0, Bonus::Delay, 2000}});
        QTest::newRow("three stages, the last with its own delay") << threeStages << "sA 6x1000 1x3500"
                                                                   << "205500 4 2 0 | 207000 3 2 0";

        QTest::newRow("odds: Armageddon 5 against 4") << TimeControl{QStringLiteral("Armageddon"),
                                                                     {{5 * kMin, 0, Bonus::None, 0}},
                                                                     {{4 * kMin, 0, Bonus::None, 0}}}
                                                      << "sA 20x1000"
                                                      << "290000 10 0 0 | 230000 10 0 0";
        QTest::newRow("odds: increments per player")
            << TimeControl{QStringLiteral("odds"), {{kMin, 0, Bonus::Fischer, 5000}}, {{kMin, 0, Bonus::None, 0}}}
            << "sA 2x1000"
            << "69000 1 0 0 | 59000 1 0 0";

        QTest::newRow("fall in the last stage: no increment after it") << fischer(1, 2) << "sA +63000 m"
                                                                       << "0 1 0 1 | 62000 0 0 0";
        QTest::newRow("flag falls at zero, not a millisecond later") << fischer(1, 0) << "sA +60000"
                                                                     << "0 0 0 1 | 60000 0 0 0";
        QTest::newRow("a millisecond before zero the flag stands") << fischer(1, 0) << "sA +59999"
                                                                   << "1 0 0 0 | 60000 0 0 0";
        QTest::newRow("Bronstein gives nothing back to a fallen flag")
            << fischer(1, 3, Bonus::Bronstein) << "sA +61000 m"
            << "0 1 0 1 | 60000 0 0 0";
        QTest::newRow("a stage's time still comes after a fall in an earlier stage")
            << both({{kMin, 2, Bonus::Fischer, 1000}, {kMin, 0, Bonus::None, 0}}) << "sA +61000 m 1x100 1x100"
            << "60000 2 1 1 | 61900 1 0 0";
        QTest::newRow("both flags: A's fell first") << fischer(1, 0) << "sA +60500 m +61000"
                                                    << "0 1 0 1 | 0 0 0 2";
        QTest::newRow("both flags: B's fell first") << fischer(1, 0) << "sB +60000 m +70000"
                                                    << "0 0 0 2 | 0 1 0 1";

        QTest::newRow("pause and resume keep the milliseconds") << fischer(3, 2) << "sA +1234 p +50000 sA +777 m"
                                                                << "181989 1 0 0 | 182000 0 0 0";
        QTest::newRow("a pause keeps the delay used") << fischer(5, 5, Bonus::Delay) << "sA +3000 p +9000 sA +3500 m"
                                                      << "298500 1 0 0 | 300000 0 0 0";
        QTest::newRow("resumed with the other player: no move, no increment") << fischer(3, 2) << "sA +5000 p sB +1000"
                                                                              << "177000 0 0 0 | 181000 0 0 0";
        QTest::newRow("restore continues to the millisecond")
            << fischer(5, 5, Bonus::Delay) << "sA 1x2222 +3001 p r sB +3500 m"
            << "300000 1 0 0 | 298499 1 0 0";
        QTest::newRow("restore keeps stages and the fallen flag's order")
            << both({{kMin, 1, Bonus::Fischer, 1000}, {kMin, 0, Bonus::Fischer, 1000}})
            << "sB +61000 m p r sA 1x500 +500"
            << "121500 1 1 0 | 59500 1 1 1";

        QTest::newRow("arbiter: stage and time follow the moves") << fide << "sA 1x1000 p cA:3600000:40 cB:60000:0"
                                                                  << "3600000 40 1 0 | 60000 0 0 0";
        QTest::newRow("arbiter: zero drops the flag") << fischer(3, 0) << "sA +1000 p cB:0:0"
                                                      << "179000 0 0 0 | 0 0 0 1";
        QTest::newRow("arbiter: the corrected mover goes on from the time typed, its delay spent")
            << fischer(5, 5, Bonus::Delay) << "sA +7000 p cA:100000:3 sA +6000 m"
            << "94000 4 0 0 | 300000 0 0 0";
    }
    void rules()
    {
        QFETCH(TimeControl, control);
        QFETCH(QString, script);
        QFETCH(QString, expected);
        support::ManualClock clock;
        const support::Replaced time{toolkit::TimeSource::setCurrent, &clock, nullptr};
        clock.advance(123456); // a monotonic clock starts anywhere
        QVERIFY(!whyInvalid(control));
        Countdown game(control);
        play(game, clock, script);
        QCOMPARE(summary(game, clock.nowMs()), expected);
    }

    // What the classic reader of seven lines makes of a count-down game: the time left to the
    // second, as limit less time used, and the flag where it would fall.
    void classicView_data()
    {
        QTest::addColumn<qint64>("leftA");
        QTest::addColumn<qint64>("leftB");
        QTest::addColumn<QString>("seven"); // mina seka minb sekb stans
        QTest::newRow("fresh 15 min") << 900000LL << 900000LL << "0 0 0 0 15";
        QTest::newRow("seconds and parts of them") << 252700LL << 900000LL << "10 48 0 0 15";
        QTest::newRow("increments above the start") << 185999LL << 60000LL << "0 55 3 0 4";
        QTest::newRow("a fallen flag reads fallen") << 0LL << 30000LL << "1 0 0 30 1";
        QTest::newRow("both at zero") << 0LL << 0LL << "1 0 1 0 1";
        QTest::newRow("hours") << 9000000LL << 5400000LL << "0 0 60 0 150";
    }
    void classicView()
    {
        QFETCH(qint64, leftA);
        QFETCH(qint64, leftB);
        QFETCH(QString, seven);
        CountdownState state;
        state.leftMs = {leftA, leftB};
        const ClassicView v = gameclock::classicView(state);
        QCOMPARE(QStringList({v.mina, v.seka, v.minb, v.sekb, v.stans}).join(QLatin1Char(' ')), seven);
    }

    // The lines after the seventh: a count-down game is read back whole, or refused with the line.
    void furtherLines_data()
    {
        QTest::addColumn<int>("line");     // 8 is the first line after the seven; 0: none changed
        QTest::addColumn<QString>("text"); // what that line becomes; "-" drops it
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason"); // a part of the reason given
        const auto D = int(CountdownRead::Kind::Damaged);
        QTest::newRow("as written") << 0 << "" << int(CountdownRead::Kind::Countdown) << "";
        QTest::newRow("not ours") << 8 << "Notater: remis tilbudt" << int(CountdownRead::Kind::Unknown) << "";
        QTest::newRow("a later version") << 8 << "Partivakt nedtelling 2" << D << "versjonen";
        QTest::newRow("cut before the end") << 17 << "-" << D << "slutt";
        QTest::newRow("cut in the middle") << 13 << "-" << D << "Linje 13";
        QTest::newRow("no name") << 9 << "kontroll=" << D << "Linje 9";
        QTest::newRow("rules unreadable") << 10 << "regler=A 90/0/F | B 1/0/N/0" << D << "Linje 10";
        QTest::newRow("rules out of bounds") << 10 << "regler=A 36000000/0/N/0 | B 60000/0/N/0" << D << "Linje 10";
        QTest::newRow("time not a number") << 11 << "igjen=12x 5" << D << "Linje 11";
        QTest::newRow("negative time") << 11 << "igjen=-5 5" << D << "Linje 11";
        QTest::newRow("stage not what the moves give") << 14 << "faser=1 0" << D << "Fasen";
        QTest::newRow("whose move unknown") << 15 << "tur=C" << D << "Linje 15";
        QTest::newRow("both fell first") << 16 << "klaffer=1 1" << D << "Rekkefølgen";
        QTest::newRow("lines swapped") << 12 << "trekk=3 2" << D << "Linje 12";
    }
    void furtherLines()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, reason);
        const TimeControl control =
            both({{90 * kMin, 40, Bonus::Fischer, 30000}, {30 * kMin, 0, Bonus::Fischer, 30000}});
        CountdownState state;
        state.leftMs = {5'400'000 - 1, 5'123'456};
        state.usedMs = 777;
        state.moves = {3, 2};
        state.turn = Player::B;
        QStringList lines = countdownLines(control, state);
        if (line) {
            if (text == QLatin1String("-"))
                lines.removeAt(line - 8);
            else
                lines[line - 8] = text;
        }
        const CountdownRead read = readCountdownLines(lines);
        QCOMPARE(int(read.kind), kind);
        QVERIFY2(read.reason.contains(reason), qPrintable(read.reason));
        if (read.kind == CountdownRead::Kind::Countdown) {
            QCOMPARE(read.control, control);
            QCOMPARE(read.state, state);
        }
    }

    void durations_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("ms"); // -1: refused
        QTest::newRow("minutes") << "90" << 5400000LL;
        QTest::newRow("minutes and seconds") << "4:05" << 245000LL;
        QTest::newRow("hours") << "9:59:59" << kMaxBaseMs;
        QTest::newRow("blanks around") << " 1:30 " << 90000LL;
        QTest::newRow("seconds above 59") << "4:60" << -1LL;
        QTest::newRow("one digit of seconds") << "4:5" << -1LL;
        QTest::newRow("minutes above 59 under hours") << "1:60:00" << -1LL;
        QTest::newRow("a fraction") << "1.5" << -1LL;
        QTest::newRow("empty") << "" << -1LL;
        QTest::newRow("a sign") << "-5" << -1LL;
    }
    void durations()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, ms);
        QCOMPARE(parseDuration(typed).value_or(-1), ms);
    }

    void clockTexts_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("an hour") << 3600000LL << "1:00:00";
        QTest::newRow("just below an hour") << 3599999LL << "59:59";
        QTest::newRow("ten seconds") << 10000LL << "0:10";
        QTest::newRow("tenths below ten seconds") << 9999LL << "0:09.9";
        QTest::newRow("never rounded up to zero's flag") << 99LL << "0:00.0";
        QTest::newRow("zero") << 0LL << "0:00.0";
        QTest::newRow("nine hours") << 35999000LL << "9:59:59";
    }
    void clockTexts()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        QCOMPARE(clockText(ms), text);
    }

    // Every preset can be played and survives its own text form, which the files and the settings keep.
    void presetsRoundTrip()
    {
        for (const TimeControl &c : presets()) {
            if (c.classic())
                continue;
            QVERIFY2(!whyInvalid(c), qPrintable(c.name));
            QCOMPARE(parseRules(c.name, rulesText(c)), c);
        }
    }
};

QTEST_GUILESS_MAIN(tst_countdown)
#include "tst_countdown.moc"
