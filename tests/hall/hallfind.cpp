// The halls DNS-SD finds, through the discovery code of the clock's "Turnering..." window, one line
// per event until the program is ended, for check-hall-dnssd:
//   found <service> <hall> <host> <port>
//   lost <service>
//   unavailable <why>
#include "hall/discovery.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    hall::HallFinder finder;
    QObject::connect(&finder, &hall::HallFinder::found, [](const hall::FoundHall &f) {
        std::printf("found %s %s %s %d\n", qPrintable(f.service), qPrintable(f.hall), qPrintable(f.host), f.port);
        std::fflush(stdout);
    });
    QObject::connect(&finder, &hall::HallFinder::lost, [](const QString &service) {
        std::printf("lost %s\n", qPrintable(service));
        std::fflush(stdout);
    });
    QObject::connect(&finder, &hall::HallFinder::unavailable, [](const QString &why) {
        std::printf("unavailable %s\n", qPrintable(why));
        std::fflush(stdout);
    });
    return QCoreApplication::exec();
}
