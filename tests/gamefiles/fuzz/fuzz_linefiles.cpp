// libFuzzer target for the line-file readers. Besides looking for crashes it checks the promises
// the rest of the program relies on, and aborts when one is broken:
// - the line rule: no line holds a CR, at most the asked number of lines, shorter asks give a prefix;
// - the readers agree with the line rule and report too few lines with the right count;
// - whatever a reader gives back is written and read back unchanged;
// - a count-down game read from the lines after the seventh restores to exactly what they say, is
//   written and read back as the same game, and played on with moves and times taken from the
//   input, every moment of it is one a backup holds and the clock opens again; its record of moves
//   comes back with it, and a record that cannot be read never costs the game;
// - a rules line that reads is written back as itself;
// - the game opens every file the clock opens, played on it keeps its record and its flags, and
//   what it would save opens again as the same game.

#include "clock/countdown.h"
#include "clock/countdownfile.h"
#include "clock/game.h"
#include "gamefiles/linefiles.h"
#include "tests/support/manualclock.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace gamefiles;
using gameclock::Countdown;
using gameclock::CountdownRead;
using gameclock::CountdownState;
using gameclock::Player;
using gameclock::TimeControl;

namespace {

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "fuzz_linefiles: %s\n", what);
    std::abort();
}

void check(bool ok, const char *what)
{
    if (!ok)
        broken(what);
}

// In memory where there is a tmpfs: every save file is synced to disk, which would otherwise
// cost two thirds of the executions.
const QTemporaryDir &workDir()
{
    static const QTemporaryDir dir = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                         ? QTemporaryDir(QStringLiteral("/dev/shm/fuzz_linefiles-XXXXXX"))
                                         : QTemporaryDir();
    if (!dir.isValid())
        broken("no temporary directory");
    return dir;
}

void checkSplit(const QByteArray &data)
{
    const QList<QByteArray> seven = splitLines(data, 7);
    check(seven.size() <= 7, "more lines than asked for");
    for (const QByteArray &line : seven)
        check(!line.contains('\r'), "a line holds a CR");
    for (int n : {0, 1, 3}) {
        const QList<QByteArray> fewer = splitLines(data, n);
        check(fewer == seven.mid(0, n), "a shorter ask is not a prefix");
    }
    // The lines with their line ends put back are the start of the data.
    QByteArray rebuilt;
    for (qsizetype i = 0; i < seven.size(); ++i) {
        rebuilt += seven[i];
        if (rebuilt.size() < data.size()) {
            check(data[rebuilt.size()] == '\r', "a line ends without a CR");
            rebuilt += '\r';
            if (rebuilt.size() < data.size() && data[rebuilt.size()] == '\n')
                rebuilt += '\n';
        }
    }
    check(data.startsWith(rebuilt), "lines do not rebuild the data");
    if (seven.size() < 7)
        check(rebuilt.size() == data.size(), "lines missing before the end of the data");
}

bool writeRaw(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

void checkCountdown(const QByteArray &data, const GameValues &values);

void checkReaders(const QByteArray &data)
{
    const QString input = workDir().filePath(QStringLiteral("input"));
    const QString output = workDir().filePath(QStringLiteral("output"));
    check(writeRaw(input, data), "cannot write the input file");
    const qsizetype lines = splitLines(data, 7).size();

    const GameRead game = readGameFile(input);
    if (lines < 7) {
        check(game.error && game.error->kind == FileError::Kind::TooFewLines && game.error->linesFound == lines &&
                  game.values == GameValues{},
              "game file: wrong too-few-lines report");
    } else {
        check(!game.error, "game file: error on seven lines");
        checkCountdown(data, game.values);
        check(!writeGameFile(output, game.values), "game file: write failed");
        const GameRead again = readGameFile(output);
        check(!again.error && again.values == game.values, "game file: does not read back unchanged");
        const GameValues &v = game.values;
        QFile written(output);
        check(written.open(QIODevice::ReadOnly) &&
                  written.readAll() ==
                      encodeLines(
                          QStringList{v.mina, v.seka, v.minb, v.sekb, v.spillera, v.spillerb, v.stans} + v.further, 7),
              "game file: bytes differ from encodeLines");
    }

    const PathRead path = readPathFile(input);
    check(bool(path.error) == (lines == 0), "path file: wrong error");
    if (!path.error) {
        check(path.path == decodeText(splitLines(data, 1).value(0)), "path file: differs from decodeText");
        check(!writePathFile(path.path, output), "path file: write failed");
        const PathRead again = readPathFile(output);
        check(!again.error && again.path == path.path, "path file: does not read back unchanged");
    }

    const SettingsRead settings = readSettings(input);
    check(settings.defaultsUsed == (lines < 3) && bool(settings.error) == (lines < 3), "settings: wrong defaults flag");
    check(!writeSettings(settings.values, output), "settings: write failed");
    const SettingsRead again = readSettings(output);
    check(!again.defaultsUsed && again.values == settings.values, "settings: do not read back unchanged");
}

// What a game is put through: pairs of bytes from the end of the input, what to do and how long
// after the step before (up to about seventeen minutes), so that the fuzzer steers both.
struct Step {
    int what;
    qint64 afterMs;
};

std::vector<Step> stepsOf(const QByteArray &data)
{
    constexpr qsizetype kMaxSteps = 16;
    std::vector<Step> steps;
    for (qsizetype i = std::max<qsizetype>(0, data.size() - 2 * kMaxSteps); i + 1 < data.size(); i += 2) {
        const auto after = qint64(uchar(data[i + 1]));
        steps.push_back({uchar(data[i]) % 5, after * after * 16});
    }
    return steps;
}

void checkMoment(const Countdown &game, qint64 now, const CountdownState &before)
{
    const CountdownState s = game.state(now);
    for (const std::size_t p : {0, 1}) {
        check(s.leftMs[p] >= 0, "count-down: time left below zero");
        check(s.moves[p] >= before.moves[p], "count-down: moves counted back");
        check(before.fellAs[p] == 0 || s.fellAs[p] == before.fellAs[p], "count-down: a fallen flag rose or moved");
    }
    // The backup is written at any moment: the clock must open what it wrote, as it was.
    check(!Countdown::whyNot(game.control(), s), "count-down: a moment the clock refuses to restore");
    const std::optional<Countdown> again = Countdown::restore(game.control(), s);
    check(again && again->state(now + 1) == s, "count-down: restore does not give the moment back");
}

void play(Countdown game, const QByteArray &data)
{
    qint64 now = 1'000'000;
    CountdownState before = game.state(now);
    for (const Step &step : stepsOf(data)) {
        now += step.afterMs;
        switch (step.what) {
        case 0:
            game.resume(Player::A, now);
            break;
        case 1:
            game.resume(Player::B, now);
            break;
        case 2:
            game.finishMove(now);
            break;
        case 3:
            game.stop(now);
            break;
        default:
            game.settle(now);
            break;
        }
        checkMoment(game, now, before);
        before = game.state(now);
    }
}

// The game as the window plays it, opened from the values and played on from the input.
void playGame(const GameValues &values, const QByteArray &data)
{
    static support::ManualClock clock;
    toolkit::TimeSource::setCurrent(&clock);
    gameclock::Game game;
    QString note;
    if (game.restore(values, &note))
        return;
    check(game.phase() == gameclock::Phase::Paused, "game: not paused after opening");
    const auto reopens = [&game] {
        const GameValues saved = game.values();
        gameclock::Game again;
        QString unused;
        check(!again.restore(saved, &unused), "game: refuses what it would save");
        check(again.values() == saved, "game: does not open what it saved as it was");
    };
    reopens();
    int fell[2] = {game.fellAs(gameclock::Player::A), game.fellAs(gameclock::Player::B)};
    for (const Step &step : stepsOf(data)) {
        clock.advance(step.afterMs);
        const std::size_t recorded = game.record().size();
        switch (step.what) {
        case 0:
            game.resume(gameclock::Player::A);
            break;
        case 1:
            game.finishMove(clock.now() - step.afterMs / 2);
            break;
        case 2:
            game.pause();
            break;
        case 3:
            game.countSecond(game.turn());
            break;
        default:
            game.refresh();
            break;
        }
        check(game.record().size() - recorded <= 1, "game: more than one move recorded at once");
        if (game.record().size() > recorded) {
            const gameclock::MoveRecord &m = game.record().back();
            check(m.usedMs >= 0 && m.number >= 1, "game: a move of negative time or number");
            check(!game.countsDown() || m.leftMs >= 0, "game: time left below zero");
        }
        for (const gameclock::Player p : gameclock::kPlayers) {
            const int now = game.fellAs(p);
            check(fell[gameclock::at(p)] == 0 || now == fell[gameclock::at(p)], "game: a fallen flag rose or moved");
            fell[gameclock::at(p)] = now;
        }
    }
    if (game.phase() == gameclock::Phase::Running)
        game.pause();
    reopens();
}

void checkCountdown(const QByteArray &data, const GameValues &values)
{
    playGame(values, data);
    const CountdownRead read = gameclock::readCountdownLines(values.further);
    check(read.kind != CountdownRead::Kind::Damaged || !read.reason.isEmpty(), "count-down: refused without a reason");
    if (read.kind == CountdownRead::Kind::Countdown) {
        check(read.records.empty() || read.recordNote.isEmpty(), "count-down: a record read with a note");
        const std::optional<Countdown> game = Countdown::restore(read.control, read.state);
        check(game && game->state(0) == read.state, "count-down: restore differs from the lines");
        // Saved as the clock saves it, and opened again: the same game.
        const QString output = workDir().filePath(QStringLiteral("countdown"));
        GameValues saved = values;
        saved.further = gameclock::countdownLines(read.control, read.state, read.records);
        check(!writeGameFile(output, saved), "count-down: write failed");
        const GameRead reopened = readGameFile(output);
        const CountdownRead again = gameclock::readCountdownLines(reopened.values.further);
        TimeControl expected = read.control;
        expected.name.replace(QLatin1Char('\n'), QLatin1Char(' '));
        check(!reopened.error && again.kind == CountdownRead::Kind::Countdown && again.control == expected &&
                  again.state == read.state && again.records == read.records && again.recordNote.isEmpty(),
              "count-down: does not read back unchanged");
        play(*game, data);
    }
    // A rules line wherever the fuzzer puts it, with or without its key.
    for (QString line : values.further.mid(0, 12)) {
        if (line.startsWith(QLatin1String("regler=")))
            line.remove(0, 7);
        const std::optional<TimeControl> control = gameclock::parseRules(QStringLiteral("x"), line);
        if (!control)
            continue;
        check(!gameclock::whyInvalid(*control), "rules: read a control that cannot be played");
        check(gameclock::parseRules(control->name, gameclock::rulesText(*control)) == control,
              "rules: not written back as read");
        play(Countdown(*control), data);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkSplit(bytes);
    const QString text = decodeText(bytes);
    if (!bytes.contains('\r')) {
        const QByteArray encoded = encodeLines({text});
        check(encoded.endsWith("\r\n"), "encodeLines: no CR LF at the end");
        check(decodeText(encoded.chopped(2)) == text, "decodeText(encodeLines()) changes the text");
    }
    checkReaders(bytes);
    return 0;
}
