#pragma once

// A tiny web server on 127.0.0.1 for the browser tests. Every path gives a page titled "Side"
// followed by the path, except the titles set with setTitle; a path starting with "/henger" is
// never answered, so its page stays loading.

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class PageServer : public QObject {
public:
    PageServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool isListening() const { return m_server.isListening(); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    void setTitle(const QString &path, const QString &title) { m_titles.insert(path, title); }
    QString title(const QString &path) const { return m_titles.value(path, QStringLiteral("Side ") + path); }
    // The paths asked for, in order, without the browser's icon requests.
    QStringList requests() const { return m_requests; }

    // An address on this machine where nothing listens.
    static QString unreachableUrl()
    {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const quint16 port = closed.serverPort();
        closed.close();
        return QStringLiteral("http://127.0.0.1:%1/borte").arg(port);
    }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        m_pending.remove(socket);
        const QString path =
            requestLine.value(1).isEmpty() ? QStringLiteral("/") : QString::fromUtf8(requestLine.value(1));
        if (path == QLatin1String("/favicon.ico")) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        m_requests.append(path);
        if (path.startsWith(QLatin1String("/henger")))
            return; // held open, never answered
        const QByteArray body =
            QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head><body><p>%2</p></body></html>")
                .arg(title(path).toHtmlEscaped(), path.toHtmlEscaped())
                .toUtf8();
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n"
                      "Connection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, QString> m_titles;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QStringList m_requests;
};

// Runs the event loop until pred holds or timeoutMs has passed; true if it holds. The engine does
// much of its work in tasks on this thread, so the loop must run freely: waiting by short sleeps
// between rounds of events (as QTest::qWaitFor does) slows every page load to seconds.
template <typename Pred> bool waitUntil(Pred pred, int timeoutMs)
{
    // Windows the test closed are deleted later, which a nested loop does not do for it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (pred())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pred())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(2);
    loop.exec();
    return pred();
}
