#include "joinchoice.h"

#include "message.h"

#include "toolkit/preferences.h"

#include <QSettings>

namespace hall {

namespace {

const QString kHost = QStringLiteral("turnering/maskin");
const QString kPort = QStringLiteral("turnering/port");
const QString kHall = QStringLiteral("turnering/sal");
const QString kBoard = QStringLiteral("turnering/brett");
const QString kCode = QStringLiteral("turnering/kode");
const QString kJoined = QStringLiteral("turnering/med");

} // namespace

std::optional<QString> whyNotJoinable(const JoinChoice &c)
{
    if (c.host.trimmed().isEmpty() || c.host.contains(QLatin1Char(' ')) || c.host.size() > 253)
        return QStringLiteral("Skriv maskinens navn eller adresse.");
    if (c.port < 1 || c.port > 65535)
        return QStringLiteral("Porten skal være et tall fra 1 til 65535.");
    if (!validHallName(c.hall))
        return QStringLiteral("Salens navn skal ha 1 til 40 tegn: bokstavene A–Z, sifre, - og _.");
    if (c.board < 1 || c.board > kMaxBoard)
        return QStringLiteral("Brettnummeret skal være fra 1 til %1.").arg(kMaxBoard);
    if (c.code.isEmpty() || c.code.size() > kMaxCodeLength)
        return QStringLiteral("Skriv salens kode (høyst %1 tegn).").arg(kMaxCodeLength);
    return std::nullopt;
}

JoinChoice loadJoinChoice()
{
    JoinChoice c;
    toolkit::readPreferences([&c](QSettings &s) {
        c.host = s.value(kHost).toString();
        c.port = s.value(kPort, c.port).toInt();
        c.hall = s.value(kHall).toString();
        c.board = s.value(kBoard, 0).toInt();
        c.code = s.value(kCode).toString();
        // A damaged choice is shown in the window but not joined.
        c.joined = s.value(kJoined, false).toBool() && !whyNotJoinable(c);
    });
    return c;
}

QString saveJoinChoice(const JoinChoice &c)
{
    return toolkit::keepPreferences(QStringLiteral("Valget av turneringssal"), [&c](QSettings &s) {
        s.setValue(kHost, c.host);
        s.setValue(kPort, c.port);
        s.setValue(kHall, c.hall);
        s.setValue(kBoard, c.board);
        s.setValue(kCode, c.code);
        s.setValue(kJoined, c.joined);
    });
}

} // namespace hall
