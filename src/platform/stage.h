// Full screen for a window of fixed size: a stage that covers one screen and
// shows the window in its middle, as large as fits, with the windows it opens
// centred over it at the same scale.
//
// The window's own code does not change: its controls keep their logical
// places and sizes, and the stage scales the whole window when it paints. The
// picture boxes learn the stage's scale through deviceRatio() and draw their
// pictures at that resolution, so nothing is enlarged from a small bitmap.
// What the stage shows around the window is painted by a backdrop that the
// caller gives.
#pragma once

#include <QGraphicsView>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QGraphicsObject;
class QGraphicsProxyWidget;
class QScreen;

namespace vb {

// Device pixels per logical pixel of a window `window` large that fills as
// much as it can of a screen `screen` large (both in device pixels): the
// largest scale in tenths (2.4, 4.8, whole or not) at which the whole window
// fits.
double fitScale(QSize screen, QSize window);

// Where a window `window` large (logical pixels) stands when scaled by
// `scale` in the middle of a screen `screen` large (device pixels): its top
// left corner on a whole device pixel, and its size in device pixels.
QRect fittedRect(QSize screen, QSize window, double scale);

// Device pixels per logical pixel for what `widget` shows: its screen's
// device pixel ratio, times the stage's scale when its window is on a stage.
double deviceRatio(const QWidget* widget);

// The native window that shows `window` now: its own, or the stage's.
QWindow* shownIn(const QWidget* window);

// Shows a window that `owner` opens: centred over the owner at the stage's
// scale while the owner is on a stage, as an ordinary window otherwise.
void showOver(QWidget* window, QWidget* owner);

class Stage : public QGraphicsView {
    Q_OBJECT
public:
    // Paints what lies around the window: `game` is where the window stands
    // on the stage `stage` large and `scale` the device pixels per logical
    // pixel; `painter` paints in device pixels, `exposed` is the part to paint.
    using Backdrop = std::function<void(QPainter& painter, const QRect& exposed, const QRect& game,
                                        QSize stage, double scale)>;

    Stage(QWidget* window, Backdrop backdrop);
    ~Stage() override;

    // Takes the window and the windows it has open onto the stage and covers
    // `screen` with it.
    void enter(QScreen* screen);
    // Gives the window and its open windows back as ordinary windows, where
    // they stood before.
    void leave();
    bool isOn() const { return on_; }

    // The stage showing `window`, or nullptr.
    static Stage* of(const QWidget* window);

    double scale() const { return scale_; }   // device pixels per logical pixel
    QRect gameRect() const { return game_; }  // device pixels of the stage

    // Puts `window`, one the stage's window opened, over the game.
    void present(QWidget* window);

    // What the stage's screen image still shows of a picture box's canvas.
    // The stage repaints one rectangle round all that changed in its window
    // since the last repaint, so a box under that rectangle is asked to paint
    // much that it painted before and nothing has covered since.
    //
    // True when `painter` paints the stage's screen image (not a grab).
    bool paintsOnScreen(const QPainter& painter) const;
    // The part of `box`'s canvas, in canvas pixels, that the screen image
    // shows as the box last painted it, when the canvas is still
    // `canvasSerial` at `origin` in the image; empty otherwise, and while
    // the stage shows other windows over the game.
    QRegion retainedOf(const QWidget* box, std::uint64_t canvasSerial, QPoint origin);
    // `box` has just painted `canvasArea` of its canvas.
    void retain(const QWidget* box, const QRegion& canvasArea);
    // `canvasArea` of `box`'s canvas has been drawn on.
    void forget(const QWidget* box, const QRect& canvasArea);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Guest {
        QPointer<QWidget> window;
        QGraphicsProxyWidget* proxy = nullptr;
        QGraphicsObject* frame = nullptr;
        QPoint place;  // where it stood as an ordinary window
    };

    // Fits the scale and the places to the stage's size and screen.
    void layOut();
    void placeGuest(Guest& guest);
    void removeGuest(QWidget* window);
    // `widget`, one of the window's, is about to paint `region` (its own
    // pixels) over whatever the boxes painted there.
    void paintingOver(const QWidget* widget, const QRegion& region);
    void forgetAll() { retained_.clear(); }

    struct Retained {
        std::uint64_t canvasSerial = 0;
        QPoint origin;
        QRegion area;  // canvas pixels
    };
    std::map<const QWidget*, Retained> retained_;

    QPointer<QWidget> window_;
    Backdrop backdrop_;
    QGraphicsScene scene_;
    QGraphicsProxyWidget* proxy_ = nullptr;
    std::vector<Guest> guests_;
    QPoint place_;  // where the window stood as an ordinary window
    double scale_ = 1.0;
    QRect game_;
    bool on_ = false;
};

}  // namespace vb
