#pragma once

#include "link.h"

#include <QByteArray>

#include <atomic>
#include <functional>
#include <mutex>
#include <unistd.h>

namespace hall {

// What a Link and the thread running its connection share; the thread may outlive the Link.
struct LinkShared {
    std::mutex mutex;
    std::function<QByteArray()> pending;
    QByteArray latest; // written on the link's thread
    std::atomic<bool> stop{false};
    // Held while a message is handed over: once the link is destroyed, no receiver runs.
    std::mutex receiving;
    int wake = -1;
    Link *receiver = nullptr; // cleared by the link's destructor: nothing is reported after
    // Tells the Link, if it is still there, on its own thread.
    std::function<void(LinkStatus status, const QString &detail)> report;

    ~LinkShared()
    {
        if (wake >= 0)
            ::close(wake);
    }

    void poke() const
    {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    }
};

} // namespace hall
