#include "spectators.h"

#include <QFile>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>

namespace hall {

namespace {

QByteArray pageBytes(const QString &hall, int livePort)
{
    QFile page(QStringLiteral(":/partivakt/hall/page.html"));
    if (!page.open(QIODevice::ReadOnly))
        return "<!doctype html><title>Partivakt</title><p>Siden mangler i programmet.</p>";
    // The hall's name is checked to letters, digits, - and _: nothing to escape.
    return page.readAll().replace("{{HALL}}", hall.toUtf8()).replace("{{LIVEPORT}}", QByteArray::number(livePort));
}

} // namespace

SpectatorServer::SpectatorServer(const QString &hall, QObject *parent)
    : QObject(parent), m_live(QStringLiteral("partivakt-hall"), QWebSocketServer::NonSecureMode), m_hall(hall)
{
    connect(&m_live, &QWebSocketServer::newConnection, this, [this] {
        while (QWebSocket *socket = m_live.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QWebSocket::disconnected, this, [this, socket] {
                std::erase(m_sockets, socket);
                socket->deleteLater();
            });
            // Read only: whatever a page sends is not listened to.
            const QJsonObject first{{QStringLiteral("hall"), m_hall},
                                    {QStringLiteral("all"), true},
                                    {QStringLiteral("dropped"), double(m_dropped)},
                                    {QStringLiteral("boards"), m_snapshot ? m_snapshot() : QJsonArray()}};
            socket->sendTextMessage(QString::fromUtf8(QJsonDocument(first).toJson(QJsonDocument::Compact)));
            m_sockets.push_back(socket);
        }
    });
}

SpectatorServer::~SpectatorServer() = default;

QString SpectatorServer::listen(const QHostAddress &address, int port)
{
    if (!m_live.listen(address, 0))
        return QStringLiteral("Tilskuersiden kan ikke lytte: %1").arg(m_live.errorString());
    const QByteArray page = pageBytes(m_hall, m_live.serverPort());
    m_server.route(QStringLiteral("/"), [page] {
        QHttpServerResponse response("text/html; charset=utf-8", page);
        response.setHeader("Cache-Control", "no-store");
        // Read only and self-contained: the page may load nothing and talk only to its live feed.
        response.setHeader("Content-Security-Policy",
                           "default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'; "
                           "connect-src ws:");
        return response;
    });
    const quint16 got = m_server.listen(address, quint16(port));
    if (!got)
        return QStringLiteral("Tilskuersiden kan ikke lytte på port %1.").arg(port);
    m_port = got;
    m_address = address;
    return {};
}

QString SpectatorServer::address() const
{
    QHostAddress shown = m_address;
    if (m_address == QHostAddress::Any || m_address == QHostAddress::AnyIPv4 || m_address == QHostAddress::AnyIPv6) {
        // The first address of this machine that a phone on the network can reach.
        shown = QHostAddress::LocalHost;
        for (const QHostAddress &a : QNetworkInterface::allAddresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal()) {
                shown = a;
                break;
            }
    }
    return QStringLiteral("http://%1:%2/").arg(shown.toString()).arg(m_port);
}

void SpectatorServer::send(const QJsonArray &boards, quint64 dropped)
{
    m_dropped = dropped;
    if (m_sockets.empty())
        return;
    const QString text = QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("boards"), boards}, {QStringLiteral("dropped"), double(dropped)}})
            .toJson(QJsonDocument::Compact));
    for (QWebSocket *socket : m_sockets)
        socket->sendTextMessage(text);
}

} // namespace hall
