#pragma once

#include <QHttpServer>
#include <QJsonArray>
#include <QObject>
#include <QWebSocket>
#include <QWebSocketServer>

#include <vector>

namespace hall {

// The spectators' page: one self-contained page (nothing loaded from elsewhere) that shows the
// hall's live table in any browser, read only, kept up to date over a WebSocket. Qt 6.4's HTTP
// server as Debian 12 builds it never hands over an upgraded connection, so the WebSocket has a
// server and a port of its own, which the page is given.
class SpectatorServer : public QObject {
    Q_OBJECT
public:
    SpectatorServer(const QString &hall, QObject *parent = nullptr);
    ~SpectatorServer() override;

    // Listens on address:port (port 0: a free one). Returns why not, in Norwegian.
    QString listen(const QHostAddress &address, int port);
    int port() const { return m_port; }
    // What a phone on the hall's network opens.
    QString address() const;
    // What a new page is sent first: every board.
    void setSnapshot(const std::function<QJsonArray()> &snapshot) { m_snapshot = snapshot; }
    // Boards that changed, to every page open; dropped: the overview's count of bad messages.
    void send(const QJsonArray &boards, quint64 dropped);
    int clients() const { return int(m_sockets.size()); }

private:
    QHttpServer m_server;
    QWebSocketServer m_live;
    QString m_hall;
    int m_port = 0;
    QHostAddress m_address;
    std::vector<QWebSocket *> m_sockets; // children of this
    std::function<QJsonArray()> m_snapshot;
    quint64 m_dropped = 0;
};

} // namespace hall
