#include "backupwriter.h"

#include <atomic>
#include <chrono>

namespace gameclock {

namespace {
std::atomic<BackupWriter::Mode> g_defaultMode{BackupWriter::Mode::Background};
}

BackupWriter::Mode BackupWriter::defaultMode()
{
    return g_defaultMode.load();
}

void BackupWriter::setDefaultMode(Mode mode)
{
    g_defaultMode.store(mode);
}

BackupWriter::BackupWriter(const QString &file, Mode mode, QObject *parent)
    : QObject(parent), m_file(file), m_mode(mode)
{
    if (m_mode == Mode::Background)
        m_worker = std::thread([this] { run(); });
}

BackupWriter::~BackupWriter()
{
    if (!m_worker.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void BackupWriter::write(const gamefiles::GameValues &values)
{
    if (m_mode == Mode::Immediate) {
        Q_EMIT written(gamefiles::writeGameFile(m_file, values));
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_pending = values;
    }
    m_wake.notify_all();
}

bool BackupWriter::waitForIdle(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_pending && !m_busy; });
}

void BackupWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending; });
        if (!m_pending)
            return; // stopping, with nothing left to write
        const gamefiles::GameValues values = *m_pending;
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        const std::optional<gamefiles::FileError> error = gamefiles::writeGameFile(m_file, values);
        // A second good write in a row tells the owner nothing new, and waking its thread every
        // second costs more than the write: only a change of outcome is delivered, on the owner's
        // thread, and dropped if the owner is gone by then.
        const QString outcome = error ? error->message() : QString();
        if (!m_reported || outcome != *m_reported) {
            m_reported = outcome;
            QMetaObject::invokeMethod(
                this, [this, error] { Q_EMIT written(error); }, Qt::QueuedConnection);
        }
        lock.lock();
        m_busy = false;
        if (!m_pending)
            m_idle.notify_all();
    }
}

} // namespace gameclock
