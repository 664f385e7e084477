// The parents' window ("家长：学习进度"): how the child's practice goes, from
// the stored games. A level and a period are chosen at the top; the
// summary, the score, speed and accuracy charts and the hard sums follow
// that choice, while the practice calendar always spans every game of the
// last half year. An export button writes the whole history as two
// spreadsheet files.
#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

#include "parents/chart.h"
#include "parents/figures.h"
#include "parents/sumgrid.h"
#include "history/records.h"

class QButtonGroup;
class QLabel;

namespace history {

// The practice calendar of every game of the last 26 weeks up to `today`:
// a square per day, weeks as columns (Monday on top), shaded by the minutes
// played, with month names above, a legend below and the day's games in a
// tooltip.
class CalendarView : public Card {
    Q_OBJECT
public:
    CalendarView(const std::vector<Game>& games, const QDate& today, QWidget* parent = nullptr);

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
    const std::vector<CalendarDay> days_;  // oldest first
    const double weekdayWidth_;            // the weekdays' names on the left
    const QPointF origin_;                 // the first square's top left
};

// Its cards are named by their titles ("每局得分", "练习日历", ...).
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    // `games` oldest first (Store::loadAll); `problem` (Store::problemText())
    // is shown as a banner when not empty; `storePath` is named at the foot.
    ProgressWindow(std::vector<Game> games, QString problem, QDate today, QString storePath = QString(),
                   QWidget* parent = nullptr);

    int level() const { return level_; }
    Period period() const { return period_; }
    // Shows the figures of `level` over `period` and marks their buttons.
    void choose(int level, Period period);

    // Writes both spreadsheet files of every game into `folder`; `message`
    // says where they are, or what went wrong.
    bool exportTo(const QString& folder, QString* message) const;

private:
    void refresh();

    std::vector<Game> games_;
    QDate today_;
    int level_ = 0;
    Period period_ = Period::Month;
    QButtonGroup* levelButtons_ = nullptr;
    QButtonGroup* periodButtons_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* empty_ = nullptr;     // what shows when there is nothing to show
    QWidget* figures_ = nullptr;  // the three charts
    Chart* scoreChart_ = nullptr;
    Chart* speedChart_ = nullptr;
    Chart* accuracyChart_ = nullptr;
    Chart* sumKindsChart_ = nullptr;
    QWidget* hardSumsPanel_ = nullptr;  // the hard sums' words and bars
    QLabel* hardSums_ = nullptr;
    CalendarView* calendar_ = nullptr;
    SumGrid* sumGrid_ = nullptr;
};

// Reads the history in its usual place (Store::defaultPath()) and makes the
// parents' window over it, not yet shown. A QApplication must exist.
std::unique_ptr<ProgressWindow> openProgressWindow(const QDate& today = QDate::currentDate());
// Shows that window and runs until it is closed; returns the exit code.
int showProgressWindow();

}  // namespace history
