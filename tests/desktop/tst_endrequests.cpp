#include "desktop/signals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <unistd.h>

using desktop::EndRequests;

// Real signals sent to the test process reach the event loop as requests to end.
class tst_endrequests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void signalBecomesRequest_data()
    {
        QTest::addColumn<QList<int>>("sent");
        QTest::newRow("SIGTERM: logout, shutdown") << QList<int>{SIGTERM};
        QTest::newRow("SIGHUP: terminal closed") << QList<int>{SIGHUP};
        QTest::newRow("SIGINT: Ctrl+C") << QList<int>{SIGINT};
        QTest::newRow("several before the loop runs") << QList<int>{SIGHUP, SIGTERM, SIGINT};
    }
    void signalBecomesRequest()
    {
        QFETCH(QList<int>, sent);
        EndRequests requests;
        QVERIFY(requests.isInstalled());
        QSignalSpy spy(&requests, &EndRequests::requested);
        // Sent by the kernel to the process as a logout does; the process survives it.
        for (const int signalNumber : sent)
            QCOMPARE(::kill(::getpid(), signalNumber), 0);
        QTRY_COMPARE(spy.count(), sent.size());
        QList<int> received;
        for (const QList<QVariant> &call : std::as_const(spy))
            received.append(call.at(0).toInt());
        QCOMPARE(received, sent);
    }

    // A second catcher would take the first one's requests away.
    void oneAtATime()
    {
        EndRequests first;
        EndRequests second;
        QVERIFY(first.isInstalled());
        QVERIFY(!second.isInstalled());
        QSignalSpy spy(&first, &EndRequests::requested);
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QTRY_COMPARE(spy.count(), 1);
    }

    // Once the catcher is gone, a new one works again from a clean start.
    void reinstalled()
    {
        {
            EndRequests gone;
            QVERIFY(gone.isInstalled());
        }
        EndRequests again;
        QVERIFY(again.isInstalled());
        QSignalSpy spy(&again, &EndRequests::requested);
        QCOMPARE(::kill(::getpid(), SIGHUP), 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), int(SIGHUP));
    }
};

QTEST_GUILESS_MAIN(tst_endrequests)
#include "tst_endrequests.moc"
