// What speech costs the clock's thread: the main window plays a game while a player asks for the
// time; the first request loads the speech module (on the speaker's thread), later ones only hand a
// sentence over. Measured on the clock's thread: each request's call, the longest gap of a 1 ms
// probe timer and the tick intervals, while the module loads and, as the reference, in the seconds
// before. Run by bench_speech inside a speech service of its own (tests/speech/check-speech bench).

#include "app/speaking.h"
#include "benchstats.h"
#include "clock/frmhoved.h"
#include "speech/speaker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double threadCpuUs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

struct Window {
    double from = 0, to = 0; // ms on the monotonic clock
    double longestGap = 0;   // of the probe timer
    std::vector<double> tickJitter;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Partivakt"));
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    gameclock::frmhoved w;
    speech::Speaker *speaker = app::connectSpeech(w);
    w.show();

    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] { return double(clock.nsecsElapsed()) / 1e6; };
    Window before, loading;
    std::vector<double> firstCall, laterCalls, laterCpu;
    double lastProbe = -1, lastTick = -1, loadedAt = -1;
    const auto windowAt = [&](double t) -> Window * {
        if (t >= before.from && t < before.to)
            return &before;
        if (loadedAt < 0 && t >= loading.from)
            return &loading;
        return nullptr;
    };
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double t = now();
        if (Window *win = windowAt(t); win && lastProbe >= 0)
            win->longestGap = std::max(win->longestGap, t - lastProbe);
        lastProbe = t;
    });
    probe.start(1);
    QObject::connect(w.tida, &toolkit::Timer::timeout, &w, [&] {
        const double t = now();
        if (Window *win = windowAt(t); win && lastTick >= 0)
            win->tickJitter.push_back(t - lastTick - 1000);
        lastTick = t;
    });
    QObject::connect(speaker, &speech::Speaker::ready, [&] { loadedAt = now(); });
    QObject::connect(speaker, &speech::Speaker::unavailable, [&](const QString &why) {
        loadedAt = now();
        std::printf("speech unavailable: %s\n", qPrintable(why));
    });
    const auto request = [&](std::vector<double> &calls) {
        const double cpu = threadCpuUs();
        QElapsedTimer call;
        call.start();
        Q_EMIT w.timeRequested(true);
        calls.push_back(double(call.nsecsElapsed()) / 1e3);
        if (&calls == &laterCalls)
            laterCpu.push_back(threadCpuUs() - cpu);
    };

    QTimer::singleShot(200, &w, [&] { w.starta->click(); });
    before.from = 1300;
    before.to = 6300;
    QTimer::singleShot(6300, &w, [&] {
        loading.from = now();
        request(firstCall);
    });
    // Later requests, once loaded: one every 50 ms for 10 s, each replacing the last.
    QTimer later;
    QObject::connect(&later, &QTimer::timeout, [&] {
        if (loadedAt < 0)
            return;
        if (laterCalls.size() >= 200) {
            QCoreApplication::quit();
            return;
        }
        request(laterCalls);
    });
    later.start(50);
    QTimer::singleShot(60'000, &app, &QCoreApplication::quit);
    QApplication::exec();

    loading.to = loadedAt;
    std::printf("module load on the speaker's thread: %.1f ms (speaker's own figure %.1f ms)\n",
                loadedAt - loading.from, speaker->loadMilliseconds());
    std::printf("first request, the call on the clock's thread (starts the speech thread): %.1f µs\n",
                firstCall.empty() ? -1.0 : firstCall[0]);
    const bench::Stats calls = bench::stats(laterCalls);
    const bench::Stats cpu = bench::stats(laterCpu);
    std::printf("later requests (%zu), the call on the clock's thread: p50 %.1f µs, p99 %.1f µs, max %.1f µs; "
                "its CPU time p50 %.1f µs, p99 %.1f µs\n",
                laterCalls.size(), calls.p50, calls.p99, calls.max, cpu.p50, cpu.p99);
    for (const auto &[name, win] : {std::pair{"5 s before the first request", &before},
                                    std::pair{"while the module loads", &loading}}) {
        const bench::Stats jitter = bench::stats(win->tickJitter);
        std::printf("%s (%.0f ms): longest gap of a 1 ms timer %.2f ms; %zu ticks, interval - 1000 ms max %.2f ms\n",
                    name, win->to - win->from, win->longestGap, win->tickJitter.size(), jitter.max);
    }
    return 0;
}
