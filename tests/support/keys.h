#pragma once

// Keys as the system delivers them, native codes included (the X11 keysyms that tell the left and
// right modifier keys apart), pressed and released at whatever has the focus.

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

namespace support {

enum class NativeKey { LeftShift, RightShift, LeftControl, RightControl, Z, N, Minus, Slash };

inline void tap(NativeKey key)
{
    struct Native {
        int qtKey;
        quint32 keysym;
        Qt::KeyboardModifier modifier;
    };
    static const Native natives[] = {
        {Qt::Key_Shift, 0xffe1, Qt::ShiftModifier},     {Qt::Key_Shift, 0xffe2, Qt::ShiftModifier},
        {Qt::Key_Control, 0xffe3, Qt::ControlModifier}, {Qt::Key_Control, 0xffe4, Qt::ControlModifier},
        {Qt::Key_Z, 'z', Qt::NoModifier},               {Qt::Key_N, 'n', Qt::NoModifier},
        {Qt::Key_Minus, '-', Qt::NoModifier},           {Qt::Key_Slash, '/', Qt::NoModifier},
    };
    const Native &n = natives[int(key)];
    const QString text = n.modifier == Qt::NoModifier ? QString(QChar(char16_t(n.keysym))) : QString();
    QKeyEvent press(QEvent::KeyPress, n.qtKey, n.modifier, 0, n.keysym, 0, text);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QKeyEvent release(QEvent::KeyRelease, n.qtKey, Qt::NoModifier, 0, n.keysym, 0, text);
    QApplication::sendEvent(QApplication::focusWidget(), &release);
}

// A Ctrl held while another key is tapped: a shortcut, as Ctrl+N (sent the way shortcuts are
// looked up).
inline void chord(NativeKey control, Qt::Key key)
{
    const quint32 ctrl = control == NativeKey::LeftControl ? 0xffe3 : 0xffe4;
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 0, ctrl, 0);
    QApplication::sendEvent(QApplication::focusWidget(), &down);
    QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, 0, ctrl, 0);
    QApplication::sendEvent(QApplication::focusWidget(), &up);
}

} // namespace support
