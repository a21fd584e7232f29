#pragma once

#include <cstddef>

namespace gameclock {

// One of the two players: A sits on the left of the window, B on the right.
enum class Player : unsigned char { A, B };

inline constexpr Player kPlayers[] = {Player::A, Player::B};

constexpr Player other(Player p)
{
    return p == Player::A ? Player::B : Player::A;
}

// The player's place in a pair of values, A first.
constexpr std::size_t at(Player p)
{
    return p == Player::A ? 0 : 1;
}

constexpr Player playerOf(bool playerA)
{
    return playerA ? Player::A : Player::B;
}

} // namespace gameclock
