// The on-screen keypad: the ten digits as large keys, for a child who plays
// by touch on a tablet, a touch laptop or a classroom board. Pressing a key
// is typing its digit on the keyboard's main row.
//
// In the window the keypad is a navy column of 150 x 449 beside the game,
// its keys of 40 x 40 in a tray; in full screen it is the tray alone, as
// large as the screen wants its keys, beside the game on a landscape screen
// and below it on a portrait one.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QWidget>

class QLabel;
class QTouchEvent;

#include <array>
#include <functional>
#include <map>
#include <utility>

namespace game {

// When the keypad shows.
struct KeypadRule {
    bool asked = false;         // --keypad
    bool refused = false;       // --no-keypad: never, whatever else says
    bool keypadAlways = false;  // the family's setting: in the window and full screen
    bool touchScreen = false;   // the computer has a touch screen
    // Whether it shows on going to full screen (or to the window): asked
    // for, or on a touch screen in full screen; and once shown it stays
    // shown through F11, which is `shownBefore`.
    bool shows(bool fullScreen, bool shownBefore) const;
};

// Whether the computer has a touch screen, as Qt reports its input devices.
bool hasTouchScreen();

// Where the game and the keypad stand on a full screen `screen` large
// (device pixels), the game's window being `game` large (logical pixels):
// each key at least a seventh of the screen's shorter side, the game at the
// largest scale in tenths at which both fit, the keypad beside the game on a
// landscape (or square) screen and below it on a portrait one, the two
// centred together.
struct KeypadLayout {
    double scale = 1.0;  // the game's device pixels per logical pixel
    QRect game;
    QRect keypad;        // the tray
    int key = 0;         // a key's side, device pixels
};
KeypadLayout fullScreenLayout(QSize screen, QSize game);

// For scripts/bench_keypad.sh: from each press of a keypad key or of a key
// of the keyboard that changes what `display` shows, as the window system
// stamped the press, to the end of the first repaint of `window` (or of the
// full screen that shows it) after it, printed to standard error in
// milliseconds.
void measureKeyLatency(QWidget* window, const QLabel* display);

class Keypad;

// One key. It counts when pressed, as a keyboard key does: it emits
// pressed() then and shows itself pressed until released. Its accessible
// name is its digit. The keypad takes the mouse and the fingers for it.
class KeypadKey : public QAbstractButton {
    Q_OBJECT
public:
    KeypadKey(int digit, Keypad* keypad);
    int digit() const { return digit_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class Keypad;
    void press();

    int digit_;
    Keypad* keypad_;
};

class Keypad : public QWidget {
    Q_OBJECT
public:
    // The size of the window's column.
    static constexpr int kColumnWidth = 150;
    static constexpr int kColumnHeight = 449;

    // `type` gets the digit of each key pressed. The keypad takes input
    // only while `follows` does (the window it stands in or beside).
    Keypad(QWidget* follows, std::function<void(int digit)> type, QWidget* parent = nullptr);

    // The window's column (false, at kColumnWidth x kColumnHeight) or the
    // tray alone (true, any size: full screen).
    void setTrayOnly(bool trayOnly);
    bool trayOnly() const { return trayOnly_; }

    KeypadKey* key(int digit) const { return keys_[static_cast<std::size_t>(digit)]; }
    // Where the key of `digit` stands in the keypad, logical pixels.
    QRect keyRect(int digit) const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class KeypadKey;

    // The key pictures for keys of `device` pixels: drawn when first asked for.
    struct Faces {
        QImage up, down;
        std::array<QImage, 10> digits;  // in the raised key's place
    };
    const Faces& faces(QSize device);
    // The backdrop at `device` pixels, drawn when first asked for.
    const QImage& backdrop(QSize device);

    // Input: one key is down at a time, by the mouse or by the first finger
    // of a touch; the rest of that touch enters nothing.
    KeypadKey* keyAt(QPoint point) const;
    void touch(QTouchEvent* event);
    void letGo();
    void placeKeys();

    QWidget* follows_;
    std::function<void(int)> type_;
    std::array<KeypadKey*, 10> keys_{};
    bool trayOnly_ = false;
    KeypadKey* held_ = nullptr;  // the key down by the mouse or the touch
    bool touching_ = false;      // a touch sequence is under way
    int finger_ = -1;            // the touch point that holds held_
    std::map<std::pair<int, int>, Faces> faces_;
    std::map<std::pair<int, int>, QImage> backdrops_;  // by width and height, negative for the tray
};

}  // namespace game
