// Full screen for a window of fixed size: a stage that covers one screen and
// shows the window in its middle, as large as fits, with the windows it opens
// centred over it at the same scale.
//
// The window's own code does not change: its controls keep their logical
// places and sizes, and the stage scales the whole window when it paints.
// Controls learn the stage's scale through deviceRatio() and draw at that
// resolution, so nothing is enlarged from a small bitmap. What the stage
// shows around the window is painted by a backdrop that the caller gives,
// and the frame round the guests (the windows shown over it) in the colours
// the caller gives.
#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsProxyWidget>
#include <QGraphicsView>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <functional>
#include <vector>

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

// `region` (in `widget`'s pixels) less what its visible opaque child widgets
// cover, they paint every pixel of their own; only the children that stand
// above `below`, one of them, when it is given.
QRegion withoutOpaqueChildren(const QWidget* widget, QRegion region, const QWidget* below = nullptr);

// How the frame round a guest looks: a border with a title bar holding the
// window's title and a round close button.
struct FrameLook {
    QColor border;       // the border and the title's text
    QColor titleBar;
    QColor closeButton;  // white cross on it
    QFont title;         // in the window's logical pixels
};

class Stage : public QGraphicsView {
    Q_OBJECT
public:
    // Paints what lies around the window: `window` is where the window
    // stands on the stage `stage` large, `beside` where the widget beside it
    // stands (empty without one) and `scale` the device pixels per logical
    // pixel; `painter` paints in device pixels, `exposed` is the part to
    // paint. It also paints under the widget beside, which shows it where
    // it is transparent.
    using Backdrop = std::function<void(QPainter& painter, const QRect& exposed, const QRect& window,
                                        const QRect& beside, QSize stage, double scale)>;

    // Where the window and the widget beside it stand on a stage, in device
    // pixels, and the window's scale.
    struct Arrangement {
        double scale = 1.0;  // device pixels per logical pixel of the window
        QRect window;
        QRect beside;
    };
    // Arranges a window `window` large (logical pixels) and the widget
    // beside it on a stage `stage` large (device pixels).
    using Arrange = std::function<Arrangement(QSize stage, QSize window)>;

    Stage(QWidget* window, Backdrop backdrop, FrameLook frame);
    ~Stage() override;

    // Takes the window and the windows it has open onto the stage and covers
    // `screen` with it. Without `beside` the window is as large as fits
    // (fitScale) in the middle; with it, `beside` becomes a child of the
    // stage, shown unscaled, and `arrange` places the two. The stage never
    // owns it.
    void enter(QScreen* screen, QWidget* beside = nullptr, Arrange arrange = {});
    // Gives the window and its open guests back as ordinary windows, where
    // they stood before. The widget beside, if it is still the stage's
    // child, is hidden and left without a parent.
    void leave();
    bool isOn() const { return on_; }
    // Puts `window` on the stage in the place of its window, which goes back
    // as a hidden ordinary window; `beside` and `arrange` as for enter().
    // The stage stays on the screen meanwhile, so nothing flickers; off,
    // the stage simply takes `window` for its next enter().
    void replaceWindow(QWidget* window, QWidget* beside = nullptr, Arrange arrange = {});
    // The widget beside the window while the stage is on, or nullptr.
    QWidget* beside() const { return beside_; }

    // The stage showing `window`, or nullptr.
    static Stage* of(const QWidget* window);

    double scale() const { return scale_; }  // device pixels per logical pixel

    // Puts `window`, one the stage's window opened, over it as a guest. The
    // guest leaves the stage when it is destroyed (the toolkit deletes its
    // proxy with it) or when the stage leaves; closing it hides it.
    void present(QWidget* window);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    class Guest;

    // Fits the scale and the places to the stage's size and screen.
    void layOut();
    // The widget beside, while it is still the stage's child.
    QWidget* besideHere() const;
    void releaseBeside();
    void place(Guest& guest) const;
    // The guests still on the stage, first presented first.
    std::vector<Guest*> guests();

    QPointer<QWidget> window_;
    Backdrop backdrop_;
    FrameLook frame_;
    QGraphicsScene scene_;
    QPointer<QGraphicsProxyWidget> proxy_;  // the window's
    std::vector<QPointer<QGraphicsProxyWidget>> guests_;
    QPoint place_;  // where the window stood as an ordinary window
    double scale_ = 1.0;
    QRect shown_;   // where the window stands, in device pixels of the stage
    QPointer<QWidget> beside_;
    Arrange arrange_;
    QRect besideShown_;  // where the widget beside stands, in device pixels
    bool on_ = false;
};

}  // namespace vb
