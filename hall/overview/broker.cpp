#include "broker.h"

#include "hall/message.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace hall {

namespace {

QString randomSecret()
{
    QString secret;
    for (int i = 0; i < 24; ++i)
        secret += QLatin1Char("abcdefghijkmnpqrstuvwxyz23456789"[QRandomGenerator::system()->bounded(32)]);
    return secret;
}

int freePort(const QString &bind)
{
    QTcpServer probe;
    if (!probe.listen(bind.isEmpty() ? QHostAddress::Any : QHostAddress(bind), 0))
        return 0;
    return probe.serverPort();
}

// The broker's files live only as long as the overview, in its private folder: nothing durable, so
// no synced replacement, but every write is checked.
QString write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        return QStringLiteral("%1 kan ikke skrives: %2").arg(path, file.errorString());
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return {};
}

} // namespace

PrivateBroker::PrivateBroker(const Config &config, QObject *parent)
    : QObject(parent), m_config(config), m_overviewPassword(randomSecret())
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The broker ends with the overview, also when the overview is killed.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus) {
        if (m_stopping)
            return;
        Q_EMIT ended(QStringLiteral("Megleren stoppet (status %1); startes igjen.").arg(code));
        // Killed or crashed during play: started again on the same port, where the clocks find it.
        QTimer::singleShot(1000, this, [this] {
            if (!m_stopping && m_process.state() == QProcess::NotRunning)
                m_process.start(m_process.program(), m_process.arguments());
        });
    });
}

PrivateBroker::~PrivateBroker()
{
    m_stopping = true;
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
    }
}

QString PrivateBroker::writeFiles()
{
    if (!m_dir.isValid())
        return QStringLiteral("Finner ingen mappe for megleren: %1").arg(m_dir.errorString());
    // Every board's user with the join code, hashed by Mosquitto's own tool (-U) before the broker
    // reads the file; the plain file lives only in our private folder, for that moment.
    QByteArray users;
    for (int board = 1; board <= kMaxBoard; ++board)
        users += QByteArray::number(board) + ':' + m_config.code.toUtf8() + '\n';
    users += overviewUser().toUtf8() + ':' + m_overviewPassword.toUtf8() + '\n';
    const QString passwords = m_dir.filePath(QStringLiteral("passwd"));
    if (QString why = write(passwords, users); !why.isEmpty())
        return why;
    QString tool = QStandardPaths::findExecutable(QStringLiteral("mosquitto_passwd"));
    if (tool.isEmpty())
        tool = QStandardPaths::findExecutable(QStringLiteral("mosquitto_passwd"), {QStringLiteral("/usr/bin")});
    if (tool.isEmpty())
        return QStringLiteral("Finner ikke mosquitto_passwd (pakken mosquitto).");
    QProcess hash;
    hash.start(tool, {QStringLiteral("-U"), passwords});
    if (!hash.waitForFinished(30000) || hash.exitCode() != 0)
        return QStringLiteral("mosquitto_passwd kunne ikke lage passordfila: %1")
            .arg(QString::fromLocal8Bit(hash.readAllStandardError()));
    const QByteArray prefix = "partivakt/" + m_config.hall.toUtf8();
    const QByteArray acl = "user " + overviewUser().toUtf8() + "\ntopic read " + prefix +
                           "/#\n\n"
                           "# Each board's user writes its own board and nothing else.\n"
                           "pattern write " +
                           prefix + "/board/%u\n";
    if (QString why = write(m_dir.filePath(QStringLiteral("acl")), acl); !why.isEmpty())
        return why;
    QByteArray conf = "per_listener_settings false\nallow_anonymous false\npersistence false\n"
                      "password_file " +
                      passwords.toUtf8() + "\nacl_file " + m_dir.filePath(QStringLiteral("acl")).toUtf8() +
                      "\nlog_dest stdout\nlog_type error\nlog_type warning\nlog_type notice\n"
                      "listener " +
                      QByteArray::number(m_port) + (m_config.bind.isEmpty() ? "" : " " + m_config.bind.toUtf8()) + "\n";
    // Started as root, Mosquitto would become the user "mosquitto", who cannot read our folder.
    if (const passwd *me = ::getpwuid(::getuid()))
        conf += "user " + QByteArray(me->pw_name) + "\n";
    return write(m_dir.filePath(QStringLiteral("mosquitto.conf")), conf);
}

QString PrivateBroker::start()
{
    QString program = m_config.program;
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin")});
    if (program.isEmpty())
        return QStringLiteral("Finner ikke Mosquitto (pakken mosquitto): start med --megler for klubbens egen.");
    // A port picked free may be taken before the broker binds it: a few tries.
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = m_config.port ? m_config.port : freePort(m_config.bind);
        if (!m_port)
            return QStringLiteral("Finner ingen ledig port.");
        if (QString why = writeFiles(); !why.isEmpty())
            return why;
        m_process.start(program, {QStringLiteral("-c"), m_dir.filePath(QStringLiteral("mosquitto.conf"))});
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("Mosquitto kunne ikke startes: %1").arg(m_process.errorString());
        for (int i = 0; i < 100 && m_process.state() == QProcess::Running; ++i) {
            QTcpSocket probe;
            probe.connectToHost(m_config.bind.isEmpty() ? QStringLiteral("127.0.0.1") : m_config.bind, quint16(m_port));
            if (probe.waitForConnected(200))
                return {};
            QThread::msleep(50);
        }
        m_stopping = true;
        m_process.kill();
        m_process.waitForFinished(2000);
        m_stopping = false;
        if (m_config.port)
            break;
    }
    return QStringLiteral("Mosquitto lytter ikke på port %1: %2").arg(m_port).arg(logText().right(300));
}

QString PrivateBroker::logText() const
{
    return QString::fromLocal8Bit(const_cast<QProcess &>(m_process).readAll());
}

} // namespace hall
