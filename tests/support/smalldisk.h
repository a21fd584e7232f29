#pragma once

// A file system of a few KiB of its own (a tmpfs mounted in a temporary directory), which a test
// fills up so that the kernel itself refuses the next write with ENOSPC. Mounting needs root; where
// it is not allowed the test skips with the reason.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class SmallDisk {
public:
    explicit SmallDisk(int kib = 64)
    {
        if (!m_dir.isValid()) {
            m_why = QStringLiteral("no temporary directory");
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
            m_why = QStringLiteral("mounting a tmpfs is not allowed here (%1); run as root to test a full disk")
                        .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        m_mounted = true;
    }
    ~SmallDisk()
    {
        makeRoom();
        // Detached even when a test left its working directory inside.
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString whyNot() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free byte, until the kernel says ENOSPC even for one more.
    bool fill()
    {
        const QByteArray filler = QFile::encodeName(file(QStringLiteral("fyll")));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        // Down to single bytes, so that not even the tail of a page is left.
        for (qsizetype size = block.size(); size > 0; size /= 2) {
            ssize_t n = 0;
            do
                n = ::write(fd, block.constData(), size_t(size));
            while (n == size);
            if (n < 0 && errno != ENOSPC) {
                ::close(fd);
                return false;
            }
        }
        ::close(fd);
        return true;
    }
    // Remounts the file system read-only, or writable again.
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return m_mounted && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", flags, nullptr) == 0;
    }
    // Gives the space back.
    void makeRoom()
    {
        if (m_mounted)
            QFile::remove(file(QStringLiteral("fyll")));
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};
