#include "parents/sumgrid.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "assets/palette.h"
#include "practice/practice.h"

namespace history {

namespace {

// From a row to the next and a square's height; the columns are wider at
// level 1, where their labels are ("+□7").
constexpr double kPitch = 28;
constexpr double kSide = 25;
constexpr double kWidePitch = 33;
constexpr double kCorner = 8;  // the legs of the triangle that marks a carry
constexpr double kLegendGap = 28;  // between the grid and the legend
constexpr double kLegendWidth = 300;
constexpr double kLegendMinWidth = 250;

using State = SumCell::State;

QColor fillOf(State state)
{
    switch (state) {
    case State::NotAsked: return Qt::white;
    case State::Few: return assets::kShades[0];
    case State::Wrong: return assets::kBallPink;
    case State::Slow: return assets::kApricot;
    case State::Fast: return assets::kShades[3];
    }
    return Qt::white;
}

// A square of the grid or of its legend: its state's colour (an outline for
// a sum not asked, which is white), and a wooden corner when it carries.
void paintSquare(QPainter& p, const QRectF& r, State state, bool carries)
{
    QPainterPath shape;
    shape.addRoundedRect(r, 3, 3);
    p.setBrush(fillOf(state));
    if (state == State::NotAsked) {
        // The outline's middle half a pixel in, so that it covers whole pixels.
        p.setPen(QPen(assets::kCardBorder, 1));
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    } else {
        p.setPen(Qt::NoPen);
        p.drawPath(shape);
    }
    if (!carries)
        return;
    p.save();
    p.setClipPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(assets::kWood);
    const QPointF corner[3] = {r.topRight() - QPointF(kCorner, 0), r.topRight(), r.topRight() + QPointF(0, kCorner)};
    p.drawPolygon(corner, 3);
    p.restore();
}

QString seconds(double s)
{
    return QString::number(s, 'f', 1);
}

}  // namespace

SumGrid::SumGrid(QWidget* parent)
    : Card(QStringLiteral("每道题"), QString(), parent),
      rowLabelWidth_(smallMetrics_.horizontalAdvance(QStringLiteral("□0")) + 8)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setGames({}, 0, practice::kDefaultMasteryTicks);
}

void SumGrid::setGames(const std::vector<const Game*>& games, int level, int masteryTicks)
{
    level_ = level == 1 ? 1 : 0;
    masteryTicks_ = masteryTicks;
    cells_ = sumCells(games, level_, masteryTicks);
    setNote(level_ == 0 ? QStringLiteral("每格一道题：行看牌子上数的个位，列看秤上的数")
                        : QStringLiteral("每格一道题：行看牌子上数的个位，列看秤上数的个位"));
    const auto practised = std::count_if(games.begin(), games.end(), [](const Game* g) { return g->practice; });
    practiceText_ = practised == 0 ? QStringLiteral("这段时间没有开练习")
                    : practised == static_cast<std::ptrdiff_t>(games.size())
                        ? QStringLiteral("这段时间 %1 局都开着练习").arg(practised)
                        : QStringLiteral("这段时间有 %1 局开着练习（共 %2 局）").arg(practised).arg(games.size());
    updateGeometry();  // the width goes with the level's columns
    update();
}

QPointF SumGrid::origin() const
{
    // On whole pixels, so that the squares' edges are sharp.
    return QPointF(std::round(kPad + rowLabelWidth_), std::round(top() + smallMetrics_.height() + 4));
}

double SumGrid::columnPitch() const
{
    return level_ == 0 ? kPitch : kWidePitch;
}

double SumGrid::legendLeft() const
{
    return origin().x() + columns() * columnPitch() - (kPitch - kSide) + kLegendGap;
}

QRectF SumGrid::cellRect(int signUnits, int amountUnits) const
{
    const int column = amountUnits - (level_ == 0 ? 1 : 0);
    if (signUnits < 0 || signUnits > 9 || column < 0 || column >= columns())
        return QRectF();
    return QRectF(origin() + QPointF(column * columnPitch(), signUnits * kPitch),
                  QSizeF(columnPitch() - (kPitch - kSide), kSide));
}

const SumCell* SumGrid::cellAt(const QPointF& pos) const
{
    for (const SumCell& c : cells_) {
        if (cellRect(c.signUnits, c.amountUnits).contains(pos))
            return &c;
    }
    return nullptr;
}

QString SumGrid::toolTipFor(const SumCell& c) const
{
    // At level 1 a square stands for the amount's units with any tens.
    QString amounts = QString::number(c.amountUnits);
    if (level_ == 1)
        amounts = c.amountUnits == 0 ? QStringLiteral("10、20")
                                     : QStringLiteral("%1、%2、%3").arg(c.amountUnits).arg(c.amountUnits + 10).arg(c.amountUnits + 20);
    const QString name = QStringLiteral("%1 + %2（个位）").arg(c.signUnits).arg(amounts);
    if (c.state == State::NotAsked)
        return name + QStringLiteral("：这段时间还没出过");
    QString figures = QStringLiteral("做了 %1 次，答对 %2 次，").arg(c.loads).arg(c.answered) +
                      (c.wrong == 0 ? QStringLiteral("没有错") : QStringLiteral("错 %1 次").arg(c.wrong));
    if (c.answered > 0)
        figures += QStringLiteral("，一般 %1 秒").arg(seconds(c.medianSeconds));
    const QString fast = seconds(masteryTicks_ / 100.0);
    const QString verdict = c.state == State::Fast   ? QStringLiteral("又快又对")
                            : c.state == State::Slow  ? QStringLiteral("比较慢（%1 秒以内算快）").arg(fast)
                            : c.state == State::Wrong ? QStringLiteral("容易出错")
                                                      : QStringLiteral("做得还少，还看不出来");
    return name + QStringLiteral("：") + figures + QStringLiteral("\n") +
           (c.crossesTen ? QStringLiteral("要进位；") : QStringLiteral("不进位；")) + verdict;
}

QSize SumGrid::sizeHint() const
{
    const double height = origin().y() + 10 * kPitch - (kPitch - kSide) + kPad;
    return QSize(static_cast<int>(std::ceil(legendLeft() + kLegendWidth + kPad)), static_cast<int>(std::ceil(height)));
}

QSize SumGrid::minimumSizeHint() const
{
    return QSize(static_cast<int>(std::ceil(legendLeft() + kLegendMinWidth + kPad)), sizeHint().height());
}

bool SumGrid::event(QEvent* e)
{
    if (e->type() != QEvent::ToolTip)
        return Card::event(e);
    const auto* help = static_cast<QHelpEvent*>(e);
    if (const SumCell* c = cellAt(help->pos()))
        QToolTip::showText(help->globalPos(), toolTipFor(*c), this,
                           cellRect(c->signUnits, c->amountUnits).toAlignedRect());
    else
        QToolTip::hideText();
    return true;
}

void SumGrid::paintContent(QPainter& p)
{
    const double line = smallMetrics_.height();
    const QPointF o = origin();
    // The amounts over the columns ("+8", at level 1 "+□8": 8, 18 and 28),
    // the sign's units before the rows ("□7": 7, 17, 27, ...).
    for (int column = 0; column < columns(); ++column) {
        const int amount = column + (level_ == 0 ? 1 : 0);
        const QString text = (level_ == 0 ? QStringLiteral("+%1") : QStringLiteral("+□%1")).arg(amount);
        p.drawText(QRectF(o.x() + column * columnPitch() - 4, o.y() - line - 3, columnPitch() + 5, line),
                   Qt::AlignCenter, text);
    }
    for (int row = 0; row < 10; ++row) {
        p.drawText(QRectF(kPad, o.y() + row * kPitch, rowLabelWidth_ - 6, kSide), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("□%1").arg(row));
    }
    for (const SumCell& c : cells_)
        paintSquare(p, cellRect(c.signUnits, c.amountUnits), c.state, c.crossesTen);

    // Beside the grid: what the colours mean, then the lines about them.
    const double left = legendLeft();
    const double width = this->width() - kPad - left;
    const QString fast = seconds(masteryTicks_ / 100.0);
    struct Entry {
        State state;
        bool carries;
        QString text;
    };
    const Entry entries[] = {
        {State::Fast, false, QStringLiteral("又快又对：一般 %1 秒以内答对").arg(fast)},
        {State::Slow, false, QStringLiteral("比较慢：答对了，一般要 %1 秒以上").arg(fast)},
        {State::Wrong, false, QStringLiteral("容易出错：每 %1 次就错 1 次或更多").arg(std::lround(1 / kCellWrongShare))},
        {State::Few, false, QStringLiteral("做得还少：答对不到 %1 次，看不出来").arg(kCellMinAnswers)},
        {State::NotAsked, false, QStringLiteral("这段时间还没出过")},
        {State::NotAsked, true, QStringLiteral("右上角有三角：要进位的题（如 7 + 5）")},
    };
    double y = o.y();
    const double row = std::max(line, 16.0) + 7;
    const double swatch = 16;
    for (const Entry& e : entries) {
        paintSquare(p, QRectF(left, y + (row - 7 - swatch) / 2, swatch, swatch), e.state, e.carries);
        p.setPen(assets::kText);
        p.drawText(QRectF(left + swatch + 8, y, width - swatch - 8, row - 7), Qt::AlignLeft | Qt::AlignVCenter,
                   smallMetrics_.elidedText(e.text, Qt::ElideRight, width - swatch - 8));
        y += row;
    }
    y += 6;
    QStringList lines = {QStringLiteral("%1 秒是按孩子自己最近答得快的题定的，会跟着变").arg(fast), practiceText_};
    if (level_ == 1)
        lines << QStringLiteral("第二关不分十位：+□7 就是 +7、+17、+27");
    lines << QStringLiteral("指着格子，能看到做了几次、用了多久");
    for (const QString& text : lines) {
        p.drawText(QRectF(left, y, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                   smallMetrics_.elidedText(text, Qt::ElideRight, width));
        y += line + 5;
    }
}

}  // namespace history
