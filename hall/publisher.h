#pragma once

#include "boardstate.h"
#include "joinchoice.h"

#include <QObject>

namespace hall {

class Link;

// A clock's board in its hall: every state handed to publish() goes out, retained, on the board's
// topic, from the link's own thread; a will marks the board gone when the clock vanishes. Nothing
// here waits for the network.
class Publisher : public QObject {
    Q_OBJECT
public:
    Publisher(const JoinChoice &choice, QObject *parent = nullptr);
    ~Publisher() override;

    // Fills in the board, the hall and the sequence number, and sends the state.
    void publish(BoardState state);
    const JoinChoice &choice() const { return m_choice; }
    // Why the hall cannot be reached now, in Norwegian; empty while connected.
    QString note() const { return m_note; }

Q_SIGNALS:
    void noteChanged(const QString &note);

private:
    JoinChoice m_choice;
    Link *m_link;
    quint64 m_seq = 0;
    QString m_note;
};

} // namespace hall
