#pragma once

#include <QString>

#include <optional>

namespace hall {

// The hall a clock joins, as the user chose it in "Turnering...": kept per user with the other
// preferences and taken up by the next start.
struct JoinChoice {
    QString host;
    int port = 1883;
    QString hall;
    int board = 0;
    QString code; // the hall's join code: the board's password at the broker
    bool joined = false;
    bool operator==(const JoinChoice &) const = default;
};

inline constexpr int kMaxCodeLength = 64;

// Why the choice cannot be joined, in Norwegian and naming the field, or nothing.
std::optional<QString> whyNotJoinable(const JoinChoice &choice);

// Reads nothing when the user never kept a preference.
JoinChoice loadJoinChoice();
// Returns why it could not be kept, or an empty text.
QString saveJoinChoice(const JoinChoice &choice);

} // namespace hall
