// The reference the clock's process figures are measured against: a bare Qt Widgets program, one
// QWidget, linked only with Qt Widgets, no application attribute set.
//
//   ref_bare            the window alone
//   ref_bare --timers   plus a 100 ms and a 1 s precise timer that do nothing: the floor of what a
//                       running clock must do (a refresh every 100 ms, a tick every second)

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(671, 344);
    window.show();
    QTimer refresh, tick;
    if (argc > 1 && std::strcmp(argv[1], "--timers") == 0) {
        int counted = 0;
        for (auto [timer, ms] : {std::pair{&refresh, 100}, std::pair{&tick, 1000}}) {
            timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer, &QTimer::timeout, [&counted] { ++counted; });
            timer->start(ms);
        }
    }
    return QApplication::exec();
}
