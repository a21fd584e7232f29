#pragma once

// The main window with its file commands answered as the program answers them, a home directory
// of its own and helpers for the files the windows write and read.

#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "tests/clock/clockfixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QStatusBar>

inline QByteArray readRaw(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

inline bool writeRaw(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

template <typename W> QList<W *> windowsOf()
{
    QList<W *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<W *>(w))
            found << window;
    return found;
}

// A double-click as the system delivers it: press and release, then the double-click event in
// place of the second press, then its release. (QTest's own sends the double-click event alone.)
inline void doubleClickAt(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// A closed window is destroyed when control returns to the event loop; tests go there at once.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Everything of the main window a restore may or may not touch, as text, for comparing.
inline QStringList mainState(const gameclock::frmhoved &w)
{
    QStringList state;
    auto shown = [](const QWidget *c) {
        return QStringLiteral("%1%2").arg(c->isHidden() ? "hidden" : "shown", c->isEnabled() ? "" : ",disabled");
    };
    for (const QLabel *l : {w.mina, w.seka, w.minb, w.sekb, w.Label1})
        state << l->objectName() + '=' + l->text();
    for (const QLineEdit *b : {static_cast<QLineEdit *>(w.spillera), static_cast<QLineEdit *>(w.spillerb),
                               static_cast<QLineEdit *>(w.stans)})
        state << b->objectName() + '=' + b->text() + ' ' + shown(b);
    for (const QPushButton *b : {static_cast<QPushButton *>(w.starta), static_cast<QPushButton *>(w.startb),
                                 static_cast<QPushButton *>(w.Command1), static_cast<QPushButton *>(w.pause),
                                 static_cast<QPushButton *>(w.pausea), static_cast<QPushButton *>(w.pauseb)})
        state << b->objectName() + '=' + b->text() + ' ' + shown(b);
    state << QStringLiteral("klaffa=") + w.klaffa->title() << QStringLiteral("klaffb=") + w.klaffb->title();
    for (const platform::Timer *t : {w.tida, w.tidb, w.Timer1})
        state << QStringLiteral("%1=%2,%3").arg(t->objectName()).arg(t->isEnabled()).arg(t->interval());
    state << QStringLiteral("status=") + w.reportedMessage();
    return state;
}

struct FileWindowFixture {
    ClockFixture base;
    QByteArray oldHome = qgetenv("HOME");
    QString home;
    gameclock::frmhoved *mainWindow = nullptr;

    FileWindowFixture()
    {
        // A home of the test's own: both windows start there.
        QDir().mkpath(base.file(QStringLiteral("hjem")));
        home = QDir::cleanPath(base.file(QStringLiteral("hjem")));
        qputenv("HOME", home.toLocal8Bit());
        mainWindow = &base.start();
        QObject::connect(mainWindow, &gameclock::frmhoved::saveAsRequested, mainWindow,
                         [this] { gamefiles::showSaveAs(*mainWindow); });
        QObject::connect(mainWindow, &gameclock::frmhoved::openRequested, mainWindow,
                         [this] { gamefiles::showOpen(*mainWindow); });
    }
    ~FileWindowFixture()
    {
        qDeleteAll(windowsOf<gamefiles::frmlagresom>());
        qDeleteAll(windowsOf<gamefiles::frmopne>());
        qputenv("HOME", oldHome);
    }
    gameclock::frmhoved &main() { return *mainWindow; }

    gamefiles::frmlagresom *openSaveAs()
    {
        main().LagreSom->trigger();
        const auto windows = windowsOf<gamefiles::frmlagresom>();
        return windows.size() == 1 ? windows.first() : nullptr;
    }
    gamefiles::frmopne *openOpen()
    {
        main().Apne->trigger();
        const auto windows = windowsOf<gamefiles::frmopne>();
        return windows.size() == 1 ? windows.first() : nullptr;
    }
    // A directory below the working directory, made if needed; its path as the lists show it.
    QString makeDir(const QString &name)
    {
        QDir().mkpath(base.file(name));
        return QDir::cleanPath(base.file(name));
    }
};
