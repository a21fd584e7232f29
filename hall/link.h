#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace hall {

// One MQTT connection to a broker, run on a thread of its own: connecting, sending, receiving and
// reconnecting with back-off all happen there, so that the thread that owns the link never waits for
// the network (not at the start, not at a publish, not at the end).
struct LinkConfig {
    QString host;
    int port = 1883;
    QString username, password; // none when empty
    QString clientId;
    // Published by the broker, retained, when the connection ends without a goodbye.
    QString willTopic;
    QByteArray willPayload;
    // What publish() sends to, retained; and what the link subscribes to (each may be empty).
    QString publishTopic;
    QString subscription;
    int keepAliveSeconds = 5;
    // Each message received, handed over on the link's own thread as it arrives: whoever reads a
    // busy hall decodes it there, and the thread that owns the link never waits for the network.
    std::function<void(const QString &topic, const QByteArray &payload)> receive;
};

enum class LinkStatus {
    Connecting,
    Connected,   // the broker accepted us
    Unreachable, // no answer, or the connection was lost: tried again after a pause
    Refused,     // the broker refused our name or password: tried again after a pause
    Missing      // the network module is missing or does not fit: nothing more is tried
};

class Link : public QObject {
    Q_OBJECT
public:
    explicit Link(const LinkConfig &config, QObject *parent = nullptr);
    // Tells the thread to end and leaves it to do so: nothing here waits. The connection is dropped
    // without a goodbye, so that the broker publishes the will.
    ~Link() override;

    // Sends a message to the publish topic, retained, written by message() on the link's own thread
    // when it goes out: the caller's thread only hands it over. A message not yet sent is replaced by
    // the next, unwritten; after a reconnection the latest one is sent again.
    void publish(std::function<QByteArray()> message);
    LinkStatus status() const { return m_status; }
    QString statusDetail() const { return m_detail; }

Q_SIGNALS:
    void statusChanged(hall::LinkStatus status, const QString &detail);

private:
    void setStatus(LinkStatus status, const QString &detail);

    std::shared_ptr<struct LinkShared> m_shared;
    LinkStatus m_status = LinkStatus::Connecting;
    QString m_detail;
};

} // namespace hall
