// Practice where it is needed: which amount the lamb brings, chosen so that
// the sums a child finds hard come more often, from that child's own games.
// Pure functions over the play history's plain values; no widgets, no files.
//
// A sum is what the child faces at the scale: the units digit of the sign's
// total before the load and the amount on the scale.
//   Level 0 (amounts 1 to 9): sign units 0-9 x amount 1-9, 90 sums.
//   Level 1 (amounts 1 to 29): sign units 0-9 x the amount's units 0-9,
//   100 sums; the amount's tens are left out, so 7 + 8, 7 + 18 and 7 + 28
//   are one sum. The step a child finds hard is the units fact and whether
//   it crosses a ten; adding one or two tens is one more easy step that a
//   teacher treats alike. Keeping the tens apart (290 sums) would leave a
//   young child with about one answer per sum in twelve games, too few to
//   tell a slow sum from a slow day; 100 sums give one in about four.
// A sum crosses a ten when the sign's units plus the amount's units make 10
// or more (7 + 5, 7 + 15), as the parents' window counts it.
//
// How a sum's priority comes about (priorities() below). This follows the
// response-time-based adaptive sequencing of the learning literature (the
// ARTS scheme of Mettler, Massey and Kellman, 2011, and the ACT-R
// rate-of-forgetting models behind fact-learning tools): each fact gets a
// priority from its errors and from how slow its right answers are against
// a mastery time, a fact just asked waits a few turns before it may come
// again, and facts answered fast and right several times in a row are
// retired; recent answers count more than old ones, and what has not been
// practised for long fades back toward not yet known.
//
// 1. Mastery time: the child's own fast pace at that level. Of the newest
//    kMasteryAnswers right answers without a wrong entry, the
//    kMasteryPercentile-th percentile of the answer clock's ticks (the
//    child's quickest quarter), times kMasteryMargin, kept within
//    kMinMasteryTicks and kMaxMasteryTicks (kDefaultMasteryTicks while there
//    are fewer than kMasteryMinAnswers). The margin lets a sum that crosses
//    a ten take somewhat longer than the child's easiest sums and still
//    count as known.
// 2. Each load answered on a sum gives its need:
//      with wrong entries: kNeedPerWrong for each, at most kMaxWrongNeed;
//      otherwise kSlowNeedPerDoubling for each doubling of the time over
//      the mastery time, 0 at or under it, at most kMaxSlowNeed;
//      a load the game ended on before any answer gives nothing.
// 3. A sum's need is the weighted mean of its newest kAnswersPerSum needs
//    and of one imagined answer of need kUnknownNeed with weight
//    kUnknownWeight. The newest answer weighs 1, each older one
//    kOlderAnswerWeight times the one after it, and every answer loses half
//    its weight each kHalfLifeDays of age. A sum with few or only old
//    answers so stays near kUnknownNeed: not yet known.
// 4. Priority = (kBasePriority + need) squared: the square keeps the sums
//    that are wrong or slow well above those merely not yet known, and
//    those above the ones known. A sum whose newest kRetireRun answers were
//    all right, without a wrong entry, at or under the mastery time, the
//    newest of them less than kRetireDays old, is retired:
//    kRetiredPriority.
// For a five-year-old's 90-second game of 15 to 40 loads, a sum comes about
// once in three or four games: its newest ten answers are about the last
// month of play, and a month's pause halves what they say.
//
// How an amount is drawn at an arrival (chooseAmount() below). Each possible
// amount weighs the chance the game's own draw gives it (its uniform share:
// 1/9 at level 0; 1/27 for 1-9 and 1/30 for 10-29 at level 1) times the
// larger of
//    the priority of the sum it makes with the sign's units now, and
//    kLookAhead times the highest priority among the sums the next load can
//    bring on the sign it leaves (an amount whose own sum needs little is
//    worth a part of the sums it opens: the sign's units digit decides which
//    sums can come next, and a hard sum can only come on its own digit),
// times kWaitFactor when its sum was asked in the last kWaitLoads loads of
// this game (it waits), or kComeBackFactor when it was asked before that but
// within kComeBackLoads (it comes back at a raised chance).
// These weights are scaled to add up to 1 - kFloorShare, and each amount
// gets kFloorShare of its uniform share on top: no amount ever falls below
// a quarter of its uniform share, and a child whose sums all have the same
// priority gets the game's own chances. The one exception: an amount that
// came twice running cannot come a third time (its chance is 0, the others
// share it). One random number makes one draw.
#pragma once

#include <QDateTime>

#include <functional>
#include <vector>

#include "history/records.h"

namespace practice {

// ---- mastery time (answer clock ticks of 10 ms)
inline constexpr int kMasteryAnswers = 120;
inline constexpr int kMasteryMinAnswers = 20;
inline constexpr double kMasteryPercentile = 25;
inline constexpr double kMasteryMargin = 2;
inline constexpr int kMinMasteryTicks = 100;  // 1 s: typing two digits takes a child most of it
inline constexpr int kMaxMasteryTicks = 400;  // 4 s: slower than that is never "fast"
inline constexpr int kDefaultMasteryTicks = 300;

// ---- need of one answer
inline constexpr double kNeedPerWrong = 3;
inline constexpr double kMaxWrongNeed = 5;
inline constexpr double kSlowNeedPerDoubling = 2;
inline constexpr double kMaxSlowNeed = 4;

// ---- a sum's need from its answers
inline constexpr int kAnswersPerSum = 10;
inline constexpr double kOlderAnswerWeight = 0.7;
inline constexpr double kHalfLifeDays = 30;
inline constexpr double kUnknownNeed = 1;
inline constexpr double kUnknownWeight = 0.5;

// ---- priority: (kBasePriority + need)^2 is 0.01 at need 0, 1.21 at need 1
// (a sum never asked), 4.41 at need 2 (answers twice as slow as the mastery
// time), 9.61 at need 3 (a wrong entry each time)
inline constexpr double kBasePriority = 0.1;
inline constexpr int kRetireRun = 3;
inline constexpr double kRetireDays = 60;
inline constexpr double kRetiredPriority = 0.0025;

// ---- drawing
inline constexpr double kLookAhead = 0.1;
inline constexpr int kWaitLoads = 3;
inline constexpr double kWaitFactor = 0.1;
inline constexpr int kComeBackLoads = 8;
inline constexpr double kComeBackFactor = 1.5;
inline constexpr double kFloorShare = 0.25;

// The amounts of a level: 1 to largestAmount(level).
int largestAmount(int level);
// 90 at level 0, 100 at level 1.
int sumCount(int level);
// The sum made by `amount` on a sign whose total ends in `signUnits`; -1 for
// an amount outside the level.
int sumOf(int level, int signUnits, int amount);
bool crossesTen(int signUnits, int amount);
// The chance the game's own draw gives `amount` at `level`.
double uniformShare(int level, int amount);

struct Priorities {
    int level = 0;
    int masteryTicks = kDefaultMasteryTicks;
    std::vector<double> bySum;  // sumCount(level) values, by sumOf()
};

// The priorities of the sums of `level` from a child's games (oldest first),
// as they stand at `now`. Only real loads of games at `level` count.
Priorities priorities(const std::vector<history::Game>& games, int level, const QDateTime& now);

// One load of the game under way.
struct Asked {
    int amount = 0;
    int sum = -1;  // sumOf() when it came
};

// The amount for the next arrival, on a sign whose total ends in
// `signUnits`, after the loads `soFar` of this game (oldest first); `random`
// gives uniform numbers in [0, 1) and is called once. Priorities of another
// size than the level's count every sum alike.
int chooseAmount(const Priorities& priorities, int signUnits, const std::vector<Asked>& soFar,
                 const std::function<double()>& random);

}  // namespace practice
