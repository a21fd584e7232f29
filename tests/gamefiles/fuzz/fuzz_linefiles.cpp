// libFuzzer target for the line-file readers. Besides looking for crashes it checks the promises
// the rest of the program relies on, and aborts when one is broken:
// - the line rule: no line holds a CR, at most the asked number of lines, shorter asks give a prefix;
// - the readers agree with the line rule and report too few lines with the right count;
// - whatever a reader gives back is written and read back unchanged;
// - a count-down game read from the lines after the seventh, with its record of moves, is written and
//   read back the same, and a record that cannot be read never costs the game.

#include "clock/countdownfile.h"
#include "gamefiles/linefiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace gamefiles;

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

void checkCountdown(const QStringList &further)
{
    const gameclock::CountdownRead read = gameclock::readCountdownLines(further);
    if (read.kind != gameclock::CountdownRead::Kind::Countdown)
        return;
    check(read.records.empty() || read.recordNote.isEmpty(), "count-down: a record with a note");
    const gameclock::CountdownRead again =
        gameclock::readCountdownLines(gameclock::countdownLines(read.control, read.state, read.records));
    check(again.kind == gameclock::CountdownRead::Kind::Countdown && again.control == read.control &&
              again.state == read.state && again.records == read.records && again.recordNote.isEmpty(),
          "count-down: does not read back unchanged");
}

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
        checkCountdown(game.values.further);
        check(!writeGameFile(output, game.values), "game file: write failed");
        const GameRead again = readGameFile(output);
        check(!again.error && again.values == game.values, "game file: does not read back unchanged");
        const GameValues &v = game.values;
        QFile written(output);
        check(written.open(QIODevice::ReadOnly) &&
                  written.readAll() ==
                      encodeLines(QStringList{v.mina, v.seka, v.minb, v.sekb, v.spillera, v.spillerb, v.stans} + v.further,
                                  7),
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
