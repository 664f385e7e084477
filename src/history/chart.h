// A small chart of the parents' window, drawn with QPainter in logical
// coordinates (so it is sharp at any device pixel ratio): a title and a
// note, a y axis with round ticks and a unit, an x axis of dates or of
// named categories, and series of points, lines or bars. With no data it
// shows a short text instead of empty axes.
#pragma once

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QFontMetricsF;

namespace history {

class Chart : public QWidget {
    Q_OBJECT
public:
    enum class Style {
        Points,  // a dot per value
        Line,    // the values joined by a smooth-looking line
        Bars,    // a bar per value; several bar series stand side by side
    };
    struct Series {
        QString name;  // in the legend; unnamed series are not listed
        Style style = Style::Points;
        QColor color;
        // x: a day number (xOf) on a date axis, a category's index on a
        // category axis; y: the value.
        std::vector<QPointF> points;
    };
    // A mark on the x axis.
    struct Tick {
        double x = 0;
        QString label;
    };

    explicit Chart(QWidget* parent = nullptr);

    void setTitle(const QString& title, const QString& note = QString());
    // Written above the y axis: "分", "秒", "%".
    void setUnit(const QString& unit);
    // Shown instead of the axes when no series holds a value.
    void setEmptyText(const QString& text);
    // A date axis from the start of `first` to the end of `last`.
    void setDays(const QDate& first, const QDate& last);
    // A category axis: one slot per name, x = 0, 1, ...
    void setCategories(const QStringList& names);
    // A fixed y range; without one the axis runs from 0 to a round value
    // above the largest.
    void setYRange(double min, double max);
    void setSeries(std::vector<Series> series);

    int seriesCount() const { return static_cast<int>(series_.size()); }
    const Series& series(int index) const { return series_.at(static_cast<std::size_t>(index)); }
    // All values of all series.
    int pointCount() const;
    QString title() const { return title_; }
    QString emptyText() const { return emptyText_; }

    // The x of a day's start, and of a moment (its local day plus the part
    // of it gone by).
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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QString note_;
    QString unit_;
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
