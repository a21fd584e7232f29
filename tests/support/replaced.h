#pragma once

#include <functional>
#include <utility>

namespace support {

// Replaces a process-wide service (the time source, the program starter or ender, the backup
// writer's mode, ...) for as long as the guard lives, and puts the program's own back when it
// goes: also when a check fails half-way and the test function returns early.
class Replaced {
public:
    template <typename Set, typename Value, typename Restore>
    Replaced(Set set, Value value, Restore restore) : m_restore([set, restore] { set(restore); })
    {
        set(std::move(value));
    }
    ~Replaced() { m_restore(); }
    Replaced(const Replaced &) = delete;
    Replaced &operator=(const Replaced &) = delete;

private:
    std::function<void()> m_restore;
};

} // namespace support
