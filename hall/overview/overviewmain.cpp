// partivakt-hall: the arbiter's overview of a tournament hall. Without --megler it starts a private
// Mosquitto for the hall; with it, it reads the hall off the club's own broker.
#include "broker.h"
#include "desktop/signals.h"
#include "feed.h"
#include "frmsal.h"
#include "hall/discovery.h"
#include "hall/link.h"
#include "hall/message.h"
#include "hallmodel.h"
#include "tilskuere.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

QString hallAddress(const QString &bind)
{
    if (!bind.isEmpty() && bind != QLatin1String("0.0.0.0"))
        return bind;
    for (const QHostAddress &a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal())
            return a.toString();
    return QStringLiteral("127.0.0.1");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Partivakt"));
    QApplication::setApplicationName(QStringLiteral("partivakt-hall"));
    QApplication::setApplicationVersion(QStringLiteral(PARTIVAKT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_HALL_APP_ID));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Turneringssalens oversikt: hvert brett direkte."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption hallOption(QStringLiteral("sal"), QStringLiteral("Salens navn (A-Z, 0-9, - og _)."),
                                        QStringLiteral("navn"), QStringLiteral("sal"));
    const QCommandLineOption codeOption(QStringLiteral("kode"), QStringLiteral("Salens kode (ellers en tilfeldig)."),
                                        QStringLiteral("kode"));
    const QCommandLineOption brokerOption(QStringLiteral("megler"),
                                          QStringLiteral("Klubbens egen MQTT-megler, i stedet for en egen."),
                                          QStringLiteral("maskin:port"));
    const QCommandLineOption userOption(QStringLiteral("bruker"), QStringLiteral("Brukernavn hos klubbens megler."),
                                        QStringLiteral("navn"));
    const QCommandLineOption passwordOption(QStringLiteral("passord"), QStringLiteral("Passord hos klubbens megler."),
                                            QStringLiteral("passord"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Den egne meglerens port (0: ledig)."),
                                        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption bindOption(QStringLiteral("lytt"),
                                        QStringLiteral("Adressen megleren og tilskuersiden lytter på (ellers alle)."),
                                        QStringLiteral("adresse"));
    const QCommandLineOption webOption(QStringLiteral("nettport"), QStringLiteral("Tilskuersidens port (0: ledig)."),
                                       QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption quietOption(QStringLiteral("uten-avahi"), QStringLiteral("Ikke kunngjør salen."));
    const QCommandLineOption traceOption(
        QStringLiteral("spor"),
        QStringLiteral("Skriv brett, nummer og monoton tid (i tabellen, mottatt) for hver melding."),
        QStringLiteral("fil"));
    parser.addOptions({hallOption, codeOption, brokerOption, userOption, passwordOption, portOption, bindOption,
                       webOption, quietOption, traceOption});
    parser.process(app);

    const QString hallName = parser.value(hallOption);
    if (!hall::validHallName(hallName)) {
        std::fprintf(stderr, "partivakt-hall: salens navn skal ha 1 til 40 tegn: A-Z, a-z, 0-9, - og _\n");
        return 2;
    }
    QString code = parser.value(codeOption);
    if (code.isEmpty())
        code = QString::number(100000 + QRandomGenerator::system()->bounded(900000));
    const QString bind = parser.value(bindOption);

    hall::HallModel model(hallName);
    hall::frmsal window(&model, code);
    desktop::EndRequests endRequests;
    QObject::connect(&endRequests, &desktop::EndRequests::requested, &app, &QApplication::quit);

    hall::LinkConfig link;
    link.clientId = QStringLiteral("partivakt-oversikt-%1-%2").arg(hallName).arg(QCoreApplication::applicationPid());
    link.subscription = hall::hallFilter(hallName);
    std::unique_ptr<hall::PrivateBroker> broker;
    int brokerPort = 0;
    if (parser.isSet(brokerOption)) {
        const QString given = parser.value(brokerOption);
        const qsizetype colon = given.lastIndexOf(QLatin1Char(':'));
        link.host = colon > 0 ? given.left(colon) : given;
        link.port = colon > 0 ? given.mid(colon + 1).toInt() : 1883;
        link.username = parser.value(userOption);
        link.password = parser.value(passwordOption);
        brokerPort = link.port;
        window.setConnectInfo(QStringLiteral("Klokkene kobler til: %1 port %2").arg(link.host).arg(link.port));
    } else {
        broker = std::make_unique<hall::PrivateBroker>(
            hall::PrivateBroker::Config{hallName, code, parser.value(portOption).toInt(), bind, {}});
        if (const QString why = broker->start(); !why.isEmpty()) {
            std::fprintf(stderr, "partivakt-hall: %s\n", qPrintable(why));
            window.showNote(why);
        }
        QObject::connect(broker.get(), &hall::PrivateBroker::ended, &window, &hall::frmsal::showNote);
        brokerPort = broker->port();
        link.host = bind.isEmpty() || bind == QLatin1String("0.0.0.0") ? QStringLiteral("127.0.0.1") : bind;
        link.port = brokerPort;
        link.username = broker->overviewUser();
        link.password = broker->overviewPassword();
        window.setConnectInfo(
            QStringLiteral("Klokkene kobler til: maskin %1 port %2").arg(hallAddress(bind)).arg(brokerPort));
    }
    std::printf("partivakt-hall: sal %s, megler port %d\n", qPrintable(hallName), brokerPort);

    hall::SpectatorServer spectators(hallName);
    if (const QString why = spectators.listen(bind.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(bind),
                                              parser.value(webOption).toInt());
        !why.isEmpty())
        window.showNote(why);
    else
        window.setSpectatorAddress(spectators.address());
    std::printf("partivakt-hall: tilskuersiden på port %d\n", spectators.port());
    std::fflush(stdout);

    std::unique_ptr<QFile> trace;
    if (parser.isSet(traceOption)) {
        trace = std::make_unique<QFile>(parser.value(traceOption));
        if (!trace->open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::fprintf(stderr, "partivakt-hall: %s\n", qPrintable(trace->errorString()));
    }

    // Messages are read and decoded on the link's thread; the page is fed from there too, and the
    // table takes the boards that changed at most every 50 ms.
    hall::HallFeed feed(hallName);
    feed.setForward([&spectators](const hall::Arrival *a, quint64 dropped) { spectators.offer(a, dropped); });
    link.receive = [&feed](const QString &topic, const QByteArray &payload) { feed.receive(topic, payload); };
    QObject::connect(&feed, &hall::HallFeed::rejectsChanged, &model, [&] { model.setRejects(feed.rejects()); });
    hall::Pacer toTable(50, [&] {
        const std::vector<hall::Arrival> boards = feed.take();
        model.apply(boards, hall::monotonicMs());
        if (!trace || !trace->isOpen() || boards.empty())
            return;
        // Board, sequence number, when the model took it and when it came off the network.
        const QByteArray at = ' ' + QByteArray::number(hall::monotonicNs()) + ' ';
        for (const hall::Arrival &a : boards)
            trace->write(QByteArray::number(a.state.board) + ' ' +
                         (a.state.gone ? QByteArray("gone") : QByteArray::number(a.state.seq)) + at +
                         QByteArray::number(a.receivedNs) + '\n');
        trace->flush();
    });
    QObject::connect(&feed, &hall::HallFeed::arrived, &toTable, &hall::Pacer::poke);

    // Destroyed before the feed and the page it hands messages to.
    const auto mqtt = std::make_unique<hall::Link>(link);
    QObject::connect(mqtt.get(), &hall::Link::statusChanged, &window,
                     [&window](hall::LinkStatus status, const QString &d) {
                         switch (status) {
                         case hall::LinkStatus::Connected:
                             window.showNote(QStringLiteral("Leser salen fra megleren."));
                             break;
                         case hall::LinkStatus::Connecting:
                             break;
                         case hall::LinkStatus::Unreachable:
                             window.showNote(QStringLiteral("Megleren svarer ikke (%1); prøver igjen.").arg(d));
                             break;
                         case hall::LinkStatus::Refused:
                             window.showNote(QStringLiteral("Megleren godtok ikke oversiktens bruker (%1).").arg(d));
                             break;
                         case hall::LinkStatus::Missing:
                             window.showNote(QStringLiteral("Salen kan ikke leses: %1.").arg(d));
                             break;
                         }
                     });
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &model, [&model] { model.tick(hall::monotonicMs()); });
    ticker.start(200);

    std::unique_ptr<hall::HallAnnouncer> announcer;
    if (!parser.isSet(quietOption)) {
        announcer = std::make_unique<hall::HallAnnouncer>(hallName, brokerPort, spectators.port());
        QObject::connect(announcer.get(), &hall::HallAnnouncer::unavailable, &window, [&window](const QString &why) {
            window.showNote(QStringLiteral("Salen kunngjøres ikke på nettet: %1").arg(why));
        });
    }
    window.show();
    const int status = QApplication::exec();
    if (trace)
        trace->flush();
    return status;
}
