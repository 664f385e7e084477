#include "platform/controls.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "platform/stage.h"
#include "platform/system.h"

namespace vb {

QColor QBColor(int index)
{
    static const QRgb palette[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),     qRgb(0, 128, 0),     qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128),   qRgb(128, 128, 0),   qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),     qRgb(0, 255, 0),     qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255),   qRgb(255, 255, 0),   qRgb(255, 255, 255),
    };
    return QColor(palette[index & 15]);
}

// ------------------------------------------------------------------ PictureBox

namespace {

PictureRenderer& pictureRenderer()
{
    static PictureRenderer renderer = nullptr;
    return renderer;
}
}  // namespace

void setPictureRenderer(PictureRenderer renderer)
{
    pictureRenderer() = renderer;
}

namespace {

// What assistive technology (and a test) sees of a picture box: a button
// with a press action when it is one, a picture otherwise.
class AccessibleBox : public QAccessibleWidget {
public:
    explicit AccessibleBox(PictureBox* box) : QAccessibleWidget(box, QAccessible::Graphic) {}

    QAccessible::Role role() const override { return box()->isButton() ? QAccessible::Button : QAccessible::Graphic; }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (box()->isButton())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override
    {
        if (name != pressAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        if (box()->isButton() && box()->isEnabled())
            emit box()->clicked();
    }

private:
    PictureBox* box() const { return static_cast<PictureBox*>(widget()); }
};

QAccessibleInterface* accessibleBox(const QString& className, QObject* object)
{
    if (className == QLatin1String(PictureBox::staticMetaObject.className()) && object && object->isWidgetType())
        return new AccessibleBox(static_cast<PictureBox*>(object));
    return nullptr;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(accessibleBox), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas_.fill(backColor_);
}

DeviceGrid PictureBox::grid() const
{
    return {deviceRatio(this), mapTo(window(), QPoint(0, 0))};
}

void PictureBox::setPicture(const QImage& picture)
{
    if (picture.isNull())
        return;
    picture_ = picture;
    if (autoSize_ && size() != picture_.size())
        resize(picture_.size());
    redrawCanvas();
}

void PictureBox::setAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
}

void PictureBox::setBackColor(const QColor& color)
{
    backColor_ = color;
    redrawCanvas();
}

void PictureBox::redrawCanvas()
{
    fills_.clear();
    rebuildCanvas(grid());
    update();
}

const QImage& PictureBox::canvas() const
{
    if (canvasDue_)
        makeCanvas(canvasGrid_);
    return canvas_;
}

bool PictureBox::fitCanvas()
{
    const DeviceGrid now = grid();
    if (canvasDue_) {
        if (!isVisible()) {
            canvasGrid_ = now;
            return false;
        }
        makeCanvas(now);
        return true;
    }
    // At a ratio of 1 the canvas follows the box's size as it always has
    // (resizeEvent), wherever the box stands.
    if (now.ratio == 1.0 && canvasGrid_.ratio == 1.0)
        return false;
    if (now.sameLayout(canvasGrid_) && canvas_.size() == now.size(size()).expandedTo(QSize(1, 1))) {
        canvasGrid_ = now;
        return false;
    }
    rebuildCanvas(now);
    return true;
}

void PictureBox::rebuildCanvas(const DeviceGrid& grid)
{
    // A box not on the screen (hidden, or in a window not yet shown) makes
    // its canvas when it is first painted: the boxes of a window being
    // built get their sizes, colours and pictures one after the other, and
    // only the last of them is shown.
    if (!isVisible()) {
        canvasGrid_ = grid;
        canvasDue_ = true;
        return;
    }
    makeCanvas(grid);
}

void PictureBox::makeCanvas(const DeviceGrid& grid) const
{
    canvasDue_ = false;
    canvasGrid_ = grid;
    const QSize device = grid.size(size()).expandedTo(QSize(1, 1));
    const QImage picture = picture_.isNull() ? QImage() : grid.ratio == 1.0 ? picture_ : pictureFor(grid);
    // A picture that fills the box exactly, opaque, is the canvas itself
    // (shared, not copied; a fill drawn later copies it first): a picture
    // that moves may be given anew at every step.
    if (fills_.empty() && picture.size() == device && picture.format() == QImage::Format_RGB32) {
        canvas_ = picture;
        return;
    }
    canvas_ = QImage(device, QImage::Format_RGB32);
    canvas_.fill(backColor_);
    QPainter p(&canvas_);
    if (!picture.isNull())
        p.drawImage(0, 0, picture);
    for (const Fill& fill : fills_)
        p.fillRect(grid.rect(fill.box), QBColor(fill.paletteIndex));
}

QImage PictureBox::pictureFor(const DeviceGrid& grid) const
{
    const QSize device = grid.size(picture_.size());
    QImage drawn = pictureRenderer() ? pictureRenderer()(picture_, grid) : QImage();
    if (drawn.size() != device)
        drawn = picture_.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return drawn;
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, int paletteIndex)
{
    const QRect box = QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                            QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    // Kept for a canvas made again at another ratio. A fill forgets the
    // earlier ones it covers, so a box filled again and again in one place
    // keeps one fill, and a fill over the whole box forgets all the others.
    const QRect kept = box & rect();
    if (!kept.isEmpty()) {
        fills_.erase(std::remove_if(fills_.begin(), fills_.end(),
                                    [&](const Fill& f) { return kept.contains(f.box); }),
                     fills_.end());
        fills_.push_back({kept, paletteIndex});
    }
    if (canvasDue_ && !isVisible())
        return;  // the canvas, when made, has the fill
    if (fitCanvas()) {
        update();
        return;
    }
    QPainter p(&canvas_);
    p.fillRect(canvasGrid_.rect(box), QBColor(paletteIndex));
    // On a screen that scales, the logical box's edge rows may be shared
    // with its neighbours: repaint a pixel more all round.
    update(canvasGrid_.ratio == 1.0 ? box : box.adjusted(-1, -1, 1, 1));
}

bool PictureBox::event(QEvent* event)
{
    // The window went to a screen of another ratio.
    if (event->type() == QEvent::ScreenChangeInternal && fitCanvas())
        update();
    return QWidget::event(event);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    fitCanvas();
    QPainter p(this);
    const QRect r = event->rect();
    if (canvasGrid_.ratio == 1.0) {
        p.fillRect(r, backColor_);
        p.drawImage(r.topLeft(), canvas_, r);
        return;
    }
    // On a screen that scales, paint in device pixels: the canvas's first
    // pixel goes on the device pixel where the toolkit puts the box's corner,
    // one canvas pixel on one device pixel, never resampled.
    const QTransform toDevice = p.deviceTransform();
    const QPoint origin(qRound(toDevice.dx()), qRound(toDevice.dy()));
    const QPointF corner = QPointF(origin) - QPointF(toDevice.dx(), toDevice.dy());
    p.setWorldTransform(QTransform::fromScale(1.0 / canvasGrid_.ratio, 1.0 / canvasGrid_.ratio));
    // What may be painted of the device, in canvas pixels. On the stage it
    // is cut up by the boxes over this one; the paint engine copies a
    // picture under a clip of one rectangle line by line, but one under a
    // clip of many rectangles it cuts into slices for worker threads, a
    // wake-up each, which a box with others moving over it paid at every
    // move. So each rectangle is painted on its own.
    const QRegion deviceClip = p.paintEngine()->systemClip().translated(-origin);
    QRegion pieces;
    for (const QRect& part : uncovered(event->region())) {
        const QRect exposed = canvasGrid_.rect(part).adjusted(-1, -1, 1, 1) & canvas_.rect();
        pieces += deviceClip.isEmpty() ? QRegion(exposed) : deviceClip & exposed;
    }
    for (const QRect& piece : pieces) {
        p.save();
        p.setClipRect(piece, Qt::IntersectClip);
        p.drawImage(corner + QPointF(piece.topLeft()), canvas_, piece);
        p.restore();
    }
}

QRegion PictureBox::uncovered(const QRegion& region) const
{
    // A window on the full-screen stage is painted through the stage, which
    // paints every box under a repainted area, also where an opaque box
    // above covers it (at the stage's many device pixels, each time the box
    // above moves). What such boxes cover is left to them; they paint every
    // pixel of their own.
    const QRegion part = withoutOpaqueChildren(this, region);
    const QWidget* parent = parentWidget();
    if (!parent)
        return part;
    return withoutOpaqueChildren(parent, part.translated(pos()), this).translated(-pos());
}

void PictureBox::moveEvent(QMoveEvent* event)
{
    // On a screen that scales, where the box's edges and flat areas fall on
    // device pixels depends on where it stands.
    if (fitCanvas())
        update();
    QWidget::moveEvent(event);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    // A box resized while hidden hears of it when it is first shown, with
    // its canvas long made for that size: it is made again only when the
    // size or the grid has changed.
    if (grid().ratio != 1.0 || canvasGrid_.ratio != 1.0) {
        fitCanvas();
        QWidget::resizeEvent(event);
        return;
    }
    if (canvasDue_ || canvas_.size() == size()) {
        QWidget::resizeEvent(event);
        return;  // a canvas still to be made is made at the new size
    }
    // Growing keeps what was drawn; the new area shows the back colour.
    QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    grown.fill(backColor_);
    QPainter p(&grown);
    p.drawImage(0, 0, canvas_);
    p.end();
    canvas_ = grown;
    QWidget::resizeEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        // Taken, so that the release comes back here also when the window
        // is shown scaled on a full-screen stage.
        pressed_ = true;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

bool PictureBox::isButton() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&PictureBox::clicked));
}

PictureBox* PictureBox::cloneHidden() const
{
    auto* copy = new PictureBox(parentWidget());
    copy->hide();
    copy->setGeometry(geometry());
    copy->backColor_ = backColor_;
    copy->autoSize_ = autoSize_;
    copy->picture_ = picture_;
    copy->setToolTip(toolTip());
    copy->setCursor(cursor());
    copy->redrawCanvas();
    return copy;
}

// ----------------------------------------------------------------------- Label

Label::Label(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
}

void Label::setForeColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void Label::setBackOpaque(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    setAutoFillBackground(true);
}

Label* Label::cloneHidden() const
{
    auto* copy = new Label(parentWidget());
    copy->hide();
    copy->setGeometry(geometry());
    copy->setFont(font());
    copy->setPalette(palette());
    copy->setAutoFillBackground(autoFillBackground());
    copy->setAlignment(alignment());
    copy->setWordWrap(wordWrap());
    copy->setText(text());
    return copy;
}

// ------------------------------------------------------------------ FormWindow

FormWindow::FormWindow(std::function<void()> onUnload) : onUnload_(std::move(onUnload))
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (onUnload_)
        onUnload_();
    event->accept();
}

// ----------------------------------------------------------------------- Timer

Timer::Timer(int intervalMs, QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &Timer::tick);
}

void Timer::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    if (on)
        timer_.start();
    else
        timer_.stop();
}

void Timer::tick()
{
    if (inTick_)
        return;  // enabled again inside its own handler: the tick after it counts
    inTick_ = true;
    emit timer();
    inTick_ = false;
    // The next tick counts from now. A timer enabled again during the handler
    // is already armed from that moment.
    if (enabled_ && !timer_.isActive())
        timer_.start();
}

// --------------------------------------------------------------------- windows

void setFixedSingleBorder(QWidget* window, int width, int height)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(width, height);
}

void moveWindowTwips(QWidget* window, int leftTwips, int topTwips)
{
    window->move(platform::twipsToPixels(leftTwips), platform::twipsToPixels(topTwips));
}

}  // namespace vb
