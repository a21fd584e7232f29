#include "spectators.h"

#include <QFile>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>

namespace hall {

namespace {

QByteArray pageBytes(const QString &hall)
{
    QFile page(QStringLiteral(":/partivakt/hall/page.html"));
    if (!page.open(QIODevice::ReadOnly))
        return "<!doctype html><title>Partivakt</title><p>Siden mangler i programmet.</p>";
    // The hall's name is checked to letters, digits, - and _: nothing to escape.
    return page.readAll().replace("{{HALL}}", hall.toUtf8());
}

} // namespace

SpectatorServer::SpectatorServer(const QString &hall, QObject *parent) : QObject(parent), m_hall(hall)
{
    const QByteArray page = pageBytes(hall);
    m_server.route(QStringLiteral("/"), [page] {
        QHttpServerResponse response("text/html; charset=utf-8", page);
        response.setHeader("Cache-Control", "no-store");
        // Read only and self-contained: the page may load nothing and talk only to this server.
        response.setHeader("Content-Security-Policy",
                           "default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'; "
                           "connect-src 'self' ws: wss:");
        return response;
    });
    connect(&m_server, &QAbstractHttpServer::newWebSocketConnection, this, [this] {
        while (m_server.hasPendingWebSocketConnections()) {
            QWebSocket *raw = m_server.nextPendingWebSocketConnection().release();
            raw->setParent(this);
            connect(raw, &QWebSocket::disconnected, this, [this, raw] {
                std::erase(m_sockets, raw);
                raw->deleteLater();
            });
            // Read only: whatever a page sends is not listened to.
            const QJsonObject first{{QStringLiteral("hall"), m_hall},
                                    {QStringLiteral("all"), true},
                                    {QStringLiteral("dropped"), double(m_dropped)},
                                    {QStringLiteral("boards"), m_snapshot ? m_snapshot() : QJsonArray()}};
            raw->sendTextMessage(QString::fromUtf8(QJsonDocument(first).toJson(QJsonDocument::Compact)));
            m_sockets.push_back(raw);
        }
    });
}

SpectatorServer::~SpectatorServer() = default;

QString SpectatorServer::listen(const QHostAddress &address, int port)
{
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
