#include "platform/stage.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QGraphicsObject>
#include <QGraphicsProxyWidget>
#include <QGraphicsSceneMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "platform/controls.h"

namespace vb {

double fitScale(QSize screen, QSize window)
{
    if (window.isEmpty() || screen.isEmpty())
        return 1.0;
    const double largest = std::min(double(screen.width()) / window.width(),
                                    double(screen.height()) / window.height());
    // A tenth below at most: at a scale in tenths every move of ten pixels
    // is a whole number of device pixels, so a picture moved by tens (the
    // lamb's steps and hops) lands on the device grid as it did before and
    // is drawn once, not again at every step.
    return std::max(0.1, std::floor(largest * 10 + 1e-9) / 10);
}

QRect fittedRect(QSize screen, QSize window, double scale)
{
    // The same rounding the toolkit uses for the window's own edges.
    const QSize size(toDevicePixel(window.width(), scale), toDevicePixel(window.height(), scale));
    const QPoint corner((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
    return QRect(corner, size);
}

namespace {

QGraphicsProxyWidget* proxyOf(const QWidget* widget)
{
    return widget ? widget->window()->graphicsProxyWidget() : nullptr;
}

// The border and title bar the stage draws round the windows it presents,
// in their logical pixels.
constexpr int kBorder = 4;
constexpr int kTitle = 30;
constexpr int kCloseSize = 22;

const QColor kFrameBlue(0, 0, 128);
const QColor kTitleSky(142, 207, 245);
const QColor kCloseRed(228, 64, 96);

// A frame with the window's caption and a round close button; the window's
// proxy is its child, so both scale together.
class Frame : public QGraphicsObject {
public:
    Frame(QWidget* window, QGraphicsProxyWidget* proxy) : window_(window), proxy_(proxy)
    {
        proxy_->setParentItem(this);
        proxy_->setPos(kBorder, kTitle);
        setAcceptedMouseButtons(Qt::LeftButton);
    }

    QSizeF inner() const { return proxy_->size(); }
    QRectF boundingRect() const override
    {
        const QSizeF s = inner();
        // Room for the shadow below and to the right.
        return QRectF(0, 0, s.width() + 2 * kBorder + 6, s.height() + kTitle + kBorder + 6);
    }
    QRectF outer() const
    {
        const QSizeF s = inner();
        return QRectF(0, 0, s.width() + 2 * kBorder, s.height() + kTitle + kBorder);
    }
    QRectF closeButton() const
    {
        const QRectF o = outer();
        return QRectF(o.right() - kBorder - kCloseSize - 2, (kTitle - kCloseSize) / 2.0, kCloseSize, kCloseSize);
    }

    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        p->setRenderHint(QPainter::Antialiasing);
        const QRectF o = outer();
        p->setPen(Qt::NoPen);
        p->setBrush(QColor(0, 0, 0, 60));
        p->drawRoundedRect(o.translated(4, 5), 10, 10);
        p->setBrush(kFrameBlue);
        p->drawRoundedRect(o, 10, 10);
        QPainterPath bar;
        bar.addRoundedRect(o.adjusted(kBorder, kBorder, -kBorder, 0), 7, 7);
        QPainterPath barCut;
        barCut.addRect(QRectF(o.left(), kTitle, o.width(), o.height()));
        p->setBrush(kTitleSky);
        p->drawPath(bar.subtracted(barCut));

        QFont font = songFont(16, true);
        p->setFont(font);
        p->setPen(kFrameBlue);
        p->drawText(QRectF(kBorder + 10, kBorder, o.width() - 2 * kBorder - kCloseSize - 20, kTitle - kBorder),
                    Qt::AlignVCenter | Qt::AlignLeft, window_ ? window_->windowTitle() : QString());

        const QRectF c = closeButton();
        p->setPen(Qt::NoPen);
        p->setBrush(pressed_ ? kCloseRed.darker(120) : kCloseRed);
        p->drawEllipse(c);
        QPen cross(Qt::white, 3, Qt::SolidLine, Qt::RoundCap);
        p->setPen(cross);
        const QRectF x = c.adjusted(7, 7, -7, -7);
        p->drawLine(x.topLeft(), x.bottomRight());
        p->drawLine(x.topRight(), x.bottomLeft());
    }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override
    {
        pressed_ = closeButton().contains(event->pos());
        update();
        event->accept();
    }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override
    {
        const bool hit = pressed_ && closeButton().contains(event->pos());
        pressed_ = false;
        update();
        if (hit && window_)
            window_->close();
    }

private:
    QPointer<QWidget> window_;
    QGraphicsProxyWidget* proxy_;
    bool pressed_ = false;
};

// Paints the back of a window on the stage where its opaque boxes leave it
// showing. The stage paints the window through its proxy, which would fill
// the whole of each repainted area with the window's colour before the boxes
// paint over it; at the stage's scale that is millions of pixels a second
// while the lamb walks.
class WindowBack : public QObject {
public:
    explicit WindowBack(QWidget* window) : QObject(window), window_(window), autoFill_(window->autoFillBackground())
    {
        window->setAutoFillBackground(false);
        window->installEventFilter(this);
    }
    ~WindowBack() override
    {
        if (window_) {
            window_->removeEventFilter(this);
            window_->setAutoFillBackground(autoFill_);
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Paint && autoFill_) {
            const QRegion bare = withoutOpaqueChildren(window_, static_cast<QPaintEvent*>(event)->region());
            QPainter p(window_);
            const QBrush back = window_->palette().brush(window_->backgroundRole());
            for (const QRect& r : bare)
                p.fillRect(r, back);
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    bool autoFill_;
};

// Embeds `window` (hidden first: a window is shown in one place only).
QGraphicsProxyWidget* embed(QGraphicsScene& scene, QWidget* window)
{
    const bool quitOnClose = window->testAttribute(Qt::WA_QuitOnClose);
    window->hide();
    window->setProperty("_stage_back", QVariant::fromValue<QObject*>(new WindowBack(window)));
    auto* proxy = new QGraphicsProxyWidget(nullptr, Qt::Widget);
    proxy->setWidget(window);
    proxy->setWindowFlags(Qt::Widget);
    proxy->setCacheMode(QGraphicsItem::NoCache);
    // The proxy takes this away from the window; it is given back on leaving.
    window->setProperty("_stage_quitOnClose", quitOnClose);
    scene.addItem(proxy);
    window->show();
    return proxy;
}

// Gives `window` back from its proxy as a hidden ordinary window at `place`.
void unembed(QGraphicsProxyWidget* proxy, QWidget* window, QPoint place)
{
    window->hide();
    delete window->property("_stage_back").value<QObject*>();
    window->setProperty("_stage_back", QVariant());
    proxy->setWidget(nullptr);
    window->setAttribute(Qt::WA_DontShowOnScreen, false);
    window->setAttribute(Qt::WA_QuitOnClose, window->property("_stage_quitOnClose").toBool());
    window->move(place);
}

}  // namespace

double deviceRatio(const QWidget* widget)
{
    if (Stage* stage = Stage::of(widget))
        return stage->scale();
    return widget->devicePixelRatioF();
}

QWindow* shownIn(const QWidget* window)
{
    if (Stage* stage = Stage::of(window))
        return stage->windowHandle();
    return window->window()->windowHandle();
}

void showOver(QWidget* window, QWidget* owner)
{
    if (Stage* stage = Stage::of(owner)) {
        stage->present(window);
        return;
    }
    window->show();
}

Stage* Stage::of(const QWidget* window)
{
    QGraphicsProxyWidget* proxy = proxyOf(window);
    if (!proxy)
        return nullptr;
    // A presented window's proxy has the frame as its parent item.
    QGraphicsScene* scene = proxy->scene();
    if (!scene || scene->views().isEmpty())
        return nullptr;
    return qobject_cast<Stage*>(scene->views().constFirst());
}

Stage::Stage(QWidget* window, Backdrop backdrop) : window_(window), backdrop_(std::move(backdrop))
{
    setScene(&scene_);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlags(QGraphicsView::DontAdjustForAntialiasing);
    setCacheMode(QGraphicsView::CacheNone);
    // The backdrop and the window between them paint every pixel: filling
    // the view first would only be painted over, a screenful at a time.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setWindowTitle(window->windowTitle());
    setWindowIcon(window->windowIcon());
}

Stage::~Stage()
{
    // The scene would delete the windows with their proxies: give them back.
    for (Guest& g : guests_)
        if (g.window)
            unembed(g.proxy, g.window, g.place);
    if (proxy_ && window_)
        unembed(proxy_, window_, place_);
}

void Stage::enter(QScreen* screen)
{
    if (on_ || !window_)
        return;
    on_ = true;
    forgetAll();
    // Every paint of the window's controls passes the stage (retainedOf).
    qApp->installEventFilter(this);
    // The windows it has open go along, over it.
    std::vector<QWidget*> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != window_ && w != this && w->isVisible() && w->windowType() == Qt::Window)
            open.push_back(w);

    place_ = window_->pos();
    proxy_ = embed(scene_, window_);

    if (screen)
        setScreen(screen);
    setGeometry(screen ? screen->geometry() : QRect(0, 0, 800, 600));
    showFullScreen();
    layOut();
    for (QWidget* w : open)
        present(w);
    activateWindow();
    setFocus();
}

void Stage::leave()
{
    if (!on_)
        return;
    on_ = false;
    qApp->removeEventFilter(this);
    forgetAll();
    std::vector<Guest> guests;
    guests.swap(guests_);
    for (Guest& g : guests) {
        if (!g.window)
            continue;
        unembed(g.proxy, g.window, g.place);
        delete g.frame;
    }
    if (window_)
        unembed(proxy_, window_, place_);
    delete proxy_;
    proxy_ = nullptr;
    hide();
    if (window_) {
        window_->show();
        window_->raise();
    }
    for (Guest& g : guests) {
        if (g.window) {
            g.window->show();
            g.window->raise();
            g.window->activateWindow();
        }
    }
    if (window_ && guests.empty())
        window_->activateWindow();
}

void Stage::present(QWidget* window)
{
    for (Guest& g : guests_)
        if (g.window == window)
            return;
    forgetAll();
    Guest guest;
    guest.window = window;
    guest.place = window->pos();
    guest.proxy = embed(scene_, window);
    auto* frame = new Frame(window, guest.proxy);
    guest.frame = frame;
    scene_.addItem(frame);
    frame->setZValue(10 + static_cast<double>(guests_.size()));
    connect(window, &QObject::destroyed, this, [this, window] { removeGuest(window); });
    guests_.push_back(guest);
    placeGuest(guests_.back());
    guest.proxy->setFocus(Qt::ActiveWindowFocusReason);
}

void Stage::removeGuest(QWidget* window)
{
    forgetAll();
    for (auto it = guests_.begin(); it != guests_.end(); ++it) {
        if (it->window == window || it->window.isNull()) {
            delete it->frame;  // its proxy went with the window
            guests_.erase(it);
            break;
        }
    }
    if (proxy_)
        proxy_->setFocus(Qt::OtherFocusReason);
}

void Stage::placeGuest(Guest& guest)
{
    auto* frame = static_cast<Frame*>(guest.frame);
    const double dpr = devicePixelRatioF();
    const double s = scale_ / dpr;  // logical pixels of the stage per pixel of the window
    frame->setScale(s);
    const QSizeF outer = frame->outer().size() * s;
    const QPointF centre = QRectF(game_).center() / dpr;
    // On whole device pixels, like the game.
    const double x = std::round((centre.x() - outer.width() / 2) * dpr) / dpr;
    const double y = std::round((centre.y() - outer.height() / 2) * dpr) / dpr;
    frame->setPos(x, y);
}

void Stage::layOut()
{
    forgetAll();
    if (!window_ || !proxy_)
        return;
    const double dpr = devicePixelRatioF();
    const QSize device(qRound(width() * dpr), qRound(height() * dpr));
    scale_ = fitScale(device, window_->size());
    game_ = fittedRect(device, window_->size(), scale_);
    scene_.setSceneRect(0, 0, width(), height());
    proxy_->setScale(scale_ / dpr);
    proxy_->setPos(QPointF(game_.topLeft()) / dpr);
    for (Guest& g : guests_)
        placeGuest(g);
    viewport()->update();
}

void Stage::drawBackground(QPainter* painter, const QRectF& rect)
{
    if (!backdrop_)
        return;
    const double dpr = devicePixelRatioF();
    painter->save();
    painter->scale(1.0 / dpr, 1.0 / dpr);
    const QRect exposed = QRectF(rect.topLeft() * dpr, rect.size() * dpr).toAlignedRect();
    backdrop_(*painter, exposed, game_, QSize(qRound(width() * dpr), qRound(height() * dpr)), scale_);
    painter->restore();
}

void Stage::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    layOut();
}

void Stage::closeEvent(QCloseEvent* event)
{
    // Closing the stage is closing the window on it, which may refuse.
    if (window_ && !window_->close()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool Stage::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ScreenChangeInternal:
        layOut();
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        forgetAll();
        break;
    default:
        break;
    }
    return QGraphicsView::event(event);
}

bool Stage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !retained_.empty() && watched->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(watched);
        if (window_ && widget->window() == window_)
            paintingOver(widget, static_cast<QPaintEvent*>(event)->region());
    } else if (event->type() == QEvent::Expose && watched == windowHandle()) {
        // The platform may have lost what the image showed.
        forgetAll();
    }
    return QGraphicsView::eventFilter(watched, event);
}

// -------------------------------------------------------- retained pixels

bool Stage::paintsOnScreen(const QPainter& painter) const
{
    QBackingStore* store = backingStore();
    return on_ && store && painter.paintEngine() && painter.paintEngine()->paintDevice() == store->paintDevice();
}

QRegion Stage::retainedOf(const QWidget* box, std::uint64_t canvasSerial, QPoint origin)
{
    if (!guests_.empty()) {
        forgetAll();
        return {};
    }
    Retained& r = retained_[box];
    if (r.canvasSerial != canvasSerial || r.origin != origin)
        r = {canvasSerial, origin, {}};
    return r.area;
}

void Stage::retain(const QWidget* box, const QRegion& canvasArea)
{
    if (!guests_.empty())
        return;
    auto it = retained_.find(box);
    if (it != retained_.end())
        it->second.area += canvasArea;
}

void Stage::forget(const QWidget* box, const QRect& canvasArea)
{
    auto it = retained_.find(box);
    if (it != retained_.end())
        it->second.area -= canvasArea;
}

void Stage::paintingOver(const QWidget* widget, const QRegion& region)
{
    // The device pixels the widget's logical ones touch, a pixel more all
    // round for the ones its edges share with its neighbours.
    const QPoint at = widget->mapTo(window_, QPoint(0, 0));
    QRegion device;
    for (const QRect& r : region) {
        const QRect logical = r.translated(at);
        const QPoint from(int(std::floor(logical.left() * scale_)) - 1, int(std::floor(logical.top() * scale_)) - 1);
        const QPoint to(int(std::ceil((logical.right() + 1) * scale_)) + 1,
                        int(std::ceil((logical.bottom() + 1) * scale_)) + 1);
        device += QRect(from, to - QPoint(1, 1)).translated(game_.topLeft());
    }
    for (auto& [box, r] : retained_)
        if (box != widget)
            r.area -= device.translated(-r.origin);
}

}  // namespace vb
