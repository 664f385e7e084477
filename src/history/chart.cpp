#include "history/chart.h"

#include "assets/palette.h"
#include "platform/songfont.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

namespace history {

namespace {

constexpr double kPad = 10;      // inside the card's edge
constexpr double kLabelGap = 12;  // at least this between two x labels

QString dayLabel(const QDate& d)
{
    return QStringLiteral("%1月%2日").arg(d.month()).arg(d.day());
}

}  // namespace


Chart::Chart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Chart::setTitle(const QString& title, const QString& note)
{
    title_ = title;
    note_ = note;
    update();
}

void Chart::setUnit(const QString& unit)
{
    unit_ = unit;
    update();
}

void Chart::setEmptyText(const QString& text)
{
    emptyText_ = text;
    update();
}

void Chart::setDays(const QDate& first, const QDate& last)
{
    first_ = first;
    last_ = last < first ? first : last;
    categories_.clear();
    update();
}

void Chart::setCategories(const QStringList& names)
{
    categories_ = names;
    first_ = last_ = QDate();
    update();
}

void Chart::setYRange(double min, double max)
{
    fixedY_ = max > min;
    yMin_ = min;
    yMax_ = max;
    update();
}

void Chart::setSeries(std::vector<Series> series)
{
    series_ = std::move(series);
    update();
}

int Chart::pointCount() const
{
    int n = 0;
    for (const Series& s : series_)
        n += static_cast<int>(s.points.size());
    return n;
}

double Chart::xOf(const QDate& day)
{
    return static_cast<double>(day.toJulianDay());
}

double Chart::xOf(const QDateTime& moment)
{
    const QDateTime local = moment.toLocalTime();
    return xOf(local.date()) + local.time().msecsSinceStartOfDay() / 86400000.0;
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
    long long last = static_cast<long long>(std::ceil(max / step - 1e-9));
    if (last <= first)
        last = first + 1;
    std::vector<double> ticks;
    for (long long i = first; i <= last; ++i)
        ticks.push_back(i == 0 ? 0.0 : static_cast<double>(i) * step);
    return ticks;
}

std::vector<Chart::Tick> Chart::dateTicks(const QDate& first, const QDate& last, double width,
                                          const QFontMetricsF& metrics)
{
    enum class Unit { Day, Week, Month, Year };
    struct Step {
        Unit unit;
        int n;
    };
    static const Step kSteps[] = {
        {Unit::Day, 1},   {Unit::Day, 2},   {Unit::Day, 3},    {Unit::Week, 1},  {Unit::Week, 2},
        {Unit::Week, 4},  {Unit::Month, 1}, {Unit::Month, 2},  {Unit::Month, 3}, {Unit::Month, 6},
        {Unit::Year, 1},  {Unit::Year, 2},  {Unit::Year, 5},   {Unit::Year, 10}, {Unit::Year, 50},
    };
    if (!first.isValid() || !last.isValid() || last < first || width <= 0)
        return {};
    const qint64 days = first.daysTo(last) + 1;
    const double x0 = xOf(first);
    const double pxPerDay = width / static_cast<double>(days);

    std::vector<Tick> ticks;
    for (const Step& step : kSteps) {
        ticks.clear();
        switch (step.unit) {
        case Unit::Day:
            if (days > 40)
                continue;
            // Counted back from the last day, so that today is always named.
            for (QDate d = last; d >= first; d = d.addDays(-step.n))
                ticks.push_back({xOf(d) + 0.5, dayLabel(d)});
            std::reverse(ticks.begin(), ticks.end());
            break;
        case Unit::Week: {
            QDate d = first.addDays((8 - first.dayOfWeek()) % 7);  // the first Monday
            for (int i = 0; d <= last; d = d.addDays(7), ++i) {
                if (i % step.n == 0)
                    ticks.push_back({xOf(d), dayLabel(d)});
            }
            break;
        }
        case Unit::Month: {
            QDate d(first.year(), first.month(), 1);
            if (d < first)
                d = d.addMonths(1);
            for (; d <= last; d = d.addMonths(1)) {
                if ((d.month() - 1) % step.n != 0)
                    continue;
                const bool withYear = ticks.empty() || d.month() == 1;
                ticks.push_back({xOf(d), withYear ? QStringLiteral("%1年%2月").arg(d.year()).arg(d.month())
                                                  : QStringLiteral("%1月").arg(d.month())});
            }
            break;
        }
        case Unit::Year: {
            QDate d(first.year(), 1, 1);
            if (d < first)
                d = d.addYears(1);
            for (; d <= last; d = d.addYears(1)) {
                if (d.year() % step.n == 0)
                    ticks.push_back({xOf(d), QStringLiteral("%1年").arg(d.year())});
            }
            break;
        }
        }
        // Fits when each label keeps clear of the next one.
        bool fits = true;
        for (std::size_t i = 1; i < ticks.size() && fits; ++i) {
            const double apart = (ticks[i].x - ticks[i - 1].x) * pxPerDay;
            const double needed = (metrics.horizontalAdvance(ticks[i].label) +
                                   metrics.horizontalAdvance(ticks[i - 1].label)) / 2 + kLabelGap;
            fits = apart >= needed;
        }
        if (fits && !ticks.empty())
            return ticks;
    }
    // Not even one label a year fits: the first day alone.
    return {{x0 + 0.5, dayLabel(first)}};
}

QSize Chart::sizeHint() const
{
    return QSize(320, 210);
}

QSize Chart::minimumSizeHint() const
{
    return QSize(220, 150);
}

void Chart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The card.
    p.setPen(QPen(assets::kCardBorder, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    const QRectF area = QRectF(rect()).adjusted(kPad, kPad - 2, -kPad, -kPad + 2);
    double top = area.top();

    // The title, with the legend on its right when there is room.
    const QFont titleFont = vb::songFont(15, true);
    const QFontMetricsF titleMetrics(titleFont);
    const QFont smallFont = vb::songFont(12);
    const QFontMetricsF smallMetrics(smallFont);

    struct LegendItem {
        const Series* series;
        double width;
    };
    std::vector<LegendItem> legend;
    double legendWidth = 0;
    for (const Series& s : series_) {
        if (s.name.isEmpty())
            continue;
        const double w = 14 + 4 + smallMetrics.horizontalAdvance(s.name);
        legend.push_back({&s, w});
        legendWidth += w + (legendWidth > 0 ? 12 : 0);
    }
    auto drawLegend = [&](double right, double centreY) {
        double x = right - legendWidth;
        p.setFont(smallFont);
        for (const LegendItem& item : legend) {
            const QColor c = item.series->color;
            switch (item.series->style) {
            case Style::Points:
                p.setPen(QPen(c.darker(130), 1));
                p.setBrush(c);
                p.drawEllipse(QPointF(x + 7, centreY), 3.5, 3.5);
                break;
            case Style::Line:
                p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(x + 1, centreY), QPointF(x + 13, centreY));
                break;
            case Style::Bars:
                p.setPen(Qt::NoPen);
                p.setBrush(c);
                p.drawRoundedRect(QRectF(x + 2, centreY - 5, 10, 10), 1.5, 1.5);
                break;
            }
            p.setPen(assets::kText);
            p.drawText(QRectF(x + 18, centreY - smallMetrics.height() / 2, item.width, smallMetrics.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, item.series->name);
            x += item.width + 12;
        }
    };

    const double titleWidth = titleMetrics.horizontalAdvance(title_);
    const bool legendBesideTitle = titleWidth + 16 + legendWidth <= area.width();
    p.setFont(titleFont);
    p.setPen(assets::kTitleText);
    p.drawText(QRectF(area.left(), top, area.width(), titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               titleMetrics.elidedText(title_, Qt::ElideRight, area.width()));
    const bool hasData = pointCount() > 0;
    if (hasData && !legend.empty() && legendBesideTitle)
        drawLegend(area.right(), top + titleMetrics.height() / 2);
    top += titleMetrics.height() + 2;
    if (!note_.isEmpty()) {
        p.setFont(smallFont);
        p.setPen(assets::kText);
        p.drawText(QRectF(area.left(), top, area.width(), smallMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   smallMetrics.elidedText(note_, Qt::ElideRight, area.width()));
        top += smallMetrics.height() + 6;  // a gap, so the unit below is not read as part of the note
    }
    if (hasData && !legend.empty() && !legendBesideTitle) {
        drawLegend(area.right(), top + smallMetrics.height() / 2);
        top += smallMetrics.height() + 2;
    }

    if (!hasData) {
        p.setFont(vb::songFont(14));
        p.setPen(assets::kText);
        p.drawText(QRectF(area.left(), top, area.width(), area.bottom() - top),
                   Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
        return;
    }

    // The y range and its ticks.
    p.setFont(smallFont);
    const double lineHeight = smallMetrics.height();
    const double plotTop = top + lineHeight + lineHeight / 2;
    const double plotBottom = area.bottom() - lineHeight - 5;
    const int wantedTicks = std::max(2, static_cast<int>((plotBottom - plotTop) / 34));
    double yMin = yMin_;
    double yMax = yMax_;
    if (!fixedY_) {
        yMin = 0;
        yMax = 0;
        for (const Series& s : series_) {
            for (const QPointF& pt : s.points)
                yMax = std::max(yMax, pt.y());
        }
        if (yMax <= 0)
            yMax = 1;
    }
    const std::vector<double> yTicks = niceTicks(yMin, yMax, wantedTicks);
    if (!fixedY_) {
        yMin = yTicks.front();
        yMax = yTicks.back();
    }
    const double step = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : 2;
    double labelWidth = smallMetrics.horizontalAdvance(unit_);
    std::vector<QString> yLabels;
    for (double v : yTicks) {
        yLabels.push_back(QString::number(v, 'f', decimals));
        labelWidth = std::max(labelWidth, smallMetrics.horizontalAdvance(yLabels.back()));
    }
    const QRectF plot(area.left() + labelWidth + 6, plotTop, area.width() - labelWidth - 10,
                      plotBottom - plotTop);
    auto mapY = [&](double v) { return plot.bottom() - (v - yMin) / (yMax - yMin) * plot.height(); };

    // The x range: whole days, or one slot per category.
    const bool byCategory = !categories_.isEmpty();
    const double x0 = byCategory ? -0.5 : xOf(first_);
    const double x1 = byCategory ? categories_.size() - 0.5 : xOf(last_) + 1;
    const QRectF inner = plot.adjusted(4, 0, -4, 0);
    auto mapX = [&](double x) { return inner.left() + (x - x0) / (x1 - x0) * inner.width(); };
    const double slot = inner.width() / (x1 - x0);

    // Grid lines and y labels.
    p.setPen(assets::kText);
    // The unit stands over the numbers of its axis, apart from the note.
    p.drawText(QRectF(area.left(), top - 2, labelWidth, lineHeight), Qt::AlignRight | Qt::AlignVCenter, unit_);
    for (std::size_t i = 0; i < yTicks.size(); ++i) {
        const double y = mapY(yTicks[i]);
        p.setPen(QPen(i == 0 ? assets::kAxisLine : assets::kGridLine, 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(assets::kText);
        p.drawText(QRectF(area.left(), y - lineHeight / 2, labelWidth, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                   yLabels[i]);
    }

    // X ticks and labels, kept inside the card.
    std::vector<Tick> xTicks;
    if (byCategory) {
        double widest = 0;
        for (const QString& name : categories_)
            widest = std::max(widest, smallMetrics.horizontalAdvance(name));
        int every = 1;
        for (int n : {1, 2, 5, 10, 20, 50}) {
            every = n;
            if (slot * n >= widest + 6)
                break;
        }
        for (int i = 0; i < categories_.size(); ++i) {
            // Every other one from the first, or the first and then every
            // fifth, tenth, ... counted from 1.
            if (every == 2 ? i % 2 == 0 : i == 0 || (i + 1) % every == 0)
                xTicks.push_back({static_cast<double>(i), categories_.at(i)});
        }
    } else {
        xTicks = dateTicks(first_, last_, inner.width(), smallMetrics);
    }
    for (const Tick& t : xTicks) {
        const double x = mapX(t.x);
        p.setPen(QPen(assets::kAxisLine, 1));
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        const double w = smallMetrics.horizontalAdvance(t.label) + 2;
        const double left = std::clamp(x - w / 2, area.left(), area.right() - w);
        p.setPen(assets::kText);
        p.drawText(QRectF(left, plot.bottom() + 5, w, lineHeight), Qt::AlignCenter, t.label);
    }

    // The series: bars first, then lines and points in their given order,
    // so a line given after its dots (a trend) lies on top of them.
    p.save();
    p.setClipRect(plot.adjusted(-5, -5, 5, 1));
    int barSeries = 0;
    for (const Series& s : series_)
        barSeries += s.style == Style::Bars;
    const double groupWidth = std::min(slot * 0.8, barSeries * 16.0);
    const double barWidth = barSeries > 0 ? std::max(1.0, groupWidth / barSeries) : 0;
    const double barGap = barWidth > 4 ? 1 : 0;
    int barIndex = 0;
    for (const Series& s : series_) {
        if (s.style != Style::Bars)
            continue;
        p.setPen(Qt::NoPen);
        p.setBrush(s.color);
        for (const QPointF& pt : s.points) {
            const double left = mapX(pt.x()) - groupWidth / 2 + barIndex * barWidth;
            const double y = mapY(std::clamp(pt.y(), yMin, yMax));
            p.drawRect(QRectF(left + barGap / 2, y, barWidth - barGap, plot.bottom() - y));
        }
        ++barIndex;
    }
    auto drawPoints = [&](const Series& s) {
        // Many dots are drawn smaller and see-through, so the course shows.
        const std::size_t n = s.points.size();
        const double radius = n > 400 ? 1.8 : n > 80 ? 2.5 : 3.5;
        QColor fill = s.color;
        if (n > 80)
            fill.setAlpha(170);
        if (n > 400) {
            // So many dots are stamped from one dot drawn once, each put on
            // whole device pixels, instead of filling thousands of circles.
            const double ratio = devicePixelRatioF();
            const int side = static_cast<int>(std::ceil((2 * radius + 2) * ratio));
            QImage dot(side, side, QImage::Format_ARGB32_Premultiplied);
            dot.fill(Qt::transparent);
            {
                QPainter d(&dot);
                d.setRenderHint(QPainter::Antialiasing);
                d.setPen(Qt::NoPen);
                d.setBrush(fill);
                d.drawEllipse(QPointF(side / 2.0, side / 2.0), radius * ratio, radius * ratio);
            }
            dot.setDevicePixelRatio(ratio);
            // A dot on a place already stamped would add nothing to see.
            const double half = side / 2.0;
            std::unordered_set<std::uint64_t> stamped;
            for (const QPointF& pt : s.points) {
                const auto x = static_cast<std::int32_t>(std::lround(mapX(pt.x()) * ratio - half));
                const auto y = static_cast<std::int32_t>(std::lround(mapY(pt.y()) * ratio - half));
                if (!stamped.insert(static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32 |
                                    static_cast<std::uint32_t>(y))
                         .second)
                    continue;
                p.drawImage(QPointF(x / ratio, y / ratio), dot);
            }
            return;
        }
        p.setBrush(fill);
        p.setPen(QPen(s.color.darker(125), 0.8));
        for (const QPointF& pt : s.points)
            p.drawEllipse(QPointF(mapX(pt.x()), mapY(pt.y())), radius, radius);
    };
    for (const Series& s : series_) {
        if (s.style == Style::Points) {
            drawPoints(s);
            continue;
        }
        if (s.style != Style::Line || s.points.size() < 2)
            continue;
        QPainterPath path;
        path.moveTo(mapX(s.points.front().x()), mapY(s.points.front().y()));
        // Years of games put many points in each column of device pixels.
        // Such a column keeps its first, lowest, highest and last point, in
        // their order: the line looks the same, and stroking thousands of
        // tiny round-joined segments would slow the window down.
        const double columnWidth = 1.0 / devicePixelRatioF();
        std::size_t i = 1;
        while (i < s.points.size()) {
            const double column = std::floor(mapX(s.points[i].x()) / columnWidth);
            std::size_t end = i + 1;
            while (end < s.points.size() && std::floor(mapX(s.points[end].x()) / columnWidth) == column)
                ++end;
            if (end - i <= 4) {
                for (; i < end; ++i)
                    path.lineTo(mapX(s.points[i].x()), mapY(s.points[i].y()));
                continue;
            }
            std::size_t low = i, high = i;
            for (std::size_t j = i; j < end; ++j) {
                if (s.points[j].y() < s.points[low].y())
                    low = j;
                if (s.points[j].y() > s.points[high].y())
                    high = j;
            }
            std::size_t kept[4] = {i, std::min(low, high), std::max(low, high), end - 1};
            for (std::size_t k = 0; k < 4; ++k) {
                if (k > 0 && kept[k] == kept[k - 1])
                    continue;
                path.lineTo(mapX(s.points[kept[k]].x()), mapY(s.points[kept[k]].y()));
            }
            i = end;
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(s.color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
    p.restore();
}

}  // namespace history
