// The game full screen: the main window drawn as large as the screen allows,
// in the middle of the screen, with the meadow and the sky going on around
// it, and the on-screen keypad beside it when it shows. F11 switches between
// full screen and the ordinary window at any time; the game under way goes
// on as it was, and a keypad that shows goes along.
#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "game/keypad.h"
#include "platform/stage.h"

class Form1;
class QPainter;
class QRect;
class QSize;
class QScreen;
class QWidget;

namespace game {

class FullScreen : public QObject {
    Q_OBJECT
public:
    // `window` is the window shown first; the switch listens for F11 in all
    // the game's windows. `keypad` says when the main window's keypad shows.
    explicit FullScreen(QWidget* window, KeypadRule keypad = {});
    ~FullScreen() override;

    // Full screen on the screen the window stands on.
    void enter();
    void leave();
    void toggle();
    bool isOn() const;
    // Hands the switch over to `window`, which takes the place of the one
    // shown now: full screen when that was, as an ordinary window
    // otherwise. The one shown before is hidden.
    void switchTo(QWidget* window);

    // For the benchmark: switches `times` times, a third of a second apart,
    // each switch followed by a full redraw of what is then shown, prints
    // the milliseconds of each to standard error and quits.
    void measureSwitching(int times);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The main window when it is the one shown, for its keypad.
    Form1* game() const;
    Keypad* keypadBeside();
    static vb::Stage::Arrange keypadArrangement();

    QPointer<QWidget> window_;
    KeypadRule keypad_;
    std::unique_ptr<vb::Stage> stage_;
};

// Paints what lies around the game on a full screen: the scene's sky, grass,
// brown band and blue strip carried on to the screen's edges, with a few
// clouds in the sky. `game` is where the game stands and `scale` its device
// pixels per logical pixel on a screen `screen` large, `keypad` where the
// keypad stands (empty without it); `exposed` the part of the screen to
// paint. The decorations keep clear of the keypad.
void paintSurround(QPainter& painter, const QRect& exposed, const QRect& game, const QRect& keypad, QSize screen,
                   double scale);

}  // namespace game
