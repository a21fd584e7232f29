#include "linefiles.h"
#include "linefiles_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gamefiles {

namespace {

constexpr int kGameLines = 7;
constexpr int kSettingsLines = 3;

// A reader never holds more than this; without a cap a large file without CR (a renamed video,
// /dev/zero) would be read whole into memory. The writer refuses more, so all we write reads back.
constexpr qsizetype kMaxBytes = 16 * 1024 * 1024;
constexpr qint64 kChunk = 64 * 1024;

// Bytes 0x80 to 0x9F of Windows-1252. The five bytes that Windows-1252 leaves unassigned map to
// the C1 controls of the same number, as Windows does, so every byte reads and writes back as itself.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

std::optional<QByteArray> toCp1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        int i = 0;
        while (i < 32 && kCp1252High[i] != u)
            ++i;
        if (i == 32)
            return std::nullopt;
        bytes.append(char(0x80 + i));
    }
    return bytes;
}

// Well-formed UTF-8 in the strict sense: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isWellFormedUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            lo = b == 0xE0 ? 0xA0 : 0x80;
            hi = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            lo = b == 0xF0 ? 0x90 : 0x80;
            hi = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p <= more || p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i <= more; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        }
        p += more + 1;
    }
    return true;
}

// One decision per file, taken line by line so that bytes split by a line end never pass as UTF-8.
bool isUtf8File(const QList<QByteArray> &lines)
{
    bool nonAscii = false;
    for (const QByteArray &line : lines) {
        if (!isWellFormedUtf8(line))
            return false;
        nonAscii = nonAscii || std::any_of(line.begin(), line.end(), [](char c) { return c & 0x80; });
    }
    return nonAscii;
}

QString fromUtf8(const QByteArray &bytes)
{
    // A byte order mark at the start is part of the value, like everything else.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool anyNonAscii(const QList<QByteArray> &lines)
{
    return std::any_of(lines.begin(), lines.end(),
                       [](const QByteArray &l) { return std::any_of(l.begin(), l.end(), [](char c) { return c & 0x80; }); });
}

// The character set is decided on the first `deciding` lines, the ones every reader reads; only
// when they are plain ASCII do the lines after them decide for themselves.
bool readsAsUtf8(const QList<QByteArray> &lines, qsizetype deciding)
{
    const QList<QByteArray> first = lines.mid(0, deciding);
    if (anyNonAscii(first) || lines.size() <= deciding)
        return isUtf8File(first);
    return isUtf8File(lines.mid(deciding));
}

QStringList decodeLines(const QList<QByteArray> &lines, qsizetype deciding)
{
    const bool utf8 = readsAsUtf8(lines, deciding);
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray &line : lines)
        texts.append(utf8 ? fromUtf8(line) : fromCp1252(line));
    return texts;
}

// The system's reasons, as the user reads them. The same sentences serve the reader, whose reasons
// come as the system's English text (glibc's through Qt), and the writer, which has the number.
struct KnownReason {
    int number;
    const char *norwegian;
};
constexpr KnownReason kKnownReasons[] = {
    {ENOSPC, "Det er ikke mer plass på disken"},
    {EFBIG, "Filen blir større enn systemet tillater"},
    {EDQUOT, "Diskkvoten er brukt opp"},
    {EIO, "Lese- eller skrivefeil på disken"},
    {EROFS, "Filsystemet er skrivebeskyttet"},
    {ENOENT, "Filen eller mappen finnes ikke"},
    {EACCES, "Ingen tilgang"},
    {EPERM, "Ingen tilgang"},
    {EISDIR, "Navnet er en mappe"},
    {ENOTDIR, "En del av stien er ikke en mappe"},
    {ENAMETOOLONG, "Filnavnet er for langt"},
    {EMFILE, "For mange åpne filer"},
    {ENFILE, "For mange åpne filer"},
    {ELOOP, "For mange symbolske lenker i stien"},
    {EXDEV, "Filen og den midlertidige filen ligger på ulike filsystemer"},
};

QString norwegianReason(const QString &reason)
{
    for (const KnownReason &known : kKnownReasons)
        if (reason.compare(QString::fromLocal8Bit(std::strerror(known.number)), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(known.norwegian);
    // Qt's own text for what it checks before asking the system.
    if (reason == QLatin1String("file to open is a directory") ||
        reason == QLatin1String("Filename refers to a directory"))
        return detail::systemReason(EISDIR);
    return reason;
}

FileError makeError(FileError::Kind kind, const QString &path, const QString &reason = {})
{
    return FileError{kind, path, norwegianReason(reason)};
}

struct LinesRead {
    QStringList lines;
    std::optional<FileError> error; // Missing or CannotOpen; too few lines is the caller's to judge
};

// Reads the first `needed` lines, and up to `wanted` in all where the file has more.
LinesRead readLines(const QString &path, int needed, int wanted = 0)
{
    wanted = std::max(needed, wanted);
    if (path.isEmpty())
        return {{}, makeError(FileError::Kind::Missing, path, QStringLiteral("Filnavnet er tomt"))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const bool exists = QFileInfo::exists(path);
        return {{},
                makeError(exists ? FileError::Kind::CannotOpen : FileError::Kind::Missing, path, file.errorString())};
    }
    // Read only as far as the needed lines go: each CR ends one line.
    QByteArray data;
    qsizetype lineEnds = 0;
    while (lineEnds < wanted) {
        const qsizetype start = data.size();
        data.resize(start + std::min<qint64>(kChunk, kMaxBytes + 1 - start));
        const qint64 n = file.read(data.data() + start, data.size() - start);
        data.resize(start + std::max<qint64>(n, 0));
        if (n < 0)
            return {{}, makeError(FileError::Kind::CannotOpen, path, file.errorString())};
        if (n == 0)
            break;
        lineEnds += std::count(data.cbegin() + start, data.cend(), '\r');
        // Lines beyond the needed ones are taken as far as the cap; the needed ones never are cut.
        if (data.size() > kMaxBytes && lineEnds >= needed)
            break;
        if (data.size() > kMaxBytes && lineEnds < needed) {
            return {{},
                    makeError(FileError::Kind::CannotOpen, path,
                              QStringLiteral("De første %1 linjene er til sammen lengre enn %2 MiB")
                                  .arg(needed)
                                  .arg(kMaxBytes / (1024 * 1024)))};
        }
    }
    return {decodeLines(splitLines(data, wanted), needed), std::nullopt};
}

// The error number of the call that just failed.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

// A descriptor that is closed however the write ends.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Closing reports errors of its own (a quota on a network file system counts only there).
    int close()
    {
        const int result = ::close(std::exchange(fd, -1));
        return result == 0 || errno == EINTR ? 0 : lastError();
    }
};

// A name beside the target that no one else uses, for the new file until it takes the target's.
QByteArray temporaryName(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + '.' + target.mid(slash + 1) + '.' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
}

// Opens a new file beside the target under a name of its own. Created with 0666 so that the umask
// decides, as for any new file; an existing target lends its own mode afterwards.
int createNamed(const QByteArray &target, QByteArray &created)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = temporaryName(target);
        const int fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            created = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Gives an unnamed file (O_TMPFILE) a name beside the target; 0 or the error number.
int nameUnnamed(int fd, const QByteArray &target, QByteArray &created)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = temporaryName(target);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW) == 0) {
            created = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return lastError();
    }
    return EEXIST;
}

// Writes every byte, going on after a short write, and flushes them to the disk; 0 or the error number.
int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? lastError() : EIO;
        data += n;
        left -= n;
    }
    return ::fsync(fd) == 0 ? 0 : lastError();
}

// Replaces the file at path by bytes so that either the old file or the whole new one is there,
// also after a crash or a power cut. The bytes go to a new file in the same directory, which is
// flushed to the disk and then renamed over the old one; the directory is flushed last, so that
// the new name itself is on the disk. Every call is checked: on a full disk a write can fail while
// everything after it succeeds, and an empty file renamed over a game loses the game. Nothing but
// the target ever changes: on failure the new file is removed and the error number returned.
//
// The new file has no name while its bytes go out (O_TMPFILE), so that a crash then leaves nothing
// behind; it is named just before the rename. File systems without unnamed files get a named one.
std::atomic<bool> g_unnamedFiles{true};

std::optional<int> replaceFile(const QString &path, const QByteArray &bytes, bool unnamedFirst = g_unnamedFiles)
{
    QByteArray target = QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    // One look at the name serves the common case, every second for the backup. A link stays a
    // link: the file it leads to is replaced (a dangling one is replaced itself).
    struct stat old {};
    bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISLNK(old.st_mode)) {
        if (char *real = ::realpath(target.constData(), nullptr)) {
            target = real;
            std::free(real);
        }
        exists = ::stat(target.constData(), &old) == 0;
    }
    const QByteArray dir = target.left(std::max<qsizetype>(target.lastIndexOf('/'), 1));

    if (exists && S_ISDIR(old.st_mode))
        return EISDIR;
    if (!exists && errno != ENOENT)
        return lastError();
    // A file made read-only is kept from being replaced, although the directory would allow it.
    if (exists && ::access(target.constData(), W_OK) != 0)
        return lastError();

    QByteArray temporary; // the new file's name once it has one
    Descriptor file(unnamedFirst ? ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1);
    const bool unnamed = file.fd >= 0;
    if (!unnamed) {
        // EISDIR: a kernel without O_TMPFILE; EOPNOTSUPP: a file system without it.
        if (unnamedFirst && errno != EOPNOTSUPP && errno != EISDIR)
            return lastError();
        file.fd = createNamed(target, temporary);
        if (file.fd < 0)
            return lastError();
    }
    const auto fail = [&temporary](int error) -> std::optional<int> {
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return error;
    };
    if (exists && ::fchmod(file.fd, old.st_mode & 07777) != 0)
        return fail(lastError());
    if (const int error = writeAll(file.fd, bytes))
        return fail(error);
    if (unnamed) {
        if (const int error = nameUnnamed(file.fd, target, temporary)) {
            // Without /proc an unnamed file cannot be named: the same write with a named one.
            if (error == ENOENT)
                return replaceFile(path, bytes, false);
            return fail(error);
        }
    }
    if (const int error = file.close())
        return fail(error);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(lastError());

    // The new name is in place; it lasts through a crash once the directory is on the disk.
    Descriptor directory(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.fd < 0)
        return lastError();
    // Some file systems cannot flush a directory (EINVAL); they keep the name by other means.
    if (::fsync(directory.fd) != 0 && errno != EINVAL)
        return lastError();
    return std::nullopt;
}

std::optional<FileError> writeLines(const QString &path, const QStringList &lines, qsizetype deciding = -1)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // A CR would end the line early and shift every later value into the wrong place.
        if (lines[i].contains(QLatin1Char('\r'))) {
            return makeError(FileError::Kind::CannotWrite, path,
                             QStringLiteral("Verdien på linje %1 inneholder et linjeskift (CR)").arg(i + 1));
        }
        // What is written must read back.
        if (lines[i].size() > kMaxValueLength) {
            return makeError(
                FileError::Kind::CannotWrite, path,
                QStringLiteral("Verdien på linje %1 er lengre enn %2 tegn").arg(i + 1).arg(kMaxValueLength));
        }
    }
    if (path.isEmpty())
        return makeError(FileError::Kind::CannotWrite, path, QStringLiteral("Filnavnet er tomt"));
    const QByteArray bytes = encodeLines(lines, deciding);
    if (bytes.size() > kMaxBytes) {
        return makeError(FileError::Kind::CannotWrite, path,
                         QStringLiteral("Innholdet er større enn %1 MiB").arg(kMaxBytes / (1024 * 1024)));
    }

    if (const std::optional<int> failed = replaceFile(path, bytes))
        return FileError{FileError::Kind::CannotWrite, path, detail::systemReason(*failed)};
    return std::nullopt;
}

FileError tooLong(const QString &path, int line)
{
    FileError error{FileError::Kind::TooLong, path, {}};
    error.line = line;
    return error;
}

FileError tooFewLines(const QString &path, qsizetype found, int needed)
{
    FileError error = makeError(FileError::Kind::TooFewLines, path);
    error.linesFound = int(found);
    error.linesNeeded = needed;
    return error;
}

// "…: Reason." without doubling a full stop the system already gave.
QString withReason(const QString &start, const QString &reason)
{
    if (reason.isEmpty())
        return start + QLatin1Char('.');
    const QChar last = reason.back();
    const bool ended = last == QLatin1Char('.') || last == QLatin1Char('!') || last == QLatin1Char('?');
    return start + QStringLiteral(": ") + reason + (ended ? QString() : QStringLiteral("."));
}

} // namespace

QString FileError::message() const
{
    const QString name = QDir::toNativeSeparators(path);
    switch (kind) {
    case Kind::Missing:
        return QStringLiteral("Finner ikke filen «%1».").arg(name);
    case Kind::CannotOpen:
        return withReason(QStringLiteral("Kan ikke åpne filen «%1»").arg(name), reason);
    case Kind::TooFewLines:
        return QStringLiteral("Filen «%1» har for få linjer (%2 av %3).").arg(name).arg(linesFound).arg(linesNeeded);
    case Kind::TooLong:
        return QStringLiteral("Linje %2 i filen «%1» er for lang (over %3 tegn).")
            .arg(name)
            .arg(line)
            .arg(kMaxValueLength);
    case Kind::CannotWrite:
        return withReason(QStringLiteral("Kan ikke skrive filen «%1»").arg(name), reason);
    }
    return withReason(QStringLiteral("Feil ved filen «%1»").arg(name), reason);
}

bool isReadoutText(const QString &text)
{
    return !text.isEmpty() && text.size() <= kMaxReadoutDigits &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString savedMessage(const QString &path)
{
    return QStringLiteral("Partiet er lagret i «%1».").arg(QDir::toNativeSeparators(path));
}

std::optional<FileError> writeGameFile(const QString &path, const GameValues &values)
{
    QStringList lines{values.mina,     values.seka,     values.minb, values.sekb,
                      values.spillera, values.spillerb, values.stans};
    lines += values.further.mid(0, kMaxFurtherLines);
    return writeLines(path, lines, kGameLines);
}

std::optional<FileError> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return makeError(FileError::Kind::CannotWrite, path, QStringLiteral("Filnavnet er tomt"));
    if (const std::optional<int> failed = replaceFile(path, bytes))
        return FileError{FileError::Kind::CannotWrite, path, detail::systemReason(*failed)};
    return std::nullopt;
}

GameRead readGameFile(const QString &path)
{
    LinesRead read = readLines(path, kGameLines, kGameLines + kMaxFurtherLines);
    if (read.error)
        return {{}, read.error};
    if (read.lines.size() < kGameLines)
        return {{}, tooFewLines(path, read.lines.size(), kGameLines)};
    const QStringList &l = read.lines;
    for (qsizetype i = 0; i < kGameLines; ++i)
        if (l[i].size() > kMaxValueLength)
            return {{}, tooLong(path, int(i) + 1)};
    // Further lines are the reader's to judge: one that is too long is no line of ours, and is cut
    // so that it cannot pass for one.
    QStringList further = l.mid(kGameLines);
    for (QString &line : further)
        if (line.size() > kMaxValueLength)
            line = line.left(kMaxValueLength - 1) + QChar(0xFFFD);
    return {{l[0], l[1], l[2], l[3], l[4], l[5], l[6], further}, std::nullopt};
}

std::optional<FileError> writePathFile(const QString &gamePath, const QString &file)
{
    return writeLines(file, {gamePath});
}

PathRead readPathFile(const QString &file)
{
    LinesRead read = readLines(file, 1);
    if (read.error)
        return {{}, read.error};
    if (read.lines.isEmpty())
        return {{}, tooFewLines(file, 0, 1)};
    return {read.lines.front(), std::nullopt};
}

SettingsRead readSettings(const QString &file)
{
    SettingsRead result;
    LinesRead read = readLines(file, kSettingsLines);
    if (read.error) {
        result.defaultsUsed = true;
        result.error = read.error;
        return result;
    }
    QString *const fields[kSettingsLines] = {&result.values.spillera, &result.values.spillerb, &result.values.stans};
    for (qsizetype i = 0; i < read.lines.size(); ++i) {
        if (read.lines[i].size() > kMaxValueLength) {
            // That value keeps its default; the others are taken.
            result.defaultsUsed = true;
            result.error = tooLong(file, int(i) + 1);
            continue;
        }
        *fields[i] = read.lines[i];
    }
    if (read.lines.size() < kSettingsLines && !result.error) {
        result.defaultsUsed = true;
        result.error = tooFewLines(file, read.lines.size(), kSettingsLines);
    }
    return result;
}

std::optional<FileError> writeSettings(const SettingsValues &values, const QString &file)
{
    return writeLines(file, {values.spillera, values.spillerb, values.stans});
}

QList<QByteArray> splitLines(const QByteArray &data, int maxLines)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < data.size() && lines.size() < maxLines) {
        const qsizetype cr = data.indexOf('\r', start);
        if (cr < 0) {
            lines.append(data.mid(start));
            break;
        }
        lines.append(data.mid(start, cr - start));
        start = cr + 1;
        if (start < data.size() && data[start] == '\n')
            ++start;
    }
    return lines;
}

QString decodeText(const QByteArray &bytes)
{
    return isUtf8File({bytes}) ? fromUtf8(bytes) : fromCp1252(bytes);
}

QByteArray encodeLines(const QStringList &lines, qsizetype deciding)
{
    if (deciding < 0)
        deciding = lines.size();
    QList<QByteArray> encoded;
    encoded.reserve(lines.size());
    for (const QString &line : lines) {
        std::optional<QByteArray> bytes = toCp1252(line);
        if (!bytes)
            break;
        encoded.append(*bytes);
    }
    const bool cp1252 = encoded.size() == lines.size() && !readsAsUtf8(encoded, deciding);
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += cp1252 ? encoded[i] : lines[i].toUtf8();
        out += "\r\n";
    }
    return out;
}

namespace detail {

QString systemReason(int errorNumber)
{
    for (const KnownReason &known : kKnownReasons)
        if (known.number == errorNumber)
            return QString::fromUtf8(known.norwegian);
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

void setUnnamedFiles(bool on)
{
    g_unnamedFiles = on;
}

} // namespace detail

} // namespace gamefiles
