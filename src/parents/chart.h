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
#include <QWidget>

#include <vector>

class QPainter;

namespace history {

// A white card with a rounded border, a title and a note under it: every
// block of the parents' window, named by its title. What a card holds
// begins at top().
class Card : public QWidget {
    Q_OBJECT
public:
    explicit Card(const QString& title, const QString& note = QString(), QWidget* parent = nullptr);
    double top() const;
    // Another note, drawn at once; top() moves only when it is given or
    // taken away.
    void setNote(const QString& note);

protected:
    // Draws the card, then what it holds, with the small font and the text's
    // colour set.
    void paintEvent(QPaintEvent* event) override;
    virtual void paintContent(QPainter& p) {}

    static constexpr double kPad = 10;  // inside the card's edge
    const QFont titleFont_;
    const QFont smallFont_;  // the note, and the axes and legends of charts
    const QFontMetricsF titleMetrics_;
    const QFontMetricsF smallMetrics_;
    const QString title_;
    QString note_;
};

// A small chart on a card: a y axis with round ticks and a unit ("分",
// "秒", "%") over it, an x axis of dates or of numbered slots, and series
// of points, lines or bars. With no data it shows `emptyText` instead.
class Chart : public Card {
    Q_OBJECT
public:
    enum class Style {
        Points,      // a dot per value
        Line,        // the values joined by a line
        LinePoints,  // both: a line, and a dot on it per value
        Bars,        // a bar per value; several bar series stand side by side
        Rings,       // a ring per value: points set apart from a Points series
    };
    struct Series {
        QString name;  // in the legend; unnamed series are not listed
        Style style = Style::Points;
        QColor color;
        // x: a day number (xOf) or a slot's index; y: the value.
        std::vector<QPointF> points;
    };
    struct Tick {  // a mark on the x axis
        double x = 0;
        QString label;
    };

    Chart(const QString& title, const QString& note, const QString& unit, const QString& emptyText,
          QWidget* parent = nullptr);

    // A date axis from the start of `first` to the end of `last`, or one
    // of `count` slots named 1, 2, ... at x = 0, 1, ...
    void setDays(const QDate& first, const QDate& last);
    void setCategories(int count);
    // The y axis runs from 0 to `max`, or without one to a round value
    // above the largest.
    void setYMax(double max) { yMax_ = max; }
    void setSeries(std::vector<Series> series);

    const std::vector<Series>& series() const { return series_; }
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
    void paintContent(QPainter& p) override;

private:
    struct Plot;
    double paintLegend(QPainter& p) const;
    Plot paintAxes(QPainter& p, double top) const;
    void paintBars(QPainter& p, const Plot& plot) const;
    void paintLine(QPainter& p, const Plot& plot, const Series& s) const;
    void paintPoints(QPainter& p, const Plot& plot, const Series& s) const;

    const QString unit_;
    const QString emptyText_;
    QDate first_;
    QDate last_;
    int categories_ = 0;
    double yMax_ = 0;  // 0: none fixed
    std::vector<Series> series_;
};

}  // namespace history
