// The reference the clock's process figures are measured against: a bare Qt Widgets program, one
// QWidget, linked only with Qt Widgets, no application attribute set.
//
//   ref_bare                     the window alone
//   ref_bare --timers            plus a 100 ms and a 1 s precise timer that do nothing: the floor of
//                                what a running clock must do (a refresh every 100 ms, a tick every
//                                second)
//   ref_bare --timers --backup   and at each 1 s tick a 38-byte file replaced so that it survives a
//                                power cut (written, fsync, renamed over the old one, fsync of the
//                                directory), the cheapest way: on the timer's own thread. Its own
//                                code, sharing nothing with the clock's file writing.
//   ref_bare --timers --readout tenths|seconds
//                                and a bold label the size of a count-down read-out, its text
//                                changed at every refresh (tenths) or at every tenth one (seconds): what
//                                Qt's widgets cost to show a changing time at all.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

void replaceDurably(int second)
{
    char text[64];
    const int size =
        std::snprintf(text, sizeof text, "0\r\n%d\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n", second % 60);
    const int fd = ::open(".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    const bool written = ::write(fd, text, size_t(size)) == size && ::fsync(fd) == 0 &&
                         ::linkat(AT_FDCWD, path, AT_FDCWD, ".ref.tmp", AT_SYMLINK_FOLLOW) == 0;
    ::close(fd);
    if (!written || ::rename(".ref.tmp", "ref.sur") != 0)
        return;
    const int dir = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(671, 344);
    window.show();
    const auto given = [argc, argv](const char *option) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], option) == 0)
                return true;
        return false;
    };
    QTimer refresh, tick;
    if (given("--timers")) {
        const bool backup = given("--backup");
        int counted = 0;
        for (auto [timer, ms] : {std::pair{&refresh, 100}, std::pair{&tick, 1000}}) {
            timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer, &QTimer::timeout, [&counted] { ++counted; });
            timer->start(ms);
        }
        if (backup)
            QObject::connect(&tick, &QTimer::timeout, [&counted] { replaceDurably(counted); });
    }
    QLabel readout(&window);
    int shown = 0;
    if (given("--readout")) {
        const bool tenths = given("tenths");
        QFont font = readout.font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.7);
        readout.setFont(font);
        readout.setAlignment(Qt::AlignCenter);
        readout.setAutoFillBackground(true);
        readout.setGeometry(111, 281, 107, 23);
        readout.show();
        QObject::connect(&refresh, &QTimer::timeout, &readout, [&readout, &shown, tenths] {
            ++shown;
            if (tenths || shown % 10 == 0)
                readout.setText(QStringLiteral("0:%1.%2").arg(shown / 10 % 60).arg(tenths ? shown % 10 : 0));
        });
    }
    return QApplication::exec();
}
