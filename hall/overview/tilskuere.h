#pragma once

#include "feed.h"

#include <QHostAddress>
#include <QObject>
#include <QThread>

namespace hall {

class SpectatorFeed;

// The spectators' page: one self-contained page (nothing loaded from elsewhere) that shows the
// hall's live table in any browser, read only, kept up to date over a WebSocket. Qt 6.4's HTTP
// server as Debian 12 builds it never hands over an upgraded connection, so the WebSocket has a
// server and a port of its own, which the page is given.
//
// It serves from a thread of its own with a table of its own, so that the window drawing a thousand
// rows never holds a spectator's update back: each board's update is written once, and the boards
// that changed go out together to every page at most every 100 ms.
class SpectatorServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kBatchMs = 100;
    // A page whose connection holds this much unsent is skipped until it drains, then sent the
    // whole hall afresh: a phone on a poor network never makes the overview hoard its updates.
    static constexpr qint64 kBehindBytes = 1 << 20;

    explicit SpectatorServer(const QString &hall, QObject *parent = nullptr);
    // Closes every page and ends the thread.
    ~SpectatorServer() override;

    // Listens on address:port (port 0: a free one). Returns why not, in Norwegian.
    QString listen(const QHostAddress &address, int port);
    int port() const { return m_port; }
    // What a phone on the hall's network opens.
    QString address() const;
    // A board as it arrived, or none for a message dropped; dropped: the overview's count of bad
    // messages. From any thread.
    void offer(const Arrival *arrival, quint64 dropped);

private:
    QThread *m_thread;
    SpectatorFeed *m_feed; // made, run and destroyed on m_thread
    int m_port = 0;
    QHostAddress m_address;
};

} // namespace hall
