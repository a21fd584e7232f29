#include "app/wiring.h"
#include "info/rules.h"

#include "desktop/process.h"
#include "tests/support/clockfixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using gameclock::frmhoved;

namespace {

// The main window with its rules command answered as the program answers it, every start
// recorded instead of run, and the places the command looks restored afterwards.
struct Fixture {
    ClockFixture base;
    frmhoved &main = base.start();
    info::RulesPlaces saved = info::rulesPlaces();
    QList<desktop::StartRequest> started;
    QString failure; // what the next start reports
    support::Replaced starter{desktop::setProgramStarter,
                              [this](const desktop::StartRequest &request) {
                                  started << request;
                                  return failure;
                              },
                              desktop::ProgramStarter{}};

    Fixture()
    {
        app::connectInfo(main);
        main.report(QString());
    }
    ~Fixture() { info::rulesPlaces() = saved; }
    QString makeFile(const QString &name) const
    {
        const QString path = base.file(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }
};

QString shippedDocument()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QStringLiteral("/regler.html"));
}

// The desktop's own opener, which shows a document in the program the user chose for its kind.
const QString kSystemOpener = QStringLiteral("xdg-open");

} // namespace

class tst_rules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpViewerWhereItExists()
    {
        Fixture f;
        info::rulesPlaces().helpViewer = f.makeFile(QStringLiteral("Windows/Winhlp32.exe"));
        f.main.Regler->trigger();
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.started[0].program, info::rulesPlaces().helpViewer);
        QCOMPARE(f.started[0].arguments, QStringList{QStringLiteral("regler.hlp")});
        QCOMPARE(f.main.reportedMessage(), QString());
    }

    void shippedDocumentElsewhere_data()
    {
        QTest::addColumn<QString>("viewer"); // relative to the working directory; "" none
        QTest::addColumn<bool>("createDir");
        QTest::newRow("no help viewer") << "" << false;
        QTest::newRow("help viewer missing") << "Windows/Winhlp32.exe" << false;
        QTest::newRow("a directory in its place") << "Winhlp32.exe" << true;
    }
    void shippedDocumentElsewhere()
    {
        QFETCH(QString, viewer);
        QFETCH(bool, createDir);
        Fixture f;
        info::rulesPlaces().helpViewer = viewer.isEmpty() ? QString() : f.base.file(viewer);
        if (createDir)
            QVERIFY(QDir().mkpath(f.base.file(viewer)));
        f.main.Regler->trigger();
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.started[0].program, kSystemOpener);
        // The program's own copy, named whole, so the viewer needs no working directory.
        QCOMPARE(f.started[0].arguments, QStringList{shippedDocument()});
        QVERIFY(QFileInfo(shippedDocument()).isFile());
    }

#ifndef Q_OS_WIN
    void noProgramFromTheWorkingDirectory()
    {
        // Elsewhere than on Windows the viewer's name is an ordinary file name in the working
        // directory, where game files come and go; nothing found there is ever run.
        Fixture f;
        f.makeFile(QStringLiteral("c:\\Windows\\Winhlp32.exe"));
        f.main.Regler->trigger();
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.started[0].program, kSystemOpener);
    }
#endif

    void documentSearchOrder_data()
    {
        QTest::addColumn<QStringList>("present"); // of the directories "first", "second"
        QTest::addColumn<QString>("chosen");
        QTest::newRow("next to the program") << QStringList{"first", "second"} << "first";
        QTest::newRow("installed") << QStringList{"second"} << "second";
    }
    void documentSearchOrder()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, chosen);
        Fixture f;
        info::rulesPlaces().helpViewer.clear();
        info::rulesPlaces().documentDirs = {f.base.file(QStringLiteral("first")),
                                            f.base.file(QStringLiteral("second"))};
        QDir().mkpath(f.base.file(QStringLiteral("first")));
        for (const QString &dir : present)
            f.makeFile(dir + QStringLiteral("/regler.html"));
        f.main.Regler->trigger();
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.started[0].arguments,
                 QStringList{QDir::toNativeSeparators(f.base.file(chosen + QStringLiteral("/regler.html")))});
    }

    void missingDocumentIsReported()
    {
        Fixture f;
        info::rulesPlaces().helpViewer.clear();
        info::rulesPlaces().documentDirs = {f.base.file(QStringLiteral("nowhere"))};
        f.main.Regler->trigger();
        QVERIFY(f.started.isEmpty());
        QVERIFY2(f.main.reportedMessage().contains(QStringLiteral("regler.html")),
                 qPrintable(f.main.reportedMessage()));
    }

    void viewerThatCannotStartIsReportedAndTheClockRunsOn()
    {
        Fixture f;
        f.failure = QStringLiteral("Ingen slik fil eller filkatalog");
        f.main.starta->click();
        f.base.clock.advance(3000);
        f.main.Regler->trigger();
        QCOMPARE(f.started.size(), 1);
        QVERIFY2(f.main.reportedMessage().contains(f.failure), qPrintable(f.main.reportedMessage()));
        QVERIFY2(f.main.reportedMessage().contains(f.started[0].program), qPrintable(f.main.reportedMessage()));
        f.base.clock.advance(2000);
        QCOMPARE(phaseOf(f.main), QStringLiteral("running"));
        QCOMPARE(readouts(f.main), QStringLiteral("0:5 0:0"));
    }

    void twoChoicesStartTwoViewers_data()
    {
        QTest::addColumn<bool>("game");
        QTest::newRow("set-up") << false;
        QTest::newRow("running game") << true;
    }
    void twoChoicesStartTwoViewers()
    {
        QFETCH(bool, game);
        Fixture f;
        if (game)
            f.main.starta->click();
        f.main.Regler->trigger();
        f.base.clock.advance(1000);
        f.main.Regler->trigger();
        QCOMPARE(f.started.size(), 2);
        QCOMPARE(f.started[0].program, f.started[1].program);
        QCOMPARE(f.started[0].arguments, f.started[1].arguments);
        QCOMPARE(phaseOf(f.main), game ? QStringLiteral("running") : QStringLiteral("setup"));
        QCOMPARE(readouts(f.main), game ? QStringLiteral("0:1 0:0") : QStringLiteral("0:0 0:0"));
    }

    void shippedDocumentIsCurrentAndWellFormed()
    {
        QFile copy(shippedDocument());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QByteArray bytes = copy.readAll();
        QFile source(QDir::cleanPath(QStringLiteral(PARTIVAKT_SOURCE_DIR "/resources/regler.html")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QCOMPARE(bytes, source.readAll());

        QXmlStreamReader xml(bytes);
        QStringList sections;
        QString language;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("html"))
                language = xml.attributes().value(QLatin1String("lang")).toString();
            if (xml.name() == QLatin1String("section"))
                sections << xml.attributes().value(QLatin1String("id")).toString();
        }
        QVERIFY2(!xml.hasError(),
                 qPrintable(QStringLiteral("%1 at line %2").arg(xml.errorString()).arg(xml.lineNumber())));
        QCOMPARE(language, QStringLiteral("nb"));
        for (const char *topic : {"brettet", "trekk", "rokade", "en-passant", "forvandling", "sjakk", "matt", "patt",
                                  "remis", "beroert", "klokken"})
            QVERIFY2(sections.contains(QLatin1String(topic)), topic);
        // It explains the flag as the program shows it.
        QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("«Klaffen har falt for»")));
    }
};

QTEST_MAIN(tst_rules)
#include "tst_rules.moc"
