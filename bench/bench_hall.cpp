// A hall of many boards through a real Mosquitto on the loopback, against the overview as a whole
// process (make bench-hall; not part of make bench, it runs for minutes):
//   - latency: boards simulated by one program, each its own MQTT client with the board's user and
//     the join code, switching every 2 to 10 s and publishing once a second besides, as a clock does.
//     A switch's time (CLOCK_MONOTONIC, shared by the processes) is compared with the moment the
//     overview's model took it (its --spor trace) and the moment the spectators' page feed delivered
//     it to a WebSocket client here: p50 and p99 against the goal of 250 ms;
//   - the overview's CPU and resident memory every 10 s over the run (flat is the goal), with the
//     broker's beside it;
//   - with --clock PROGRAM (needs $DISPLAY and xdotool): a real clock's CPU over 20 s with a game
//     running, joined to the hall against not joined, started in turn A B A B.
//
//   hall_load --overview PATH [--boards N] [--seconds S] [--clock PATH]

#include "benchstats.h"
#include "hall/message.h"

#include <mosquitto.h>

#include <QCoreApplication>
#include <QDir>
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
#include <mutex>
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
};

// The boards: one thread, one MQTT client per board, all on one poll.
class Boards {
public:
    Boards(int count, int port, const QString &hall, const QString &code) : m_hall(hall)
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
            board.nextSwitch = nowNs() + qint64(std::uniform_real_distribution<>(2e9, 10e9)(random));
            board.nextBeat = nowNs() + qint64(std::uniform_real_distribution<>(0, 1e9)(random));
            m_boards.push_back(board);
        }
    }

    void run(std::atomic<bool> &stop)
    {
        std::mt19937 random(7);
        std::vector<pollfd> fds(m_boards.size());
        qint64 lastMisc = 0;
        while (!stop) {
            const qint64 now = nowNs();
            for (Board &b : m_boards) {
                if (now >= b.nextSwitch) {
                    b.toMoveA = !b.toMoveA;
                    publish(b, now, true);
                    b.nextSwitch = now + qint64(std::uniform_real_distribution<>(2e9, 10e9)(random));
                    b.nextBeat = now + 1000000000;
                } else if (now >= b.nextBeat) {
                    publish(b, now, false);
                    b.nextBeat = now + 1000000000;
                }
            }
            for (std::size_t i = 0; i < m_boards.size(); ++i)
                fds[i] = {mosquitto_socket(m_boards[i].m),
                          short(POLLIN | (mosquitto_want_write(m_boards[i].m) ? POLLOUT : 0)), 0};
            ::poll(fds.data(), fds.size(), 5);
            for (std::size_t i = 0; i < m_boards.size(); ++i) {
                if (fds[i].revents & POLLIN)
                    mosquitto_loop_read(m_boards[i].m, 1);
                if (fds[i].revents & POLLOUT)
                    mosquitto_loop_write(m_boards[i].m, 1);
            }
            if (now - lastMisc > 1000000000) {
                lastMisc = now;
                for (Board &b : m_boards)
                    mosquitto_loop_misc(b.m);
            }
        }
    }

    std::vector<Sent> switches()
    {
        const std::lock_guard lock(m_mutex);
        return m_sent;
    }

private:
    struct Board {
        int number = 0;
        mosquitto *m = nullptr;
        qint64 nextSwitch = 0, nextBeat = 0, turnStarted = 0;
        qint64 left[2] = {900000, 900000};
        int moves[2] = {0, 0};
        bool toMoveA = true;
        quint64 seq = 0;
    };

    void publish(Board &b, qint64 now, bool switched)
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
        if (switched)
            ++b.moves[b.toMoveA ? 1 : 0];
        const QByteArray payload = hall::encode(s);
        const QByteArray topic = hall::boardTopic(m_hall, b.number).toUtf8();
        const qint64 sent = nowNs();
        mosquitto_publish(b.m, nullptr, topic.constData(), int(payload.size()), payload.constData(), 0, true);
        if (switched) {
            const std::lock_guard lock(m_mutex);
            m_sent.push_back({b.number, s.seq, sent});
        }
        (void)now;
    }

    QString m_hall;
    std::vector<Board> m_boards;
    std::mutex m_mutex;
    std::vector<Sent> m_sent;
};

void printLatency(const char *what, const std::vector<Sent> &sent, const std::map<std::pair<int, quint64>, qint64> &got)
{
    std::vector<double> ms;
    int missing = 0;
    for (const Sent &s : sent) {
        const auto at = got.find({s.board, s.seq});
        if (at == got.end())
            ++missing;
        else
            ms.push_back(double(at->second - s.ns) / 1e6);
    }
    const bench::Stats st = bench::stats(ms);
    std::printf(
        "switch -> %s: %zu switches, p50 %.1f ms, p99 %.1f ms, max %.1f ms (goal p99 < 250 ms)%s; %d not seen\n", what,
        ms.size(), st.p50, st.p99, st.max, st.p99 < 250 ? "" : "  OVER GOAL", missing);
}

// A real clock with a game running, its CPU over the seconds given; joined or not by its preferences.
double clockCpu(const QString &program, const QString &configHome, int seconds)
{
    QTemporaryDir work;
    QProcess clock;
    clock.setWorkingDirectory(work.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    clock.setProcessEnvironment(env);
    clock.start(QFileInfo(program).absoluteFilePath(), {});
    clock.waitForStarted();
    const QString pid = QString::number(clock.processId());
    QString window;
    for (int i = 0; i < 100 && window.isEmpty(); ++i) {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid});
        search.waitForFinished();
        window = QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n')).first().trimmed();
        QThread::msleep(100);
    }
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                                                  QStringLiteral("key"), QStringLiteral("space")});
    QThread::msleep(2000);
    const double before = cpuSeconds(clock.processId());
    QThread::msleep(seconds * 1000);
    const double used = cpuSeconds(clock.processId()) - before;
    clock.terminate();
    clock.waitForFinished(5000);
    return 100.0 * used / seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString overviewProgram, clockProgram;
    int boards = 1000, seconds = 120;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--overview"))
            overviewProgram = args[i + 1];
        else if (args[i] == QLatin1String("--boards"))
            boards = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--clock"))
            clockProgram = args[i + 1];
    }
    if (overviewProgram.isEmpty()) {
        std::fprintf(stderr, "hall_load --overview PATH [--boards N] [--seconds S] [--clock PATH]\n");
        return 64;
    }
    // A thousand clients here and as many at the broker, which inherits the limit.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    QTemporaryDir work;
    const QString trace = work.filePath(QStringLiteral("trace"));
    const QString hallName = QStringLiteral("bench"), code = QStringLiteral("4242");
    QProcess overview;
    overview.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    overview.setProcessEnvironment(env);
    overview.start(overviewProgram,
                   {QStringLiteral("--sal"), hallName, QStringLiteral("--kode"), code, QStringLiteral("--lytt"),
                    QStringLiteral("127.0.0.1"), QStringLiteral("--uten-avahi"), QStringLiteral("--spor"), trace});
    int brokerPort = 0, webPort = 0;
    QString output;
    for (int i = 0; i < 300 && (!brokerPort || !webPort); ++i) {
        overview.waitForReadyRead(100);
        output += QString::fromUtf8(overview.readAll());
        static const QRegularExpression broker(QStringLiteral("megler port (\\d+)")),
            web(QStringLiteral("tilskuersiden på port (\\d+)"));
        if (auto m = broker.match(output); m.hasMatch())
            brokerPort = m.captured(1).toInt();
        if (auto m = web.match(output); m.hasMatch())
            webPort = m.captured(1).toInt();
    }
    if (!brokerPort || !webPort) {
        std::fprintf(stderr, "the overview did not start: %s\n", qPrintable(output));
        return 1;
    }
    // The live feed's port is in the page.
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("http://127.0.0.1:%1/").arg(webPort)});
    curl.waitForFinished();
    const auto live = QRegularExpression(QStringLiteral(":(\\d+)/`\\)")).match(QString::fromUtf8(curl.readAll()));
    std::map<std::pair<int, quint64>, qint64> onPage;
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

    std::printf("hall_load: %d boards, %d s, overview pid %lld, broker port %d\n", boards, seconds,
                overview.processId(), brokerPort);
    std::fflush(stdout);
    Boards simulated(boards, brokerPort, hallName, code);
    std::atomic<bool> stop{false};
    std::thread load([&] { simulated.run(stop); });
    const qint64 pid = overview.processId();
    qint64 brokerPid = 0;
    {
        const std::string children =
            readFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
        brokerPid = std::atoll(children.c_str());
    }
    double lastCpu = cpuSeconds(pid), lastBroker = brokerPid ? cpuSeconds(brokerPid) : 0;
    int elapsed = 0;
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
            app.quit();
    });
    sampler.start(10000);
    app.exec();
    stop = true;
    load.join();
    // Let the last switches arrive.
    QTimer::singleShot(1500, &app, &QCoreApplication::quit);
    app.exec();
    overview.terminate();
    overview.waitForFinished(5000);

    std::map<std::pair<int, quint64>, qint64> inModel;
    std::ifstream in(trace.toStdString());
    int board;
    std::string seq;
    qint64 ns;
    while (in >> board >> seq >> ns)
        if (seq != "gone")
            inModel.emplace(std::pair{board, quint64(std::stoull(seq))}, ns);
    // The first seconds carry the connects of every board: measured from the tenth second on.
    std::vector<Sent> sent = simulated.switches();
    const qint64 settled = sent.empty() ? 0 : sent.front().ns + 10000000000LL;
    std::erase_if(sent, [settled](const Sent &s) { return s.ns < settled; });
    printLatency("overview's model", sent, inModel);
    printLatency("spectators' page feed", sent, onPage);
    std::fflush(stdout);

    if (!clockProgram.isEmpty()) {
        // The joined clock goes to a broker of its own hall: the overview above has ended.
        QProcess second;
        second.setProcessChannelMode(QProcess::MergedChannels);
        second.setProcessEnvironment(env);
        second.start(overviewProgram,
                     {QStringLiteral("--sal"), hallName, QStringLiteral("--kode"), code, QStringLiteral("--lytt"),
                      QStringLiteral("127.0.0.1"), QStringLiteral("--uten-avahi")});
        int port = 0;
        QString said;
        for (int i = 0; i < 300 && !port; ++i) {
            second.waitForReadyRead(100);
            said += QString::fromUtf8(second.readAll());
            if (auto m = QRegularExpression(QStringLiteral("megler port (\\d+)")).match(said); m.hasMatch())
                port = m.captured(1).toInt();
        }
        QTemporaryDir joined, alone;
        QDir().mkpath(joined.filePath(QStringLiteral("Partivakt")));
        QFile conf(joined.filePath(QStringLiteral("Partivakt/Partivakt.conf")));
        conf.open(QIODevice::WriteOnly);
        conf.write(QStringLiteral("[turnering]\nbrett=1\nkode=%1\nmaskin=127.0.0.1\nmed=true\nport=%2\nsal=%3\n")
                       .arg(code)
                       .arg(port)
                       .arg(hallName)
                       .toUtf8());
        conf.close();
        std::vector<double> withHall, without;
        for (int round = 0; round < 2; ++round) {
            without.push_back(clockCpu(clockProgram, alone.path(), 20));
            withHall.push_back(clockCpu(clockProgram, joined.path(), 20));
        }
        second.terminate();
        second.waitForFinished(5000);
        const double w = bench::median(withHall), wo = bench::median(without);
        std::printf("clock CPU with a game running, 20 s, A B A B: not joined %.2f %% (%.2f, %.2f), joined %.2f %% "
                    "(%.2f, %.2f): %.2f x (goal <= 1.1 x)\n",
                    wo, without[0], without[1], w, withHall[0], withHall[1], wo > 0 ? w / wo : 0);
    }
    return 0;
}
