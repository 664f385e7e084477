#include "parents/chart.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "assets/palette.h"
#include "parents/figures.h"
#include "platform/songfont.h"

namespace history {

namespace {

constexpr double kLabelGap = 12;  // at least this between two x labels
constexpr double kRingWidth = 1.5;  // the pen of a Rings series' rings

QString dayLabel(const QDate& d)
{
    return QStringLiteral("%1月%2日").arg(d.month()).arg(d.day());
}

}  // namespace

// ---------------------------------------------------------------- card

Card::Card(const QString& title, const QString& note, QWidget* parent)
    : QWidget(parent), titleFont_(vb::songFont(15, true)), smallFont_(vb::songFont(12)), titleMetrics_(titleFont_),
      smallMetrics_(smallFont_), title_(title), note_(note)
{
    setObjectName(title);
}

double Card::top() const
{
    // A gap under the note, so that what follows is not read as part of it.
    return kPad - 2 + titleMetrics_.height() + 2 + (note_.isEmpty() ? 0 : smallMetrics_.height() + 6);
}

void Card::setNote(const QString& note)
{
    note_ = note;
    update();
}

void Card::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(assets::kCardBorder, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    const double width = this->width() - 2 * kPad;
    const double y = kPad - 2;
    p.setFont(titleFont_);
    p.setPen(assets::kTitleText);
    p.drawText(QRectF(kPad, y, width, titleMetrics_.height()), Qt::AlignLeft | Qt::AlignVCenter,
               titleMetrics_.elidedText(title_, Qt::ElideRight, width));
    p.setFont(smallFont_);
    p.setPen(assets::kText);
    p.drawText(QRectF(kPad, y + titleMetrics_.height() + 2, width, smallMetrics_.height()),
               Qt::AlignLeft | Qt::AlignVCenter, smallMetrics_.elidedText(note_, Qt::ElideRight, width));
    paintContent(p);
}

// ---------------------------------------------------------------- chart

// Where the values go: the plot's rectangle (the grid lines' extent), the
// part of it that holds the x range, and the ranges shown.
struct Chart::Plot {
    QRectF rect;
    QRectF inner;
    double x0 = 0, x1 = 1, yMax = 1;  // the y axis starts at 0

    double x(double value) const { return inner.left() + (value - x0) / (x1 - x0) * inner.width(); }
    double y(double value) const { return rect.bottom() - value / yMax * rect.height(); }
    double slot() const { return inner.width() / (x1 - x0); }  // one day or one category
};

Chart::Chart(const QString& title, const QString& note, const QString& unit, const QString& emptyText,
             QWidget* parent)
    : Card(title, note, parent), unit_(unit), emptyText_(emptyText)
{
}

// The axis changes only with the series, which setSeries() draws.
void Chart::setDays(const QDate& first, const QDate& last)
{
    first_ = first;
    last_ = last < first ? first : last;
    categories_ = 0;
}

void Chart::setCategories(int count)
{
    categories_ = count;
    first_ = last_ = QDate();
}

void Chart::setSeries(std::vector<Series> series)
{
    series_ = std::move(series);
    update();
}

double Chart::xOf(const QDate& day)
{
    return static_cast<double>(day.toJulianDay());
}

double Chart::xOf(const QDateTime& moment)
{
    return xOf(moment.date()) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

std::vector<double> Chart::niceTicks(double min, double max, int count)
{
    if (!(max > min))
        max = min + 1;
    const double raw = (max - min) / std::max(1, count);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / magnitude;
    const double step = (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * magnitude;
    const long long first = static_cast<long long>(std::floor(min / step + 1e-9));
    const long long last = std::max(first + 1, static_cast<long long>(std::ceil(max / step - 1e-9)));
    std::vector<double> ticks;
    for (long long i = first; i <= last; ++i)
        ticks.push_back(i == 0 ? 0.0 : static_cast<double>(i) * step);
    return ticks;
}

std::vector<Chart::Tick> Chart::dateTicks(const QDate& first, const QDate& last, double width,
                                          const QFontMetricsF& metrics)
{
    if (!first.isValid() || !last.isValid() || last < first || width <= 0)
        return {};
    const double pxPerDay = width / static_cast<double>(first.daysTo(last) + 1);
    // Days, weeks and months (years as 12 months and more), in ever longer
    // steps: the first whose labels keep clear of each other.
    static const std::pair<char, int> kSteps[] = {{'d', 1},  {'d', 2},  {'d', 3},  {'w', 1},   {'w', 2},
                                                  {'w', 4},  {'m', 1},  {'m', 2},  {'m', 3},   {'m', 6},
                                                  {'m', 12}, {'m', 24}, {'m', 60}, {'m', 120}, {'m', 600}};
    for (const auto& [unit, n] : kSteps) {
        std::vector<Tick> ticks;
        if (unit == 'd' && first.daysTo(last) < 40) {
            // Counted back from the last day, so that today is always named.
            for (QDate d = last; d >= first; d = d.addDays(-n))
                ticks.insert(ticks.begin(), {xOf(d) + 0.5, dayLabel(d)});
        } else if (unit == 'w') {
            for (QDate d = mondayOf(first.addDays(6)); d <= last; d = d.addDays(7 * n))
                ticks.push_back({xOf(d), dayLabel(d)});
        } else if (unit == 'm') {
            // The first of each month from `first` on, every n-th counted
            // from January of year 0.
            for (QDate d = QDate(first.year(), first.month(), 1); d <= last; d = d.addMonths(1)) {
                if (d < first || (d.year() * 12 + d.month() - 1) % n != 0)
                    continue;
                const QString year = QStringLiteral("%1年").arg(d.year());
                const QString month = QStringLiteral("%1月").arg(d.month());
                ticks.push_back({xOf(d), n >= 12 ? year : ticks.empty() || d.month() == 1 ? year + month : month});
            }
        }
        bool fits = !ticks.empty();
        for (std::size_t i = 1; i < ticks.size() && fits; ++i) {
            fits = (ticks[i].x - ticks[i - 1].x) * pxPerDay >=
                   (metrics.horizontalAdvance(ticks[i].label) + metrics.horizontalAdvance(ticks[i - 1].label)) / 2 +
                       kLabelGap;
        }
        if (fits)
            return ticks;
    }
    // Not even one label a year fits: the first day alone.
    return {{xOf(first) + 0.5, dayLabel(first)}};
}

void Chart::paintContent(QPainter& p)
{
    if (std::all_of(series_.begin(), series_.end(), [](const Series& s) { return s.points.empty(); })) {
        p.setFont(vb::songFont(14));
        p.setPen(assets::kText);
        p.drawText(QRectF(kPad, top(), width() - 2 * kPad, height() - kPad + 2 - top()),
                   Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
        return;
    }
    const Plot plot = paintAxes(p, paintLegend(p));
    // Bars first, then lines and points in their given order, so that a
    // line given after its dots (a trend) lies on top of them.
    p.setClipRect(plot.rect.adjusted(-5, -5, 5, 1));
    paintBars(p, plot);
    for (const Series& s : series_) {
        if (s.style == Style::Line || s.style == Style::LinePoints)
            paintLine(p, plot, s);
        if (s.style == Style::Points || s.style == Style::LinePoints || s.style == Style::Rings)
            paintPoints(p, plot, s);
    }
}

// The named series beside the title when there is room, else on a line of
// their own under the note; where the axes may begin.
double Chart::paintLegend(QPainter& p) const
{
    double total = -12;  // each item: its swatch, its name and a gap
    for (const Series& s : series_)
        total += s.name.isEmpty() ? 0 : 18 + smallMetrics_.horizontalAdvance(s.name) + 12;
    if (total < 0)
        return top();
    const bool beside = titleMetrics_.horizontalAdvance(title_) + 16 + total <= width() - 2 * kPad;
    const double line = smallMetrics_.height();
    const double y = beside ? kPad - 2 + titleMetrics_.height() / 2 : top() + line / 2;
    double x = width() - kPad - total;
    p.setFont(smallFont_);
    for (const Series& s : series_) {
        if (s.name.isEmpty())
            continue;
        if (s.style == Style::Points) {
            p.setPen(QPen(s.color.darker(130), 1));
            p.setBrush(s.color);
            p.drawEllipse(QPointF(x + 7, y), 3.5, 3.5);
        } else if (s.style == Style::Rings) {
            p.setPen(QPen(s.color, kRingWidth));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(x + 7, y), 3.5, 3.5);
        } else if (s.style == Style::Bars) {
            p.setPen(Qt::NoPen);
            p.setBrush(s.color);
            p.drawRoundedRect(QRectF(x + 2, y - 5, 10, 10), 1.5, 1.5);
        } else {
            p.setPen(QPen(s.color, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(x + 1, y), QPointF(x + 13, y));
        }
        const double w = 18 + smallMetrics_.horizontalAdvance(s.name);
        p.setPen(assets::kText);
        p.drawText(QRectF(x + 18, y - line / 2, w, line), Qt::AlignLeft | Qt::AlignVCenter, s.name);
        x += w + 12;
    }
    return beside ? top() : top() + line + 2;
}

// The y range with its grid lines, labels and unit, and the x axis's ticks
// and labels, kept inside the card.
Chart::Plot Chart::paintAxes(QPainter& p, double top) const
{
    const double line = smallMetrics_.height();
    const QRectF area = QRectF(rect()).adjusted(kPad, kPad - 2, -kPad, -kPad + 2);
    const double plotTop = top + line * 1.5;
    const double plotBottom = area.bottom() - line - 5;
    Plot plot;
    plot.yMax = yMax_;
    for (const Series& s : series_) {
        for (const QPointF& pt : s.points)
            plot.yMax = yMax_ > 0 ? plot.yMax : std::max(plot.yMax, pt.y());
    }
    if (plot.yMax <= 0)
        plot.yMax = 1;
    const std::vector<double> yTicks =
        niceTicks(0, plot.yMax, std::max(2, static_cast<int>((plotBottom - plotTop) / 34)));
    if (yMax_ <= 0)
        plot.yMax = yTicks.back();
    const double step = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : 2;
    QStringList yLabels;
    double labelWidth = smallMetrics_.horizontalAdvance(unit_);
    for (double v : yTicks) {
        yLabels << QString::number(v, 'f', decimals);
        labelWidth = std::max(labelWidth, smallMetrics_.horizontalAdvance(yLabels.back()));
    }
    plot.rect = QRectF(area.left() + labelWidth + 6, plotTop, area.width() - labelWidth - 10, plotBottom - plotTop);
    plot.inner = plot.rect.adjusted(4, 0, -4, 0);
    const bool byCategory = categories_ > 0;
    plot.x0 = byCategory ? -0.5 : xOf(first_);
    plot.x1 = byCategory ? categories_ - 0.5 : xOf(last_) + 1;

    p.setFont(smallFont_);
    p.setPen(assets::kText);
    // The unit stands over the numbers of its axis, apart from the note.
    p.drawText(QRectF(area.left(), top - 2, labelWidth, line), Qt::AlignRight | Qt::AlignVCenter, unit_);
    for (std::size_t i = 0; i < yTicks.size(); ++i) {
        const double y = plot.y(yTicks[i]);
        p.setPen(QPen(i == 0 ? assets::kAxisLine : assets::kGridLine, 1));
        p.drawLine(QPointF(plot.rect.left(), y), QPointF(plot.rect.right(), y));
        p.setPen(assets::kText);
        p.drawText(QRectF(area.left(), y - line / 2, labelWidth, line), Qt::AlignRight | Qt::AlignVCenter,
                   yLabels[static_cast<int>(i)]);
    }

    std::vector<Tick> xTicks;
    if (byCategory) {
        // Every other one from the first, or the first and then every
        // fifth, tenth, ... counted from 1: as often as the names fit.
        double widest = 0;
        for (int i = 1; i <= categories_; ++i)
            widest = std::max(widest, smallMetrics_.horizontalAdvance(QString::number(i)));
        int every = 1;
        for (int n : {2, 5, 10, 20, 50})
            every = plot.slot() * every >= widest + 6 ? every : n;
        for (int i = 0; i < categories_; ++i) {
            if (every == 2 ? i % 2 == 0 : i == 0 || (i + 1) % every == 0)
                xTicks.push_back({static_cast<double>(i), QString::number(i + 1)});
        }
    } else {
        xTicks = dateTicks(first_, last_, plot.inner.width(), smallMetrics_);
    }
    for (const Tick& t : xTicks) {
        const double x = plot.x(t.x);
        p.setPen(QPen(assets::kAxisLine, 1));
        p.drawLine(QPointF(x, plot.rect.bottom()), QPointF(x, plot.rect.bottom() + 4));
        const double w = smallMetrics_.horizontalAdvance(t.label) + 2;
        p.setPen(assets::kText);
        p.drawText(QRectF(std::clamp(x - w / 2, area.left(), area.right() - w), plot.rect.bottom() + 5, w, line),
                   Qt::AlignCenter, t.label);
    }
    return plot;
}

// The bar series side by side in each slot.
void Chart::paintBars(QPainter& p, const Plot& plot) const
{
    const auto count =
        std::count_if(series_.begin(), series_.end(), [](const Series& s) { return s.style == Style::Bars; });
    if (count == 0)
        return;
    const double group = std::min(plot.slot() * 0.8, count * 16.0);
    const double bar = std::max(1.0, group / count);
    const double gap = bar > 4 ? 1 : 0;
    p.setPen(Qt::NoPen);
    int index = 0;
    for (const Series& s : series_) {
        if (s.style != Style::Bars)
            continue;
        p.setBrush(s.color);
        for (const QPointF& pt : s.points) {
            const double y = plot.y(std::clamp(pt.y(), 0.0, plot.yMax));
            const double left = plot.x(pt.x()) - group / 2 + index * bar + gap / 2;
            p.drawRect(QRectF(left, y, bar - gap, plot.rect.bottom() - y));
        }
        ++index;
    }
}

void Chart::paintLine(QPainter& p, const Plot& plot, const Series& s) const
{
    const std::vector<QPointF>& pts = s.points;
    if (pts.size() < 2)
        return;
    const auto at = [&](std::size_t i) { return QPointF(plot.x(pts[i].x()), plot.y(pts[i].y())); };
    QPainterPath path(at(0));
    // Years of games put many points in each column of device pixels. Such
    // a column keeps its first, lowest, highest and last point, in their
    // order: the line looks the same, and stroking thousands of tiny
    // round-joined segments would slow the window down.
    const double columnWidth = 1.0 / devicePixelRatioF();
    const auto column = [&](std::size_t i) { return std::floor(plot.x(pts[i].x()) / columnWidth); };
    for (std::size_t i = 1; i < pts.size();) {
        std::size_t end = i + 1;
        while (end < pts.size() && column(end) == column(i))
            ++end;
        if (end - i <= 4) {
            for (; i < end; ++i)
                path.lineTo(at(i));
            continue;
        }
        std::size_t low = i, high = i;
        for (std::size_t j = i; j < end; ++j) {
            low = pts[j].y() < pts[low].y() ? j : low;
            high = pts[j].y() > pts[high].y() ? j : high;
        }
        const std::size_t kept[4] = {i, std::min(low, high), std::max(low, high), end - 1};
        for (std::size_t k = 0; k < 4; ++k) {
            if (k == 0 || kept[k] != kept[k - 1])
                path.lineTo(at(kept[k]));
        }
        i = end;
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(s.color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void Chart::paintPoints(QPainter& p, const Plot& plot, const Series& s) const
{
    // Many dots are drawn smaller and see-through, so the course shows.
    // Rings are hollow, their pen of the series' colour, and keep a hole
    // even when many: a dot under one still shows through it.
    const std::size_t n = s.points.size();
    const bool rings = s.style == Style::Rings;
    const double radius = n > 400 ? (rings ? 2.2 : 1.8) : n > 80 ? (rings ? 2.8 : 2.5) : 3.5;
    QColor fill = s.color;
    if (n > 80)
        fill.setAlpha(170);
    const QPen pen = rings ? QPen(fill, n > 400 ? 1.1 : kRingWidth) : QPen(s.color.darker(125), 0.8);
    const QBrush brush = rings ? QBrush(Qt::NoBrush) : QBrush(fill);
    if (n <= 400) {
        p.setBrush(brush);
        p.setPen(pen);
        for (const QPointF& pt : s.points)
            p.drawEllipse(QPointF(plot.x(pt.x()), plot.y(pt.y())), radius, radius);
        return;
    }
    // So many dots are stamped from one dot drawn once, each put on whole
    // device pixels, instead of filling thousands of circles; a dot on a
    // place already stamped would add nothing to see.
    const double ratio = devicePixelRatioF();
    const int side = static_cast<int>(std::ceil((2 * radius + 2) * ratio));
    QImage dot(side, side, QImage::Format_ARGB32_Premultiplied);
    dot.fill(Qt::transparent);
    {
        QPainter d(&dot);
        d.setRenderHint(QPainter::Antialiasing);
        d.setPen(rings ? QPen(fill, pen.widthF() * ratio) : QPen(Qt::NoPen));
        d.setBrush(brush);
        d.drawEllipse(QPointF(side / 2.0, side / 2.0), radius * ratio, radius * ratio);
    }
    dot.setDevicePixelRatio(ratio);
    std::unordered_set<std::uint64_t> stamped;
    for (const QPointF& pt : s.points) {
        const auto x = static_cast<std::int32_t>(std::lround(plot.x(pt.x()) * ratio - side / 2.0));
        const auto y = static_cast<std::int32_t>(std::lround(plot.y(pt.y()) * ratio - side / 2.0));
        if (stamped.insert(std::uint64_t(std::uint32_t(x)) << 32 | std::uint32_t(y)).second)
            p.drawImage(QPointF(x / ratio, y / ratio), dot);
    }
}

}  // namespace history
