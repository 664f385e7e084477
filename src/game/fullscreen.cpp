#include "game/fullscreen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <memory>

#include "assets/catalogue.h"
#include "assets/palette.h"
#include "game/form1.h"
#include "platform/devicegrid.h"
#include "platform/firstpaint.h"
#include "platform/songfont.h"
#include "platform/stage.h"

namespace game {

namespace {


// The decorations of one side of the game, `room` device pixels wide from
// column `left`; `side` 0 or 1 gives each side an arrangement of its own.
void decorateSide(QPainter& p, int side, double left, double room, int top, int grass, int band, double u)
{
    if (room < 70 * u)
        return;
    const double cloudScale = std::min(u, room * 0.8 / 108);
    assets::drawDecoration(p, QStringLiteral("cloud"), {left + room / 2 - 54 * cloudScale, top + (40 + 50 * side) * u},
               cloudScale);
    if (room > 170 * u)
        assets::drawDecoration(p, QStringLiteral("cloud"), {left + room * (0.15 + 0.3 * side), top + (150 - 100 * side) * u},
                   cloudScale * 0.7);
    const QString meadow[] = {QStringLiteral("daisy"), QStringLiteral("tuft"), QStringLiteral("tulip"),
                              QStringLiteral("daisy"), QStringLiteral("tuft")};
    const int count = room > 170 * u ? 5 : 3;
    for (int i = 0; i < count; ++i) {
        const double x = left + room * (i + 0.5) / count - 6 * u;
        const double y = grass + (band - grass) * (0.2 + 0.6 * ((i * 7 + side * 2) % count) / count);
        assets::drawDecoration(p, meadow[(i + 2 * side) % 5], {x, y}, u * 1.2);
    }
}

}  // namespace

void paintSurround(QPainter& p, const QRect& exposed, const QRect& game, const QRect& keypad, QSize screen,
                   double scale)
{
    // Most repaints are of the game alone (the lamb's steps, the time bar):
    // the game covers them, and nothing around it needs drawing again.
    if (game.contains(exposed))
        return;
    // The bands meet the scene's own on the same device rows.
    const int grass = game.top() + vb::toDevicePixel(assets::kGrassRow, scale);
    const int band = game.top() + vb::toDevicePixel(assets::kBandRow, scale);
    const int strip = game.top() + vb::toDevicePixel(assets::kStripRow, scale);
    const int left = exposed.left(), width = exposed.width();
    auto fillRows = [&](int from, int to, const QColor& c) {
        const QRect rows = QRect(left, from, width, to - from) & exposed;
        if (!rows.isEmpty())
            p.fillRect(rows, c);
    };
    p.save();
    p.setClipRegion(QRegion(exposed) - QRegion(game));
    fillRows(exposed.top(), grass, assets::kSky);
    fillRows(grass, band, assets::kGrass);
    fillRows(band, strip, assets::kBand);
    fillRows(strip, exposed.bottom() + 1, assets::kStrip);
    p.restore();

    // Clouds and flowers where the game leaves room for them.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRegion(QRegion(exposed) - QRegion(game));
    const double u = scale;  // one pixel of the game, in device pixels
    decorateSide(p, 0, 0, game.left(), game.top(), grass, band, u);
    // A keypad beside the game takes the room on its right.
    const int rightEnd = keypad.left() > game.right() ? keypad.left() : screen.width();
    decorateSide(p, 1, game.right() + 1, rightEnd - game.right() - 1,
                 game.top(), grass, band, u);
    if (game.top() > 60 * u) {
        const double cloudScale = std::min(u * 1.2, game.top() * 0.6 / 56);
        assets::drawDecoration(p, QStringLiteral("cloud"), {game.left() + game.width() * 0.08, game.top() * 0.3}, cloudScale);
        assets::drawDecoration(p, QStringLiteral("cloud"), {game.left() + game.width() * 0.6, game.top() * 0.5},
                   cloudScale * 0.75);
    }
    p.restore();
}

FullScreen::FullScreen(QWidget* window, KeypadRule keypad) : window_(window), keypad_(keypad)
{
    QCoreApplication::instance()->installEventFilter(this);
}

FullScreen::~FullScreen() = default;

bool FullScreen::isOn() const
{
    return stage_ && stage_->isOn();
}

void FullScreen::enter()
{
    if (!window_ || isOn())
        return;
    QScreen* screen = window_->screen();
    if (const QWindow* shown = window_->windowHandle(); shown && window_->isVisible())
        screen = shown->screen();
    if (!stage_) {
        // The leaderboard and help windows over the game: a navy frame with a
        // title bar in the sky's colour and a red close button.
        const vb::FrameLook frame{assets::kNavy, assets::kSky, assets::kCloseRed, vb::songFont(16, true)};
        stage_ = std::make_unique<vb::Stage>(window_, paintSurround, frame);
    }
    Keypad* keypad = keypadBeside();
    if (!keypad) {
        stage_->enter(screen);
        return;
    }
    stage_->enter(screen, keypad, keypadArrangement());
}

// The keypad, when it is to stand beside the game on the stage: it leaves
// the window's column for a tray of its own.
Keypad* FullScreen::keypadBeside()
{
    Form1* form = game();
    if (!form || !keypad_.shows(true, form->keypadShown()))
        return nullptr;
    form->showKeypad(false);
    Keypad* keypad = form->keypad();
    keypad->setTrayOnly(true);
    return keypad;
}

vb::Stage::Arrange FullScreen::keypadArrangement()
{
    return [](QSize stage, QSize window) {
        const KeypadLayout layout = fullScreenLayout(stage, window);
        return vb::Stage::Arrangement{layout.scale, layout.game, layout.keypad};
    };
}

Form1* FullScreen::game() const
{
    return qobject_cast<Form1*>(window_.data());
}

void FullScreen::switchTo(QWidget* window)
{
    if (isOn()) {
        // The stage stays on the screen, with the new window in the old one's place.
        window_ = window;
        Keypad* keypad = keypadBeside();
        stage_->replaceWindow(window, keypad, keypad ? keypadArrangement() : vb::Stage::Arrange());
        return;
    }
    QWidget* before = window_;
    stage_.reset();  // made again for the new window when it enters
    if (before && before != window)
        before->hide();
    window_ = window;
    if (window_)
        window_->show();
}

void FullScreen::leave()
{
    if (!isOn())
        return;
    // The keypad goes back into the window's column before the window is
    // shown again, so that it shows at its size at once.
    if (Form1* form = game(); form && keypad_.shows(false, stage_->beside() != nullptr))
        form->showKeypad(true);
    stage_->leave();
}

void FullScreen::toggle()
{
    if (isOn())
        leave();
    else
        enter();
}

void FullScreen::measureSwitching(int times)
{
    if (times <= 0) {
        QCoreApplication::quit();
        return;
    }
    QTimer::singleShot(333, this, [this, times] {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        toggle();
        QWindow* shown = vb::shownIn(window_);
        shown->requestUpdate();
        platform::afterNextPaint(shown, [this, clock, times] {
            std::fprintf(stderr, "%s %.1f ms\n", isOn() ? "enter" : "leave", clock->nsecsElapsed() / 1e6);
            measureSwitching(times - 1);
        });
    });
}

bool FullScreen::eventFilter(QObject* watched, QEvent* event)
{
    // F11 in any of the game's windows, as it reaches the native window.
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_F11 && key->modifiers() == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                toggle();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace game
