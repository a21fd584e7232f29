#pragma once

// The main window with its file commands answered as the program answers them, a home directory
// of its own and helpers for the files the windows write and read.

#include "app/wiring.h"
#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "tests/support/clockfixture.h"
#include "tests/support/mouse.h"

#include <QStatusBar>

// Presses Tab once for each control given, from wherever the focus is, and checks that it reaches them in turn.
inline void checkTabsReach(const QList<QWidget *> &order)
{
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

// Everything of the main window a restore may or may not touch, as text, for comparing.
inline QStringList mainState(const gameclock::frmhoved &w)
{
    QStringList state;
    auto shown = [](const QWidget *c) {
        return QStringLiteral("%1%2").arg(c->isHidden() ? "hidden" : "shown", c->isEnabled() ? "" : ",disabled");
    };
    for (const QLabel *l : std::initializer_list<const QLabel *>{w.mina, w.seka, w.minb, w.sekb, w.Label1})
        state << l->objectName() + '=' + l->text();
    for (const QLineEdit *b : {static_cast<QLineEdit *>(w.spillera), static_cast<QLineEdit *>(w.spillerb),
                               static_cast<QLineEdit *>(w.stans)})
        state << b->objectName() + '=' + b->text() + ' ' + shown(b);
    for (const QPushButton *b : {static_cast<QPushButton *>(w.starta), static_cast<QPushButton *>(w.startb),
                                 static_cast<QPushButton *>(w.Command1), static_cast<QPushButton *>(w.pause),
                                 static_cast<QPushButton *>(w.pausea), static_cast<QPushButton *>(w.pauseb)})
        state << b->objectName() + '=' + b->text() + ' ' + shown(b);
    state << QStringLiteral("klaffa=") + w.klaffa->title() << QStringLiteral("klaffb=") + w.klaffb->title();
    for (const toolkit::Timer *t : {w.tida, w.tidb, w.Timer1})
        state << QStringLiteral("%1=%2,%3").arg(t->objectName()).arg(t->isEnabled()).arg(t->interval());
    state << QStringLiteral("status=") + w.reportedMessage() << QStringLiteral("lasting=") + w.lastingText();
    return state;
}

struct FileWindowFixture {
    ClockFixture base;
    QByteArray oldHome = qgetenv("HOME");
    QString home;
    // A directory for games below the working directory, as the lists show it.
    QString games = makeDir(QStringLiteral("partier"));
    gameclock::frmhoved *mainWindow = nullptr;

    FileWindowFixture()
    {
        // A home of the test's own: both windows start there.
        QDir().mkpath(base.file(QStringLiteral("hjem")));
        home = QDir::cleanPath(base.file(QStringLiteral("hjem")));
        qputenv("HOME", home.toLocal8Bit());
        mainWindow = &base.start();
        app::connectFileWindows(*mainWindow);
    }
    ~FileWindowFixture()
    {
        qDeleteAll(windowsOf<gamefiles::frmlagresom>());
        qDeleteAll(windowsOf<gamefiles::frmopne>());
        qputenv("HOME", oldHome);
    }
    gameclock::frmhoved &main() { return *mainWindow; }

    gamefiles::frmlagresom *openSaveAs() { return openedBy<gamefiles::frmlagresom>(main().LagreSom); }
    gamefiles::frmopne *openOpen() { return openedBy<gamefiles::frmopne>(main().Apne); }
    // The window open in dir, or nothing when either fails.
    gamefiles::frmlagresom *openSaveAs(const QString &dir) { return movedTo(openSaveAs(), dir); }
    gamefiles::frmopne *openOpen(const QString &dir) { return movedTo(openOpen(), dir); }
    template <typename W> static W *movedTo(W *window, const QString &dir)
    {
        return window && window->Dir1->setPath(dir) ? window : nullptr;
    }
    // A directory below the working directory, made if needed; its path as the lists show it.
    QString makeDir(const QString &name)
    {
        QDir().mkpath(base.file(name));
        return QDir::cleanPath(base.file(name));
    }
};
