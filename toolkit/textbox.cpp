#include "textbox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>

namespace toolkit {

namespace {

// The control that had the focus before the one receiving it now. QApplication reports a change
// only after the focus events, so during focusInEvent this still names the control left behind.
QPointer<QWidget> &previousFocus()
{
    static QPointer<QWidget> widget;
    return widget;
}

void followFocus()
{
    static bool following = false;
    if (following || !qApp)
        return;
    following = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget *, QWidget *now) { previousFocus() = now; });
}

// A Tab moves on from a control that can still hold the focus; Qt's own move away from a control
// being disabled or hidden carries the same reason but leaves from one that cannot.
bool tabbedByUser()
{
    const QWidget *from = previousFocus();
    return !from || (from->isEnabled() && from->isVisible());
}

} // namespace

TextBox::TextBox(const QString &text, QWidget *parent) : QLineEdit(text, parent)
{
    followFocus();
}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
        if (tabbedByUser())
            Q_EMIT gotFocus();
        break;
    case Qt::MouseFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        Q_EMIT gotFocus();
        break;
    default:
        break;
    }
}

} // namespace toolkit
