// One write of the backup file, as every tick of a running clock makes it, against the one-second
// tick it has to fit in.

#include "benchstats.h"
#include "gamefiles/linefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int runs = quick ? 200 : 2000;
    // Beside the working directory, where the program writes it: on the disk, not in memory.
    QTemporaryDir dir(QDir::current().absoluteFilePath(QStringLiteral("bench-backup-XXXXXX")));
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::printf("cannot make a directory beside %s\n", qPrintable(QDir::currentPath()));
        return 1;
    }

    gamefiles::GameValues values{QStringLiteral("12"),        QStringLiteral("34"),        QStringLiteral("10"),
                                 QStringLiteral("5"),         QStringLiteral("Spiller A"), QStringLiteral("Spiller B"),
                                 QStringLiteral("60")};
    std::vector<double> us;
    us.reserve(runs);
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        values.seka = QString::number(i % 60);
        t.start();
        const auto error = gamefiles::writeGameFile(gamefiles::kBackupFile, values);
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
        if (error) {
            std::printf("write failed: %s\n", qPrintable(error->message()));
            return 1;
        }
    }
    const bench::Stats s = bench::stats(us);
    const auto share = [](double v) { return 100.0 * v / 1e6; };
    std::printf("%d backup writes in %s\n", runs, qPrintable(QDir::currentPath()));
    std::printf("backup write: mean %.1f µs = %.4f %% of the 1 s tick (target < 0.1 %%)%s\n", s.mean, share(s.mean),
                share(s.mean) < 0.1 ? "" : "  OVER TARGET");
    std::printf("    p50 %.1f µs = %.4f %%, p99 %.1f µs = %.4f %%, max %.1f µs\n", s.p50, share(s.p50), s.p99,
                share(s.p99), s.max);
    return 0;
}
