#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace hall {

// A private Mosquitto for a hall whose club runs no broker: started by the overview on a port it
// picks, with a password file and an access list it writes. Each board 1 to 999 is a user whose
// password is the hall's join code and who may write only its own board's topic; the overview's
// own user reads the hall; nobody else, anonymous or not, gets anything. A broker that ends during
// play is started again on its port. It ends with the overview, also when the overview is killed.
class PrivateBroker : public QObject {
    Q_OBJECT
public:
    struct Config {
        QString hall;
        QString code;
        int port = 0;    // 0: a free one
        QString bind;    // empty: every interface, so that the hall's clocks reach it
        QString program; // empty: mosquitto from the PATH or /usr/sbin
    };
    explicit PrivateBroker(const Config &config, QObject *parent = nullptr);
    ~PrivateBroker() override;

    // Starts the broker and waits (a bounded time) until it listens. Returns why not, in Norwegian.
    QString start();
    int port() const { return m_port; }
    QString overviewUser() const { return QStringLiteral("partivakt-oversikt"); }
    QString overviewPassword() const { return m_overviewPassword; }
    QString logText() const;

Q_SIGNALS:
    // The broker ended by itself (killed, crashed), in Norwegian; it is started again a second later.
    void ended(const QString &why);

private:
    QString writeFiles();

    Config m_config;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_overviewPassword;
    bool m_stopping = false;
};

} // namespace hall
