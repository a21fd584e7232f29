#include "textbox.h"

#include <QFocusEvent>

namespace platform {

TextBox::TextBox(const QString &text, QWidget *parent) : QLineEdit(text, parent) {}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    switch (event->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        Q_EMIT gotFocus();
        break;
    default:
        break;
    }
}

} // namespace platform
