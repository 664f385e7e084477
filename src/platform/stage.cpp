#include "platform/stage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "platform/devicegrid.h"

namespace vb {

double fitScale(QSize screen, QSize window)
{
    if (window.isEmpty() || screen.isEmpty())
        return 1.0;
    const double largest = std::min(double(screen.width()) / window.width(),
                                    double(screen.height()) / window.height());
    // A tenth below at most: at a scale in tenths every move of ten pixels
    // is a whole number of device pixels, so a picture moved by tens lands
    // on the device grid as it did before and is drawn once, not again at
    // every move.
    return std::max(0.1, std::floor(largest * 10 + 1e-9) / 10);
}

QRect fittedRect(QSize screen, QSize window, double scale)
{
    // The same rounding the toolkit uses for the window's own edges.
    const QSize size(toDevicePixel(window.width(), scale), toDevicePixel(window.height(), scale));
    const QPoint corner((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
    return QRect(corner, size);
}

QRegion withoutOpaqueChildren(const QWidget* widget, QRegion region, const QWidget* below)
{
    // Later children stand above earlier ones.
    const QObjectList& children = widget->children();
    for (qsizetype i = below ? children.indexOf(const_cast<QWidget*>(below)) + 1 : 0; i < children.size(); ++i) {
        const auto* child = qobject_cast<const QWidget*>(children.at(i));
        if (child && !child->isWindow() && child->isVisible() && child->testAttribute(Qt::WA_OpaquePaintEvent))
            region -= child->geometry();
    }
    return region;
}

namespace {

// The border and title bar the stage draws round its guests, in their
// logical pixels, and the room for the shadow below and to the right.
constexpr int kBorder = 4;
constexpr int kTitle = 30;
constexpr int kCloseSize = 22;
constexpr int kShadow = 6;

// Paints the back of a window on the stage where its opaque children leave
// it showing. The stage paints the window through its proxy, which would
// fill the whole of each repainted area with the window's colour before the
// children paint over it: at the stage's scale that is millions of pixels a
// second while something moves.
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

// Embeds `window` in `proxy` (hidden first: a window is shown in one place
// only) and puts the proxy on `scene`.
void embed(QGraphicsScene& scene, QGraphicsProxyWidget* proxy, QWidget* window)
{
    const bool quitOnClose = window->testAttribute(Qt::WA_QuitOnClose);
    window->hide();
    window->setProperty("_stage_back", QVariant::fromValue<QObject*>(new WindowBack(window)));
    proxy->setWidget(window);
    proxy->setWindowFlags(Qt::Widget);
    proxy->setCacheMode(QGraphicsItem::NoCache);
    // The proxy takes this away from the window; it is given back on leaving.
    window->setProperty("_stage_quitOnClose", quitOnClose);
    scene.addItem(proxy);
    window->show();
}

// Gives the window of `proxy` back as a hidden ordinary window at `place`
// and deletes the proxy.
void unembed(QGraphicsProxyWidget* proxy, QPoint place)
{
    QWidget* window = proxy->widget();
    if (window) {
        window->hide();
        delete window->property("_stage_back").value<QObject*>();
        window->setProperty("_stage_back", QVariant());
        proxy->setWidget(nullptr);
        window->setAttribute(Qt::WA_DontShowOnScreen, false);
        window->setAttribute(Qt::WA_QuitOnClose, window->property("_stage_quitOnClose").toBool());
        window->move(place);
    }
    delete proxy;
}

}  // namespace

// A guest on the stage: the proxy of a window the stage's window opened,
// painting a frame round it with the window's title and a round close
// button. The frame is the proxy's own, so it goes wherever the proxy goes:
// hidden with the window, and deleted with it by the toolkit.
class Stage::Guest : public QGraphicsProxyWidget {
public:
    Guest(const FrameLook& look, QPoint place) : look_(look), place_(place) {}

    QPoint place() const { return place_; }  // where it stood as an ordinary window

    // The frame round the window, in the window's logical pixels.
    QRectF outer() const { return rect().adjusted(-kBorder, -kTitle, kBorder, kBorder); }

    QRectF boundingRect() const override { return outer().adjusted(0, 0, kShadow, kShadow); }
    QPainterPath shape() const override
    {
        QPainterPath path;
        path.addRect(outer());
        return path;
    }

    void paint(QPainter* p, const QStyleOptionGraphicsItem* option, QWidget* widget) override
    {
        paintFrame(*p);
        QGraphicsProxyWidget::paint(p, option, widget);
    }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override
    {
        if (rect().contains(event->pos())) {
            QGraphicsProxyWidget::mousePressEvent(event);
            return;
        }
        // The frame takes every press on it, so none reaches the window below.
        pressed_ = closeButton().contains(event->pos());
        inFrame_ = true;
        update();
        event->accept();
    }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override
    {
        if (!inFrame_) {
            QGraphicsProxyWidget::mouseReleaseEvent(event);
            return;
        }
        const bool hit = pressed_ && closeButton().contains(event->pos());
        pressed_ = inFrame_ = false;
        update();
        if (hit && widget())
            widget()->close();
    }
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override
    {
        if (!inFrame_)
            QGraphicsProxyWidget::mouseMoveEvent(event);
    }

private:
    QRectF closeButton() const
    {
        const QRectF o = outer();
        return QRectF(o.right() - kBorder - kCloseSize - 2, o.top() + (kTitle - kCloseSize) / 2.0, kCloseSize,
                      kCloseSize);
    }

    void paintFrame(QPainter& p) const
    {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF o = outer();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawRoundedRect(o.translated(4, 5), 10, 10);
        p.setBrush(look_.border);
        p.drawRoundedRect(o, 10, 10);
        QPainterPath bar;
        bar.addRoundedRect(o.adjusted(kBorder, kBorder, -kBorder, 0), 7, 7);
        QPainterPath barCut;
        barCut.addRect(QRectF(o.left(), o.top() + kTitle, o.width(), o.height()));
        p.setBrush(look_.titleBar);
        p.drawPath(bar.subtracted(barCut));

        p.setFont(look_.title);
        p.setPen(look_.border);
        p.drawText(QRectF(o.left() + kBorder + 10, o.top() + kBorder, o.width() - 2 * kBorder - kCloseSize - 20,
                          kTitle - kBorder),
                   Qt::AlignVCenter | Qt::AlignLeft, widget() ? widget()->windowTitle() : QString());

        const QRectF c = closeButton();
        p.setPen(Qt::NoPen);
        p.setBrush(pressed_ ? look_.closeButton.darker(120) : look_.closeButton);
        p.drawEllipse(c);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        const QRectF x = c.adjusted(7, 7, -7, -7);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
        p.restore();
    }

    FrameLook look_;
    QPoint place_;
    bool pressed_ = false;
    bool inFrame_ = false;  // the mouse was pressed on the frame
};

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
    QGraphicsProxyWidget* proxy = window ? window->window()->graphicsProxyWidget() : nullptr;
    QGraphicsScene* scene = proxy ? proxy->scene() : nullptr;
    if (!scene || scene->views().isEmpty())
        return nullptr;
    return qobject_cast<Stage*>(scene->views().constFirst());
}

Stage::Stage(QWidget* window, Backdrop backdrop, FrameLook frame)
    : window_(window), backdrop_(std::move(backdrop)), frame_(std::move(frame))
{
    setScene(&scene_);
    // A press beside the windows leaves the keyboard focus where it was
    // (in a guest's text box, say), rather than taking it from them all.
    scene_.setStickyFocus(true);
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
    // The scene would delete the windows with their proxies, and the view
    // the widget beside: give them back.
    releaseBeside();
    for (Guest* g : guests())
        unembed(g, g->place());
    if (proxy_)
        unembed(proxy_, place_);
}

std::vector<Stage::Guest*> Stage::guests()
{
    // A guest's proxy goes with its window; its place in the list goes here.
    guests_.erase(std::remove(guests_.begin(), guests_.end(), nullptr), guests_.end());
    std::vector<Guest*> live;
    for (const QPointer<QGraphicsProxyWidget>& g : guests_)
        live.push_back(static_cast<Guest*>(g.data()));
    return live;
}

QWidget* Stage::besideHere() const
{
    return beside_ && beside_->parentWidget() == viewport() ? beside_.data() : nullptr;
}

void Stage::releaseBeside()
{
    if (QWidget* widget = besideHere()) {
        widget->hide();
        widget->setParent(nullptr);
    }
    beside_ = nullptr;
    arrange_ = {};
    besideShown_ = QRect();
}

void Stage::enter(QScreen* screen, QWidget* beside, Arrange arrange)
{
    if (on_ || !window_)
        return;
    on_ = true;
    if (beside && arrange) {
        beside_ = beside;
        arrange_ = std::move(arrange);
        beside->setParent(viewport());
    }
    // The windows it has open go along, over it.
    std::vector<QWidget*> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != window_ && w != this && w->isVisible() && w->windowType() == Qt::Window)
            open.push_back(w);

    place_ = window_->pos();
    proxy_ = new QGraphicsProxyWidget(nullptr, Qt::Widget);
    embed(scene_, proxy_, window_);

    if (screen)
        setScreen(screen);
    setGeometry(screen ? screen->geometry() : QRect(0, 0, 800, 600));
    showFullScreen();
    layOut();
    if (QWidget* widget = besideHere())
        widget->show();
    for (QWidget* w : open)
        present(w);
    activateWindow();
    setFocus();
}

void Stage::replaceWindow(QWidget* window, QWidget* beside, Arrange arrange)
{
    if (!window || window == window_)
        return;
    if (!on_) {
        window_ = window;
        return;
    }
    releaseBeside();
    if (proxy_)
        unembed(proxy_, place_);
    window_ = window;
    if (beside && arrange) {
        beside_ = beside;
        arrange_ = std::move(arrange);
        beside->setParent(viewport());
    }
    place_ = window_->pos();
    proxy_ = new QGraphicsProxyWidget(nullptr, Qt::Widget);
    embed(scene_, proxy_, window_);
    setWindowTitle(window_->windowTitle());
    setWindowIcon(window_->windowIcon());
    layOut();
    if (QWidget* widget = besideHere())
        widget->show();
    setFocus();
}

void Stage::leave()
{
    if (!on_)
        return;
    on_ = false;
    // Only the guests still open come back as windows: one closed a moment
    // ago is hidden and about to be deleted.
    std::vector<QPointer<QWidget>> open;
    for (Guest* g : guests()) {
        if (g->widget() && g->widget()->isVisible())
            open.emplace_back(g->widget());
        unembed(g, g->place());
    }
    guests_.clear();
    releaseBeside();
    if (proxy_)
        unembed(proxy_, place_);
    proxy_ = nullptr;
    hide();
    if (window_) {
        window_->show();
        window_->raise();
    }
    for (const QPointer<QWidget>& w : open) {
        if (w) {
            w->show();
            w->raise();
            w->activateWindow();
        }
    }
    if (window_ && open.empty())
        window_->activateWindow();
}

void Stage::present(QWidget* window)
{
    if (!window || window->graphicsProxyWidget())
        return;
    if (!on_) {
        window->show();
        return;
    }
    auto* guest = new Guest(frame_, window->pos());
    embed(scene_, guest, window);
    guest->setZValue(10 + static_cast<double>(guests().size()));
    guests_.emplace_back(guest);
    place(*guest);
    guest->setFocus(Qt::ActiveWindowFocusReason);
}

void Stage::place(Guest& guest) const
{
    const double dpr = devicePixelRatioF();
    const double s = scale_ / dpr;  // logical pixels of the stage per pixel of the window
    guest.setScale(s);
    const QRectF outer = guest.outer();
    const QPointF centre = QRectF(shown_).center() / dpr;
    // The frame's corner on a whole device pixel, like the window's.
    const double x = std::round((centre.x() - outer.width() * s / 2) * dpr) / dpr;
    const double y = std::round((centre.y() - outer.height() * s / 2) * dpr) / dpr;
    guest.setPos(x - outer.left() * s, y - outer.top() * s);
}

void Stage::layOut()
{
    if (!window_ || !proxy_)
        return;
    const double dpr = devicePixelRatioF();
    const QSize device(qRound(width() * dpr), qRound(height() * dpr));
    if (QWidget* widget = besideHere()) {
        const Arrangement a = arrange_(device, window_->size());
        scale_ = a.scale;
        shown_ = a.window;
        besideShown_ = a.beside;
        // Its own pixels are logical ones: whole device pixels at a ratio of 1.
        widget->setGeometry(QRectF(QPointF(a.beside.topLeft()) / dpr, QSizeF(a.beside.size()) / dpr).toRect());
    } else {
        scale_ = fitScale(device, window_->size());
        shown_ = fittedRect(device, window_->size(), scale_);
        besideShown_ = QRect();
    }
    scene_.setSceneRect(0, 0, width(), height());
    proxy_->setScale(scale_ / dpr);
    proxy_->setPos(QPointF(shown_.topLeft()) / dpr);
    for (Guest* g : guests())
        place(*g);
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
    backdrop_(*painter, exposed, shown_, besideShown_, QSize(qRound(width() * dpr), qRound(height() * dpr)), scale_);
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
    if (event->type() == QEvent::ScreenChangeInternal)
        layOut();
    return QGraphicsView::event(event);
}

}  // namespace vb
