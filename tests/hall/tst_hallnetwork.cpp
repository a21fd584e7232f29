// The hall's network module is mapped only once the clock needs it: a clock that never joins or
// looks for a hall carries none of libmosquitto, Avahi or OpenSSL.
#include "app/wiring.h"
#include "hall/frmturnering.h"
#include "tests/support/clockfixture.h"
#include "tests/support/procmaps.h"

#include <QRegularExpression>

class tst_hallnetwork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mappedOnceLookedFor()
    {
        const QRegularExpression network(QStringLiteral(
            "/(partivakt-hall-net\\.so|libmosquitto\\.so|libavahi-client\\.so|libssl\\.so|libcrypto\\.so)"));
        support::freshSettings();
        ClockFixture f;
        gameclock::frmhoved &w = f.start();
        app::connectWindows(w);
        w.starta->click();
        f.clock.advance(2500);
        w.Command1->click();
        QCOMPARE(support::mappedFiles(network), QStringList());

        // Listing the halls on the network needs it.
        QVERIFY(openedBy<hall::frmturnering>(w.Turnering));
        const QStringList mapped = support::mappedFiles(network);
        QVERIFY2(mapped.filter(QStringLiteral("/partivakt-hall-net.so")).size() == 1 &&
                     mapped.filter(QStringLiteral("/libmosquitto.so")).size() == 1,
                 qPrintable(mapped.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(tst_hallnetwork)
#include "tst_hallnetwork.moc"
