// Cold start to the first frame of the main window, and resident memory with the window idle and
// the browser never opened, each against a bare Qt Widgets window measured in the same run.
//
// The program starts copies of itself: `--child bare` shows an empty QWidget, `--child clock` starts
// the clock exactly as the program's main() does. Each child prints a line when its window has
// painted its first frame and, with --memory, its resident memory after a spell of idling.

#include "app/wiring.h"
#include "benchstats.h"
#include "clock/frmhoved.h"
#include "platform/singleinstance.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Reports the first paint of a window once it has been handled.
class FirstFrame : public QObject {
public:
    FirstFrame(QWidget *window, bool memory, int idleMs) : m_memory(memory), m_idleMs(idleMs)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                std::printf("frame\n");
                std::fflush(stdout);
                if (!m_memory) {
                    QCoreApplication::exit(0);
                    return;
                }
                QTimer::singleShot(m_idleMs, this, [] {
                    std::printf("rss %lld\n", residentKiB());
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                });
            });
        }
        return false;
    }

private:
    bool m_seen = false;
    bool m_memory;
    int m_idleMs;
};

int child(int argc, char **argv, const QString &kind, bool memory, int idleMs)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    std::unique_ptr<platform::SingleInstance> instance;
    if (kind == QLatin1String("clock")) {
        instance = std::make_unique<platform::SingleInstance>(QDir::currentPath());
        instance->handOver();
        auto clock = std::make_unique<gameclock::frmhoved>();
        app::connectWindows(*clock);
        app::answerLaterStarts(*clock, *instance);
        window = std::move(clock);
    } else {
        window = std::make_unique<QWidget>();
        window->resize(671, 344);
    }
    FirstFrame watch(window.get(), memory, idleMs);
    window->show();
    return QApplication::exec();
}

struct Sample {
    double startMs = -1;
    double rssKiB = -1;
};

Sample runChild(const QString &self, const QString &kind, bool memory, int idleMs)
{
    QProcess p;
    p.setProgram(self);
    QStringList args{QStringLiteral("--child"), kind, QStringLiteral("--idle"), QString::number(idleMs)};
    if (memory)
        args << QStringLiteral("--memory");
    p.setArguments(args);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Sample s;
    QElapsedTimer t;
    t.start();
    p.start();
    QByteArray out;
    while (p.state() != QProcess::NotRunning || p.bytesAvailable()) {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
        if (s.startMs < 0 && out.contains("frame\n"))
            s.startMs = double(t.nsecsElapsed()) / 1e6;
        if (out.contains("rss ") && out.endsWith('\n'))
            break;
        if (t.elapsed() > 30'000)
            break;
    }
    p.waitForFinished(5000);
    for (const QByteArray &line : out.split('\n'))
        if (line.startsWith("rss "))
            s.rssKiB = line.mid(4).toDouble();
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const int idleAt = args.indexOf(QStringLiteral("--idle"));
    const int idleMs = idleAt > 0 && idleAt + 1 < args.size() ? args[idleAt + 1].toInt() : 2000;
    const int childAt = args.indexOf(QStringLiteral("--child"));
    if (childAt > 0 && childAt + 1 < args.size())
        return child(argc, argv, args[childAt + 1], args.contains(QStringLiteral("--memory")), idleMs);

    QCoreApplication app(argc, argv);
    const bool quick = args.contains(QStringLiteral("--quick"));
    const int rounds = quick ? 5 : 20;
    const int idle = quick ? 1000 : 3000;
    const QString self = QCoreApplication::applicationFilePath();
    // The children run where they may read and write the clock's files without touching ours.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    runChild(self, QStringLiteral("bare"), false, idle); // warms the disk cache for both
    runChild(self, QStringLiteral("clock"), false, idle);
    std::vector<double> bareStart, clockStart, bareRss, clockRss;
    for (int i = 0; i < rounds; ++i) {
        // Alternate, so that whatever else the machine does weighs on both alike.
        const Sample b = runChild(self, QStringLiteral("bare"), false, idle);
        const Sample c = runChild(self, QStringLiteral("clock"), false, idle);
        if (b.startMs > 0 && c.startMs > 0) {
            bareStart.push_back(b.startMs);
            clockStart.push_back(c.startMs);
        }
    }
    for (int i = 0; i < (quick ? 2 : 5); ++i) {
        const Sample b = runChild(self, QStringLiteral("bare"), true, idle);
        const Sample c = runChild(self, QStringLiteral("clock"), true, idle);
        if (b.rssKiB > 0 && c.rssKiB > 0) {
            bareRss.push_back(b.rssKiB);
            clockRss.push_back(c.rssKiB);
        }
    }
    if (bareStart.empty() || bareRss.empty()) {
        std::printf("no usable samples\n");
        return 1;
    }
    const double bs = bench::median(bareStart), cs = bench::median(clockStart);
    const double br = bench::median(bareRss), cr = bench::median(clockRss);
    std::printf("platform %s, %zu start rounds, %zu memory rounds (medians)\n",
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("default"))), bareStart.size(),
                bareRss.size());
    std::printf("cold start to first frame: clock %.1f ms, bare window %.1f ms, ratio %.2f (target <= 1.25)%s\n", cs,
                bs, cs / bs, cs / bs <= 1.25 ? "" : "  OVER TARGET");
    std::printf("resident memory idle: clock %.1f MiB, bare window %.1f MiB, ratio %.2f (target <= 1.3)%s\n", cr / 1024,
                br / 1024, cr / br, cr / br <= 1.3 ? "" : "  OVER TARGET");
    return 0;
}
