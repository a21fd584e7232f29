// Clock accuracy in real time: a real main window plays a game of A's clock for ten minutes (30 s
// with --quick) while the refresh timer and the backup run as in play. Every tick is timed on the
// monotonic clock, the reference: ticks lost, the drift of the last tick, and the jitter of the
// tick interval.

#include "benchstats.h"
#include "clock/frmhoved.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int seconds = quick ? 30 : 600;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    gameclock::frmhoved w;
    w.show();
    QElapsedTimer monotonic;
    std::vector<qint64> tickNs;
    tickNs.reserve(seconds + 2);
    QObject::connect(w.tida, &toolkit::Timer::timeout, &w, [&] { tickNs.push_back(monotonic.nsecsElapsed()); });

    // Start once the start-up has run, as a player would.
    QTimer::singleShot(200, &w, [&] {
        monotonic.start();
        w.starta->click();
    });
    QTimer::singleShot(200 + seconds * 1000 + 500, &app, &QCoreApplication::quit);
    QApplication::exec();
    const double elapsedMs = double(monotonic.nsecsElapsed()) / 1e6;
    w.finishBackup();

    const long counted = std::lround(w.mina->text().toDouble() * 60 + w.seka->text().toDouble());
    const long due = long(elapsedMs / 1000.0);
    std::vector<double> jitterMs;
    for (std::size_t i = 1; i < tickNs.size(); ++i)
        jitterMs.push_back(std::fabs(double(tickNs[i] - tickNs[i - 1]) / 1e6 - 1000.0));
    const double driftMs = tickNs.empty() ? 0 : double(tickNs.back()) / 1e6 - 1000.0 * double(tickNs.size());
    const bench::Stats j = bench::stats(jitterMs);

    std::printf("%d s of play on the monotonic clock (%.1f s measured)\n", seconds, elapsedMs / 1000);
    std::printf("ticks: %ld counted, %ld due, lost %ld (target 0)%s\n", counted, due, due - counted,
                due == counted ? "" : "  OVER TARGET");
    std::printf("drift of the last tick: %+.2f ms (target < 5 ms)%s\n", driftMs,
                std::fabs(driftMs) < 5 ? "" : "  OVER TARGET");
    std::printf("tick jitter: p50 %.3f ms, p99 %.3f ms (target < 5 ms), max %.3f ms%s\n", j.p50, j.p99, j.max,
                j.p99 < 5 ? "" : "  OVER TARGET");
    return 0;
}
