// The cards of the parents' window, drawn with QPainter in logical
// coordinates, so that they are sharp at any device pixel ratio.
#pragma once

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QPainter;

namespace history {

// A white card with a rounded border, a title and a note under it: every
// block of the parents' window. What a card holds begins at top().
class Card : public QWidget {
    Q_OBJECT
public:
    explicit Card(const QString& title, const QString& note = QString(), QWidget* parent = nullptr);
    double top() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintCard(QPainter& p) const;

    static constexpr double kPad = 10;  // inside the card's edge
    const QFont titleFont_;
    const QFont smallFont_;  // the note, and the axes and legends of charts
    const QFontMetricsF titleMetrics_;
    const QFontMetricsF smallMetrics_;
    const QString title_;
    const QString note_;
};

// A small chart on a card: a y axis with round ticks and a unit, an x axis
// of dates or of named categories, and series of points, lines or bars.
// With no data it shows a short text instead of empty axes.
class Chart : public Card {
    Q_OBJECT
public:
    enum class Style {
        Points,      // a dot per value
        Line,        // the values joined by a line
        LinePoints,  // both: a line, and a dot on it per value
        Bars,        // a bar per value; several bar series stand side by side
    };
    struct Series {
        QString name;  // in the legend; unnamed series are not listed
        Style style = Style::Points;
        QColor color;
        // x: a day number (xOf) or a category's index; y: the value.
        std::vector<QPointF> points;
    };
    struct Tick {  // a mark on the x axis
        double x = 0;
        QString label;
    };

    // `unit` is written above the y axis: "分", "秒", "%".
    Chart(const QString& title, const QString& note, const QString& unit, QWidget* parent = nullptr);

    // Shown instead of the axes when no series holds a value.
    void setEmptyText(const QString& text) { emptyText_ = text; }
    // A date axis from the start of `first` to the end of `last`, or a
    // category axis: one slot per name, x = 0, 1, ...
    void setDays(const QDate& first, const QDate& last);
    void setCategories(const QStringList& names);
    // A fixed y range; without one the axis runs from 0 to a round value
    // above the largest.
    void setYRange(double min, double max) { yMin_ = min; yMax_ = max; fixedY_ = max > min; }
    void setSeries(std::vector<Series> series);

    int seriesCount() const { return static_cast<int>(series_.size()); }
    const Series& series(int index) const { return series_.at(static_cast<std::size_t>(index)); }
    QDate firstDay() const { return first_; }  // of a date axis

    // The x of a day's start, and of a moment: the day and time of day its
    // own offset shows (the offset a game was recorded with).
    static double xOf(const QDate& day);
    static double xOf(const QDateTime& moment);

    // Round y ticks from `min` to at least `max`, about `count` of them, in
    // steps of 1, 2 or 5 times a power of ten.
    static std::vector<double> niceTicks(double min, double max, int count);
    // The date ticks between `first` and `last` whose labels fit `width`:
    // days ("12月8日", centred on the day), weeks (Mondays), months ("3月",
    // the year written on the first and on January: "2026年1月") or years.
    static std::vector<Tick> dateTicks(const QDate& first, const QDate& last, double width,
                                       const QFontMetricsF& metrics);

    QSize sizeHint() const override { return QSize(320, 210); }
    QSize minimumSizeHint() const override { return QSize(220, 150); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Plot;
    double paintLegend(QPainter& p) const;
    Plot paintAxes(QPainter& p, double top) const;
    void paintBars(QPainter& p, const Plot& plot) const;
    void paintLine(QPainter& p, const Plot& plot, const Series& s) const;
    void paintPoints(QPainter& p, const Plot& plot, const Series& s) const;

    const QString unit_;
    QString emptyText_;
    QDate first_;
    QDate last_;
    QStringList categories_;
    bool fixedY_ = false;
    double yMin_ = 0;
    double yMax_ = 1;
    std::vector<Series> series_;
};

}  // namespace history
