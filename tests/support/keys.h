#pragma once

// Keys as the system delivers them, native codes included (the X11 keysyms that tell the left and
// right modifier keys apart), pressed and released at whatever has the focus.

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

namespace support {

enum class NativeKey { LeftShift, RightShift, LeftControl, RightControl, Z, N, Minus, Slash };

// A key pressed, held while `held` runs (time passing, say), and released at whatever has the focus.
template <typename Held> inline void hold(NativeKey key, Held held)
{
    struct Native {
        int qtKey;
        quint32 keysym;
        Qt::KeyboardModifier modifier;
    };
    static const Native natives[] = {
        {Qt::Key_Shift, 0xffe1, Qt::ShiftModifier},
        {Qt::Key_Shift, 0xffe2, Qt::ShiftModifier},
        {Qt::Key_Control, 0xffe3, Qt::ControlModifier},
        {Qt::Key_Control, 0xffe4, Qt::ControlModifier},
        {Qt::Key_Z, 'z', Qt::NoModifier},
        {Qt::Key_N, 'n', Qt::NoModifier},
        {Qt::Key_Minus, '-', Qt::NoModifier},
        {Qt::Key_Slash, '/', Qt::NoModifier},
    };
    const Native &n = natives[int(key)];
    const QString text = n.modifier == Qt::NoModifier ? QString(QChar(char16_t(n.keysym))) : QString();
    QKeyEvent press(QEvent::KeyPress, n.qtKey, n.modifier, 0, n.keysym, 0, text);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    held();
    QKeyEvent release(QEvent::KeyRelease, n.qtKey, Qt::NoModifier, 0, n.keysym, 0, text);
    QApplication::sendEvent(QApplication::focusWidget(), &release);
}

inline void tap(NativeKey key)
{
    hold(key, [] {});
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

// Keys as the window system hands them to the program: each press first looked up as a shortcut
// (a menu's Ctrl+N takes it there), then delivered to the focus. A test that includes this links
// Qt6::GuiPrivate.
#ifdef PARTIVAKT_SYSTEM_KEYS
#include <qpa/qwindowsysteminterface.h>

#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

namespace support {

struct SystemKey {
    int qtKey;
    quint32 keysym;
    QString text;
};

inline SystemKey systemKey(NativeKey key)
{
    switch (key) {
    case NativeKey::LeftShift:
        return {Qt::Key_Shift, 0xffe1, {}};
    case NativeKey::RightShift:
        return {Qt::Key_Shift, 0xffe2, {}};
    case NativeKey::LeftControl:
        return {Qt::Key_Control, 0xffe3, {}};
    case NativeKey::RightControl:
        return {Qt::Key_Control, 0xffe4, {}};
    case NativeKey::Z:
        return {Qt::Key_Z, 'z', QStringLiteral("z")};
    case NativeKey::N:
        return {Qt::Key_N, 'n', QStringLiteral("n")};
    case NativeKey::Minus:
        return {Qt::Key_Minus, '-', QStringLiteral("-")};
    case NativeKey::Slash:
        return {Qt::Key_Slash, '/', QStringLiteral("/")};
    }
    return {};
}

// A press or release at the window, with the modifiers held at that moment.
inline void systemKeyEvent(QWindow *window, QEvent::Type type, const SystemKey &key, Qt::KeyboardModifiers held)
{
    // Keys typed with Ctrl held carry no text, as on X11.
    const QString text = held & Qt::ControlModifier ? QString() : key.text;
    QWindowSystemInterface::handleExtendedKeyEvent(window, type, key.qtKey, held, 0, key.keysym, 0, text);
    QWindowSystemInterface::flushWindowSystemEvents();
}

// Holds the deliveries of keys back, as a screen reader that watches the keys does through the
// accessibility bridge: a press is looked up as a shortcut at once, but the press and the release
// reach the focus only when the screen reader lets them go (deliver()).
class HeldKeys : public QObject {
public:
    HeldKeys() { qApp->installEventFilter(this); }
    ~HeldKeys() override { deliver(); }
    void deliver()
    {
        qApp->removeEventFilter(this);
        for (auto &[target, event] : std::exchange(m_held, {}))
            if (target)
                QApplication::sendEvent(target, event.get());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) || !event->spontaneous())
            return false;
        m_held.emplace_back(watched, static_cast<QKeyEvent *>(event)->clone());
        return true;
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QKeyEvent>>> m_held;
};

} // namespace support
#endif
