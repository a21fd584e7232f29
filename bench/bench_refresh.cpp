// One tick of the 100 ms refresh timer (both faces and both start captions) of a real main window
// whose read-outs move on at every tick, against the frame budget of a 60 Hz screen.

#include "benchstats.h"
#include "clock/frmhoved.h"
#include "toolkit/timer.h"
#include "tests/support/manualclock.h"
#include "toolkit/zoom.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

constexpr double kFrameBudgetUs = 1e6 / 60.0;
constexpr double kTargetPercent = 2.0;

void print(const char *what, const bench::Stats &s)
{
    bench::printShare(what, s, kFrameBudgetUs, "a 16.7 ms frame", kTargetPercent, 2);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int warmUp = quick ? 100 : 500;
    const int runs = quick ? 1000 : 10000;

    // Virtual time: no timer fires on its own, so only the measured ticks run.
    support::ManualClock clock;
    toolkit::TimeSource::setCurrent(&clock);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    {
        gameclock::frmhoved w;
        w.show();
        clock.advance(1); // start-up
        QCoreApplication::processEvents();

        // The read-outs of a running game: every tick shows another second, every 60th another minute.
        int second = 0;
        const auto moveOn = [&] {
            ++second;
            w.seka->setText(QString::number(second % 60));
            w.mina->setText(QString::number(second / 60 % 90));
            w.sekb->setText(QString::number((second * 7) % 60));
            w.minb->setText(QString::number((second / 60 + 12) % 90));
        };

        // In play the read-outs move once a second, every tenth refresh; the worst case moves them at every one.
        // The board view is drawn by the handlers that change the game (a second counted here, timed with
        // the refresh it falls in), not by the refresh.
        bool counting = false;
        const auto measure = [&] {
            for (const auto &[every, what] :
                 {std::pair{10, "as in play"}, std::pair{1, "read-outs moving at every tick"}}) {
                std::vector<double> tick, tickAndPaint;
                tick.reserve(runs);
                tickAndPaint.reserve(runs);
                QElapsedTimer t;
                for (int i = 0; i < warmUp + runs; ++i) {
                    if (i % every == 0 && !counting)
                        moveOn();
                    t.start();
                    if (i % every == 0 && counting)
                        w.tida_Timer();
                    w.Timer2_Timer();
                    const qint64 handler = t.nsecsElapsed();
                    // What the screen then costs: the window repaints what changed.
                    QCoreApplication::processEvents();
                    const qint64 painted = t.nsecsElapsed();
                    if (i >= warmUp) {
                        tick.push_back(double(handler) / 1000.0);
                        tickAndPaint.push_back(double(painted) / 1000.0);
                    }
                }
                std::printf("-- %s\n", what);
                print("refresh tick", bench::stats(tick));
                print("refresh tick with repaint", bench::stats(tickAndPaint));
            }
        };

        // At 100 % and at the zoom of full screen on a 1920 x 1080 screen (the window may reach past a
        // smaller virtual screen: it is drawn all the same).
        for (const qreal zoom : {1.0, 2.86}) {
            auto *stage = qobject_cast<toolkit::ZoomStage *>(w.centralWidget());
            w.resize(w.size() - stage->size() + stage->sizeFor(zoom));
            QCoreApplication::processEvents();
            std::printf("%d ticks after %d to warm up, platform %s, zoom %.2f, canvas scale %.2g\n", runs, warmUp,
                        qPrintable(QGuiApplication::platformName()), w.zoom(), w.ura->canvas().devicePixelRatio());
            measure();
        }

        // The board view with A's clock running, as full screen shows it on a 1920 x 1080 and on a
        // 3840 x 2160 screen: each second A's tick, which also hands the backup to its writer.
        w.starta_Click();
        w.Tavlevisning->trigger();
        counting = true;
        for (const QSize screen : {QSize(1920, 1080), QSize(3840, 2160)}) {
            w.resize(screen);
            QCoreApplication::processEvents();
            std::printf("%d ticks after %d to warm up, board view %d x %d, scale %.2g, the second's tick timed with "
                        "its refresh\n",
                        runs, warmUp, w.centralWidget()->width(), w.centralWidget()->height(), w.devicePixelRatioF());
            measure();
        }
    }
    toolkit::TimeSource::setCurrent(nullptr);
    return 0;
}
