#include "gamefiles/linefiles.h"
#include "gamefiles/linefiles_p.h"
#include "tests/support/smalldisk.h"

#include "tests/support/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <clocale>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace gamefiles;

Q_DECLARE_METATYPE(gamefiles::SettingsValues)
Q_DECLARE_METATYPE(gamefiles::FileError)
Q_DECLARE_METATYPE(gamefiles::FileError::Kind)

namespace {

QStringList gameList(const GameValues &v)
{
    return {v.mina, v.seka, v.minb, v.sekb, v.spillera, v.spillerb, v.stans};
}

GameValues gameValues(const QStringList &l)
{
    return {l[0], l[1], l[2], l[3], l[4], l[5], l[6]};
}

const QStringList kDefaultGame = {"0", "0", "0", "0", "Spiller A", "Spiller B", "60"};

// The three writers, chosen by name in the data rows; the values are the file's lines.
std::optional<FileError> writeByName(const QString &writer, const QString &path, const QStringList &lines)
{
    if (writer == QLatin1String("game"))
        return writeGameFile(path, gameValues(lines));
    if (writer == QLatin1String("path"))
        return writePathFile(lines.value(0), path);
    return writeSettings({lines[0], lines[1], lines[2]}, path);
}

QStringList linesFor(const QString &writer)
{
    if (writer == QLatin1String("game"))
        return kDefaultGame;
    if (writer == QLatin1String("path"))
        return {"/partier/Spill.sur"};
    return {"Ola", "Kari", "60"};
}

// The way new files are made, for one test row.
struct UnnamedFiles {
    explicit UnnamedFiles(bool on) { detail::setUnnamedFiles(on); }
    ~UnnamedFiles() { detail::setUnnamedFiles(true); }
};

// What a writer in a child process answered, passed back through a pipe.
struct ChildResult {
    bool failed = false;
    int kind = -1;
    QString reason;
    QString message;
    QString problem; // why the child itself did not run as planned
};

// Runs one writer in a child process whose files may grow to fileLimit bytes at most: the kernel
// cuts the write at the limit and fails the rest with EFBIG (SIGXFSZ ignored, as it must be for a
// program to hear of it at all). The old file and the directory are the parent's to inspect.
ChildResult writeInLimitedChild(const QString &writer, const QString &path, const QStringList &lines, rlim_t fileLimit)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {false, -1, {}, {}, QStringLiteral("pipe failed")};
    const pid_t pid = ::fork();
    if (pid < 0)
        return {false, -1, {}, {}, QStringLiteral("fork failed")};
    if (pid == 0) {
        ::close(fds[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{fileLimit, fileLimit};
        QByteArray answer;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            answer = "setrlimit";
        } else {
            const std::optional<FileError> error = writeByName(writer, path, lines);
            answer = error ? "1\n" + QByteArray::number(int(error->kind)) + '\n' + error->reason.toUtf8() + '\n' +
                                 error->message().toUtf8()
                           : "0";
        }
        const ssize_t ignored = ::write(fds[1], answer.constData(), size_t(answer.size()));
        Q_UNUSED(ignored);
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        answer.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {false, -1, {}, {}, QStringLiteral("child ended abnormally, status %1").arg(status)};
    const QList<QByteArray> parts = answer.split('\n');
    if (parts.value(0) == "0")
        return {};
    if (parts.value(0) != "1" || parts.size() < 4)
        return {false, -1, {}, {}, QStringLiteral("child answered \"%1\"").arg(QString::fromUtf8(answer))};
    return {true,
            parts[1].toInt(),
            QString::fromUtf8(parts[2]),
            QString::fromUtf8(answer.mid(parts[0].size() + parts[1].size() + parts[2].size() + 3)),
            {}};
}

} // namespace

class TestLineFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void splitLines_data();
    void splitLines();
    void decodeText_data();
    void decodeText();
    void encodeLines_data();
    void encodeLines();
    void writtenBytes_data();
    void writtenBytes();
    void gameRoundTrip_data();
    void gameRoundTrip();
    void furtherLines_data();
    void furtherLines();
    void readGameFile_data();
    void readGameFile();
    void readSettings_data();
    void readSettings();
    void readPathFile_data();
    void readPathFile();
    void largeFiles();
    void readErrors_data();
    void readErrors();
    void failedWriteTouchesNothing_data();
    void failedWriteTouchesNothing();
    void kernelCutsTheWrite_data();
    void kernelCutsTheWrite();
    void fullDisk_data();
    void fullDisk();
    void replacedFileKeepsItsKind_data();
    void replacedFileKeepsItsKind();
    void systemReasons_data();
    void systemReasons();
    void messages_data();
    void messages();

private:
    QString m_startDir;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLineFiles::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_startDir = QDir::currentPath();
}

// Each row runs in a fresh working directory, where the default file names land.
void TestLineFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestLineFiles::cleanup()
{
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestLineFiles::splitLines_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QByteArrayList>("expected");

    QTest::newRow("empty data has no line") << QByteArray() << 7 << QByteArrayList{};
    QTest::newRow("end of data ends the line") << QByteArray("abc") << 7 << QByteArrayList{"abc"};
    QTest::newRow("CR LF after the last line adds no line")
        << QByteArray("a\r\nb\r\n") << 7 << QByteArrayList{"a", "b"};
    QTest::newRow("CR alone ends a line") << QByteArray("a\rb\r") << 7 << QByteArrayList{"a", "b"};
    QTest::newRow("lone LF is part of the value") << QByteArray("a\nb\r\nc") << 7 << QByteArrayList{"a\nb", "c"};
    QTest::newRow("LF-only line ends give one line") << QByteArray("0\n0\n0\n") << 7 << QByteArrayList{"0\n0\n0\n"};
    QTest::newRow("only one LF belongs to the line end")
        << QByteArray("a\r\n\nb\r\n") << 7 << QByteArrayList{"a", "\nb"};
    QTest::newRow("CR CR LF is an empty line") << QByteArray("a\r\r\nb") << 7 << QByteArrayList{"a", "", "b"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << 7 << QByteArrayList{"", ""};
    QTest::newRow("nothing after maxLines") << QByteArray("1\r\n2\r\n3\r\n4") << 2 << QByteArrayList{"1", "2"};
    QTest::newRow("no lines wanted") << QByteArray("a\r\n") << 0 << QByteArrayList{};
}

void TestLineFiles::splitLines()
{
    QFETCH(QByteArray, data);
    QFETCH(int, maxLines);
    QFETCH(QByteArrayList, expected);
    QCOMPARE(gamefiles::splitLines(data, maxLines), expected);
}

void TestLineFiles::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ASCII") << QByteArray("Spiller A") << QStringLiteral("Spiller A");
    QTest::newRow("Windows-1252 æøå") << QByteArray("\xE6\xF8\xE5 \xC6\xD8\xC5") << QStringLiteral("æøå ÆØÅ");
    QTest::newRow("UTF-8 æøå") << QByteArray("\xC3\xA6\xC3\xB8\xC3\xA5") << QStringLiteral("æøå");
    QTest::newRow("Windows-1252 0x80-0x9F") << QByteArray("\x80\x93x\x94\x9F") << QStringLiteral("€“x”Ÿ");
    QTest::newRow("unassigned bytes keep their number")
        << QByteArray("\x81\x8D\x8F\x90\x9D") << QStringLiteral("\u0081\u008D\u008F\u0090\u009D");
    QTest::newRow("cut UTF-8 sequence is Windows-1252") << QByteArray("Bl\xC3") << QStringLiteral("BlÃ");
    QTest::newRow("overlong UTF-8 is Windows-1252") << QByteArray("\xC0\xAF") << QStringLiteral("À¯");
    QTest::newRow("overlong three-byte UTF-8 is Windows-1252") << QByteArray("\xE0\x80\xAF") << QStringLiteral("à€¯");
    QTest::newRow("overlong four-byte UTF-8 is Windows-1252")
        << QByteArray("\xF0\x80\x80\xAF") << QStringLiteral("ð€€¯");
    QTest::newRow("UTF-8 surrogate is Windows-1252") << QByteArray("\xED\xA0\x80") << QStringLiteral("í\u00A0€");
    QTest::newRow("above U+10FFFF is Windows-1252") << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("ô\u0090€€");
    QTest::newRow("four-byte UTF-8") << QByteArray("\xF0\x9F\x90\xB4") << QStringLiteral("🐴");
    QTest::newRow("byte order mark is kept") << QByteArray("\xEF\xBB\xBF"
                                                           "A")
                                             << QStringLiteral("\uFEFFA");
}

void TestLineFiles::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(gamefiles::decodeText(bytes), expected);
}

void TestLineFiles::encodeLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("Blå") << QStringList{"Blå"} << QByteArray("Bl\xE5\r\n");
    QTest::newRow("empty value is CR LF alone") << QStringList{"", "x", ""} << QByteArray("\r\nx\r\n\r\n");
    QTest::newRow("euro sign fits Windows-1252") << QStringList{"5 €"} << QByteArray("5 \x80\r\n");
    QTest::newRow("Łukasz is UTF-8") << QStringList{"Łukasz"} << QByteArray("\xC5\x81ukasz\r\n");
    QTest::newRow("one value outside makes the whole file UTF-8")
        << QStringList{"Blå", "Søren ♞"} << QByteArray("Bl\xC3\xA5\r\nS\xC3\xB8ren \xE2\x99\x9E\r\n");
    QTest::newRow("Windows-1252 bytes that read as UTF-8 are written as UTF-8")
        << QStringList{"Ã¸"} << QByteArray("\xC3\x83\xC2\xB8\r\n");
    QTest::newRow("bytes that only look like UTF-8 across a line end stay Windows-1252")
        << QStringList{"Ã", "¸"} << QByteArray("\xC3\r\n\xB8\r\n");
    QTest::newRow("C1 control outside Windows-1252") << QStringList{"\u0080"} << QByteArray("\xC2\x80\r\n");
}

void TestLineFiles::encodeLines()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, expected);
    QCOMPARE(gamefiles::encodeLines(lines), expected);
}

// Exact bytes of each writer under the default file names, replacing a longer earlier file.
void TestLineFiles::writtenBytes_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("default game: the 38 bytes")
        << "game" << kDefaultGame << QByteArray("0\r\n0\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n");
    QTest::newRow("game with Norwegian names stays Windows-1252")
        << "game" << QStringList{"12", "5", "123", "59", "Blå Bjørn", "Ærlige Åse", "45 min"}
        << QByteArray("12\r\n5\r\n123\r\n59\r\nBl\xE5 Bj\xF8rn\r\n\xC6rlige \xC5se\r\n45 min\r\n");
    QTest::newRow("default settings: the 26 bytes")
        << "settings" << QStringList{"Spiller A", "Spiller B", "60"} << QByteArray("Spiller A\r\nSpiller B\r\n60\r\n");
    QTest::newRow("settings with Blå") << "settings" << QStringList{"Blå", "Spiller B", "60"}
                                       << QByteArray("Bl\xE5\r\nSpiller B\r\n60\r\n");
    QTest::newRow("path file") << "path" << QStringList{"c:\\\\Spill.sur"} << QByteArray("c:\\\\Spill.sur\r\n");
}

void TestLineFiles::writtenBytes()
{
    QFETCH(QString, writer);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, expected);

    std::optional<FileError> error;
    QString file;
    QStringList readBack;
    if (writer == QLatin1String("game")) {
        file = kBackupFile;
        QVERIFY(writeRaw(file, QByteArray(200, 'x')));
        error = writeGameFile(file, gameValues(lines));
        const GameRead read = gamefiles::readGameFile(file);
        QVERIFY(!read.error);
        readBack = gameList(read.values);
    } else if (writer == QLatin1String("settings")) {
        file = kSettingsFile;
        QVERIFY(writeRaw(file, QByteArray(200, 'x')));
        error = writeSettings({lines[0], lines[1], lines[2]});
        const SettingsRead read = gamefiles::readSettings();
        QVERIFY(!read.defaultsUsed);
        readBack = {read.values.spillera, read.values.spillerb, read.values.stans};
    } else {
        file = kPathFile;
        QVERIFY(writeRaw(file, QByteArray(200, 'x')));
        error = writePathFile(lines[0]);
        const PathRead read = gamefiles::readPathFile();
        QVERIFY(!read.error);
        readBack = {read.path};
    }
    QVERIFY2(!error, qPrintable(error ? error->message() : QString()));
    QCOMPARE(readRaw(file), expected);
    QCOMPARE(readBack, lines);
}

void TestLineFiles::gameRoundTrip_data()
{
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("default") << kDefaultGame;
    QTest::newRow("commas, semicolons, quotes")
        << QStringList{"1", "2", "3", "4", "Hansen, Ola", "\"Kari\"; Nordmann", "'60'"};
    QTest::newRow("leading and trailing blanks") << QStringList{"0", "0", "0", "0", "  Ola ", "\tKari  ", " 60"};
    QTest::newRow("empty values") << QStringList{"", "", "", "", "", "", ""};
    QTest::newRow("lone LF inside a value") << QStringList{"0", "0", "0", "0", "Ola\nNordmann", "\nKari\n", "60\n"};
    QTest::newRow("outside Windows-1252") << QStringList{"0", "0", "0", "0", "Łukasz", "Søren ♞", "60"};
    QTest::newRow("would read as UTF-8") << QStringList{"0", "0", "0", "0", "Ã¸", "Ã¥ Ã", "60"};
    QTest::newRow("astral characters") << QStringList{"0", "0", "0", "0", "Magnus 🐴", "𝄞", "60"};
    QTest::newRow("unassigned Windows-1252 numbers") << QStringList{"0", "0", "0", "0", "\u0081", "\u009D", "60"};
    QTest::newRow("byte order mark at the start") << QStringList{"\uFEFF0", "0", "0", "0", "Ola", "Kari", "60"};
    QTest::newRow("longest name") << QStringList{
        "0", "0", "0", "0", QString(gamefiles::kMaxValueLength, QChar(u'ø')), "Kari", "60"};
}

void TestLineFiles::gameRoundTrip()
{
    QFETCH(QStringList, lines);
    const QString file = QStringLiteral("parti.sur");
    QVERIFY(!writeGameFile(file, gameValues(lines)));
    QCOMPARE(readRaw(file), gamefiles::encodeLines(lines));
    const GameRead read = gamefiles::readGameFile(file);
    QVERIFY(!read.error);
    QCOMPARE(gameList(read.values), lines);
}

// The lines a game needs beyond the seven: written after them and read back unchanged, in one
// character set that a reader deciding on the first seven (or, when those are plain ASCII, on the
// rest) reads right.
void TestLineFiles::furtherLines_data()
{
    QTest::addColumn<QStringList>("seven");
    QTest::addColumn<QStringList>("further");
    QTest::addColumn<QByteArray>("encodedAs"); // a part of the bytes written
    const QStringList ascii = kDefaultGame;
    QStringList blaa = kDefaultGame;
    blaa[4] = QStringLiteral("Blå");
    QStringList mojibake = kDefaultGame;
    mojibake[4] = QStringLiteral("Ã¸");
    QTest::newRow("plain ASCII") << ascii << QStringList{"Partivakt nedtelling 1", "slutt"} << QByteArray("\r\nslutt\r\n");
    QTest::newRow("further lines decide when the seven are ASCII")
        << ascii << QStringList{"kontroll=Łódź 5+3"} << QByteArray("\xC5\x81\xC3\xB3" "d\xC5\xBA");
    QTest::newRow("Windows-1252 in the further lines alone")
        << ascii << QStringList{"kontroll=Blå lyn"} << QByteArray("Bl\xE5 lyn");
    QTest::newRow("a name in Windows-1252, a further line that needs UTF-8")
        << blaa << QStringList{"kontroll=Łódź"} << QByteArray("Bl\xC3\xA5");
    QTest::newRow("seven whose Windows-1252 bytes would read as UTF-8")
        << mojibake << QStringList{"kontroll=é"} << QByteArray("\xC3\x83\xC2\xB8");
    QTest::newRow("an empty further line") << ascii << QStringList{"a", "", "b"} << QByteArray("\r\na\r\n\r\nb\r\n");
}

void TestLineFiles::furtherLines()
{
    QFETCH(QStringList, seven);
    QFETCH(QStringList, further);
    QFETCH(QByteArray, encodedAs);
    GameValues values = gameValues(seven);
    values.further = further;
    const QString file = QStringLiteral("parti.sur");
    QVERIFY(!writeGameFile(file, values));
    QVERIFY2(readRaw(file).contains(encodedAs), readRaw(file).toHex(' ').constData());
    const GameRead read = gamefiles::readGameFile(file);
    QVERIFY(!read.error);
    QCOMPARE(read.values, values);
}

void TestLineFiles::readGameFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // empty when too few lines
    QTest::addColumn<int>("linesFound");

    QTest::newRow("more than seven lines give the first seven")
        << QByteArray("1\r\n2\r\n3\r\n4\r\nA\r\nB\r\n7\r\n8\r\n9\r\n") << QStringList{"1", "2", "3", "4", "A", "B", "7"}
        << 7;
    QTest::newRow("last line without CR LF")
        << QByteArray("1\r\n2\r\n3\r\n4\r\nA\r\nB\r\n60") << QStringList{"1", "2", "3", "4", "A", "B", "60"} << 7;
    QTest::newRow("CR alone ends lines") << QByteArray("1\r2\r3\r4\rA\rB\r60\r")
                                         << QStringList{"1", "2", "3", "4", "A", "B", "60"} << 7;
    QTest::newRow("lone LF stays in the value") << QByteArray("1\r\n2\r\n3\r\n4\r\nA\nA\r\nB\r\n60\r\n")
                                                << QStringList{"1", "2", "3", "4", "A\nA", "B", "60"} << 7;
    QTest::newRow("seven empty lines") << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n\r\n")
                                       << QStringList{"", "", "", "", "", "", ""} << 7;
    QTest::newRow("Windows-1252 file") << QByteArray("0\r\n0\r\n0\r\n0\r\nBl\xE5\r\n\xC6se\r\n60\r\n")
                                       << QStringList{"0", "0", "0", "0", "Blå", "Æse", "60"} << 7;
    QTest::newRow("UTF-8 file") << QByteArray("0\r\n0\r\n0\r\n0\r\n\xC5\x81ukasz\r\nS\xC3\xB8ren\r\n60\r\n")
                                << QStringList{"0", "0", "0", "0", "Łukasz", "Søren", "60"} << 7;
    // Bytes after the seventh line are not read, so they cannot sway the character set.
    QTest::newRow("UTF-8 file with junk after line seven")
        << QByteArray("0\r\n0\r\n0\r\n0\r\nS\xC3\xB8ren\r\nB\r\n60\r\n\xFF\xFE\x00\x01", 31)
        << QStringList{"0", "0", "0", "0", "Søren", "B", "60"} << 7;
    QTest::newRow("LF-only line ends are one line") << QByteArray("0\n0\n0\n0\nA\nB\n60\n") << QStringList{} << 1;
    QTest::newRow("three lines") << QByteArray("0\r\n0\r\n0\r\n") << QStringList{} << 3;
    QTest::newRow("six lines and an open seventh that is empty")
        << QByteArray("0\r\n0\r\n0\r\n0\r\nA\r\nB\r\n") << QStringList{} << 6;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << 0;
}

void TestLineFiles::readGameFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(int, linesFound);

    const QString file = QStringLiteral("parti.sur");
    QVERIFY(writeRaw(file, bytes));
    const GameRead read = gamefiles::readGameFile(file);
    if (expected.isEmpty()) {
        QVERIFY(read.error);
        QCOMPARE(read.error->kind, FileError::Kind::TooFewLines);
        QCOMPARE(read.error->path, file);
        QCOMPARE(read.error->linesFound, linesFound);
        QCOMPARE(read.error->linesNeeded, 7);
        QCOMPARE(read.values, GameValues{});
    } else {
        QVERIFY2(!read.error, qPrintable(read.error ? read.error->message() : QString()));
        QCOMPARE(gameList(read.values), expected);
    }
}

void TestLineFiles::readSettings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<SettingsValues>("expected");
    QTest::addColumn<int>("linesFound"); // -1: no error, -2: no file

    const SettingsValues defaults;
    QTest::newRow("no file") << QByteArray() << defaults << -2;
    QTest::newRow("empty file") << QByteArray("") << defaults << 0;
    QTest::newRow("one line") << QByteArray("Ola\r\n") << SettingsValues{"Ola", "Spiller B", "60"} << 1;
    QTest::newRow("two lines, the last without CR LF")
        << QByteArray("Ola\r\nKari") << SettingsValues{"Ola", "Kari", "60"} << 2;
    QTest::newRow("three lines, text after the limit")
        << QByteArray("Ola\r\nKari\r\n45 min\r\n") << SettingsValues{"Ola", "Kari", "45 min"} << -1;
    QTest::newRow("last line without CR LF")
        << QByteArray("Ola\r\nKari\r\n90") << SettingsValues{"Ola", "Kari", "90"} << -1;
    QTest::newRow("an empty line stays empty")
        << QByteArray("\r\nKari\r\n60\r\n") << SettingsValues{"", "Kari", "60"} << -1;
    QTest::newRow("more lines than three") << QByteArray("A\r\nB\r\n5\r\nC\r\n") << SettingsValues{"A", "B", "5"} << -1;
}

void TestLineFiles::readSettings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(SettingsValues, expected);
    QFETCH(int, linesFound);

    if (linesFound != -2)
        QVERIFY(writeRaw(kSettingsFile, bytes));
    const SettingsRead read = gamefiles::readSettings();
    QCOMPARE(read.values.spillera, expected.spillera);
    QCOMPARE(read.values.spillerb, expected.spillerb);
    QCOMPARE(read.values.stans, expected.stans);
    QCOMPARE(read.defaultsUsed, linesFound != -1);
    QCOMPARE(bool(read.error), linesFound != -1);
    if (linesFound == -2) {
        QCOMPARE(read.error->kind, FileError::Kind::Missing);
    } else if (linesFound >= 0) {
        QCOMPARE(read.error->kind, FileError::Kind::TooFewLines);
        QCOMPARE(read.error->linesFound, linesFound);
        QCOMPARE(read.error->linesNeeded, 3);
    }
    if (read.error)
        QCOMPARE(read.error->path, kSettingsFile);
}

void TestLineFiles::readPathFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("tooFewLines");

    QTest::newRow("one line") << QByteArray("c:\\partier\\Spill.sur\r\n") << "c:\\partier\\Spill.sur" << false;
    QTest::newRow("first of several lines") << QByteArray("/a.sur\r\n/b.sur\r\n") << "/a.sur" << false;
    QTest::newRow("without CR LF") << QByteArray("/a.sur") << "/a.sur" << false;
    QTest::newRow("empty first line") << QByteArray("\r\n/b.sur\r\n") << "" << false;
    QTest::newRow("empty file") << QByteArray("") << "" << true;
}

void TestLineFiles::readPathFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(bool, tooFewLines);

    QVERIFY(writeRaw(kPathFile, bytes));
    const PathRead read = gamefiles::readPathFile();
    QCOMPARE(read.path, expected);
    QCOMPARE(bool(read.error), tooFewLines);
    if (tooFewLines) {
        QCOMPARE(read.error->kind, FileError::Kind::TooFewLines);
        QCOMPARE(read.error->linesNeeded, 1);
    }
}

// A reader stops after the lines it needs, and refuses to swallow a huge file without line ends.
void TestLineFiles::largeFiles()
{
    const QByteArray junk(17 * 1024 * 1024, 'x');
    QVERIFY(writeRaw(QStringLiteral("lang.sur"), QByteArray("0\r\n0\r\n0\r\n0\r\nA\r\nB\r\n60\r\n") + junk));
    const GameRead good = gamefiles::readGameFile(QStringLiteral("lang.sur"));
    QVERIFY(!good.error);
    QCOMPARE(good.values.stans, QStringLiteral("60"));

    QVERIFY(writeRaw(QStringLiteral("uten-linjer.sur"), junk));
    const GameRead bad = gamefiles::readGameFile(QStringLiteral("uten-linjer.sur"));
    QVERIFY(bad.error);
    QCOMPARE(bad.error->kind, FileError::Kind::CannotOpen);
    QVERIFY(!bad.error->reason.isEmpty());
    const SettingsRead settings = gamefiles::readSettings(QStringLiteral("uten-linjer.sur"));
    QVERIFY(settings.defaultsUsed);
    QCOMPARE(settings.values, SettingsValues{});

    // A 10 MB line is no name: the settings keep that line's default and take the rest.
    const QByteArray tenMegabytes(10 * 1024 * 1024, 'n');
    QVERIFY(writeRaw(QStringLiteral("def.dur"), "Kari\r\n" + tenMegabytes + "\r\n45\r\n"));
    const SettingsRead longLine = gamefiles::readSettings(QStringLiteral("def.dur"));
    QVERIFY(longLine.defaultsUsed);
    QCOMPARE(longLine.values.spillera, QStringLiteral("Kari"));
    QCOMPARE(longLine.values.spillerb, QStringLiteral("Spiller B"));
    QCOMPARE(longLine.values.stans, QStringLiteral("45"));
    QVERIFY(longLine.error);
    QCOMPARE(longLine.error->kind, FileError::Kind::TooLong);
    QVERIFY2(longLine.error->message().contains(QStringLiteral("Linje 2")), qPrintable(longLine.error->message()));
    // A game file with such a line is refused whole.
    QVERIFY(writeRaw(QStringLiteral("lang-navn.sur"), "0\r\n0\r\n0\r\n0\r\n" + tenMegabytes + "\r\nB\r\n60\r\n"));
    const GameRead longGame = gamefiles::readGameFile(QStringLiteral("lang-navn.sur"));
    QVERIFY(longGame.error);
    QCOMPARE(longGame.error->kind, FileError::Kind::TooLong);
    QCOMPARE(longGame.error->line, 5);
    QCOMPARE(longGame.values, GameValues{});
    // The longest value allowed still reads.
    const QByteArray longest(gamefiles::kMaxValueLength, 'a');
    QVERIFY(writeRaw(QStringLiteral("lengst.sur"), "0\r\n0\r\n0\r\n0\r\n" + longest + "\r\nB\r\n60\r\n"));
    QVERIFY(!gamefiles::readGameFile(QStringLiteral("lengst.sur")).error);
}

void TestLineFiles::readErrors_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("file");
    QTest::addColumn<FileError::Kind>("kind");

    for (const char *reader : {"game", "path", "settings"}) {
        QTest::addRow("%s: missing file", reader) << reader << "borte.sur" << FileError::Kind::Missing;
        QTest::addRow("%s: missing directory", reader) << reader << "borte/fil" << FileError::Kind::Missing;
        QTest::addRow("%s: a directory in its place", reader) << reader << "mappe" << FileError::Kind::CannotOpen;
    }
}

void TestLineFiles::readErrors()
{
    QFETCH(QString, reader);
    QFETCH(QString, file);
    QFETCH(FileError::Kind, kind);

    QVERIFY(QDir().mkdir(QStringLiteral("mappe")));
    std::optional<FileError> error;
    if (reader == QLatin1String("game")) {
        const GameRead read = gamefiles::readGameFile(file);
        QCOMPARE(read.values, GameValues{});
        error = read.error;
    } else if (reader == QLatin1String("path")) {
        const PathRead read = gamefiles::readPathFile(file);
        QCOMPARE(read.path, QString());
        error = read.error;
    } else {
        const SettingsRead read = gamefiles::readSettings(file);
        QVERIFY(read.defaultsUsed);
        QCOMPARE(read.values, SettingsValues{});
        error = read.error;
    }
    QVERIFY(error);
    QCOMPARE(error->kind, kind);
    QCOMPARE(error->path, file);
    QVERIFY(error->message().contains(QStringLiteral("«%1»").arg(QDir::toNativeSeparators(file))));
    if (kind == FileError::Kind::CannotOpen)
        QVERIFY2(!error->reason.isEmpty() && error->message().contains(error->reason), qPrintable(error->message()));
}

void TestLineFiles::failedWriteTouchesNothing_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("reason"); // in Norwegian, whatever the system said

    for (const char *writer : {"game", "path", "settings"}) {
        const QStringList good = linesFor(QString::fromLatin1(writer));
        QStringList withCr = good;
        withCr.last() += QStringLiteral("\r\nx");
        QTest::addRow("%s: directory missing", writer) << writer << "borte/fil" << good << "finnes ikke";
        QTest::addRow("%s: a directory in its place", writer) << writer << "mappe" << good << "er en mappe";
        QTest::addRow("%s: a value with CR", writer) << writer << "gammel" << withCr << "linjeskift";
        QStringList tooLong = good;
        tooLong.last() = QString(gamefiles::kMaxValueLength + 1, QLatin1Char('x'));
        QTest::addRow("%s: a value too long to read back", writer) << writer << "gammel" << tooLong << "lengre enn";
    }
}

void TestLineFiles::failedWriteTouchesNothing()
{
    QFETCH(QString, writer);
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    QFETCH(QString, reason);

    QVERIFY(QDir().mkdir(QStringLiteral("mappe")));
    QVERIFY(writeRaw(QStringLiteral("mappe/inni"), "inni\r\n"));
    QVERIFY(writeRaw(QStringLiteral("gammel"), "forrige\r\ninnhold\r\n"));
    const auto before = snapshot(QStringLiteral("."));

    const std::optional<FileError> error = writeByName(writer, file, lines);
    QVERIFY(error);
    QCOMPARE(error->kind, FileError::Kind::CannotWrite);
    QCOMPARE(error->path, file);
    QVERIFY(!error->reason.isEmpty());
    QVERIFY2(error->message().contains(error->reason), qPrintable(error->message()));
    QVERIFY2(error->reason.contains(reason), qPrintable(error->reason));
    QCOMPARE(snapshot(QStringLiteral(".")), before);
}

void TestLineFiles::kernelCutsTheWrite_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("oldFile");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<bool>("unnamed");

    for (const char *writer : {"game", "path", "settings"}) {
        const int size = int(gamefiles::encodeLines(linesFor(QString::fromLatin1(writer))).size());
        for (const bool unnamed : {true, false}) {
            for (const bool oldFile : {true, false}) {
                const char *old = oldFile ? "over an old file" : "new file";
                const char *way = unnamed ? "unnamed" : "named";
                QTest::addRow("%s, %s, %s: no byte allowed", writer, way, old)
                    << writer << oldFile << 0 << false << unnamed;
                // The first write(2) is cut short; the loop must go on and hear EFBIG.
                QTest::addRow("%s, %s, %s: cut after 5 bytes", writer, way, old)
                    << writer << oldFile << 5 << false << unnamed;
                QTest::addRow("%s, %s, %s: one byte short", writer, way, old)
                    << writer << oldFile << size - 1 << false << unnamed;
                QTest::addRow("%s, %s, %s: exactly room", writer, way, old)
                    << writer << oldFile << size << true << unnamed;
            }
        }
    }
}

// The kernel refuses part of the write (EFBIG under RLIMIT_FSIZE, in a child process): the old file
// stays byte for byte, nothing is left behind, and the user hears why in Norwegian.
void TestLineFiles::kernelCutsTheWrite()
{
    QFETCH(QString, writer);
    QFETCH(bool, oldFile);
    QFETCH(int, limit);
    QFETCH(bool, fits);
    QFETCH(bool, unnamed);
    UnnamedFiles way(unnamed);

    const QString file = QStringLiteral("forrige");
    // Longer than the new content, so that the old file alone is over the limit too.
    const QByteArray previous("1\r\n2\r\n3\r\n4\r\nForrige spiller A\r\nForrige spiller B\r\n30\r\nmer\r\n");
    if (oldFile)
        QVERIFY(writeRaw(file, previous));
    const auto before = snapshot(QStringLiteral("."));

    const ChildResult result = writeInLimitedChild(writer, file, linesFor(writer), rlim_t(limit));
    QVERIFY2(result.problem.isEmpty(), qPrintable(result.problem));
    if (fits) {
        QVERIFY2(!result.failed, qPrintable(result.message));
        QCOMPARE(readRaw(file), gamefiles::encodeLines(linesFor(writer)));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{file});
        return;
    }
    QVERIFY(result.failed);
    QCOMPARE(FileError::Kind(result.kind), FileError::Kind::CannotWrite);
    QCOMPARE(result.reason, QStringLiteral("Filen blir større enn systemet tillater"));
    QCOMPARE(result.message,
             QStringLiteral("Kan ikke skrive filen «forrige»: Filen blir større enn systemet tillater."));
    QCOMPARE(snapshot(QStringLiteral(".")), before);
}

void TestLineFiles::fullDisk_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("oldFile");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("unnamed");

    for (const char *writer : {"game", "path", "settings"}) {
        for (const bool unnamed : {true, false}) {
            for (const bool oldFile : {true, false}) {
                const char *old = oldFile ? "over an old file" : "as a new file";
                const char *way = unnamed ? "unnamed" : "named";
                QTest::addRow("%s %s, %s, disk full", writer, old, way) << writer << oldFile << "full"
                                                                        << "Det er ikke mer plass på disken" << unnamed;
                QTest::addRow("%s %s, %s, read-only file system", writer, old, way)
                    << writer << oldFile << "read-only"
                    << "Filsystemet er skrivebeskyttet" << unnamed;
            }
        }
    }
}

// A real small disk that refuses the write: full (ENOSPC while the bytes go out; before, the empty
// temporary file was renamed over the old one and the write counted as done), or read-only (EROFS
// as the new file is made).
void TestLineFiles::fullDisk()
{
    QFETCH(QString, writer);
    QFETCH(bool, oldFile);
    QFETCH(QString, refusal);
    QFETCH(QString, reason);
    QFETCH(bool, unnamed);
    UnnamedFiles way(unnamed);

    SmallDisk disk(16);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.whyNot()));
    QVERIFY(QDir::setCurrent(disk.path()));
    const QString file = QStringLiteral("forrige");
    const QByteArray previous("1\r\n2\r\n3\r\n4\r\nForrige A\r\nForrige B\r\n30\r\n");
    if (oldFile)
        QVERIFY(writeRaw(file, previous));
    QVERIFY(refusal == QLatin1String("full") ? disk.fill() : disk.setReadOnly(true));
    const auto before = snapshot(QStringLiteral("."));

    const std::optional<FileError> error = writeByName(writer, file, linesFor(writer));
    QVERIFY(error);
    QCOMPARE(error->kind, FileError::Kind::CannotWrite);
    QCOMPARE(error->reason, reason);
    QCOMPARE(error->message(), QStringLiteral("Kan ikke skrive filen «forrige»: %1.").arg(reason));
    QCOMPARE(snapshot(QStringLiteral(".")), before);

    // Once the disk takes writes again the same write goes through.
    if (refusal == QLatin1String("read-only"))
        QVERIFY(disk.setReadOnly(false));
    disk.makeRoom();
    QVERIFY(!writeByName(writer, file, linesFor(writer)));
    QCOMPARE(readRaw(file), gamefiles::encodeLines(linesFor(writer)));
}

void TestLineFiles::replacedFileKeepsItsKind_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("oldMode"); // -1: no old file
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("newMode");

    QTest::newRow("new file under umask 022") << "file" << -1 << 022 << 0644;
    QTest::newRow("new file under umask 077") << "file" << -1 << 077 << 0600;
    QTest::newRow("old file's mode 0640 stays") << "file" << 0640 << 022 << 0640;
    QTest::newRow("old file's mode 0666 stays under umask 022") << "file" << 0666 << 022 << 0666;
    QTest::newRow("a link stays a link, its file replaced") << "link" << 0600 << 022 << 0600;
}

void TestLineFiles::replacedFileKeepsItsKind()
{
    QFETCH(QString, how);
    QFETCH(int, oldMode);
    QFETCH(int, umask);
    QFETCH(int, newMode);

    const QString file = QStringLiteral("spill.sur");
    const QString real = QStringLiteral("ekte.sur");
    if (oldMode >= 0) {
        QVERIFY(writeRaw(how == QLatin1String("link") ? real : file, "gammelt\r\n"));
        QCOMPARE(::chmod(qPrintable(how == QLatin1String("link") ? real : file), mode_t(oldMode)), 0);
    }
    if (how == QLatin1String("link"))
        QVERIFY(QFile::link(real, file));
    const mode_t oldUmask = ::umask(mode_t(umask));
    const std::optional<FileError> error = writeGameFile(file, gameValues(kDefaultGame));
    ::umask(oldUmask);
    QVERIFY2(!error, qPrintable(error ? error->message() : QString()));

    const QString target = how == QLatin1String("link") ? real : file;
    struct stat st {};
    QCOMPARE(::stat(qPrintable(target), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), newMode);
    QCOMPARE(readRaw(target), gamefiles::encodeLines(kDefaultGame));
    QCOMPARE(QFileInfo(file).isSymLink(), how == QLatin1String("link"));
}

void TestLineFiles::systemReasons_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");

    QTest::newRow("EDQUOT") << EDQUOT << "Diskkvoten er brukt opp";
    QTest::newRow("EIO") << EIO << "Lese- eller skrivefeil på disken";
    // Nothing we have a sentence for: the system's own words (here in the C locale's English),
    // never an empty reason, also for a number the system has no words for.
    QTest::newRow("EPROTO") << EPROTO << "Protocol error";
    QTest::newRow("no such number") << 4095 << "Unknown error 4095";
}

// Reasons the tests cannot make the kernel give (a quota, a broken disk) still reach the user in
// Norwegian; ENOSPC, EFBIG and EROFS come from the kernel in the tests above.
void TestLineFiles::systemReasons()
{
    QFETCH(int, number);
    QFETCH(QString, reason);
    const QByteArray messages = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, "C");
    const QString said = detail::systemReason(number);
    std::setlocale(LC_MESSAGES, messages.constData());
    QCOMPARE(said, reason);
}

void TestLineFiles::messages_data()
{
    QTest::addColumn<FileError>("error");
    QTest::addColumn<QString>("expected");

    using K = FileError::Kind;
    QTest::newRow("missing") << FileError{K::Missing, "/p/a.sur", "No such file or directory"}
                             << "Finner ikke filen «/p/a.sur».";
    QTest::newRow("cannot open") << FileError{K::CannotOpen, "/p/a.sur", "Permission denied"}
                                 << "Kan ikke åpne filen «/p/a.sur»: Permission denied.";
    QTest::newRow("reason with its own full stop")
        << FileError{K::CannotOpen, "def.dur", "Ingen tilgang."} << "Kan ikke åpne filen «def.dur»: Ingen tilgang.";
    QTest::newRow("too few lines") << FileError{K::TooFewLines, "/p/a.sur", {}, 2, 7}
                                   << "Filen «/p/a.sur» har for få linjer (2 av 7).";
    QTest::newRow("cannot write") << FileError{K::CannotWrite, "bane.ban", "No space left on device"}
                                  << "Kan ikke skrive filen «bane.ban»: No space left on device.";
    QTest::newRow("cannot write, no reason")
        << FileError{K::CannotWrite, "bane.ban", {}} << "Kan ikke skrive filen «bane.ban».";
}

void TestLineFiles::messages()
{
    QFETCH(FileError, error);
    QFETCH(QString, expected);
    QCOMPARE(error.message(), expected);
}

QTEST_GUILESS_MAIN(TestLineFiles)
#include "tst_linefiles.moc"
