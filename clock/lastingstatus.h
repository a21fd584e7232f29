#pragma once

#include <QObject>
#include <QString>

#include <map>

class QLabel;
class QStatusBar;

namespace gameclock {

// States that last until they end, each with its message.
enum class Lasting { Backup, Settings, Instance, Sleep, Battery, Browser, Hall };

// The permanent part of a window's status bar: every lasting state's message, in the order of the
// enum, where neither a menu's status tip nor a passing note wipes it.
class LastingStatus : public QObject {
    Q_OBJECT
public:
    explicit LastingStatus(QStatusBar *bar);

    // An empty message ends the state.
    void set(Lasting state, const QString &message);
    QString message(Lasting state) const;
    QString text() const;
    QLabel *label() const { return m_label; }

Q_SIGNALS:
    void changed(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // As wide as its text needs, within its share of the bar, and as tall as its wrapped lines: the
    // status bar asks its widgets only for their minimum sizes.
    void fit();

    QStatusBar *m_bar;
    QLabel *m_label;
    std::map<Lasting, QString> m_states;
};

} // namespace gameclock
