// A hall of many boards through a real Mosquitto on the loopback, against the overview as a whole
// process (make bench-hall; not part of make bench, it runs for minutes):
//   - latency: boards simulated by one program on a few threads, each board its own MQTT client with
//     the board's user and the join code, switching every 2 to 10 s and publishing once a second
//     besides, as a clock does. A switch's time (CLOCK_MONOTONIC, shared by the processes), taken
//     just before its message is written, is compared with the moment the overview read it off the
//     network and the moment its model took it (its --spor trace), and with the moment the
//     spectators' page feed delivered it to a WebSocket client here: p50 and p99 against the goal of
//     250 ms, and the stages between;
//   - the overview's CPU and resident memory every 10 s over the run (flat is the goal), with the
//     broker's beside it, and the bench's own CPU and how late its switches left;
//   - with --clock PROGRAM (needs $DISPLAY and xdotool): a real clock's CPU (every thread, to the
//     nanosecond) with a game running, joined to a hall against not joined, both running side by side
//     for --rounds rounds of --clock-seconds each; --clock-only skips the load.
//
//   hall_load --overview PATH [--boards N] [--seconds S] [--threads N]
//             [--clock PATH [--clock-only] [--control NAME] [--rounds N] [--clock-seconds S]]

#include "benchstats.h"
#include "hall/message.h"

#include <mosquitto.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <random>
#include <signal.h>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

qint64 nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// CPU time of every thread of a process, in seconds.
double cpuSeconds(qint64 pid)
{
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string f;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14)
            utime = std::stoll(f);
        if (i == 15)
            stime = std::stoll(f);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double rssMiB(qint64 pid)
{
    const std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find("VmRSS:");
    return at == std::string::npos ? 0 : std::atof(status.c_str() + at + 6) / 1024.0;
}

struct Sent {
    int board;
    quint64 seq;
    qint64 ns;
    qint64 lateNs; // after the moment the switch was due: the bench's own delay, not measured
};

// The boards: a few threads, each driving its share of the MQTT clients on one poll of its own, so
// that the load is spread as a hall's laptops spread it and a switch leaves the moment it is due.
// A switch's time is taken just before its message is written to the socket.
class Boards {
public:
    Boards(int count, int threads, int port, const QString &hall, const QString &code)
        : m_hall(hall), m_shares(std::size_t(std::max(1, threads)))
    {
        mosquitto_lib_init();
        std::mt19937 random(42);
        for (int b = 1; b <= count; ++b) {
            Board board;
            board.number = b;
            board.m = mosquitto_new(nullptr, true, nullptr);
            mosquitto_username_pw_set(board.m, QByteArray::number(b).constData(), code.toUtf8().constData());
            if (mosquitto_connect(board.m, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS) {
                std::fprintf(stderr, "board %d could not connect\n", b);
                std::exit(1);
            }
            board.topic = hall::boardTopic(m_hall, b).toUtf8();
            board.nextSwitch = nowNs() + qint64(std::uniform_real_distribution<>(2e9, 10e9)(random));
            board.nextBeat = nowNs() + qint64(std::uniform_real_distribution<>(0, 1e9)(random));
            m_shares[std::size_t(b) % m_shares.size()].boards.push_back(board);
        }
    }

    void start()
    {
        for (std::size_t i = 0; i < m_shares.size(); ++i)
            m_threads.emplace_back([this, i] { run(m_shares[i], unsigned(i)); });
    }

    void stop()
    {
        m_stop = true;
        for (std::thread &t : m_threads)
            t.join();
    }

    std::vector<Sent> switches() const
    {
        std::vector<Sent> all;
        for (const Share &s : m_shares)
            all.insert(all.end(), s.sent.begin(), s.sent.end());
        std::sort(all.begin(), all.end(), [](const Sent &x, const Sent &y) { return x.ns < y.ns; });
        return all;
    }

private:
    struct Board {
        int number = 0;
        mosquitto *m = nullptr;
        QByteArray topic;
        qint64 nextSwitch = 0, nextBeat = 0;
        qint64 left[2] = {900000, 900000};
        int moves[2] = {0, 0};
        bool toMoveA = true;
        quint64 seq = 0;
    };
    struct Share {
        std::vector<Board> boards;
        std::vector<Sent> sent; // this thread's alone until it ends
    };

    void run(Share &share, unsigned seed)
    {
        std::mt19937 random(7 + seed);
        std::vector<pollfd> fds(share.boards.size());
        qint64 lastMisc = 0;
        while (!m_stop) {
            const qint64 now = nowNs();
            qint64 next = now + 100000000;
            for (Board &b : share.boards) {
                if (now >= b.nextSwitch) {
                    b.toMoveA = !b.toMoveA;
                    publish(share, b, b.nextSwitch);
                    b.nextSwitch = now + qint64(std::uniform_real_distribution<>(2e9, 10e9)(random));
                    b.nextBeat = now + 1000000000;
                } else if (now >= b.nextBeat) {
                    publish(share, b, 0);
                    b.nextBeat = now + 1000000000;
                }
                next = std::min({next, b.nextSwitch, b.nextBeat});
            }
            for (std::size_t i = 0; i < share.boards.size(); ++i)
                fds[i] = {mosquitto_socket(share.boards[i].m),
                          short(POLLIN | (mosquitto_want_write(share.boards[i].m) ? POLLOUT : 0)), 0};
            // Until the next board is due, to the millisecond above.
            ::poll(fds.data(), fds.size(), int(std::max<qint64>(0, (next - nowNs() + 999999) / 1000000)));
            for (std::size_t i = 0; i < share.boards.size(); ++i) {
                if (fds[i].revents & POLLIN)
                    mosquitto_loop_read(share.boards[i].m, 1);
                if (fds[i].revents & POLLOUT)
                    mosquitto_loop_write(share.boards[i].m, 1);
            }
            if (now - lastMisc > 1000000000) {
                lastMisc = now;
                for (Board &b : share.boards)
                    mosquitto_loop_misc(b.m);
            }
        }
        // What is still queued goes out, so that every switch counted was sent (a second at most).
        for (const qint64 until = nowNs() + 1000000000; nowNs() < until;) {
            bool queued = false;
            for (Board &b : share.boards)
                if (mosquitto_want_write(b.m)) {
                    queued = true;
                    mosquitto_loop_write(b.m, 1);
                }
            if (!queued)
                break;
            ::poll(nullptr, 0, 1);
        }
    }

    // due: when the switch was due, or 0 for the once-a-second message.
    void publish(Share &share, Board &b, qint64 due)
    {
        hall::BoardState s;
        s.board = b.number;
        s.hall = m_hall;
        s.control = QStringLiteral("15 min + 10 s");
        s.a = {QStringLiteral("Spiller A %1").arg(b.number), b.left[0], b.moves[0], 0};
        s.b = {QStringLiteral("Spiller B %1").arg(b.number), b.left[1], b.moves[1], 0};
        s.phase = hall::GamePhase::Running;
        s.toMove = b.toMoveA ? hall::Side::A : hall::Side::B;
        s.seq = ++b.seq;
        if (due)
            ++b.moves[b.toMoveA ? 1 : 0];
        const QByteArray payload = hall::encode(s);
        const qint64 sent = nowNs();
        mosquitto_publish(b.m, nullptr, b.topic.constData(), int(payload.size()), payload.constData(), 0, true);
        if (due)
            share.sent.push_back({b.number, s.seq, sent, sent - due});
    }

    QString m_hall;
    std::vector<Share> m_shares;
    std::vector<std::thread> m_threads;
    std::atomic<bool> m_stop{false};
};

using Seen = std::map<std::pair<int, quint64>, qint64>;

void printLatency(const char *what, const std::vector<Sent> &sent, const Seen &got, const Seen *from = nullptr,
                  bool goal = true)
{
    std::vector<double> ms;
    int missing = 0;
    for (const Sent &s : sent) {
        const auto at = got.find({s.board, s.seq});
        const auto start = from ? from->find({s.board, s.seq}) : got.end();
        if (at == got.end() || (from && start == from->end()))
            ++missing;
        else
            ms.push_back(double(at->second - (from ? start->second : s.ns)) / 1e6);
    }
    const bench::Stats st = bench::stats(ms);
    std::printf("%s: %zu switches, p50 %.1f ms, p99 %.1f ms, max %.1f ms%s; %d not seen\n", what, ms.size(), st.p50,
                st.p99, st.max,
                !goal          ? ""
                : st.p99 < 250 ? " (goal p99 < 250 ms)"
                               : " (goal p99 < 250 ms)  OVER GOAL",
                missing);
}

// The hall under load against the overview; false when the overview did not start.
// The overview on a private broker, as hallLoad and clockRounds run it; its broker's and page's
// ports once it says them, or 0 where it never did (then why is its output).
struct StartedOverview {
    int brokerPort = 0, webPort = 0;
    QString output;
};

StartedOverview startOverview(QProcess &overview, const QString &program, const QString &hallName, const QString &code,
                              const QStringList &extra = {})
{
    overview.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    overview.setProcessEnvironment(env);
    overview.start(program,
                   QStringList{QStringLiteral("--sal"), hallName, QStringLiteral("--kode"), code,
                               QStringLiteral("--lytt"), QStringLiteral("127.0.0.1"), QStringLiteral("--uten-avahi")} +
                       extra);
    StartedOverview o;
    static const QRegularExpression brokerLine(QStringLiteral("megler port (\\d+)")),
        webLine(QStringLiteral("tilskuersiden på port (\\d+)"));
    for (int i = 0; i < 300 && (!o.brokerPort || !o.webPort); ++i) {
        overview.waitForReadyRead(100);
        o.output += QString::fromUtf8(overview.readAll());
        if (auto m = brokerLine.match(o.output); m.hasMatch())
            o.brokerPort = m.captured(1).toInt();
        if (auto m = webLine.match(o.output); m.hasMatch())
            o.webPort = m.captured(1).toInt();
    }
    if (!o.webPort)
        o.brokerPort = 0;
    return o;
}

bool hallLoad(const QString &overviewProgram, int boards, int seconds, int threads)
{
    // A thousand clients here and as many at the broker, which inherits the limit.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    QTemporaryDir work;
    const QString trace = work.filePath(QStringLiteral("trace"));
    const QString hallName = QStringLiteral("bench"), code = QStringLiteral("4242");
    QProcess overview;
    const StartedOverview started =
        startOverview(overview, overviewProgram, hallName, code, {QStringLiteral("--spor"), trace});
    if (!started.brokerPort) {
        std::fprintf(stderr, "the overview did not start: %s\n", qPrintable(started.output));
        return false;
    }
    const int brokerPort = started.brokerPort, webPort = started.webPort;
    // The live feed's port is in the page.
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("http://127.0.0.1:%1/").arg(webPort)});
    curl.waitForFinished();
    const auto live = QRegularExpression(QStringLiteral(":(\\d+)/`\\)")).match(QString::fromUtf8(curl.readAll()));
    // The page's feed is read on this thread, which does nothing else.
    Seen onPage;
    QWebSocket socket;
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [&onPage](const QString &text) {
        const qint64 at = nowNs();
        for (const QJsonValue b :
             QJsonDocument::fromJson(text.toUtf8()).object().value(QStringLiteral("boards")).toArray()) {
            const QJsonObject o = b.toObject();
            onPage.emplace(
                std::pair{o.value(QStringLiteral("board")).toInt(), quint64(o.value(QStringLiteral("seq")).toDouble())},
                at);
        }
    });
    if (live.hasMatch())
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(live.captured(1))));
    else
        std::fprintf(stderr, "no live feed port in the page\n");

    std::printf("hall_load: %d boards on %d threads, %d s, overview pid %lld, broker port %d\n", boards, threads,
                seconds, overview.processId(), brokerPort);
    std::fflush(stdout);
    Boards simulated(boards, threads, brokerPort, hallName, code);
    const double benchBefore = cpuSeconds(getpid());
    simulated.start();
    const qint64 pid = overview.processId();
    qint64 brokerPid = 0;
    {
        const std::string children =
            readFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
        brokerPid = std::atoll(children.c_str());
    }
    double lastCpu = cpuSeconds(pid), lastBroker = brokerPid ? cpuSeconds(brokerPid) : 0;
    int elapsed = 0;
    QEventLoop loop;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        elapsed += 10;
        const double cpu = cpuSeconds(pid), broker = brokerPid ? cpuSeconds(brokerPid) : 0;
        std::printf("  %4d s: overview CPU %5.1f %% of a core, RSS %6.1f MiB; broker CPU %5.1f %%, RSS %6.1f MiB\n",
                    elapsed, 10.0 * (cpu - lastCpu), rssMiB(pid), 10.0 * (broker - lastBroker), rssMiB(brokerPid));
        std::fflush(stdout);
        lastCpu = cpu;
        lastBroker = broker;
        if (elapsed >= seconds)
            loop.quit();
    });
    sampler.start(10000);
    loop.exec();
    simulated.stop();
    const double benchCpu = 100.0 * (cpuSeconds(getpid()) - benchBefore) / seconds;
    // Let the last switches arrive.
    QTimer::singleShot(1500, &loop, &QEventLoop::quit);
    loop.exec();
    overview.terminate();
    overview.waitForFinished(5000);

    // Each line: board, sequence number, when the model took it, when it came off the network (an
    // older overview writes no fourth field).
    Seen inModel, received;
    std::ifstream in(trace.toStdString());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int board;
        std::string seq;
        qint64 taken, arrived;
        if (!(fields >> board >> seq >> taken) || seq == "gone")
            continue;
        inModel.emplace(std::pair{board, quint64(std::stoull(seq))}, taken);
        if (fields >> arrived)
            received.emplace(std::pair{board, quint64(std::stoull(seq))}, arrived);
    }
    // The first seconds carry the connects of every board: measured from the tenth second on.
    std::vector<Sent> sent = simulated.switches();
    const qint64 settled = sent.empty() ? 0 : sent.front().ns + 10000000000LL;
    std::erase_if(sent, [settled](const Sent &s) { return s.ns < settled; });
    printLatency("switch -> overview's model", sent, inModel);
    printLatency("switch -> spectators' page feed", sent, onPage);
    std::printf("  where the time goes:\n");
    printLatency("  switch -> read off the network by the overview (broker, loopback)", sent, received, nullptr, false);
    printLatency("  read -> taken into the model", sent, inModel, &received, false);
    printLatency("  read -> delivered by the page's feed", sent, onPage, &received, false);
    std::vector<double> late;
    for (const Sent &s : sent)
        late.push_back(double(s.lateNs) / 1e6);
    const bench::Stats l = bench::stats(late);
    std::printf("the bench itself: %.1f %% of a core on %d threads; a switch left p50 %.2f ms, p99 %.2f ms after it "
                "was due (not part of the figures above)\n",
                benchCpu, threads, l.p50, l.p99);
    std::fflush(stdout);
    return true;
}

// CPU time of a process's threads in ns (schedstat: to the nanosecond, where /proc/PID/stat counts
// in ticks of 10 ms): the whole process and its first thread, which runs its event loop.
struct Usage {
    double allNs = 0, mainNs = 0;
};

Usage usage(qint64 pid)
{
    Usage u;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const double ns =
            std::atof(readFile((tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat")).toStdString()).c_str());
        u.allNs += ns;
        if (task.toLongLong() == pid)
            u.mainNs = ns;
    }
    return u;
}

// Two real clocks side by side, each with a game running, joined or not by its preferences: their
// CPU in % of a core over the same seconds, after two to settle, so that whatever else the machine
// does falls on both alike.
std::optional<std::pair<Usage, Usage>> clockPairCpu(const QString &program, const QString &aloneHome,
                                                    const QString &joinedHome, int seconds)
{
    QTemporaryDir work[2];
    QProcess clock[2];
    const QString homes[2] = {aloneHome, joinedHome};
    for (int i = 0; i < 2; ++i) {
        clock[i].setWorkingDirectory(work[i].path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), homes[i]);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        clock[i].setProcessEnvironment(env);
        clock[i].start(QFileInfo(program).absoluteFilePath(), {});
        clock[i].waitForStarted();
    }
    bool shown = true;
    for (QProcess &c : clock) {
        const QString pid = QString::number(c.processId());
        QString window;
        for (int i = 0; i < 100 && window.isEmpty(); ++i) {
            QProcess search;
            search.start(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid});
            search.waitForFinished();
            window = QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n')).first().trimmed();
            QThread::msleep(100);
        }
        shown = shown && !window.isEmpty();
        if (shown)
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                                                          window, QStringLiteral("key"), QStringLiteral("space")});
    }
    std::optional<std::pair<Usage, Usage>> result;
    if (shown) {
        QThread::msleep(2000);
        const Usage before[2] = {usage(clock[0].processId()), usage(clock[1].processId())};
        QThread::msleep(seconds * 1000);
        Usage used[2];
        for (int i = 0; i < 2; ++i) {
            const Usage after = usage(clock[i].processId());
            used[i] = {(after.allNs - before[i].allNs) / 1e7 / seconds,
                       (after.mainNs - before[i].mainNs) / 1e7 / seconds};
        }
        result = std::pair{used[0], used[1]};
    }
    for (QProcess &c : clock) {
        c.terminate();
        c.waitForFinished(5000);
    }
    return result;
}

struct Spread {
    double median, min, max;
};

Spread spread(const std::vector<double> &v)
{
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return {bench::median(v), *lo, *hi};
}

// The clock joined to a hall of its own against not joined, side by side, each round's ratio taken
// of its own pair.
void clockRounds(const QString &overviewProgram, const QString &clockProgram, const QString &control, int rounds,
                 int seconds)
{
    const QString hallName = QStringLiteral("benk"), code = QStringLiteral("4242");
    QProcess overview;
    const StartedOverview started = startOverview(overview, overviewProgram, hallName, code);
    const int port = started.brokerPort;
    if (!port) {
        std::printf("clock CPU: the overview did not start: %s\n", qPrintable(started.output));
        return;
    }
    QTemporaryDir joined, alone;
    const QByteArray controlLine =
        control.isEmpty() ? QByteArray() : "[tidskontroll]\nvalgt=" + control.toUtf8() + "\n\n";
    for (QTemporaryDir *dir : {&joined, &alone}) {
        QDir().mkpath(dir->filePath(QStringLiteral("Partivakt")));
        QFile conf(dir->filePath(QStringLiteral("Partivakt/Partivakt.conf")));
        conf.open(QIODevice::WriteOnly);
        conf.write(controlLine);
        if (dir == &joined)
            conf.write(QStringLiteral("[turnering]\nbrett=1\nkode=%1\nmaskin=127.0.0.1\nmed=true\nport=%2\nsal=%3\n")
                           .arg(code)
                           .arg(port)
                           .arg(hallName)
                           .toUtf8());
    }
    std::vector<double> with, without, withMain, withoutMain, ratio, mainRatio;
    for (int round = 0; round < rounds; ++round) {
        const auto pair = clockPairCpu(clockProgram, alone.path(), joined.path(), seconds);
        if (!pair) {
            std::printf("round %d: a clock showed no window\n", round);
            continue;
        }
        const Usage *a = &pair->first, *b = &pair->second;
        without.push_back(a->allNs);
        with.push_back(b->allNs);
        withoutMain.push_back(a->mainNs);
        withMain.push_back(b->mainNs);
        ratio.push_back(b->allNs / a->allNs);
        mainRatio.push_back(b->mainNs / a->mainNs);
        std::printf(
            "  round %d: not joined %.3f %% (its event loop's thread %.3f %%), joined %.3f %% (%.3f %%): %.2f x\n",
            round + 1, a->allNs, a->mainNs, b->allNs, b->mainNs, ratio.back());
        std::fflush(stdout);
    }
    overview.terminate();
    overview.waitForFinished(5000);
    if (ratio.empty())
        return;
    const auto show = [](const char *name, const std::vector<double> &v) {
        const Spread s = spread(v);
        std::printf("%s %.3f %% (%.3f-%.3f)", name, s.median, s.min, s.max);
    };
    std::printf("clock CPU with a %s game running, %d s a round, %zu rounds side by side, %% of a core:\n    ",
                control.isEmpty() ? "classic" : qPrintable(control), seconds, ratio.size());
    show("not joined", without);
    std::printf(", ");
    show("joined", with);
    const Spread r = spread(ratio), m = spread(mainRatio);
    std::printf("\n    ratio %.2f (%.2f-%.2f), goal <= 1.1%s\n", r.median, r.min, r.max,
                r.median <= 1.1 ? "" : "  OVER GOAL");
    std::printf("    the clock's thread alone: ");
    show("not joined", withoutMain);
    std::printf(", ");
    show("joined", withMain);
    std::printf(", ratio %.2f (%.2f-%.2f)\n", m.median, m.min, m.max);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString overviewProgram, clockProgram, control;
    int boards = hall::kMaxBoard, seconds = 120, threads = 4, rounds = 3, clockSeconds = 60;
    bool clockOnly = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (args[i] == QLatin1String("--clock-only")) {
            clockOnly = true;
            continue;
        }
        if (args[i] == QLatin1String("--overview"))
            overviewProgram = next;
        else if (args[i] == QLatin1String("--boards"))
            boards = next.toInt();
        else if (args[i] == QLatin1String("--seconds"))
            seconds = next.toInt();
        else if (args[i] == QLatin1String("--threads"))
            threads = next.toInt();
        else if (args[i] == QLatin1String("--clock"))
            clockProgram = next;
        else if (args[i] == QLatin1String("--control"))
            control = next;
        else if (args[i] == QLatin1String("--rounds"))
            rounds = next.toInt();
        else if (args[i] == QLatin1String("--clock-seconds"))
            clockSeconds = next.toInt();
        ++i;
    }
    if (overviewProgram.isEmpty() || (clockOnly && clockProgram.isEmpty())) {
        std::fprintf(stderr,
                     "hall_load --overview PATH [--boards N] [--seconds S] [--threads N]\n"
                     "          [--clock PATH [--clock-only] [--control NAME] [--rounds N] [--clock-seconds S]]\n");
        return 64;
    }
    // A hall numbers its boards 1 to 999: a thousandth would be refused, rightly, as absurd.
    if (boards < 1 || boards > hall::kMaxBoard) {
        std::fprintf(stderr, "hall_load: a hall holds 1 to %d boards\n", hall::kMaxBoard);
        return 64;
    }
    if (!clockOnly && !hallLoad(overviewProgram, boards, seconds, threads))
        return 1;
    if (!clockProgram.isEmpty())
        clockRounds(overviewProgram, clockProgram, control, rounds, clockSeconds);
    return 0;
}
