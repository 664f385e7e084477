#include "children/whoisplaying.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "assets/animals.h"
#include "assets/catalogue.h"
#include "assets/palette.h"
#include "platform/controls.h"
#include "platform/devicegrid.h"
#include "platform/keys.h"
#include "platform/songfont.h"
#include "platform/stage.h"

namespace children {

namespace {

// The window has the game's size, so that it stands where the game will and
// full screen shows it at the game's scale.
constexpr int kWidth = 561;
constexpr int kHeight = 449;

// The wooden sign with the question, at the top.
const QRectF kSign(165, 16, 231, 54);
const QColor kSignFace(253, 246, 103);

// Room under a card's picture for its name.
constexpr int kNameHeight = 30;
constexpr int kCardMargin = 12;

}  // namespace

int WhoIsPlaying::pictureSize(int children)
{
    const int cards = std::min(children, kMaxChildren) + 1;  // and the visitor's
    return cards <= 4 ? 112 : cards <= 6 ? 96 : 84;
}

// ------------------------------------------------------------------ ChildCard

ChildCard::ChildCard(const QString& name, const QString& animal, int digit, int pictureSize, QWidget* parent)
    : QAbstractButton(parent), animal_(animal), digit_(digit), pictureSize_(pictureSize)
{
    setText(name);
    setAccessibleName(name);
    setToolTip(name);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
}

QSize ChildCard::sizeHint() const
{
    return {pictureSize_ + 2 * kCardMargin, kCardMargin + pictureSize_ + kNameHeight + 12};
}

void ChildCard::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ChildCard::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ChildCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double down = isDown() ? 2 : 0;
    const QRectF picture(kCardMargin, kCardMargin - 4 + down, pictureSize_, pictureSize_);
    if (hovered_ || isDown()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 150));
        p.drawEllipse(picture.adjusted(-7, -7, 7, 7));
    }
    const int devicePixels = static_cast<int>(std::lround(pictureSize_ * vb::deviceRatio(this)));
    p.drawImage(picture, assets::animalPicture(animal_, devicePixels));

    // The digit that chooses it, on a navy badge like the game's panel.
    const QRectF badge(picture.left() - 4, picture.top() - 2, 28, 28);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(assets::kNavy);
    p.drawEllipse(badge);
    p.setFont(vb::songFont(19, true));
    p.setPen(assets::kYellow);
    p.drawText(badge, Qt::AlignCenter, QString::number(digit_));

    // The name on a white plate framed in wood.
    const QRectF plate(3, picture.bottom() + 8, width() - 6, kNameHeight);
    p.setPen(QPen(assets::kWood, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(plate, 8, 8);
    QFont font = vb::songFont(17, true);
    p.setFont(font);
    p.setPen(assets::kTitleText);
    p.drawText(plate, Qt::AlignCenter,
               QFontMetrics(font).elidedText(text(), Qt::ElideRight, static_cast<int>(plate.width()) - 8));
}

// -------------------------------------------------------------- WhoIsPlaying

WhoIsPlaying::WhoIsPlaying(std::vector<Child> children, QWidget* parent)
    : QWidget(parent), children_(std::move(children))
{
    if (static_cast<int>(children_.size()) > kMaxChildren)
        children_.resize(kMaxChildren);
    setWindowTitle(QStringLiteral("Pellaro"));
    vb::setFixedSingleBorder(this, kWidth, kHeight);
    setWindowIcon(QIcon(QPixmap::fromImage(assets::programIcon())));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Where the game's window will stand.
    vb::moveWindowTwips(this, 1800, 1000);

    const int count = static_cast<int>(children_.size()) + 1;
    const int size = pictureSize(childCount());
    for (int i = 0; i < count; ++i) {
        const bool visitor = i == count - 1;
        auto* card = visitor ? new ChildCard(QStringLiteral("另一个小朋友"), assets::kVisitorPicture, 0, size, this)
                             : new ChildCard(children_[i].name, children_[i].animal, i + 1, size, this);
        const int index = visitor ? -1 : i;
        connect(card, &QAbstractButton::clicked, this, [this, index] { choose(index); });
        cards_.push_back(card);
    }

    // One row of up to four cards across the horizon, or two rows.
    const int rows = count <= 4 ? 1 : 2;
    const int perRow = (count + rows - 1) / rows;
    const QSize cardSize = cards_.front()->sizeHint();
    const int top = rows == 1 ? 160 : 84;
    for (int i = 0; i < count; ++i) {
        const int row = i / perRow;
        const int inRow = std::min(perRow, count - row * perRow);
        const int column = i % perRow;
        const double gap = double(kWidth - inRow * cardSize.width()) / (inRow + 1);
        const int x = static_cast<int>(std::lround(gap + column * (cardSize.width() + gap)));
        cards_[i]->move(x, top + row * (cardSize.height() + 8));
    }

    keys_ = new platform::KeyPreview(this, [this](std::int16_t& keyCode, std::int16_t) {
        int digit = -1;
        if (keyCode >= platform::VK_0 && keyCode <= platform::VK_0 + 9)
            digit = keyCode - platform::VK_0;
        else if (keyCode >= platform::VK_NUMPAD0 && keyCode <= platform::VK_NUMPAD0 + 9)
            digit = keyCode - platform::VK_NUMPAD0;
        if (digit == 0)
            choose(-1);
        else if (digit > 0 && digit <= childCount())
            choose(digit - 1);
    });
    keys_->setEnabled(true);
}

ChildCard* WhoIsPlaying::card(int index) const
{
    if (index < 0)
        return cards_.back();
    return index < childCount() ? cards_[static_cast<std::size_t>(index)] : nullptr;
}

void WhoIsPlaying::choose(int index)
{
    if (!isEnabled())
        return;
    // Once: a second tap while the game comes up chooses nothing more.
    setEnabled(false);
    emit chosen(index);
}

void WhoIsPlaying::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // The game's sky, meadow, brown band and blue strip, on the device rows
    // where the game's scene has them, so that full screen continues them.
    const double ratio = vb::deviceRatio(this);
    p.save();
    p.scale(1 / ratio, 1 / ratio);
    const int right = vb::toDevicePixel(kWidth, ratio);
    auto band = [&](int from, int to, const QColor& colour) {
        p.fillRect(QRect(0, vb::toDevicePixel(from, ratio), right,
                         vb::toDevicePixel(to, ratio) - vb::toDevicePixel(from, ratio)),
                   colour);
    };
    band(0, assets::kGrassRow, assets::kSky);
    band(assets::kGrassRow, assets::kBandRow, assets::kGrass);
    band(assets::kBandRow, assets::kStripRow, assets::kBand);
    band(assets::kStripRow, kHeight, assets::kStrip);
    p.restore();

    p.setRenderHint(QPainter::Antialiasing);
    auto decoration = [&](const char* id, QPointF at, double scale) {
        assets::drawDecoration(p, QLatin1String(id), at, scale);
    };
    decoration("cloud", {18, 74}, 0.8);
    decoration("cloud", {430, 96}, 0.6);
    for (int i = 0; i < 7; ++i)
        decoration(i % 2 ? "tuft" : "daisy", {30.0 + i * 80, 352.0 + (i % 3) * 6}, 1.2);

    // The sign with the question, on two posts.
    p.setPen(Qt::NoPen);
    p.setBrush(assets::kWood);
    p.drawRect(QRectF(kSign.left() + 30, 0, 8, kSign.top() + 4));
    p.drawRect(QRectF(kSign.right() - 38, 0, 8, kSign.top() + 4));
    p.setPen(QPen(assets::kWood, 4));
    p.setBrush(kSignFace);
    p.drawRoundedRect(kSign, 8, 8);
    p.setFont(vb::songFont(30, true));
    p.setPen(assets::kTitleText);
    p.drawText(kSign, Qt::AlignCenter, QStringLiteral("谁来玩？"));

    // For the grown-up beside the child, on the blue strip.
    p.setFont(vb::songFont(15, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, assets::kStripRow, kWidth, kHeight - assets::kStripRow), Qt::AlignCenter,
               QStringLiteral("点一下自己的图片，或者按图片上的数字"));
    Q_UNUSED(event);
}

}  // namespace children
