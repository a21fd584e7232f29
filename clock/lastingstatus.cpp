#include "lastingstatus.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

#include <algorithm>

namespace gameclock {

LastingStatus::LastingStatus(QStatusBar *bar) : QObject(bar), m_bar(bar), m_label(new QLabel(bar))
{
    m_label->setObjectName(QStringLiteral("lasting"));
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setHidden(true);
    // No stretch: the passing notes keep the left of the bar; the label wraps within its share.
    bar->addPermanentWidget(m_label, 0);
    // Its share follows the window's width.
    if (QWidget *window = bar->window())
        window->installEventFilter(this);
}

void LastingStatus::set(Lasting state, const QString &message)
{
    if (this->message(state) == message)
        return;
    if (message.isEmpty())
        m_states.erase(state);
    else
        m_states[state] = message;
    const QString all = text();
    m_label->setText(all);
    fit();
    m_label->setHidden(all.isEmpty());
    // A screen reader hears the new state as it comes, also while the focus is elsewhere: a new
    // accessible name is sent out as a name change.
    m_label->setAccessibleName(all);
    Q_EMIT changed(all);
}

QString LastingStatus::message(Lasting state) const
{
    const auto it = m_states.find(state);
    return it == m_states.end() ? QString() : it->second;
}

QString LastingStatus::text() const
{
    QStringList parts;
    for (const auto &[state, message] : m_states)
        parts.append(message);
    return parts.join(QLatin1Char('\n'));
}

bool LastingStatus::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_bar->window())
        fit();
    return QObject::eventFilter(watched, event);
}

void LastingStatus::fit()
{
    const int share = std::max(200, m_bar->window()->width() * 3 / 5);
    int natural = 0;
    for (const QString &line : m_label->text().split(QLatin1Char('\n')))
        natural = std::max(natural, m_label->fontMetrics().horizontalAdvance(line));
    const int wide = std::min(natural + 2 * m_label->margin() + 4, share);
    m_label->setFixedWidth(wide);
    m_label->setMinimumHeight(std::max(0, m_label->heightForWidth(wide)));
}

} // namespace gameclock
