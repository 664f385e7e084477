#include "parents/calendar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "assets/palette.h"

namespace history {

namespace {

// The minutes a day where each shade of green ends: a game lasts a few
// minutes, and a quarter of an hour a day is a good deal of practice.
constexpr double kShadeLimits[4] = {3, 6, 10, 20};
constexpr int kWeeks = 26;  // the calendar's columns
const char* const kWeekdays[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};

// What a shade of the calendar's legend stands for.
QString shadeText(int shade)
{
    return shade <= 0    ? QStringLiteral("没有玩")
           : shade == 1 ? QStringLiteral("不到 %1 分钟").arg(kShadeLimits[0])
           : shade >= 5 ? QStringLiteral("%1 分钟以上").arg(kShadeLimits[3])
                        : QStringLiteral("%1~%2 分钟").arg(kShadeLimits[shade - 2]).arg(kShadeLimits[shade - 1]);
}

}  // namespace

void CalendarView::setGames(const std::vector<Game>& games)
{
    days_ = calendarDays(games, first_, today_);
    update();
}

CalendarView::CalendarView(const std::vector<Game>& games, const QDate& today, QWidget* parent)
    : Card(QStringLiteral("练习日历"), QStringLiteral("最近半年，每格一天，两关都算；颜色越深，玩得越久"), parent),
      today_(today), first_(mondayOf(today).addDays(-7 * (kWeeks - 1))), days_(calendarDays(games, first_, today)),
      weekdayWidth_(smallMetrics_.horizontalAdvance(QStringLiteral("周一")) + 6),
      origin_(kPad + weekdayWidth_, top() + smallMetrics_.height() + 2)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int CalendarView::shadeOf(double minutes)
{
    const auto* end = std::upper_bound(std::begin(kShadeLimits), std::end(kShadeLimits), minutes);
    return minutes <= 0 ? 0 : 1 + static_cast<int>(end - std::begin(kShadeLimits));
}

double CalendarView::pitch() const
{
    // The squares grow with the width, within bounds.
    return std::clamp(std::floor((width() - 2 * kPad - weekdayWidth_) / kWeeks), 12.0, 20.0);
}

QRectF CalendarView::cellRect(const QDate& day) const
{
    if (!day.isValid() || day < first_ || day > today_)
        return QRectF();
    const qint64 offset = first_.daysTo(day);
    return QRectF(origin_.x() + static_cast<double>(offset / 7) * pitch(),
                  origin_.y() + static_cast<double>(offset % 7) * pitch(), pitch() - 3, pitch() - 3);
}

QDate CalendarView::dayAt(const QPointF& pos) const
{
    // The gap between two squares belongs to neither.
    for (QDate day = first_; day <= today_; day = day.addDays(1)) {
        if (cellRect(day).contains(pos))
            return day;
    }
    return QDate();
}

QString CalendarView::toolTipFor(const QDate& day) const
{
    if (!day.isValid())
        return QString();
    const QString date = QStringLiteral("%1年%2月%3日 %4").arg(day.year()).arg(day.month()).arg(day.day())
                             .arg(QString::fromUtf8(kWeekdays[day.dayOfWeek() - 1]));
    const auto it = std::lower_bound(days_.begin(), days_.end(), day,
                                     [](const CalendarDay& d, const QDate& wanted) { return d.day < wanted; });
    if (it == days_.end() || it->day != day)
        return date + QStringLiteral("\n没有玩");
    const QString minutes =
        it->minutes < 1 ? QStringLiteral("不到 1 分钟") : QStringLiteral("%1 分钟").arg(std::lround(it->minutes));
    return date + QStringLiteral("\n玩了 %1 局，共 %2\n最高 %3 分").arg(it->games).arg(minutes).arg(it->bestScore);
}

QRectF CalendarView::legendRect(int shade) const
{
    // Under the grid's right end: 少 ▢▢▢▢▢▢ 多.
    const double box = pitch() - 3;
    const double left = origin_.x() + kWeeks * pitch() - 3 - smallMetrics_.horizontalAdvance(QStringLiteral("多")) - 4 -
                        6 * pitch();
    const double row = origin_.y() + 7 * pitch() + 2 + (std::max(box, smallMetrics_.height()) - box) / 2;
    return QRectF(left + shade * pitch(), row, box, box);
}

QSize CalendarView::sizeHint() const
{
    return QSize(static_cast<int>(std::ceil(origin_.x() + kPad + kWeeks * 16.0)),
                 static_cast<int>(std::ceil(origin_.y() + 7 * 16.0 + 4 + smallMetrics_.height() + kPad)));
}

QSize CalendarView::minimumSizeHint() const
{
    return QSize(static_cast<int>(std::ceil(origin_.x() + kPad + kWeeks * 12.0)), sizeHint().height());
}

bool CalendarView::event(QEvent* e)
{
    if (e->type() != QEvent::ToolTip)
        return QWidget::event(e);
    const auto* help = static_cast<QHelpEvent*>(e);
    int shade = 0;
    while (shade < 6 && !legendRect(shade).contains(help->pos()))
        ++shade;
    if (const QDate day = dayAt(help->pos()); day.isValid())
        QToolTip::showText(help->globalPos(), toolTipFor(day), this, cellRect(day).toAlignedRect());
    else if (shade < 6)
        QToolTip::showText(help->globalPos(), shadeText(shade), this, legendRect(shade).toAlignedRect());
    else
        QToolTip::hideText();
    return true;
}

void CalendarView::paintContent(QPainter& p)
{
    const double line = smallMetrics_.height();
    const auto write = [&](const QRectF& r, Qt::Alignment a, const QString& text) {
        p.drawText(r, a | Qt::AlignVCenter, text);
    };
    // Month names over the first column that holds the month's first day;
    // the first column's month is left out when the next one follows too soon.
    double lastLabelEnd = -1e9;
    for (int week = 0; week < kWeeks; ++week) {
        const QDate monday = first_.addDays(7 * week);
        const QDate sunday = monday.addDays(6);
        const QDate firstOfMonth = week == 0 ? monday : sunday.day() <= 7 ? sunday : QDate();
        const double x = origin_.x() + week * pitch();
        if (!firstOfMonth.isValid() || x < lastLabelEnd + 4 ||
            (week == 0 && sunday.day() > 7 && monday.addDays(21).month() != monday.month()))
            continue;
        const QString month = QStringLiteral("%1月").arg(firstOfMonth.month());
        lastLabelEnd = x + smallMetrics_.horizontalAdvance(month);
        write(QRectF(x, origin_.y() - line - 2, lastLabelEnd - x + 2, line), Qt::AlignLeft, month);
    }
    // Monday, Wednesday and Friday named on the left.
    for (int row : {0, 2, 4}) {
        write(QRectF(kPad, origin_.y() + row * pitch(), weekdayWidth_ - 6, pitch() - 3), Qt::AlignLeft,
              QStringLiteral("周") + QString::fromUtf8(kWeekdays[row]).right(1));
    }
    // The squares, today ringed in wood so that the parent finds it, and the
    // legend's.
    p.setPen(Qt::NoPen);
    auto played = days_.begin();
    for (QDate day = first_; day <= today_; day = day.addDays(1)) {
        while (played != days_.end() && played->day < day)
            ++played;
        const bool any = played != days_.end() && played->day == day && played->games > 0;
        p.setBrush(assets::kShades[any ? std::max(1, shadeOf(played->minutes)) : 0]);
        p.drawRoundedRect(cellRect(day), 2, 2);
    }
    for (int shade = 0; shade < 6; ++shade) {
        p.setBrush(assets::kShades[shade]);
        p.drawRoundedRect(legendRect(shade), 2, 2);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(assets::kWood, 1.4));
    p.drawRoundedRect(cellRect(today_).adjusted(-1, -1, 1, 1), 2.5, 2.5);
    p.setPen(assets::kText);
    const double y = legendRect(0).center().y() - line / 2;
    write(QRectF(legendRect(0).left() - 4 - 4 * line, y, 4 * line, line), Qt::AlignRight, QStringLiteral("少"));
    write(QRectF(legendRect(5).right() + 4, y, 4 * line, line), Qt::AlignLeft, QStringLiteral("多"));
}

}  // namespace history
