#include "playerkeys.h"

#include "timer.h"

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

// Qt on macOS gives the Control key as Key_Meta (and Command as Key_Control).
#if defined(Q_OS_MACOS)
constexpr int kControlKey = Qt::Key_Meta;
#else
constexpr int kControlKey = Qt::Key_Control;
#endif

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
    // A Shift held as the game starts was not meant as a move.
    m_shift.reset();
}

bool PlayerKeys::Tap::press(Side side, bool lookup)
{
    if (m_down != Side::None && m_down != side) {
        // Both keys of the pair at once.
        m_alone = false;
        return false;
    }
    bool &seen = lookup ? m_lookupSeen : m_pressSeen;
    if (m_down == side && !seen) {
        seen = true;
        return false;
    }
    // A new press (also when the release of the last one never came: the window lost it).
    m_down = side;
    m_downAt = TimeSource::current().nowMs();
    m_alone = true;
    m_lookupSeen = lookup;
    m_pressSeen = !lookup;
    return true;
}

bool PlayerKeys::Tap::release(Side side)
{
    if (side == Side::None || side != m_down) {
        m_alone = false;
        return false;
    }
    const bool alone = m_alone;
    reset();
    return alone;
}

bool PlayerKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        // Ctrl+click, Ctrl+wheel: the key was part of something else.
        m_shift.interrupt();
        m_control.interrupt();
        return false;
    case QEvent::WindowDeactivate:
        // Its release goes to another window.
        if (watched == m_window) {
            m_shift.reset();
            m_control.reset();
        }
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        break;
    default:
        return false;
    }
    if (!watched->isWidgetType() || static_cast<QWidget *>(watched)->window() != m_window)
        return false;
    // A key the focus does not take goes on to its parents: the same key, seen once.
    const QWidget *focus = QApplication::focusWidget();
    if (watched != (focus ? focus : m_window))
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const Side control = controlSide(*key);
    const Side shift = shiftSide(*key);
    const bool controlKey = key->key() == kControlKey, shiftKey = key->key() == Qt::Key_Shift;
    // A modifier held down repeats; nothing else happened.
    if (key->isAutoRepeat() && (controlKey || shiftKey))
        return false;
    // A key re-sent by the program (the accessibility bridge sends on what a screen reader let
    // through) is looked up again without its native codes: the key itself once more, side unknown.
    const bool again = (controlKey && control == Side::None) || (shiftKey && shift == Side::None);

    if (type == QEvent::KeyRelease) {
        if (!controlKey || !again) {
            if (m_control.release(control))
                Q_EMIT timeRequested(control == Side::A);
        }
        if (!shiftKey || !again) {
            const qint64 downAt = m_shift.downAt();
            if (m_shift.release(shift) && m_armed)
                Q_EMIT pressed(shift == Side::A, downAt);
        }
        return false;
    }
    // Every key press is first looked up as a shortcut (ShortcutOverride), then delivered, unless a
    // shortcut took it. A screen reader that watches the keys holds the delivery back until it has
    // seen the key, so a shortcut's lookup may come before the press of the Ctrl held for it.
    const bool lookup = type == QEvent::ShortcutOverride;
    if (control != Side::None) {
        if (m_control.press(control, lookup))
            Q_EMIT controlPressed();
    } else if (!controlKey) {
        m_control.interrupt();
    }
    if (shift != Side::None)
        m_shift.press(shift, lookup);
    else if (!shiftKey)
        m_shift.interrupt();
    if (lookup || !m_armed || controlKey || shiftKey)
        return false;
    const Side letter = letterSide(*key);
    if (letter == Side::None)
        return false;
    if (!key->isAutoRepeat())
        Q_EMIT pressed(letter == Side::A, TimeSource::current().nowMs());
    return true;
}

} // namespace toolkit
