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
    if (!m_armed || (type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_window)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
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
