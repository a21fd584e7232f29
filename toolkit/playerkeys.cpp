#include "playerkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace toolkit {

namespace {

// Native codes of the two Shift keys: X11 and Wayland keysyms, Windows scan codes, macOS key codes.
constexpr quint32 kX11ShiftL = 0xffe1, kX11ShiftR = 0xffe2;
constexpr quint32 kWinScanShiftL = 0x2a, kWinScanShiftR = 0x36;
constexpr quint32 kMacShiftL = 0x38, kMacShiftR = 0x3c;
// And of the two Ctrl keys (Windows sets 0x100 on the right one's scan code: an extended key).
constexpr quint32 kX11ControlL = 0xffe3, kX11ControlR = 0xffe4;
constexpr quint32 kWinScanControlL = 0x1d, kWinScanControlR = 0x11d;
constexpr quint32 kMacControlL = 0x3b, kMacControlR = 0x3e;

} // namespace

PlayerKeys::PlayerKeys(QWidget *window) : QObject(window), m_window(window)
{
    // Whatever control has the focus, the window's keys pass here first.
    qApp->installEventFilter(this);
}

PlayerKeys::Side PlayerKeys::shiftSide(const QKeyEvent &event)
{
    if (event.key() != Qt::Key_Shift)
        return Side::None;
#if defined(Q_OS_WIN)
    const quint32 code = event.nativeScanCode();
    return code == kWinScanShiftL ? Side::A : code == kWinScanShiftR ? Side::B : Side::None;
#elif defined(Q_OS_MACOS)
    const quint32 code = event.nativeVirtualKey();
    return code == kMacShiftL ? Side::A : code == kMacShiftR ? Side::B : Side::None;
#else
    const quint32 code = event.nativeVirtualKey();
    return code == kX11ShiftL ? Side::A : code == kX11ShiftR ? Side::B : Side::None;
#endif
}

PlayerKeys::Side PlayerKeys::controlSide(const QKeyEvent &event)
{
#if defined(Q_OS_WIN)
    if (event.key() != Qt::Key_Control)
        return Side::None;
    const quint32 code = event.nativeScanCode();
    return code == kWinScanControlL ? Side::A : code == kWinScanControlR ? Side::B : Side::None;
#elif defined(Q_OS_MACOS)
    // Qt on macOS gives the Control key as Key_Meta (and Command as Key_Control).
    if (event.key() != Qt::Key_Meta)
        return Side::None;
    const quint32 code = event.nativeVirtualKey();
    return code == kMacControlL ? Side::A : code == kMacControlR ? Side::B : Side::None;
#else
    if (event.key() != Qt::Key_Control)
        return Side::None;
    const quint32 code = event.nativeVirtualKey();
    return code == kX11ControlL ? Side::A : code == kX11ControlR ? Side::B : Side::None;
#endif
}

PlayerKeys::Side PlayerKeys::letterSide(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (mods != Qt::NoModifier)
        return Side::None;
    switch (event.key()) {
    case Qt::Key_Z:
        return Side::A;
    case Qt::Key_Minus: // beside Right Shift on a Norwegian keyboard
    case Qt::Key_Slash: // and on a US one
        return Side::B;
    default:
        return Side::None;
    }
}

void PlayerKeys::setArmed(bool armed)
{
    m_armed = armed;
    m_shiftDown = Side::None;
}

bool PlayerKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_window)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // The time is asked for in every phase; a key pressed between makes the Ctrl part of a shortcut.
    const Side control = controlSide(*key);
    if (type == QEvent::KeyPress) {
        if (!key->isAutoRepeat())
            m_controlDown = control;
    } else if (control != Side::None && control == m_controlDown && !key->isAutoRepeat()) {
        m_controlDown = Side::None;
        Q_EMIT timeRequested(control == Side::A);
    }
    if (!m_armed || control != Side::None) {
        // A Ctrl between makes a Shift part of a combination too.
        if (control != Side::None)
            m_shiftDown = Side::None;
        return false;
    }
    if (type == QEvent::KeyPress) {
        const Side shift = shiftSide(*key);
        if (shift != Side::None) {
            if (!key->isAutoRepeat())
                m_shiftDown = shift;
            return false;
        }
        // Any other key makes the Shift part of a combination.
        m_shiftDown = Side::None;
        const Side letter = letterSide(*key);
        if (letter == Side::None)
            return false;
        if (!key->isAutoRepeat())
            Q_EMIT pressed(letter == Side::A);
        return true;
    }
    // The release of a Shift tapped alone.
    const Side shift = shiftSide(*key);
    if (shift != Side::None && shift == m_shiftDown && !key->isAutoRepeat()) {
        m_shiftDown = Side::None;
        Q_EMIT pressed(shift == Side::A);
    }
    return false;
}

} // namespace toolkit
