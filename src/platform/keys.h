// Key-down events as a classic desktop key handler expects them: a Windows
// virtual-key code and a modifier mask, seen by the window before its
// focused control.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QKeyEvent;
class QWidget;

namespace platform {

// Virtual-key codes of the digit keys.
constexpr int VK_0 = 48;         // main-row digits: 48..57
constexpr int VK_NUMPAD0 = 96;   // keypad digits: 96..105

// Modifier mask bits of a key-down event.
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

// The virtual-key code of a key event. Digit keys give 48..57 (main row) or
// 96..105 (keypad, Num Lock on), whatever modifier is held, also on keyboard
// layouts whose digit row needs Shift: the physical key decides. Letters give
// 65..90 and a few common keys their usual codes; every other key gives 0.
int virtualKeyCode(const QKeyEvent& event);

// The modifier mask of a key event.
int shiftMask(const QKeyEvent& event);

// Calls `handler` for every key pressed in `window` (not auto-repeats) before
// its focused control sees it, while the preview is on and the window is
// enabled. The key still goes on to the focused control.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(std::int16_t& keyCode, std::int16_t shift)>;
    KeyPreview(QWidget* window, Handler handler);

    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    Handler handler_;
    bool enabled_ = false;
};

}  // namespace platform
