// The parents' window ("家长：学习进度"): how the child's practice goes, from
// the stored games. A level and a period are chosen at the top; the
// summary, the score, speed and accuracy charts and the hard sums follow
// that choice, while the practice calendar always spans every game of the
// last half year. An export button writes the whole history as two
// spreadsheet files. When the family has added children, their pictures
// stand in a row under the title and the window shows one child at a time
// ("其他孩子" for the games of no child); the button "孩子和设置…" leads,
// past the parents' gate, to adding and changing children and settings.
#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <vector>

#include "parents/calendar.h"
#include "parents/chart.h"
#include "parents/figures.h"
#include "history/family.h"
#include "parents/sumgrid.h"
#include "history/records.h"

class QButtonGroup;
class QLabel;

namespace history {

// Its cards are named by their titles ("每局得分", "练习日历", ...).
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    // `games` oldest first (Store::loadAll) of every child of `family`;
    // `problem` (Store::problemText()) is shown as a banner when not empty;
    // `storePath` is named at the foot, and is the file that the children
    // and settings are changed in.
    ProgressWindow(std::vector<Game> games, QString problem, QDate today, QString storePath = QString(),
                   Family family = Family(), QWidget* parent = nullptr);

    int level() const { return level_; }
    Period period() const { return period_; }
    // Shows the figures of `level` over `period` and marks their buttons.
    void choose(int level, Period period);
    // The child whose games are shown (0: the games of no child), and
    // showing another one's; with no child added every game is shown.
    std::int64_t child() const { return child_; }
    const Family& family() const { return family_; }
    void chooseChild(std::int64_t child);
    // Takes the history anew (after the children or settings changed) and
    // shows the same child, or the first one when that child is gone.
    void setHistory(std::vector<Game> games, Family family);
    // The games of the children not shown, read meanwhile on another
    // thread; taken in when another child is chosen or the games are
    // exported, waiting for them then if need be.
    void setOtherGames(std::future<std::vector<Game>> others);
    bool otherGamesRead() const
    {
        return !others_.valid() || others_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    // Writes both spreadsheet files of every game of every child into
    // `folder`; `message` says where they are, or what went wrong.
    bool exportTo(const QString& folder, QString* message);

private:
    void refresh();
    // The level of the shown child's latest game, over the last 30 days if
    // it was played then, else over all of them.
    void choosePeriodOfLatest();
    void fillChildrenRow();
    void changeFamily();  // the gate, then the children and settings

    // The games sorted by child into the shown one's and the others'.
    void takeGames(std::vector<Game> games);
    std::vector<Game> allGames() const;  // in the store's order
    void takeOtherGames();

    Family family_;
    std::int64_t child_ = 0;
    std::vector<Game> games_;                             // the shown child's
    std::map<std::int64_t, std::vector<Game>> byChild_;  // the other children's
    std::future<std::vector<Game>> others_;             // the others' still being read
    QString storePath_;
    QDate today_;
    int level_ = 0;
    Period period_ = Period::Month;
    QButtonGroup* levelButtons_ = nullptr;
    QButtonGroup* periodButtons_ = nullptr;
    std::vector<QWidget*> choosers_;       // hidden while there is nothing to choose from
    QWidget* childrenRow_ = nullptr;       // the children's pictures, with any
    QButtonGroup* childButtons_ = nullptr;
    QLabel* practiceState_ = nullptr;      // whether practice is on for the shown child
    std::vector<QWidget*> exportRow_;
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
