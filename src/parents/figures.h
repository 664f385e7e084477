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
inline QDate dayOf(const Game& game) { return game.started.date(); }
inline QDate mondayOf(const QDate& day) { return day.addDays(1 - day.dayOfWeek()); }
// The first day of `period` counted back from `today`; invalid for All.
inline QDate firstDayOf(Period period, const QDate& today)
{
    return period == Period::Week ? today.addDays(-6) : period == Period::Month ? today.addDays(-29) : QDate();
}

// The games of `level` (0 or 1) whose day is within `period` counted back
// from `today`, in the order given (Store::loadAll's: oldest first). Week
// and Month leave out games without a valid start and games dated after
// `today` (a clock set wrong); All keeps every game of the level.
std::vector<const Game*> selectGames(const std::vector<Game>& games, int level, Period period,
                                     const QDate& today);

// One game on the score plot, with the trend at it: a straight line fitted
// to the neighbouring games, weighted by a bell curve over the game index
// max(3, n / 10) games wide, so that the newest games are not pulled back
// toward older ones; it never leaves the range of the scores.
struct ScorePoint {
    QDateTime started;
    double score = 0;
    double trend = 0;
};
std::vector<ScorePoint> scorePoints(const std::vector<const Game*>& games);

struct DayValue {  // one value for one day, for the speed and accuracy plots
    QDate day;
    double value = 0;
    int count = 0;  // how many answers the value rests on
};
// The median seconds to a right answer of a real load (a 0 typed while the
// lamb walks is no sum), per day that had one.
std::vector<DayValue> medianSecondsPerDay(const std::vector<const Game*>& games);
// Right answers out of all answers given (right ones and wrong entries,
// digits typed while the lamb walked included), 0 to 1, per day (or per
// week, by its Monday) that had answers; `count` is the number of answers.
std::vector<DayValue> accuracyPerDay(const std::vector<const Game*>& games, bool byWeek = false);

// Minutes played per day over every game of both levels, each game on the
// day it started, for the days from `from` to `to` (inclusive; an invalid
// date leaves that side open) that had play. Oldest day first.
struct CalendarDay {
    QDate day;
    double minutes = 0;
    int games = 0;
    int bestScore = 0;
};
std::vector<CalendarDay> calendarDays(const std::vector<Game>& games, const QDate& from,
                                      const QDate& to);

// What the real loads of one kind of sums came to.
struct SumTally {
    int loads = 0;
    int answered = 0;          // answered right
    int wrong = 0;             // wrong entries made on them
    double medianSeconds = 0;  // of the right answers; 0 when none
};
// Sums as a teacher thinks of them: the amount on the scale, and whether
// adding it to the sign's total crosses a ten (7 + 5) or not (3 + 5).
struct SumKind : SumTally {
    int amount = 0;
    bool crossesTen = false;
};
// Every kind that came up, by amount and then not crossing before crossing.
std::vector<SumKind> sumKinds(const std::vector<const Game*>& games);

// The kinds, coarser, as a sentence names them ("进位加 8、9", "不进位加
// 10 到 19"): amounts 1-3, 4-5, 6-7, 8-9, 10-19 and 20-29, each crossing a
// ten or not. `hardness` is 1 for a typical group, more for a slower or
// more error-prone one.
struct HardSum : SumTally {
    QString name;
    double wrongShare = 0;  // wrong entries per load
    double hardness = 0;
};
// The groups with at least kHardSumMinLoads loads, hardest first.
inline constexpr int kHardSumMinLoads = 5;
std::vector<HardSum> hardSums(const std::vector<const Game*>& games);
// Up to three sentences naming the groups that are clearly slower or more
// error-prone than all the other loads ("进位加 8、9 还比较慢：一般要 6.2
// 秒，其他题目 2.1 秒。"); none with fewer than kSentenceMinAnswers right
// answers.
inline constexpr int kSentenceMinAnswers = 20;
// The sentences compare the games of one kind only (hardSumGames() below).
std::vector<QString> hardSumSentences(const std::vector<const Game*>& games);

// The games the hard sums are worked out from. Practice brings the hard
// sums more often and the child gets faster on them, so a group compared
// against the other loads must not mix games with practice on and off:
// when `games` hold both kinds, the kind of the newest game, which is how
// the child plays now, if its games have kSentenceMinAnswers right answers
// to real sums; else the other kind, if its games have them (practice was
// just turned on or off: what the earlier games say still holds); else
// again the newest kind. With one kind only, all of `games`.
struct HardSumGames {
    enum class Kind {
        Both,      // `games` held one kind only: all of them
        Practice,  // only the games with practice on
        Plain,     // only the games without
    };
    Kind kind = Kind::Both;
    std::vector<const Game*> games;  // in the order given
};
HardSumGames hardSumGames(const std::vector<const Game*>& games);

// One sum of a level, as practice counts them (practice::sumOf): the units
// digit of the sign's total and the amount on the scale, at level 1 the
// amount's units digit (7 + 8, 7 + 18 and 7 + 28 are one sum), and what its
// real loads in the chosen games came to.
struct SumCell : SumTally {
    enum class State {
        NotAsked,  // no load of it
        Few,       // too few right answers to tell, and not often wrong
        Wrong,     // often wrong
        Slow,      // right, but its median answer is slower than the mastery time
        Fast,      // right, and at or under the mastery time
    };
    int sum = 0;          // practice::sumOf()
    int signUnits = 0;    // 0-9
    int amountUnits = 0;  // level 0: the amount 1-9; level 1: its units 0-9
    bool crossesTen = false;
    double wrongShare = 0;  // wrong entries per load
    State state = State::NotAsked;
};
// Often wrong: at least kCellMinWrong wrong entries, and kCellWrongShare
// of them per load or more. Told by speed: kCellMinAnswers right answers.
inline constexpr int kCellMinWrong = 2;
inline constexpr double kCellWrongShare = 0.25;
inline constexpr int kCellMinAnswers = 3;
// Every sum of `level` (90 or 100, in practice::sumOf's order: by the
// sign's units, then by the amount), from the real loads of the games of
// that level among `games`; a sum's median right answer is fast at or under
// `masteryTicks` (the answer clock's ticks of 10 ms).
std::vector<SumCell> sumCells(const std::vector<const Game*>& games, int level, int masteryTicks);

// The summary line of the `selected` games: "共 12 局，38 分钟，最高 8450
// 分，本周玩了 3 天", the days counted from Monday of today's week over
// `all` games of both levels.
QString summaryText(const std::vector<const Game*>& selected, const std::vector<Game>& all,
                    const QDate& today);

}  // namespace history
