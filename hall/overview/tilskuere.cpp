#include "tilskuere.h"

#include "hall/message.h"

#include <QFile>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QNetworkInterface>
#include <QWebSocket>
#include <QWebSocketServer>

#include <atomic>
#include <future>
#include <map>

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

// The page's side on its own thread: the servers, the open pages and the table they are sent from.
class SpectatorFeed : public QObject {
public:
    explicit SpectatorFeed(const QString &hall)
        : m_hall(hall),
          m_live(new QWebSocketServer(QStringLiteral("partivakt-hall"), QWebSocketServer::NonSecureMode, this)),
          m_server(new QHttpServer(this)), m_pacer(
                                               SpectatorServer::kBatchMs, [this] { send(); }, this)
    {
        connect(m_live, &QWebSocketServer::newConnection, this, &SpectatorFeed::welcome);
    }

    // On the feed's thread.
    int listen(const QHostAddress &address, int port, QString *why)
    {
        if (!m_live->listen(address, 0)) {
            *why = QStringLiteral("Tilskuersiden kan ikke lytte: %1").arg(m_live->errorString());
            return 0;
        }
        const QByteArray page = pageBytes(m_hall, m_live->serverPort());
        m_server->route(QStringLiteral("/"), [page] {
            QHttpServerResponse response("text/html; charset=utf-8", page);
            response.setHeader("Cache-Control", "no-store");
            // Read only and self-contained: the page may load nothing and talk only to its live feed.
            response.setHeader("Content-Security-Policy",
                               "default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'; "
                               "connect-src ws:");
            return response;
        });
        const quint16 got = m_server->listen(address, quint16(port));
        if (!got)
            *why = QStringLiteral("Tilskuersiden kan ikke lytte på port %1.").arg(port);
        return got;
    }

    // From any thread.
    void offer(const Arrival *arrival, quint64 dropped)
    {
        m_dropped = dropped;
        if (arrival)
            m_incoming.put(*arrival);
        if (!m_posted.exchange(true))
            QMetaObject::invokeMethod(
                this, [this] { m_pacer.poke(); }, Qt::QueuedConnection);
    }

private:
    struct Entry {
        BoardState state;
        qint64 receivedMs = 0;
        QByteArray json; // written when first needed after a change
    };
    struct Page {
        QWebSocket *socket;
        bool behind = false; // skipped while its connection was full: owes the whole hall
    };

    const QByteArray &json(Entry &e)
    {
        if (e.json.isEmpty())
            e.json = encode(e.state);
        return e.json;
    }

    // A board as the page takes it: the message with its age, from which the page counts on.
    void append(QByteArray &out, Entry &e, qint64 now)
    {
        if (out.size() > 1)
            out += ',';
        out += QByteArrayView(json(e)).chopped(1);
        out += ",\"ageMs\":" + QByteArray::number(now - e.receivedMs) + '}';
    }

    QString everything(qint64 now)
    {
        QByteArray boards = "[";
        for (auto &[board, e] : m_table)
            append(boards, e, now);
        return QString::fromUtf8("{\"hall\":\"" + m_hall.toUtf8() + "\",\"all\":true,\"dropped\":" +
                                 QByteArray::number(m_droppedSent) + ",\"boards\":" + boards + "]}");
    }

    void welcome()
    {
        while (QWebSocket *socket = m_live->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QWebSocket::disconnected, this, [this, socket] {
                std::erase_if(m_pages, [socket](const Page &p) { return p.socket == socket; });
                socket->deleteLater();
            });
            // Read only: whatever a page sends is not listened to.
            socket->sendTextMessage(everything(monotonicMs()));
            m_pages.push_back({socket});
        }
    }

    void send()
    {
        // Cleared before the take: a board offered meanwhile is either taken now or posts again.
        m_posted = false;
        const std::vector<Arrival> arrived = m_incoming.take();
        const quint64 dropped = m_dropped;
        if (arrived.empty() && dropped == m_droppedSent)
            return;
        m_droppedSent = dropped;
        for (const Arrival &a : arrived)
            m_table[a.state.board] = {a.state, a.receivedMs(), {}};
        if (m_pages.empty())
            return;
        const qint64 now = monotonicMs();
        QByteArray boards = "[";
        for (const Arrival &a : arrived)
            append(boards, m_table[a.state.board], now);
        const QString changed =
            QString::fromUtf8("{\"boards\":" + boards + "],\"dropped\":" + QByteArray::number(dropped) + '}');
        QString all;
        for (Page &p : m_pages) {
            if (p.socket->bytesToWrite() > SpectatorServer::kBehindBytes) {
                p.behind = true;
                continue;
            }
            if (p.behind && all.isEmpty())
                all = everything(now);
            p.socket->sendTextMessage(p.behind ? all : changed);
            p.behind = false;
        }
    }

    const QString m_hall;
    QWebSocketServer *m_live;
    QHttpServer *m_server;
    Pacer m_pacer;
    std::vector<Page> m_pages;
    std::map<int, Entry> m_table;
    Coalescer m_incoming;
    std::atomic<quint64> m_dropped{0};
    quint64 m_droppedSent = 0;
    std::atomic<bool> m_posted{false};
};

namespace {

// The feed is made, run and destroyed on this thread alone.
class FeedThread : public QThread {
public:
    FeedThread(const QString &hall, std::promise<SpectatorFeed *> &made) : m_hall(hall), m_made(made) {}

protected:
    void run() override
    {
        SpectatorFeed feed(m_hall);
        m_made.set_value(&feed);
        exec();
    }

private:
    const QString m_hall;
    std::promise<SpectatorFeed *> &m_made;
};

} // namespace

SpectatorServer::SpectatorServer(const QString &hall, QObject *parent) : QObject(parent)
{
    std::promise<SpectatorFeed *> made;
    m_thread = new FeedThread(hall, made);
    m_thread->setObjectName(QStringLiteral("tilskuere"));
    m_thread->start();
    m_feed = made.get_future().get();
}

SpectatorServer::~SpectatorServer()
{
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

QString SpectatorServer::listen(const QHostAddress &address, int port)
{
    QString why;
    int got = 0;
    QMetaObject::invokeMethod(
        m_feed, [&] { got = m_feed->listen(address, port, &why); }, Qt::BlockingQueuedConnection);
    if (!got)
        return why;
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

void SpectatorServer::offer(const Arrival *arrival, quint64 dropped)
{
    m_feed->offer(arrival, dropped);
}

} // namespace hall
