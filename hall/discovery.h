#pragma once

#include <QObject>
#include <QString>

// The hall on the local network by DNS-SD, through the desktop's Avahi daemon: the overview
// announces its hall, a clock's "Turnering..." lists what it finds. Avahi's work runs on its own
// thread; where no daemon runs, each says so once and does nothing more.
namespace hall {

inline constexpr char kServiceType[] = "_partivakt._tcp";

struct FoundHall {
    QString service; // the DNS-SD instance name
    QString hall;    // from the text record
    QString host;    // an address to connect to
    int port = 0;    // the broker's
    bool operator==(const FoundHall &) const = default;
};

class HallFinder : public QObject {
    Q_OBJECT
public:
    explicit HallFinder(QObject *parent = nullptr);
    ~HallFinder() override;
    struct Private;

Q_SIGNALS:
    void found(const hall::FoundHall &hall);
    void lost(const QString &service);
    // Nothing will be found: why, in Norwegian (no Avahi daemon, no system bus).
    void unavailable(const QString &why);

private:
    Private *d;
};

class HallAnnouncer : public QObject {
    Q_OBJECT
public:
    // Announces the hall's broker at port; webPort, when not 0, goes into the text record too.
    HallAnnouncer(const QString &hall, int port, int webPort, QObject *parent = nullptr);
    ~HallAnnouncer() override;
    struct Private;

Q_SIGNALS:
    void announced(const QString &service);
    void unavailable(const QString &why);

private:
    Private *d;
};

} // namespace hall
