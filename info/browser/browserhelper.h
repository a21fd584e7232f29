#pragma once

#include "frmbrowser.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <cstdio>

namespace info {

// The browser program's side of its conversation with the clock. The clock writes a line "raise"
// when the user asks for the browser again; the end of that input means the clock has ended, and
// so does the browser. Every time the window has been brought up, a line "shown N" goes back,
// N being how many browser windows this program has open.
class BrowserHelper : public QObject {
    Q_OBJECT
public:
    BrowserHelper(const QString &startingAddress, int inputFd, std::FILE *output, QObject *parent = nullptr);

    // Creates the window on the first call, brings it to the front (out of the task bar too) later.
    void showWindow();
    frmbrowser *window() const { return m_window.data(); }

private:
    void readInput();

    QString m_startingAddress;
    int m_inputFd;
    std::FILE *m_output;
    QPointer<frmbrowser> m_window;
    QSocketNotifier m_input;
    QByteArray m_pending;
};

// How many browser windows this program has open.
int openBrowserWindows();

} // namespace info
