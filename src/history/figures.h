// The numbers the parents' window shows, worked out from the stored games:
// plain values for a chosen level and period, no widgets and no files, so
// each figure can be checked on its own.
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

// The games of `level` (0 or 1) that started within `period` counted back
// from `today` (local dates), oldest first.
std::vector<const Game*> selectGames(const std::vector<Game>& games, int level, Period period,
                                     const QDate& today);

// One game on the score plot.
struct ScorePoint {
    QDateTime started;
    double score = 0;
    double trend = 0;  // the smoothed score at this game
};
// Scores in order, each with a trend that follows the general course and
// not each game's ups and downs: a weighted average of the neighbouring
// games, nearer ones counting more.
std::vector<ScorePoint> scorePoints(const std::vector<const Game*>& games);

// One value for one day, for the speed and accuracy plots.
struct DayValue {
    QDate day;
    double value = 0;
    int count = 0;  // how many answers the value rests on
};
// The median time from arrival to the right answer, in seconds (answer
// clock ticks / 100), per day that had right answers.
std::vector<DayValue> medianSecondsPerDay(const std::vector<const Game*>& games);
// Right answers out of all answers given (right ones and wrong entries,
// digits typed while the lamb walked included), 0 to 1, per day that had
// answers.
std::vector<DayValue> accuracyPerDay(const std::vector<const Game*>& games);

// Minutes played per day, over every game of both levels (practice is
// practice): each game's length counts on the day it started. Days without
// play are left out; `from` and `to` bound the days kept (inclusive).
struct CalendarDay {
    QDate day;
    double minutes = 0;
    int games = 0;
    int bestScore = 0;
};
std::vector<CalendarDay> calendarDays(const std::vector<Game>& games, const QDate& from,
                                      const QDate& to);

// Sums grouped as a teacher thinks of them: the amount on the scale, and
// whether adding it to the sign's total crosses a ten (7 + 5: the units
// 7 + 5 make 10 or more) or not (3 + 5). Only real loads count (not the
// digits typed while walking).
struct SumKind {
    int amount = 0;          // the goods on the scale: 1 to 29
    bool crossesTen = false;
    int loads = 0;           // loads of this kind
    int answered = 0;        // answered right
    int wrong = 0;           // wrong entries made on them
    double medianSeconds = 0;  // of the right answers; 0 when none
};
// Every kind that came up, by amount and then not crossing before crossing.
std::vector<SumKind> sumKinds(const std::vector<const Game*>& games);

// The hard kinds, coarser, as a sentence can name them: amounts 1-3, 4-5,
// 6-7, 8-9, 10-19 and 20-29 (the last two only at level 1), each crossing
// a ten or not.
struct HardSum {
    QString name;            // "凑十加 8 或 9", ...: how a teacher names it
    int loads = 0;
    double medianSeconds = 0;  // of the right answers
    double wrongShare = 0;     // wrong entries per load
    double hardness = 0;       // for ordering: slower and wronger is harder
};
// The groups with at least a few loads, hardest first.
std::vector<HardSum> hardSums(const std::vector<const Game*>& games);
// Up to three sentences in simplified Chinese naming the hardest groups
// against the typical speed of all the others, e.g. "凑十加 8 或 9 还比较慢：
// 6.2 秒，其他题目 2.1 秒". Empty when there is too little to say.
std::vector<QString> hardSumSentences(const std::vector<const Game*>& games);

// The summary line's figures.
struct Summary {
    int games = 0;
    double minutes = 0;
    int bestScore = 0;
    int daysThisWeek = 0;  // days played from Monday of today's week to today (all levels)
};
Summary summary(const std::vector<const Game*>& selected, const std::vector<Game>& all,
                const QDate& today);
// "共 12 局，38 分钟，最高 8450 分，本周玩了 3 天"
QString summaryText(const Summary& s);

}  // namespace history
