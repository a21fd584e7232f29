// The clock as a whole process, each figure beside a bare Qt Widgets program (ref_bare, its own
// executable, sharing nothing with the clock but Qt) measured in the same run, A B A B:
//
//   - start to the main window mapped on the X server (MapNotify on the root window for a window
//     whose _NET_WM_PID is the started process);
//   - resident memory (VmRSS) after 3 s idle, and after the browser was opened and closed;
//   - CPU time and wake-ups per second over 60 s with a clock running, against ref_bare with its
//     100 ms and 1 s precise timers. CPU time is the sum over the process's threads of
//     /proc/PID/task/*/schedstat (ns on a CPU); wake-ups the sum of their voluntary and involuntary
//     context switches (/proc/PID/task/*/status).
//
//   bench_process [--quick] [--only start|memory|cpu] [--program PATH] [--reference PATH]
//
// Needs an X display (bench/run-all provides a virtual one) and xdotool to start a game.

#include "benchstats.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Watches the X server for top-level windows being mapped.
class MapWatch {
public:
    bool open()
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            return false;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, 11, "_NET_WM_PID"), nullptr);
        if (!atom)
            return false;
        m_pidAtom = atom->atom;
        std::free(atom);
        xcb_flush(m_c);
        return true;
    }
    ~MapWatch()
    {
        if (m_c)
            xcb_disconnect(m_c);
    }

    // The first window of process pid mapped within timeoutMs; 0 when none.
    xcb_window_t waitMapped(pid_t pid, int timeoutMs)
    {
        const auto t0 = Clock::now();
        while (msSince(t0) < timeoutMs) {
            while (xcb_generic_event_t *e = xcb_poll_for_event(m_c)) {
                xcb_window_t mapped = 0;
                if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY)
                    mapped = reinterpret_cast<xcb_map_notify_event_t *>(e)->window;
                std::free(e);
                if (mapped && windowPid(mapped) == pid)
                    return mapped;
            }
            pollfd p{xcb_get_file_descriptor(m_c), POLLIN, 0};
            ::poll(&p, 1, 20);
        }
        return 0;
    }

private:
    pid_t windowPid(xcb_window_t w)
    {
        xcb_get_property_reply_t *r =
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (r && xcb_get_property_value_length(r) == 4)
            pid = pid_t(*static_cast<uint32_t *>(xcb_get_property_value(r)));
        std::free(r);
        return pid;
    }

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = 0;
};

pid_t spawn(const std::vector<std::string> &args, const fs::path &cwd)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0)
            ::_exit(126);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void end(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

long long statusField(const std::string &status, const char *name)
{
    const size_t at = status.find(name);
    return at == std::string::npos ? -1 : std::atoll(status.c_str() + at + std::strlen(name));
}

double residentMiB(pid_t pid)
{
    return double(statusField(readFile("/proc/" + std::to_string(pid) + "/status"), "VmRSS:")) / 1024.0;
}

struct Usage {
    double cpuNs = 0;
    double switches = 0;
};

// Summed over the threads alive now.
Usage usage(pid_t pid)
{
    Usage u;
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ec;
    for (const auto &task : fs::directory_iterator(tasks, ec)) {
        u.cpuNs += std::atof(readFile(task.path() / "schedstat").c_str());
        const std::string status = readFile(task.path() / "status");
        u.switches += double(statusField(status, "voluntary_ctxt_switches:") +
                             statusField(status, "nonvoluntary_ctxt_switches:"));
    }
    return u;
}

std::vector<pid_t> childrenOf(pid_t pid)
{
    std::vector<pid_t> found;
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ec;
    for (const auto &task : fs::directory_iterator(tasks, ec)) {
        std::istringstream in(readFile(task.path() / "children"));
        pid_t child;
        while (in >> child)
            found.push_back(child);
    }
    return found;
}

bool xdotool(const std::string &args)
{
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}

struct Series {
    std::vector<double> a, b;
    void add(double x, double y)
    {
        a.push_back(x);
        b.push_back(y);
    }
};

void printRatio(const char *what, const char *unit, const Series &s, double target, const char *referenceName)
{
    if (s.a.empty()) {
        std::printf("%s: no usable samples\n", what);
        return;
    }
    std::vector<double> ratios;
    for (size_t i = 0; i < s.a.size(); ++i)
        ratios.push_back(s.a[i] / s.b[i]);
    const auto range = [](const std::vector<double> &v) { return std::minmax_element(v.begin(), v.end()); };
    const auto [amin, amax] = range(s.a);
    const auto [bmin, bmax] = range(s.b);
    const auto [rmin, rmax] = range(ratios);
    const double ratio = bench::median(ratios);
    std::printf("%s, %zu pairs:\n", what, s.a.size());
    std::printf("    partivakt %.2f %s (%.2f-%.2f), %s %.2f %s (%.2f-%.2f)\n", bench::median(s.a), unit, *amin, *amax,
                referenceName, bench::median(s.b), unit, *bmin, *bmax);
    std::printf("    ratio %.2f (%.2f-%.2f), target <= %.2f%s\n", ratio, *rmin, *rmax, target,
                ratio <= target ? "" : "  OVER TARGET");
}

struct Run {
    pid_t pid = 0;
    xcb_window_t window = 0;
    double startMs = -1;
};

class Bench {
public:
    Bench(std::string program, std::string reference, fs::path work)
        : m_program(std::move(program)), m_reference(std::move(reference)), m_work(std::move(work))
    {
    }

    bool open() { return m_x.open(); }

    Run start(const std::vector<std::string> &args)
    {
        // Each run in a fresh directory: the clock's files from one run never meet the next.
        fs::remove_all(m_work);
        fs::create_directories(m_work);
        Run r;
        const auto t0 = Clock::now();
        r.pid = spawn(args, m_work);
        r.window = m_x.waitMapped(r.pid, 30000);
        if (r.window)
            r.startMs = msSince(t0);
        return r;
    }

    // Starts a game in a clock: Space on the start button that holds the focus, until the backup
    // file proves the clock runs.
    bool startGame(const Run &r)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            xdotool("windowfocus --sync " + std::to_string(r.window) + " key space");
            for (int i = 0; i < 40; ++i) {
                if (fs::exists(m_work / "Sikkerhetskopi.sur"))
                    return true;
                sleepMs(50);
            }
        }
        return false;
    }

    // Opens the browser from the clock's menu, waits for its window, and ends it.
    bool openAndCloseBrowser(const Run &r)
    {
        xdotool("windowfocus --sync " + std::to_string(r.window) + " key alt+h");
        sleepMs(300);
        xdotool("key n");
        for (int i = 0; i < 600; ++i) {
            const std::vector<pid_t> children = childrenOf(r.pid);
            if (!children.empty() && xdotool("search --onlyvisible --pid " + std::to_string(children.front()))) {
                for (pid_t c : children)
                    ::kill(c, SIGTERM);
                return true;
            }
            sleepMs(100);
        }
        return false;
    }

    std::string m_program, m_reference;
    fs::path m_work;
    MapWatch m_x;
};

} // namespace

int main(int argc, char **argv)
{
    const fs::path here = fs::canonical("/proc/self/exe").parent_path();
    std::string program = (here / "partivakt").string(), reference = (here / "ref_bare").string();
    bool quick = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc)
            program = argv[++i];
        else if (std::strcmp(argv[i], "--reference") == 0 && i + 1 < argc)
            reference = argv[++i];
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
    }
    if (!std::getenv("DISPLAY")) {
        std::printf("needs an X display: skipped\n");
        return 0;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("QT_ACCESSIBILITY");
    ::setenv("QT_ACCESSIBILITY", "0", 1);
    const fs::path work = fs::temp_directory_path() / ("bench-process-" + std::to_string(::getpid()));
    Bench bench(program, reference, work);
    if (!bench.open()) {
        std::printf("cannot reach the X server: skipped\n");
        return 0;
    }
    std::printf("program %s\nreference %s\n", program.c_str(), reference.c_str());
    const std::vector<std::string> clockArgs{program}, bareArgs{reference}, timerArgs{reference, "--timers"};

    const auto wanted = [&only](const char *figure) { return only.empty() || only == figure; };

    // Start: one warm-up of each for the disk cache, then pairs.
    Series start;
    for (const auto *args : {&bareArgs, &clockArgs})
        if (wanted("start"))
            end(bench.start(*args).pid);
    for (int i = 0; wanted("start") && i < (quick ? 6 : 20); ++i) {
        const Run a = bench.start(clockArgs);
        end(a.pid);
        const Run b = bench.start(bareArgs);
        end(b.pid);
        if (a.startMs > 0 && b.startMs > 0)
            start.add(a.startMs, b.startMs);
    }
    if (wanted("start"))
        printRatio("start to mapped window", "ms", start, 1.25, "bare");

    const int idleMs = quick ? 1500 : 3000;
    // Clock and bare program in turn, each left idle before its memory is read; with the browser,
    // the clock's browser window is opened and closed first.
    const auto idleMemory = [&](int pairs, bool withBrowser) {
        Series rss;
        for (int i = 0; i < pairs; ++i) {
            const Run a = bench.start(clockArgs);
            const bool ready = a.window && (!withBrowser || bench.openAndCloseBrowser(a));
            sleepMs(idleMs);
            const double ra = residentMiB(a.pid);
            end(a.pid);
            const Run b = bench.start(bareArgs);
            sleepMs(idleMs);
            const double rb = residentMiB(b.pid);
            end(b.pid);
            if (ready && b.window)
                rss.add(ra, rb);
        }
        return rss;
    };
    if (wanted("memory")) {
        std::printf("(idle %d ms)\n", idleMs);
        printRatio("resident memory idle", "MiB", idleMemory(quick ? 2 : 5, false), 1.3, "bare");
        printRatio("resident memory idle after the browser was opened and closed", "MiB",
                   idleMemory(quick ? 1 : 3, true), 1.3, "bare");
    }

    const int spanMs = quick ? 15000 : 60000;
    Series cpu, wakeups;
    for (int i = 0; wanted("cpu") && i < (quick ? 1 : 3); ++i) {
        const Run a = bench.start(clockArgs);
        const bool running = a.window && bench.startGame(a);
        sleepMs(1000);
        const Usage a0 = usage(a.pid);
        sleepMs(spanMs);
        const Usage a1 = usage(a.pid);
        end(a.pid);
        const Run b = bench.start(timerArgs);
        sleepMs(1000);
        const Usage b0 = usage(b.pid);
        sleepMs(spanMs);
        const Usage b1 = usage(b.pid);
        end(b.pid);
        if (!running || !b.window) {
            std::printf("round %d: the game did not start\n", i);
            continue;
        }
        const double s = spanMs / 1000.0;
        cpu.add((a1.cpuNs - a0.cpuNs) / 1e7 / s, (b1.cpuNs - b0.cpuNs) / 1e7 / s);
        wakeups.add((a1.switches - a0.switches) / s, (b1.switches - b0.switches) / s);
    }
    if (wanted("cpu")) {
        std::printf("(over %d s with a clock running)\n", spanMs / 1000);
        printRatio("CPU, % of a core", "%", cpu, 1.5, "bare+timers");
        printRatio("wake-ups (context switches) per second", "/s", wakeups, 1.5, "bare+timers");
    }
    fs::remove_all(work);
    return 0;
}
