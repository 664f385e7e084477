#include "game/keypad.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QInputDevice>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTouchEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/devicegrid.h"
#include "platform/stage.h"

namespace game {

namespace {

// The pictures, read when the keypad is first painted.
struct Art {
    QSvgRenderer up{QStringLiteral(":/keypad/key.svg")};
    QSvgRenderer down{QStringLiteral(":/keypad/key-pressed.svg")};
    QSvgRenderer digits{QStringLiteral(":/keypad/digits.svg")};
    QSvgRenderer backdrop{QStringLiteral(":/keypad/panel.svg")};
};
Art& art()
{
    static Art pictures;
    return pictures;
}

// The backdrop's drawing (150 x 449): its tray, with the rounding of its
// corners, and the keys in it: 40 x 40, 46 apart, the first at (9, 136).
const QRectF kColumn(0, 0, Keypad::kColumnWidth, Keypad::kColumnHeight);
const QRectF kTray(4, 130.5, 142, 189.5);
constexpr double kTrayRounding = 12;
constexpr double kFirstKeyX = 9, kFirstKeyY = 136, kKeySide = 40, kKeyStep = 46;
// A digit on the pressed key stands this share of the key lower.
constexpr double kPressedDigitDrop = 0.03;

// 1 2 3 on top, 0 alone in the middle of the bottom row.
int columnOf(int digit) { return digit == 0 ? 1 : (digit - 1) % 3; }
int rowOf(int digit) { return digit == 0 ? 3 : (digit - 1) / 3; }

QSize devicePixels(const QWidget* widget)
{
    const double ratio = vb::deviceRatio(widget);
    return {static_cast<int>(std::lround(widget->width() * ratio)),
            static_cast<int>(std::lround(widget->height() * ratio))};
}

QImage transparentImage(QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

// -------------------------------------------------------------- when it shows

bool KeypadRule::shows(bool fullScreen, bool shownBefore) const
{
    if (refused)
        return false;
    return asked || keypadAlways || shownBefore || (fullScreen && touchScreen);
}

bool hasTouchScreen()
{
    const QList<const QInputDevice*> devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* device) {
        return device->type() == QInputDevice::DeviceType::TouchScreen;
    });
}

KeypadLayout fullScreenLayout(QSize screen, QSize game)
{
    KeypadLayout layout;
    // The tray is drawn for keys of 40: it grows by the keys' own factor.
    const int least = static_cast<int>(std::ceil(std::min(screen.width(), screen.height()) / 7.0));
    const double f = least / kKeySide;
    const QSize tray(static_cast<int>(std::ceil(kTray.width() * f)), static_cast<int>(std::ceil(kTray.height() * f)));
    // As far from the game as the tray's keys are from its rim.
    const int spacing = static_cast<int>(std::lround(4 * f));
    const bool beside = screen.width() >= screen.height();
    const QSize room = beside ? QSize(screen.width() - tray.width() - spacing, screen.height())
                              : QSize(screen.width(), screen.height() - tray.height() - spacing);
    layout.scale = vb::fitScale(room, game);
    const QSize shown(vb::toDevicePixel(game.width(), layout.scale), vb::toDevicePixel(game.height(), layout.scale));
    if (beside) {
        const int left = (screen.width() - (shown.width() + spacing + tray.width())) / 2;
        layout.game = QRect(QPoint(left, (screen.height() - shown.height()) / 2), shown);
        layout.keypad = QRect(QPoint(layout.game.right() + 1 + spacing, (screen.height() - tray.height()) / 2), tray);
    } else {
        const int top = (screen.height() - (shown.height() + spacing + tray.height())) / 2;
        layout.game = QRect(QPoint((screen.width() - shown.width()) / 2, top), shown);
        layout.keypad = QRect(QPoint((screen.width() - tray.width()) / 2, layout.game.bottom() + 1 + spacing), tray);
    }
    // The keys as the keypad places them in a tray of that size.
    layout.key = static_cast<int>(std::lround(kKeySide * std::min(tray.width() / kTray.width(),
                                                                  tray.height() / kTray.height())));
    return layout;
}

// ------------------------------------------------------------------ the keys

KeypadKey::KeypadKey(int digit, Keypad* keypad) : QAbstractButton(keypad), digit_(digit), keypad_(keypad)
{
    setText(QString::number(digit));
    setAccessibleName(text());
    setFocusPolicy(Qt::NoFocus);
    // All fingers on the keypad come to the keypad itself, as one touch,
    // rather than to each key they land on, as a touch of its own.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void KeypadKey::press()
{
    // Shown pressed first: the digit may end the game, and the window
    // that then opens lets go of the keys.
    setDown(true);
    emit pressed();
}

void KeypadKey::paintEvent(QPaintEvent*)
{
    const double ratio = vb::deviceRatio(this);
    const QSize device = devicePixels(this);
    const Keypad::Faces& faces = keypad_->faces(device);
    QPainter p(this);
    p.scale(1 / ratio, 1 / ratio);
    p.drawImage(0, 0, isDown() ? faces.down : faces.up);
    const int drop = isDown() ? static_cast<int>(std::lround(device.height() * kPressedDigitDrop)) : 0;
    p.drawImage(0, drop, faces.digits[static_cast<std::size_t>(digit_)]);
}

// ---------------------------------------------------------------- the keypad

Keypad::Keypad(QWidget* follows, std::function<void(int)> type, QWidget* parent)
    : QWidget(parent), follows_(follows), type_(std::move(type))
{
    setAccessibleName(QStringLiteral("数字键"));
    setAttribute(Qt::WA_AcceptTouchEvents);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the column covers itself
    for (int digit = 0; digit <= 9; ++digit) {
        auto* key = new KeypadKey(digit, this);
        // Every way of pressing a key ends here: the mouse, a finger, and
        // assistive technology's press action.
        connect(key, &QAbstractButton::pressed, this, [this, digit] { type_(digit); });
        keys_[static_cast<std::size_t>(digit)] = key;
    }
    resize(kColumnWidth, kColumnHeight);
    placeKeys();
    if (follows_) {
        follows_->installEventFilter(this);
        setEnabled(follows_->isEnabled());
    }
}

void Keypad::setTrayOnly(bool trayOnly)
{
    if (trayOnly == trayOnly_)
        return;
    trayOnly_ = trayOnly;
    // The tray's corners show what lies behind it.
    setAttribute(Qt::WA_OpaquePaintEvent, !trayOnly);
    placeKeys();
    update();
}

QRect Keypad::keyRect(int digit) const
{
    const QRectF source = trayOnly_ ? kTray : kColumn;
    const double fx = width() / source.width(), fy = height() / source.height();
    const double x = (kFirstKeyX + kKeyStep * columnOf(digit) - source.left()) * fx;
    const double y = (kFirstKeyY + kKeyStep * rowOf(digit) - source.top()) * fy;
    // Every key of one size, so that one drawing serves them all.
    return QRect(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
                 static_cast<int>(std::lround(kKeySide * fx)), static_cast<int>(std::lround(kKeySide * fy)));
}

void Keypad::placeKeys()
{
    for (int digit = 0; digit <= 9; ++digit)
        key(digit)->setGeometry(keyRect(digit));
}

void Keypad::resizeEvent(QResizeEvent* event)
{
    placeKeys();
    QWidget::resizeEvent(event);
}

const Keypad::Faces& Keypad::faces(QSize device)
{
    const auto id = std::make_pair(device.width(), device.height());
    auto found = faces_.find(id);
    if (found != faces_.end())
        return found->second;
    Faces f;
    const QRectF box(QPointF(0, 0), QSizeF(device));
    auto draw = [&](QSvgRenderer& svg, const QString& element) {
        QImage image = transparentImage(device);
        QPainter p(&image);
        if (element.isEmpty())
            svg.render(&p, box);
        else
            svg.render(&p, element, box);
        return image;
    };
    f.up = draw(art().up, {});
    f.down = draw(art().down, {});
    for (int digit = 0; digit <= 9; ++digit)
        f.digits[static_cast<std::size_t>(digit)] = draw(art().digits, QStringLiteral("d%1").arg(digit));
    return faces_.emplace(id, std::move(f)).first->second;
}

const QImage& Keypad::backdrop(QSize device)
{
    // One drawing for each size and kind seen: F11 finds it drawn.
    const auto id = std::make_pair(trayOnly_ ? -device.width() : device.width(), device.height());
    auto found = backdrops_.find(id);
    if (found != backdrops_.end())
        return found->second;
    QImage image = transparentImage(device);
    QPainter p(&image);
    if (!trayOnly_) {
        art().backdrop.render(&p, QRectF(QPointF(0, 0), QSizeF(device)));
    } else {
        // The whole drawing, placed so that its tray fills the image, and
        // of that only what lies within the tray's rounded rim.
        const double fx = device.width() / kTray.width(), fy = device.height() / kTray.height();
        QImage drawing = transparentImage(device);
        QPainter d(&drawing);
        art().backdrop.render(&d, QRectF(-kTray.left() * fx, -kTray.top() * fy, kColumn.width() * fx,
                                         kColumn.height() * fy));
        d.end();
        QPainterPath rim;
        rim.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(device)), kTrayRounding * fx, kTrayRounding * fy);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(rim, QBrush(drawing));
    }
    p.end();
    return backdrops_.emplace(id, std::move(image)).first->second;
}

void Keypad::paintEvent(QPaintEvent*)
{
    const double ratio = vb::deviceRatio(this);
    const QImage& image = backdrop(devicePixels(this));
    QPainter p(this);
    p.scale(1 / ratio, 1 / ratio);
    p.drawImage(0, 0, image);
}

// -------------------------------------------------------------------- input

KeypadKey* Keypad::keyAt(QPoint point) const
{
    for (KeypadKey* key : keys_)
        if (key->geometry().contains(point))
            return key;
    return nullptr;
}

void Keypad::mousePressEvent(QMouseEvent* event)
{
    // A mouse press while a finger is on the keypad, or one that the
    // system made of that finger, enters nothing.
    event->accept();
    if (event->button() != Qt::LeftButton || held_ || touching_)
        return;
    if (KeypadKey* key = keyAt(event->position().toPoint())) {
        held_ = key;
        key->press();
    }
}

void Keypad::mouseMoveEvent(QMouseEvent* event)
{
    // A key stays as it is while the pointer moves: sliding from key to
    // key enters nothing, and sliding off and back presses nothing again.
    event->accept();
}

void Keypad::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || finger_ >= 0)
        return;  // a key held by a finger comes up with the finger
    if (KeypadKey* key = std::exchange(held_, nullptr))
        key->setDown(false);
}

void Keypad::touch(QTouchEvent* event)
{
    const QList<QEventPoint>& points = event->points();
    switch (event->type()) {
    case QEvent::TouchBegin: {
        // A new sequence: its first point counts, if it lands on a key and
        // no key is down already; the others, and whatever comes after
        // them until every finger is lifted, do not. A key still held by a
        // sequence that never ended comes up.
        if (finger_ >= 0)
            letGo();
        touching_ = true;
        if (held_ || points.isEmpty())
            break;
        if (KeypadKey* key = keyAt(points.first().position().toPoint())) {
            held_ = key;
            finger_ = points.first().id();
            key->press();
        }
        break;
    }
    case QEvent::TouchUpdate:
        for (const QEventPoint& point : points) {
            if (point.id() == finger_ && point.state() == QEventPoint::State::Released) {
                finger_ = -1;
                if (KeypadKey* key = std::exchange(held_, nullptr))
                    key->setDown(false);
            }
        }
        break;
    default:  // the last finger lifted, or the sequence taken away
        if (finger_ >= 0) {
            if (KeypadKey* key = std::exchange(held_, nullptr))
                key->setDown(false);
        }
        touching_ = false;
        finger_ = -1;
        break;
    }
}

void Keypad::letGo()
{
    if (KeypadKey* key = std::exchange(held_, nullptr))
        key->setDown(false);
    touching_ = false;
    finger_ = -1;
}

bool Keypad::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        touch(static_cast<QTouchEvent*>(event));
        event->accept();
        return true;
    default:
        return QWidget::event(event);
    }
}

bool Keypad::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == follows_ && event->type() == QEvent::EnabledChange)
        setEnabled(follows_->isEnabled());
    return QWidget::eventFilter(watched, event);
}

void Keypad::changeEvent(QEvent* event)
{
    // Disabled under a key that is down (the digit opened a window): the
    // key comes up, and its release, which goes nowhere now, is not awaited.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        letGo();
    QWidget::changeEvent(event);
}

void Keypad::hideEvent(QHideEvent* event)
{
    letGo();
    QWidget::hideEvent(event);
}

// ---------------------------------------------------------------- benchmark

namespace {

class KeyLatency : public QObject {
public:
    KeyLatency(QWidget* window, const QLabel* display) : QObject(window), window_(window), display_(display)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (qobject_cast<Keypad*>(watched))
                arm("keypad", *static_cast<QInputEvent*>(event));
            break;
        case QEvent::KeyPress:
            if (watched->isWindowType() && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
                arm("keyboard", *static_cast<QInputEvent*>(event));
            break;
        case QEvent::UpdateRequest:
            if (source_ && shows(watched)) {
                // The repaint itself, here, so that its end can be timed; a
                // press that showed nothing new (while the game waits, or a
                // wrong digit, which clears the display) is left out.
                const char* source = std::exchange(source_, nullptr);
                const bool changed = display_->text() != before_;
                watched->event(event);
                if (changed)
                    std::fprintf(stderr, "%s %.2f ms (queued %lld ms)\n", source,
                                 double(queued_) + clock_.nsecsElapsed() / 1e6, static_cast<long long>(queued_));
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    void arm(const char* source, const QInputEvent& press)
    {
        // The window system's time stamp counts milliseconds of the same
        // monotonic clock, in 32 bits.
        clock_.start();
        const auto now = static_cast<quint32>(clock_.msecsSinceReference());
        queued_ = static_cast<qint32>(now - static_cast<quint32>(press.timestamp()));
        source_ = source;
        before_ = display_->text();
    }
    bool shows(QObject* watched) const
    {
        QWidget* top = vb::Stage::of(window_) ? vb::Stage::of(window_) : window_->window();
        return watched == top || watched == top->windowHandle();
    }

    QWidget* window_;
    const QLabel* display_;
    QString before_;
    const char* source_ = nullptr;
    QElapsedTimer clock_;
    qint64 queued_ = 0;
};

}  // namespace

void measureKeyLatency(QWidget* window, const QLabel* display)
{
    new KeyLatency(window, display);
}

}  // namespace game
