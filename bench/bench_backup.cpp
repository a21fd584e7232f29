// One backup write against the one-second tick it has to fit in: what the tick of a running clock
// pays on the window's thread (it hands the values to the backup writer), and, for comparison, the
// safe write itself as the writer's thread does it (it waits for the disk).

#include "benchstats.h"
#include "clock/frmhoved.h"
#include "gamefiles/linefiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

void print(const char *what, const bench::Stats &s)
{
    bench::printShare(what, s, 1e6, "the 1 s tick", 0.1, 4);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int runs = quick ? 200 : 1000;
    // Beside the working directory, where the program writes it: on the disk, not in memory.
    QTemporaryDir dir(QDir::current().absoluteFilePath(QStringLiteral("bench-backup-XXXXXX")));
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::printf("cannot make a directory beside %s\n", qPrintable(QDir::currentPath()));
        return 1;
    }
    std::printf("%d writes in %s\n", runs, qPrintable(QDir::currentPath()));

    // The tick as the running clock has it: seconds, carry, flag test, and the backup handed over.
    std::vector<double> tickUs;
    {
        gameclock::frmhoved w;
        w.Timer1_Timer();
        w.Timer1->setEnabled(false);
        w.starta_Click();
        w.tida->setEnabled(false); // the ticks below are called by hand, one every 20 ms
        QElapsedTimer t;
        for (int i = 0; i < runs; ++i) {
            t.start();
            w.tida_Timer();
            tickUs.push_back(double(t.nsecsElapsed()) / 1000.0);
            QThread::msleep(20);
            QCoreApplication::processEvents();
        }
        w.finishBackup();
    }
    print("tick with its backup write, window thread", bench::stats(tickUs));

    gamefiles::GameValues values{QStringLiteral("12"), QStringLiteral("34"),        QStringLiteral("10"),
                                 QStringLiteral("5"),  QStringLiteral("Spiller A"), QStringLiteral("Spiller B"),
                                 QStringLiteral("60")};
    std::vector<double> writeUs;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        values.seka = QString::number(i % 60);
        t.start();
        const auto error = gamefiles::writeGameFile(gamefiles::kBackupFile, values);
        writeUs.push_back(double(t.nsecsElapsed()) / 1000.0);
        if (error) {
            std::printf("write failed: %s\n", qPrintable(error->message()));
            return 1;
        }
    }
    const bench::Stats s = bench::stats(writeUs);
    std::printf("for comparison, the safe write itself on the writer's thread: mean %.1f µs = %.3f %% of 1 s, "
                "p99 %.1f µs\n",
                s.mean, 100.0 * s.mean / 1e6, s.p99);

    // The last step of that write alone: the directory flushed so that a fresh rename lasts. The
    // steps before it are done here by hand, so that nothing else is in the figure.
    std::vector<double> dirUs;
    const QByteArray bytes = gamefiles::encodeLines(
        {values.mina, values.seka, values.minb, values.sekb, values.spillera, values.spillerb, values.stans});
    for (int i = 0; i < runs; ++i) {
        const int file = ::open(".bench.tmp", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool written = file >= 0 && ::write(file, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
                             ::fsync(file) == 0 && ::close(file) == 0 &&
                             ::rename(".bench.tmp", qPrintable(gamefiles::kBackupFile)) == 0;
        t.start();
        const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool flushed = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        dirUs.push_back(double(t.nsecsElapsed()) / 1000.0);
        if (!written || !flushed) {
            std::printf("the steps by hand failed\n");
            return 1;
        }
    }
    const bench::Stats d = bench::stats(dirUs);
    std::printf("of which the fsync of the directory after a rename: mean %.1f µs (%.0f %% of the write), "
                "p99 %.1f µs\n",
                d.mean, 100.0 * d.mean / s.mean, d.p99);
    return 0;
}
