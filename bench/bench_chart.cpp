// What opening "Vis > Trekktider" costs: in a clock whose main window is up, the time from the
// menu's request to the window's chart drawn on the screen the first time in a process (the chart
// module and Qt Charts loaded then), against opening it again in the same process (the window's own
// making, drawing and the chart's, without the load). Each round is a fresh process, as the load
// happens once per process. The window shows a 20-move count-down game played in virtual time.
//
//   bench_chart [--quick] [--rounds N]
//   bench_chart --show SECONDS     opens the window with the game and keeps it for a screenshot

#include "app/movetimes.h"
#include "benchstats.h"
#include "chart/frmtrekktider.h"
#include "clock/frmhoved.h"
#include "tests/support/playedrecord.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

gameclock::MoveRecords twentyMoves()
{
    const gameclock::TimeControl control{QStringLiteral("5 min + 3 s"),
                                         {{300000, 0, gameclock::Bonus::Fischer, 3000}},
                                         {{300000, 0, gameclock::Bonus::Fischer, 3000}}};
    return support::playedRecord(control, {2100,  3400,  5200,  4100,  12800, 9300,  8800,  21700, 15400, 6200,
                                           31900, 11000, 7300,  18600, 4800,  25100, 9900,  3600,  14200, 41800,
                                           6600,  5100,  19400, 12300, 3300,  2800,  22600, 8100,  5900,  10700,
                                           4400,  7700,  16100, 3900,  2500,  6800,  9100,  13500, 4200,  2900});
}

// Waits until the widget has painted.
void waitForPaint(QWidget *widget)
{
    struct PaintSeen : QObject {
        bool seen = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            seen = seen || event->type() == QEvent::Paint;
            return false;
        }
    } paint;
    widget->installEventFilter(&paint);
    while (!paint.seen)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    widget->removeEventFilter(&paint);
}

// Opens the window from the main window's menu, as the player does, and returns the ms until its
// chart was drawn on the screen.
double openOnce(gameclock::frmhoved &main, chart::frmtrekktider **opened)
{
    QElapsedTimer timer;
    timer.start();
    main.Trekktider->trigger();
    chart::frmtrekktider *window = chart::showMoveTimes();
    // The chart is a graphics view: it draws in its viewport.
    auto *view = qobject_cast<QAbstractScrollArea *>(window->diagram);
    waitForPaint(view ? view->viewport() : window->diagram);
    *opened = window;
    return timer.nsecsElapsed() / 1e6;
}

// The main window up and drawn, its menu wired as in the program, the game's record as the source.
struct Clock {
    gameclock::frmhoved main;
    app::MoveTimes *moveTimes = app::connectMoveTimes(main);
    Clock()
    {
        moveTimes->setSource([] {
            return app::MoveTimesGame{QStringLiteral("Kari Nordmann"), QStringLiteral("Ola Hansen"), twentyMoves(),
                                      false};
        });
        main.show();
        waitForPaint(&main);
        QCoreApplication::processEvents();
    }
};

int once()
{
    Clock clock;
    chart::frmtrekktider *window = nullptr;
    const double first = openOnce(clock.main, &window);
    const double loadMs = window->chartLoadMs();
    if (!window->chartShown()) {
        std::fprintf(stderr, "bench_chart: no chart: %s\n", qPrintable(window->diagram->accessibleName()));
        return 1;
    }
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const double again = openOnce(clock.main, &window);
    std::printf("%.3f %.3f %.3f %.3f\n", first, loadMs, again, window->chartLoadMs());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The clock's files (settings, backup) in a directory of the bench's own.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--once")))
        return once();
    if (const qsizetype at = args.indexOf(QStringLiteral("--show")); at > 0) {
        Clock clock;
        chart::frmtrekktider *window = nullptr;
        openOnce(clock.main, &window);
        QTimer::singleShot(int(args.value(at + 1).toDouble() * 1000), &app, &QCoreApplication::quit);
        return QApplication::exec();
    }

    int rounds = args.contains(QStringLiteral("--quick")) ? 5 : 15;
    if (const qsizetype at = args.indexOf(QStringLiteral("--rounds")); at > 0)
        rounds = args.value(at + 1).toInt();
    std::vector<double> first, load, again, makeAgain;
    for (int i = 0; i < rounds; ++i) {
        QProcess round;
        round.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        if (!round.waitForFinished(60000) || round.exitCode() != 0) {
            std::fprintf(stderr, "bench_chart: round %d failed: %s\n", i, round.readAllStandardError().constData());
            return 1;
        }
        const QList<QByteArray> f = round.readAllStandardOutput().trimmed().split(' ');
        first.push_back(f.value(0).toDouble());
        load.push_back(f.value(1).toDouble());
        again.push_back(f.value(2).toDouble());
        makeAgain.push_back(f.value(3).toDouble());
    }
    const auto line = [](const char *what, std::vector<double> v) {
        const bench::Stats s = bench::stats(v);
        std::printf("%s: median %.1f ms (%.1f-%.1f)\n", what, s.p50, *std::min_element(v.begin(), v.end()), s.max);
    };
    std::printf("%d rounds, each a fresh process, a 40-move game (20 each)\n", rounds);
    line("request to the chart drawn, first time (module loaded)", first);
    line("  of which loading the module and making the chart", load);
    line("request to the chart drawn, again (module already loaded)", again);
    line("  of which making the chart", makeAgain);
    std::vector<double> cost;
    for (std::size_t i = 0; i < first.size(); ++i)
        cost.push_back(first[i] - again[i]);
    line("what the first open costs more", cost);
    return 0;
}
