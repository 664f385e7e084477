#include "platform/keys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "platform/stage.h"

namespace platform {

namespace {

// X11 key codes of the physical digit row "1".."9","0" (evdev layout). They
// tell the digit when Shift or the keyboard layout made the key a symbol.
constexpr quint32 kX11Digit1 = 10;
constexpr quint32 kX11Digit0 = 19;

bool onX11()
{
    static const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    return x11;
}

}  // namespace

int virtualKeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? VK_NUMPAD0 : VK_0) + (key - Qt::Key_0);
    if (!keypad && onX11()) {
        const quint32 scan = event.nativeScanCode();
        if (scan >= kX11Digit1 && scan <= kX11Digit0)
            return VK_0 + static_cast<int>((scan - kX11Digit1 + 1) % 10);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int shiftMask(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers m = event.modifiers();
    return (m.testFlag(Qt::ShiftModifier) ? kShiftMask : 0) |
           (m.testFlag(Qt::ControlModifier) ? kCtrlMask : 0) |
           (m.testFlag(Qt::AltModifier) ? kAltMask : 0);
}

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : QObject(window), window_(window), handler_(std::move(handler))
{
    // Keys arrive at the native window that shows the window: its own, or a
    // full-screen stage's. Watching the application sees both; only the
    // event as it reaches that native window counts, not its later
    // deliveries to the focused control.
    QCoreApplication::instance()->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && enabled_ && window_->isEnabled() &&
        watched->isWindowType() && watched == vb::shownIn(window_)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            std::int16_t code = static_cast<std::int16_t>(virtualKeyCode(*key));
            handler_(code, static_cast<std::int16_t>(shiftMask(*key)));
            // On a full-screen stage a window that the key opened shares the
            // native window and now holds the focus: the key was this
            // window's and goes no further.
            if (!window_->isEnabled() && vb::Stage::of(window_))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform
