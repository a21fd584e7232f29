#include "publisher.h"

#include "link.h"
#include "message.h"

#include <QRandomGenerator>

namespace hall {

Publisher::Publisher(const JoinChoice &choice, QObject *parent) : QObject(parent), m_choice(choice)
{
    LinkConfig config;
    config.host = choice.host;
    config.port = choice.port;
    config.username = QString::number(choice.board);
    config.password = choice.code;
    // Our own name at the broker: two clocks that claim one board must not throw each other out.
    config.clientId = QStringLiteral("partivakt-%1-%2-%3")
                          .arg(choice.hall)
                          .arg(choice.board)
                          .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    config.publishTopic = boardTopic(choice.hall, choice.board);
    config.willTopic = config.publishTopic;
    config.willPayload = goneMessage(choice.hall, choice.board);
    m_note = QStringLiteral("Kobler til turneringssalen %1 på %2:%3 …").arg(choice.hall, choice.host).arg(choice.port);
    m_link = new Link(config, this);
    connect(m_link, &Link::statusChanged, this, [this](LinkStatus status, const QString &detail) {
        QString note;
        const QString where = QStringLiteral("%1:%2").arg(m_choice.host).arg(m_choice.port);
        switch (status) {
        case LinkStatus::Connected:
            break;
        case LinkStatus::Connecting:
            // A reconnection keeps the note of why it was needed.
            return;
        case LinkStatus::Unreachable:
            note = QStringLiteral("Turneringssalen på %1 svarer ikke (%2); prøver igjen.").arg(where, detail);
            break;
        case LinkStatus::Refused:
            note = QStringLiteral("Turneringssalen på %1 godtok ikke brett %2 med denne koden; prøver igjen.")
                       .arg(where)
                       .arg(m_choice.board);
            break;
        case LinkStatus::Missing:
            note = QStringLiteral("Klokka kan ikke være med i turneringssalen: %1.").arg(detail);
            break;
        }
        if (note == m_note)
            return;
        m_note = note;
        Q_EMIT noteChanged(note);
    });
}

Publisher::~Publisher() = default;

bool Publisher::publish(BoardState state, qint64 nowMs, Send send)
{
    state.board = m_choice.board;
    state.hall = m_choice.hall;
    if (send == Send::IfNews && m_sent && !worthSending(*m_sent, state, nowMs - m_sentMs))
        return false;
    state.seq = ++m_seq;
    m_sent = state;
    m_sentMs = nowMs;
    m_link->publish([state = std::move(state)] { return encode(state); });
    return true;
}

} // namespace hall
