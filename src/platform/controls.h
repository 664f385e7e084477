// A few window controls with the behaviour of a classic desktop toolkit:
// picture boxes that keep what was drawn on them, labels, timers, secondary
// windows and control arrays.
#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QObject>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "platform/devicegrid.h"

namespace vb {

// The classic 16-colour palette: 0 black, 1 dark blue, ..., 12 light red, ...
QColor QBColor(int index);

// How a picture box on a screen that scales draws its picture: `renderer`
// gets the picture as it was given to the box and the box's device grid, and
// returns it drawn at grid.size(picture.size()) device pixels, or a null image
// when it cannot (the box then enlarges the picture smoothly).
using PictureRenderer = QImage (*)(const QImage& picture, const DeviceGrid& grid);
void setPictureRenderer(PictureRenderer renderer);

// A rectangle that shows a picture, can be drawn on, can hold child controls
// and reports clicks. What it shows lives in an off-screen canvas, so drawings
// survive the window being covered and uncovered.
//
// The canvas has the screen's own resolution. At a device pixel ratio of 1 it
// holds one pixel per logical pixel and the picture is the bitmap itself. On
// a screen that scales it covers exactly the device pixels the toolkit gives
// the box (see DeviceGrid), the picture comes from the picture renderer and
// the filled boxes are filled on whole device pixels; when the window moves
// to a screen of another ratio, or the box moves by a fraction of a device
// pixel, the canvas is made again, drawings included.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Shows `picture` at the top left corner over the back colour, replacing
    // everything the box showed, drawings included. With auto-size on, the box
    // takes the picture's exact size. A null picture leaves the box as it was.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    void setAutoSize(bool on);
    void setBackColor(const QColor& color);

    // Fills the box with corners (x1,y1) and (x2,y2) in palette colour
    // `paletteIndex`; the far corner's row and column are not filled.
    void fillBox(int x1, int y1, int x2, int y2, int paletteIndex);

    // What the box shows, child controls left out, in device pixels:
    // grid().size(size()) of them (the logical size at a ratio of 1).
    const QImage& canvas() const;

    // How the box's logical pixels fall on its window's device pixels now.
    DeviceGrid grid() const;

    // A hidden copy with this box's parent, place, size and settings.
    PictureBox* cloneHidden() const;

    // A box whose clicks something listens to is a button: assistive
    // technology is told so, under the box's accessible name, and may press
    // it, which clicks it.
    bool isButton() const;

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A filled box, kept so that the canvas can be made again at another ratio.
    struct Fill {
        QRect box;  // logical pixels, within the box as it was then
        int paletteIndex;
    };

    void redrawCanvas();
    // Makes the canvas again for the current grid, drawings included, when
    // it was made for another; true when it did.
    bool fitCanvas();
    // The part of `region` (this box's pixels) that no opaque box above it
    // covers.
    QRegion uncovered(const QRegion& region) const;
    // On a screen that scales, a hidden box's canvas is made when it is
    // needed (shown, painted or asked for), not each time it changes: its
    // picture is drawn from its source only then.
    void rebuildCanvas(const DeviceGrid& grid);
    void makeCanvas(const DeviceGrid& grid) const;
    QImage pictureFor(const DeviceGrid& grid) const;

    QImage picture_;
    mutable QImage canvas_;
    mutable DeviceGrid canvasGrid_;  // the grid the canvas was (or is to be) made for
    mutable bool canvasDue_ = false; // the canvas is to be made for canvasGrid_
    std::vector<Fill> fills_;    // drawn since the picture or back colour changed
    QColor backColor_{Qt::white};
    bool autoSize_ = false;
    bool pressed_ = false;
};

// Text that cannot take the focus. The text is shown as typed (never as
// markup) and wraps within the label's width.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr);

    void setCaption(const QString& text) { setText(text); }
    QString caption() const { return text(); }
    void setForeColor(const QColor& color);
    // Opaque labels paint their back colour; the others (all at first) show
    // what lies behind.
    void setBackOpaque(const QColor& color);

    Label* cloneHidden() const;
};

// Raises timer() while enabled, each tick one interval after the handler of
// the previous one returned: a handler that blocks the thread for a while
// stretches the rhythm by that much, so a tick whose handler pauses takes the
// interval plus the pause. The handler is never re-entered by its own timer.
// Disabling and enabling again, also from inside the handler, counts a full
// interval from then on.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(int intervalMs, QObject* parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

signals:
    void timer();

private:
    void tick();

    QTimer timer_;  // single shot: armed while enabled and no handler runs
    bool enabled_ = false;
    bool inTick_ = false;
};

// A secondary window that is created with its controls each time it is shown
// and deletes itself when closed. `onUnload` runs however it is closed (close
// box, keyboard or code); closing is never refused.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(std::function<void()> onUnload);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> onUnload_;
};

// Controls of one name told apart by an index. Element 0 comes from the
// layout; Load(i) creates element i as a hidden copy of element 0.
template <class Control>
class ControlArray {
public:
    void setElement0(Control* control) { elements_[0] = control; }
    bool Load(int index)
    {
        if (elements_.count(index) || !elements_.count(0))
            return false;
        elements_[index] = elements_[0]->cloneHidden();
        return true;
    }
    // The element at `index`, or nullptr when it does not exist.
    Control* operator()(int index) const
    {
        auto it = elements_.find(index);
        return it == elements_.end() ? nullptr : it->second;
    }
    int count() const { return static_cast<int>(elements_.size()); }

private:
    std::map<int, Control*> elements_;
};

// Gives a top-level window a fixed single border with title bar and close
// box only, and the client size width x height in pixels.
void setFixedSingleBorder(QWidget* window, int width, int height);

// Places a top-level window `leftTwips`/`topTwips` from the screen's top left.
void moveWindowTwips(QWidget* window, int leftTwips, int topTwips);

}  // namespace vb
