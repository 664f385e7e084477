// The numbers the parents' window shows, worked out from the stored games:
// plain functions over a list of games for a chosen level and period, no
// widgets and no files, so that each figure can be checked on its own.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

#include "history/records.h"

namespace history {

// The span of days the parent looks at.
enum class Period {
    Week,   // the last 7 days, today included
    Month,  // the last 30 days, today included
    All,    // every game kept
};

// The day a game counts on, in every view: the date of its start in the
// offset it was recorded with, the day on the family's clock when it was
// played. Invalid when the start is.
QDate dayOf(const Game& game);
// The Monday of the week `day` is in.
QDate mondayOf(const QDate& day);
// The first day of `period` counted back from `today`; invalid for All.
QDate firstDayOf(Period period, const QDate& today);

// The games of `level` (0 or 1) whose day is within `period` counted back
// from `today`, in the order given (Store::loadAll's: oldest first). Week
// and Month leave out games without a valid start and games dated after
// `today` (a clock set wrong); All keeps every game of the level.
std::vector<const Game*> selectGames(const std::vector<Game>& games, int level, Period period,
                                     const QDate& today);

// One game on the score plot.
struct ScorePoint {
    QDateTime started;
    double score = 0;
    double trend = 0;  // the smoothed score at this game
};
// Scores in order, each with a trend that follows the general course, not
// each game's ups and downs: a local straight line fitted to the
// neighbouring games, weighted by a bell curve over the game index
// max(3, n / 10) games wide, so that the newest games are not pulled back
// toward older ones. The trend never leaves the range of the scores.
std::vector<ScorePoint> scorePoints(const std::vector<const Game*>& games);

struct DayValue {  // one value for one day, for the speed and accuracy plots
    QDate day;
    double value = 0;
    int count = 0;  // how many answers the value rests on
};
// The median time to the right answer in seconds (answer clock ticks /
// 100), per day that had right answers, of real loads only (a 0 typed while
// the lamb walked is judged right but is no sum); of an even count, the
// mean of the middle two.
std::vector<DayValue> medianSecondsPerDay(const std::vector<const Game*>& games);
// Right answers out of all answers given (right ones and wrong entries,
// digits typed while the lamb walked included), 0 to 1, per day that had
// answers. `count` is the number of answers (right plus wrong).
std::vector<DayValue> accuracyPerDay(const std::vector<const Game*>& games);

// Minutes played per day, over every game of both levels (practice is
// practice): each game's length counts on the day it started. Days without
// play are left out; `from` and `to` bound the days kept (inclusive; an
// invalid date leaves that side open). Oldest day first.
struct CalendarDay {
    QDate day;
    double minutes = 0;
    int games = 0;
    int bestScore = 0;
};
std::vector<CalendarDay> calendarDays(const std::vector<Game>& games, const QDate& from,
                                      const QDate& to);

// What the loads of one kind of sums came to. Only real loads count (not
// the digits typed while walking).
struct SumTally {
    int loads = 0;
    int answered = 0;          // answered right
    int wrong = 0;             // wrong entries made on them
    double medianSeconds = 0;  // of the right answers; 0 when none
};
// Sums grouped as a teacher thinks of them: the amount on the scale, and
// whether adding it to the sign's total crosses a ten (7 + 5: the units
// 7 + 5 make 10 or more) or not (3 + 5).
struct SumKind : SumTally {
    int amount = 0;  // the goods on the scale: 1 to 29
    bool crossesTen = false;
};
// Every kind that came up, by amount and then not crossing before crossing.
std::vector<SumKind> sumKinds(const std::vector<const Game*>& games);

// The hard kinds, coarser, as a sentence can name them: amounts 1-3, 4-5,
// 6-7, 8-9, 10-19 and 20-29 (the last two only at level 1), each crossing
// a ten ("进位") or not ("不进位").
struct HardSum : SumTally {
    QString name;            // "进位加 8、9", "不进位加 10 到 19", ...: how a teacher names it
    double wrongShare = 0;   // wrong entries per load
    // For ordering: the group's median over the median of all right
    // answers (1 when either has none), plus twice how much its wrong share
    // exceeds the share over all loads. 1 is typical; more is harder.
    double hardness = 0;
};
// The groups with at least kHardSumMinLoads loads, hardest first.
inline constexpr int kHardSumMinLoads = 5;
std::vector<HardSum> hardSums(const std::vector<const Game*>& games);
// Up to three sentences in simplified Chinese naming the hardest groups
// against all the other loads, e.g. "进位加 8、9 还比较慢：一般要 6.2 秒，
// 其他题目 2.1 秒。" or "进位加 8、9 容易出错：每 10 题错 3.0 次，其他题目
// 0.8 次。" A group is named only when it is clearly harder: its median at
// least 1.3 times (and half a second more than) the others', or at least 3
// wrong entries and a wrong share of 0.2 or more that is also at least 1.5
// times the others' plus 0.05. Empty with fewer than kSentenceMinAnswers
// loads answered right.
inline constexpr int kSentenceMinAnswers = 20;
std::vector<QString> hardSumSentences(const std::vector<const Game*>& games);

struct Summary {  // the summary line's figures
    int games = 0;
    double minutes = 0;
    int bestScore = 0;
    int daysThisWeek = 0;  // days played from Monday of today's week to today (all levels)
};
Summary summary(const std::vector<const Game*>& selected, const std::vector<Game>& all,
                const QDate& today);
// "共 12 局，38 分钟，最高 8450 分，本周玩了 3 天" (minutes rounded; "不到 1
// 分钟" for less than half a minute; "本周还没有玩" for no day this week;
// "这段时间没有玩过" first when no games).
QString summaryText(const Summary& s);

}  // namespace history
