#pragma once

// The line files of the program: game files (*.sur, the backup "Sikkerhetskopi.sur" among them),
// the path file "bane.ban" and the settings file "def.dur". Nothing else in the program reads or
// writes them by hand. This module includes no widget header.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace gamefiles {

inline const QString kBackupFile = QStringLiteral("Sikkerhetskopi.sur");
inline const QString kPathFile = QStringLiteral("bane.ban");
inline const QString kSettingsFile = QStringLiteral("def.dur");
inline const QString kGameSuffix = QStringLiteral(".sur");
// Longer values are no name or number anyone typed: a damaged file, which must not freeze the
// window by putting megabytes into a caption.
inline constexpr int kMaxValueLength = 1000;

struct FileError {
    enum class Kind { Missing, CannotOpen, TooFewLines, TooLong, CannotWrite };
    Kind kind;
    QString path;        // as the caller named it
    QString reason;      // the system's reason, where there is one
    int linesFound = 0;  // TooFewLines only
    int linesNeeded = 0; // TooFewLines only
    int line = 0;        // TooLong: the line that is too long
    // A whole Norwegian sentence for the user, naming the file and the reason.
    [[nodiscard]] QString message() const;
};

// The seven values in file order: mina, seka, minb, sekb, spillera, spillerb, stans. A reader of
// seven lines ignores what follows them: the lines a game needs beyond the seven (a count-down
// clock's control and exact state, and the record of its moves, a line each) follow, written and
// read as they stand. A classic game has none. The cap bounds what a reader takes from a damaged file.
inline constexpr int kMaxFurtherLines = 1024;
struct GameValues {
    QString mina, seka, minb, sekb, spillera, spillerb, stans;
    QStringList further{};
    bool operator==(const GameValues &) const = default;
};

// The four read-outs of a game, lines 1 to 4 of its file.
struct Readouts {
    QString mina, seka, minb, sekb;
    bool operator==(const Readouts &) const = default;
};

// Whether a text is a read-out the clock can count on: decimal digits only, at most nine of them,
// so that any value a game file holds stays an exact whole number on the clock.
inline constexpr qsizetype kMaxReadoutDigits = 9;
[[nodiscard]] bool isReadoutText(const QString &text);

struct GameRead {
    GameValues values;
    std::optional<FileError> error; // when set, values are empty
};

// What the user reads once a game is saved at path.
[[nodiscard]] QString savedMessage(const QString &path);

[[nodiscard]] std::optional<FileError> writeGameFile(const QString &path, const GameValues &values);
// Any other file of ours (the record of moves as CSV, a picture of the chart) replaced by bytes with
// the same care as the line files: the old file or the whole new one, never a part.
[[nodiscard]] std::optional<FileError> writeWholeFile(const QString &path, const QByteArray &bytes);
[[nodiscard]] GameRead readGameFile(const QString &path);

struct PathRead {
    QString path;
    std::optional<FileError> error;
};

// "bane.ban" in the working directory unless another file is named. A first line that is empty
// reads as an empty path without an error: there is no remembered game either way.
[[nodiscard]] std::optional<FileError> writePathFile(const QString &gamePath, const QString &file = kPathFile);
[[nodiscard]] PathRead readPathFile(const QString &file = kPathFile);

struct SettingsValues {
    QString spillera = QStringLiteral("Spiller A");
    QString spillerb = QStringLiteral("Spiller B");
    QString stans = QStringLiteral("60");
    bool operator==(const SettingsValues &) const = default;
};

struct SettingsRead {
    SettingsValues values; // defaults fill what the file lacks
    bool defaultsUsed = false;
    std::optional<FileError> error; // why defaults were used (missing file, too few lines...)
};

[[nodiscard]] SettingsRead readSettings(const QString &file = kSettingsFile);
[[nodiscard]] std::optional<FileError> writeSettings(const SettingsValues &values, const QString &file = kSettingsFile);

// The line rule, exposed for the fuzzer and the tests: a line ends at CR, an LF right after that
// CR belongs to the line end, a lone LF is part of the value, the end of the data ends the last
// line. At most maxLines lines are returned; nothing after them is looked at.
[[nodiscard]] QList<QByteArray> splitLines(const QByteArray &data, int maxLines);

// Text of a file: valid UTF-8 with non-ASCII bytes is UTF-8, anything else Windows-1252.
[[nodiscard]] QString decodeText(const QByteArray &bytes);
// Windows-1252 when every value fits, UTF-8 otherwise; never a silent '?'. UTF-8 also when the
// Windows-1252 bytes would happen to read back as UTF-8 ("Ã¸"), so every value reads back unchanged.
// Each line is followed by CR LF. A reader decides on the first `deciding` lines (all when
// negative), the further ones only when those are plain ASCII; the choice here reads back so.
[[nodiscard]] QByteArray encodeLines(const QStringList &lines, qsizetype deciding = -1);

} // namespace gamefiles
