// The parents' window's practice calendar: a square per day of the last
// half year, shaded by the minutes played.
#pragma once

#include <QDate>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

#include "parents/chart.h"
#include "parents/figures.h"
#include "history/records.h"

namespace history {

// The practice calendar of every game of the last 26 weeks up to `today`:
// a square per day, weeks as columns (Monday on top), shaded by the minutes
// played, with month names above, a legend below and the day's games in a
// tooltip.
class CalendarView : public Card {
    Q_OBJECT
public:
    CalendarView(const std::vector<Game>& games, const QDate& today, QWidget* parent = nullptr);
    void setGames(const std::vector<Game>& games);

    QDate firstDay() const { return first_; }  // the Monday of the first column
    QRectF cellRect(const QDate& day) const;   // empty for a day not drawn
    // 0 for a day without play, 1 to 5 for more and more minutes.
    static int shadeOf(double minutes);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintContent(QPainter& p) override;

private:
    QDate dayAt(const QPointF& pos) const;
    QString toolTipFor(const QDate& day) const;
    // Where the legend shows `shade`.
    QRectF legendRect(int shade) const;
    double pitch() const;  // from a square to the next, for the width

    const QDate today_;
    const QDate first_;
    std::vector<CalendarDay> days_;  // oldest first
    const double weekdayWidth_;      // the weekdays' names on the left
    const QPointF origin_;           // the first square's top left
};

}  // namespace history
