// The speech module: speech-dispatcher, through libspeechd, behind the clock's narrow interface.
// Runs on the speaker's thread, never on the clock's.
//
// libspeechd rather than Qt TextToSpeech: a screen reader speaks through the same service, and Qt
// 6.4's speech-dispatcher engine can only cancel everyone's speech (CANCEL ALL), the screen
// reader's with the clock's. Here the clock cancels its own messages only (CANCEL SELF).

#include "engine.h"

#include <libspeechd.h>

#include <QByteArray>
#include <QList>

#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

// libspeechd's notifications name the message but not the connection: they go to the one engine
// of the process.
std::mutex g_noticeMutex;
std::function<void(int, speech::Engine::Notice)> g_notice;

void noticed(size_t message, size_t /*client*/, SPDNotificationType type)
{
    const std::lock_guard lock(g_noticeMutex);
    if (g_notice)
        g_notice(int(message), type == SPD_EVENT_BEGIN ? speech::Engine::Notice::Began : speech::Engine::Notice::Ended);
}

const QString kService = QStringLiteral("speech-dispatcher");

// The language code to ask for, from the lines "249-name<TAB>language<TAB>variant" of the voice
// list: Bokmål first, else Norwegian as the voices name it, else Nynorsk; empty without any.
QByteArray norwegianIn(const char *reply)
{
    QByteArray language;
    const QByteArray lines = QByteArray(reply ? reply : "");
    for (const QByteArray &line : lines.split('\n')) {
        if (!line.startsWith("249-"))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 2)
            continue;
        const QByteArray tag = fields[1].trimmed().toLower();
        const qsizetype dash = tag.indexOf('-');
        const QByteArray code = dash < 0 ? tag : tag.left(dash);
        if (code == "nb")
            return code;
        if ((code == "no" && language != "no") || (code == "nn" && language.isEmpty()))
            language = code;
    }
    return language;
}

class SpeechDispatcherEngine : public speech::Engine {
public:
    SpeechDispatcherEngine() { m_unavailable = open(); }

    ~SpeechDispatcherEngine() override
    {
        close();
        const std::lock_guard lock(g_noticeMutex);
        g_notice = nullptr;
    }

    QString unavailableReason() const override { return m_unavailable; }

    int say(const QString &text) override
    {
        // Without speech from the start there is nothing to try; that was said once already.
        if (!m_unavailable.isEmpty())
            return -1;
        if (!m_connection) {
            // The service went away; it may be back (a desktop starts speech-dispatcher again on demand).
            if (const QString why = open(); !why.isEmpty()) {
                fail(why);
                return -1;
            }
        }
        // The newest request is the one that counts: a time read out late is a wrong time. Only the
        // clock's own sentence goes; a screen reader's stays.
        spd_cancel(m_connection);
        // "message": never cuts the screen reader's speech, waits at most for its utterance under way
        // (the echo of the key, a line), and is not cut by what the screen reader says after it,
        // as "text" would be. "important" would cut the screen reader.
        const int id = spd_say(m_connection, SPD_MESSAGE, text.toUtf8().constData());
        if (id < 0) {
            close();
            fail(QStringLiteral("Talen virker ikke lenger: taletjenesten (%1) svarer ikke.").arg(kService));
        }
        return id;
    }

    void stop() override
    {
        if (m_connection)
            spd_cancel(m_connection);
    }

    void setNoticeHandler(std::function<void(int, Notice)> handler) override
    {
        const std::lock_guard lock(g_noticeMutex);
        g_notice = std::move(handler);
    }

    void setRate(double rate) override
    {
        m_rate = rate;
        if (m_connection)
            spd_set_voice_rate(m_connection, int(std::lround(rate * 100)));
    }

    void setFailureHandler(std::function<void(const QString &)> handler) override { m_failed = std::move(handler); }

private:
    // Connects to the speech service and chooses Norwegian; empty when that worked, else why not,
    // for the user.
    QString open()
    {
        close();
        char *error = nullptr;
        // The address from SPEECHD_ADDRESS or the user's default; a desktop's service is started
        // on demand.
        SPDConnection *connection = spd_open2("partivakt", "clock", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
        std::free(error);
        if (!connection)
            return QStringLiteral("Tale er ikke tilgjengelig: taletjenesten svarer ikke (%1).").arg(kService);
        // The service's list of every voice, read here in one pass: libspeechd's own reader goes back
        // over the reply for each of espeak-ng's thirteen thousand voices (a second more, minutes
        // under a sanitizer).
        char *reply = spd_send_data(connection, "LIST SYNTHESIS_VOICES\r\n", SPD_WAIT_REPLY);
        const QByteArray language = norwegianIn(reply);
        std::free(reply);
        if (language.isEmpty()) {
            spd_close(connection);
            return QStringLiteral("Tale er ikke tilgjengelig: taletjenesten (%1) har ingen norsk stemme "
                                  "(installer espeak-ng).")
                .arg(kService);
        }
        spd_set_language(connection, language.constData());
        spd_set_voice_rate(connection, int(std::lround(m_rate * 100)));
        connection->callback_begin = noticed;
        connection->callback_end = noticed;
        connection->callback_cancel = noticed;
        spd_set_notification_on(connection, SPD_BEGIN);
        spd_set_notification_on(connection, SPD_END);
        spd_set_notification_on(connection, SPD_CANCEL);
        m_connection = connection;
        return {};
    }

    void close()
    {
        if (m_connection)
            spd_close(m_connection);
        m_connection = nullptr;
    }

    void fail(const QString &why)
    {
        if (m_failed)
            m_failed(why);
    }

    SPDConnection *m_connection = nullptr;
    QString m_unavailable;
    double m_rate = 0;
    std::function<void(const QString &)> m_failed;
};

} // namespace

extern "C" Q_DECL_EXPORT speech::Engine *partivakt_speech_create(int interfaceVersion)
{
    if (interfaceVersion != speech::kEngineInterfaceVersion)
        return nullptr;
    return new SpeechDispatcherEngine;
}
