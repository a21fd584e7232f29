#include "linkshared.h"
#include "netmodule.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <pthread.h>
#include <thread>

namespace hall {

namespace {

// What the callbacks, which run on the link's thread, need.
struct Session {
    LinkShared *shared;
    const LinkConfig *config;
    bool accepted = false;
    int refusal = 0; // the broker's CONNACK code, when it refused
};

void onConnect(mosquitto *m, void *data, int rc)
{
    auto *s = static_cast<Session *>(data);
    if (rc != 0) {
        s->refusal = rc;
        return;
    }
    s->accepted = true;
    if (!s->config->subscription.isEmpty())
        mosquitto_subscribe(m, nullptr, s->config->subscription.toUtf8().constData(), 0);
    // The broker may have lost the retained state while we were away (a restart): the latest again.
    const std::lock_guard lock(s->shared->mutex);
    if (!s->shared->pending && !s->shared->latest.isEmpty())
        s->shared->pending = [latest = s->shared->latest] { return latest; };
}

void onMessage(mosquitto *, void *data, const mosquitto_message *message)
{
    auto *s = static_cast<Session *>(data);
    const std::lock_guard lock(s->shared->receiving);
    if (s->config->receive && !s->shared->stop)
        s->config->receive(QString::fromUtf8(message->topic),
                           QByteArray(static_cast<const char *>(message->payload), message->payloadlen));
}

QString refusalText(int code)
{
    switch (code) {
    case 4:
    case 5:
        return QStringLiteral("ikke godkjent");
    default:
        return QStringLiteral("avvist (%1)").arg(code);
    }
}

// Waits up to ms, or until the link is told to stop; a publish meanwhile does not end the wait.
void pause(LinkShared &shared, int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!shared.stop) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return;
        pollfd fd{shared.wake, POLLIN, 0};
        if (::poll(&fd, 1, int(left)) > 0) {
            quint64 n;
            [[maybe_unused]] const ssize_t r = ::read(shared.wake, &n, sizeof n);
        }
    }
}

void sendPending(mosquitto *m, LinkShared &shared, const QByteArray &topic)
{
    // Only onto an empty queue: what waits for a slow network is replaced, not queued behind.
    if (topic.isEmpty() || mosquitto_want_write(m))
        return;
    std::function<QByteArray()> message;
    {
        const std::lock_guard lock(shared.mutex);
        message.swap(shared.pending);
    }
    if (!message)
        return;
    const QByteArray payload = message();
    {
        const std::lock_guard lock(shared.mutex);
        shared.latest = payload;
    }
    mosquitto_publish(m, nullptr, topic.constData(), int(payload.size()), payload.constData(), 0, true);
}

} // namespace

void runMqttLink(std::shared_ptr<LinkShared> shared, LinkConfig config)
{
    pthread_setname_np(pthread_self(), "turnering");
    static std::once_flag initialised;
    std::call_once(initialised, [] { mosquitto_lib_init(); });
    Session session{shared.get(), &config};
    mosquitto *m = mosquitto_new(config.clientId.toUtf8().constData(), true, &session);
    if (!m) {
        shared->report(LinkStatus::Unreachable, QStringLiteral("MQTT-klienten kan ikke lages"));
        return;
    }
    mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!config.username.isEmpty())
        mosquitto_username_pw_set(m, config.username.toUtf8().constData(),
                                  config.password.isEmpty() ? nullptr : config.password.toUtf8().constData());
    if (!config.willTopic.isEmpty())
        mosquitto_will_set(m, config.willTopic.toUtf8().constData(), int(config.willPayload.size()),
                           config.willPayload.constData(), 1, true);
    mosquitto_connect_callback_set(m, onConnect);
    mosquitto_message_callback_set(m, onMessage);

    const QByteArray host = config.host.toUtf8();
    const QByteArray publishTopic = config.publishTopic.toUtf8();
    constexpr int kFirstPauseMs = 250, kLongestPauseMs = 2000;
    int pauseMs = kFirstPauseMs;
    bool tried = false;
    while (!shared->stop) {
        shared->report(LinkStatus::Connecting, {});
        session.accepted = false;
        session.refusal = 0;
        // A blocking connect, on this thread only; the host may be a name to look up.
        const int rc = tried ? mosquitto_reconnect(m)
                             : mosquitto_connect(m, host.constData(), config.port, config.keepAliveSeconds);
        tried = true;
        if (rc != MOSQ_ERR_SUCCESS) {
            shared->report(LinkStatus::Unreachable,
                           QString::fromUtf8(rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc)));
            pause(*shared, pauseMs);
            pauseMs = std::min(2 * pauseMs, kLongestPauseMs);
            continue;
        }
        bool announced = false;
        QString lost = QStringLiteral("forbindelsen ble brutt");
        while (!shared->stop) {
            const int sock = mosquitto_socket(m);
            if (sock < 0)
                break;
            pollfd fds[2] = {{sock, short(POLLIN | (mosquitto_want_write(m) ? POLLOUT : 0)), 0},
                             {shared->wake, POLLIN, 0}};
            // Woken by the network or a message to send; otherwise only as often as the keep-alive
            // needs, which a clock sending once a second never does.
            if (::poll(fds, 2, config.keepAliveSeconds * 500) < 0 && errno != EINTR)
                break;
            if (fds[1].revents & POLLIN) {
                quint64 n;
                [[maybe_unused]] const ssize_t r = ::read(shared->wake, &n, sizeof n);
            }
            if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) && mosquitto_loop_read(m, 8) != MOSQ_ERR_SUCCESS)
                break;
            if (session.refusal)
                break;
            if (session.accepted && !announced) {
                announced = true;
                pauseMs = kFirstPauseMs;
                shared->report(LinkStatus::Connected, {});
            }
            if (session.accepted)
                sendPending(m, *shared, publishTopic);
            if (mosquitto_want_write(m) && mosquitto_loop_write(m, 8) != MOSQ_ERR_SUCCESS)
                break;
            if (mosquitto_loop_misc(m) != MOSQ_ERR_SUCCESS) {
                lost = QStringLiteral("ingen svar");
                break;
            }
        }
        if (shared->stop)
            break;
        if (session.refusal)
            shared->report(LinkStatus::Refused, refusalText(session.refusal));
        else
            shared->report(LinkStatus::Unreachable, lost);
        // Dropped, not disconnected: a lost connection is the broker's to notice.
        pause(*shared, pauseMs);
        pauseMs = std::min(2 * pauseMs, kLongestPauseMs);
    }
    // Freed without a DISCONNECT: the socket closes and the broker publishes the will.
    mosquitto_destroy(m);
}

} // namespace hall
