#pragma once

#include <QAccessible>

#include <functional>

class QWidget;

namespace toolkit {

// A control whose accessible name and description a screen reader reads as they are at the moment
// it presents the control (focus, where am I, flat review), taken from the callback each time, in
// the role given (a picture is a Graphic: screen readers list those in their review of a window).
// The screen reader is told of a change only by announceChange(): a text that changes every second
// (a running clock) would be read out at every change while the control has the focus.
using LiveText = std::function<QString(QAccessible::Text)>;
void setLiveAccessibleText(QWidget *control, QAccessible::Role role, LiveText text);
// The same in the role a plain widget has (Client).
inline void setLiveAccessibleText(QWidget *control, LiveText text)
{
    setLiveAccessibleText(control, QAccessible::Client, std::move(text));
}

// The text changed in a way worth hearing (not a tick): the screen reader takes it up, and reads it
// out when the control has the focus.
void announceChange(QWidget *control);

} // namespace toolkit
