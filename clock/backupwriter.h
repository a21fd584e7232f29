#pragma once

#include "gamefiles/linefiles.h"

#include <QObject>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace gameclock {

// Writes the backup file for the clock. A safe write waits for the disk (several milliseconds on
// a slow one), which the one-second tick should not: in the background mode the write runs on a
// worker thread, newer values replace a write still waiting, and the outcome comes back to the
// owner's thread as a signal.
class BackupWriter : public QObject {
    Q_OBJECT
public:
    enum class Mode { Background, Immediate };

    explicit BackupWriter(const QString &file, Mode mode = defaultMode(), QObject *parent = nullptr);
    // Finishes the write under way and the one waiting, so that the last second is on disk.
    ~BackupWriter() override;

    void write(const gamefiles::GameValues &values);
    // True when every write asked for so far has reached the file (or failed).
    bool waitForIdle(int timeoutMs);

    Mode mode() const { return m_mode; }
    // Tests in virtual time want each tick's file written before the tick returns.
    static Mode defaultMode();
    static void setDefaultMode(Mode mode);

Q_SIGNALS:
    // The outcome of a write: in the background mode for the first write and then only when it
    // differs from the last one delivered (a failure, a different failure, success again).
    void written(const std::optional<gamefiles::FileError> &error);

private:
    void run();

    const QString m_file;
    const Mode m_mode;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<gamefiles::GameValues> m_pending;
    std::optional<QString> m_reported; // the worker's last delivered outcome, empty for success
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_worker;
};

} // namespace gameclock
