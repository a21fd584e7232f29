#pragma once

#include "boardstate.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The hall's messages on the wire: one MQTT topic per hall and board, partivakt/<hall>/board/<n>,
// each holding the board's latest state as a JSON object with a version field (docs/hall.md).
namespace hall {

inline constexpr int kVersion = 1;
// Far above a board's message (about 300 bytes with long names): anything larger is not ours.
inline constexpr qsizetype kMaxMessageBytes = 4096;
inline constexpr qint64 kMaxTimeMs = 100LL * 3600 * 1000; // a hundred hours, either way
inline constexpr int kMaxMoves = 9999;
inline constexpr int kMaxTextLength = 100;
inline constexpr qint64 kMaxSeq = (1LL << 53); // exact in a JSON number

// A hall's name is part of every topic and of its DNS-SD service: 1 to 40 of A-Z, a-z, 0-9, - and _.
bool validHallName(const QString &name);
QString boardTopic(const QString &hall, int board);
// Every board of the hall, for a subscription.
QString hallFilter(const QString &hall);

QByteArray encode(const BoardState &state);
// The will: what the broker publishes for a board whose clock vanished.
QByteArray goneMessage(const QString &hall, int board);

enum class Reject : unsigned char { NotJson, TooLarge, UnknownVersion, OtherHall, Absurd };
inline constexpr std::size_t kRejectKinds = 5;
// The kind in Norwegian, for the overview's counter.
QString rejectText(Reject reason);

struct Decoded {
    std::optional<BoardState> state; // the board, when the message was accepted
    Reject reason = Reject::NotJson;
    QString detail; // which field, for a log
};

// Reads a message that came on topic for the hall given. Refuses anything it cannot vouch for:
// not JSON, larger than the bound, another version, another hall (in the topic or the body), or a
// value no clock could send (a board out of 1 to 999 or not the topic's, a time beyond a hundred
// hours, both flags first, a running game with nobody on move...).
Decoded decode(const QString &topic, const QByteArray &payload, const QString &hall);

// Dropped messages, counted by kind.
struct RejectCounts {
    std::array<quint64, kRejectKinds> byKind{};
    void add(Reject reason) { ++byKind[std::size_t(reason)]; }
    quint64 total() const;
    QString text() const; // "3 (ikke JSON 2, annen sal 1)"
};

} // namespace hall
