#include "practice/practice.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace practice {

namespace {

constexpr int kLargestAmount[2] = {9, 29};
constexpr int kSumsPerSignUnits[2] = {9, 10};

int levelIndex(int level) { return level == 1 ? 1 : 0; }
int unitsOf(int total) { return (total % 10 + 10) % 10; }

// Days from `started` to `now`; 0 for a game dated after `now` (a clock set
// wrong) or without a date, so that such a game counts as recent.
double ageDays(const QDateTime& started, const QDateTime& now)
{
    if (!started.isValid() || !now.isValid())
        return 0;
    return std::max<double>(0, double(started.msecsTo(now)) / 86'400'000.0);
}

struct Answer {
    int ticks = -1;  // -1: never answered right
    int wrongs = 0;
    double ageDays = 0;
};

int masteryTicks(std::vector<int> fastTicks)
{
    if (int(fastTicks.size()) < kMasteryMinAnswers)
        return kDefaultMasteryTicks;
    const auto at = fastTicks.begin() +
                    std::ptrdiff_t(kMasteryPercentile / 100 * double(fastTicks.size() - 1));
    std::nth_element(fastTicks.begin(), at, fastTicks.end());
    const int ticks = int(std::lround(*at * kMasteryMargin));
    return std::clamp(ticks, kMinMasteryTicks, kMaxMasteryTicks);
}

double need(const Answer& a, int mastery)
{
    if (a.wrongs > 0)
        return std::min(kMaxWrongNeed, kNeedPerWrong * a.wrongs);
    if (a.ticks <= mastery)
        return 0;
    return std::min(kMaxSlowNeed, kSlowNeedPerDoubling * std::log2(double(a.ticks) / mastery));
}

// `answers` newest first.
double priorityOf(const std::vector<Answer>& answers, int mastery)
{
    int fastRun = 0;
    while (fastRun < int(answers.size()) && answers[fastRun].wrongs == 0 &&
           answers[fastRun].ticks >= 0 && answers[fastRun].ticks <= mastery)
        ++fastRun;
    if (fastRun >= kRetireRun && answers.front().ageDays < kRetireDays)
        return kRetiredPriority;

    double weighted = kUnknownWeight * kUnknownNeed, weights = kUnknownWeight;
    double byOrder = 1;
    for (const Answer& a : answers) {
        const double w = byOrder * std::exp2(-a.ageDays / kHalfLifeDays);
        weighted += w * need(a, mastery);
        weights += w;
        byOrder *= kOlderAnswerWeight;
    }
    const double priority = kBasePriority + weighted / weights;
    return priority * priority;
}

}  // namespace

int largestAmount(int level) { return kLargestAmount[levelIndex(level)]; }

int sumCount(int level) { return 10 * kSumsPerSignUnits[levelIndex(level)]; }

int sumOf(int level, int signUnits, int amount)
{
    const int l = levelIndex(level);
    if (amount < 1 || amount > kLargestAmount[l])
        return -1;
    const int units = unitsOf(signUnits);
    return l == 0 ? units * 9 + amount - 1 : units * 10 + amount % 10;
}

bool crossesTen(int signUnits, int amount) { return unitsOf(signUnits) + amount % 10 >= 10; }

double uniformShare(int level, int amount)
{
    if (amount < 1 || amount > largestAmount(level))
        return 0;
    if (levelIndex(level) == 0)
        return 1.0 / 9;
    // The game draws the tens 0, 1 or 2 alike, then the units, drawing them
    // again while both are 0.
    return amount < 10 ? 1.0 / 27 : 1.0 / 30;
}

Priorities priorities(const std::vector<history::Game>& games, int level, const QDateTime& now)
{
    Priorities result;
    result.level = levelIndex(level);
    const int sums = sumCount(result.level);

    // The newest answers of each sum and the newest fast ones, read from
    // the newest game back until every sum has its share: years of history
    // cost no more than the last few months once each sum has come often.
    std::vector<std::vector<Answer>> bySum(static_cast<std::size_t>(sums));
    std::vector<int> fastTicks;
    fastTicks.reserve(kMasteryAnswers);
    int fullSums = 0;
    for (auto game = games.rbegin(); game != games.rend(); ++game) {
        if (fullSums == sums && int(fastTicks.size()) == kMasteryAnswers)
            break;
        if (game->level != result.level)
            continue;
        const double age = ageDays(game->started, now);
        for (auto d = game->deliveries.rbegin(); d != game->deliveries.rend(); ++d) {
            const int sum = d->whileWalking ? -1 : sumOf(result.level, d->priorTotal, d->amount);
            const int wrongs = int(d->wrongEntries.size());
            if (sum < 0 || (!d->answered() && wrongs == 0))
                continue;
            if (d->answered() && wrongs == 0 && int(fastTicks.size()) < kMasteryAnswers)
                fastTicks.push_back(d->answerTicks);
            std::vector<Answer>& answers = bySum[std::size_t(sum)];
            if (int(answers.size()) < kAnswersPerSum) {
                answers.push_back({d->answered() ? int(d->answerTicks) : -1, wrongs, age});
                fullSums += int(answers.size()) == kAnswersPerSum;
            }
        }
    }

    result.masteryTicks = masteryTicks(std::move(fastTicks));
    result.bySum.reserve(std::size_t(sums));
    for (const std::vector<Answer>& answers : bySum)
        result.bySum.push_back(priorityOf(answers, result.masteryTicks));
    return result;
}

int chooseAmount(const Priorities& priorities, int signUnits, const std::vector<Asked>& soFar,
                 const std::function<double()>& random)
{
    const int level = levelIndex(priorities.level);
    const int top = kLargestAmount[level];
    const bool sized = int(priorities.bySum.size()) == sumCount(level);

    const std::size_t n = soFar.size();
    const int banned = n >= 2 && soFar[n - 1].amount == soFar[n - 2].amount ? soFar[n - 1].amount : 0;

    // How many loads ago each sum possible now was last asked (0: not lately).
    const int perUnits = kSumsPerSignUnits[level];
    const int firstSum = unitsOf(signUnits) * perUnits;
    std::array<int, 10> since{};
    for (std::size_t k = 1; k <= n && k <= std::size_t(kComeBackLoads); ++k) {
        const int s = soFar[n - k].sum - firstSum;
        if (s >= 0 && s < perUnits && since[std::size_t(s)] == 0)
            since[std::size_t(s)] = int(k);
    }

    auto wanted = [&](int sum) {
        const double p = sized ? priorities.bySum[std::size_t(sum)] : 1.0;
        return std::isfinite(p) && p > 0 ? p : 0.0;
    };
    // The highest priority among the sums each units digit of the sign offers.
    std::array<double, 10> best{};
    for (int units = 0; units < 10; ++units)
        for (int a = 1; a <= top; ++a)
            best[std::size_t(units)] = std::max(best[std::size_t(units)], wanted(sumOf(level, units, a)));

    std::array<double, 30> share{}, weight{};
    double shareSum = 0, weightSum = 0;
    for (int a = 1; a <= top; ++a) {
        if (a == banned)
            continue;
        const int sum = sumOf(level, signUnits, a);
        const double ahead = kLookAhead * best[std::size_t(unitsOf(signUnits + a))];
        double w = uniformShare(level, a) * std::max(wanted(sum), ahead);
        const int k = since[std::size_t(sum - firstSum)];
        if (k > 0)
            w *= k <= kWaitLoads ? kWaitFactor : kComeBackFactor;
        share[std::size_t(a)] = uniformShare(level, a);
        weight[std::size_t(a)] = w;
        shareSum += share[std::size_t(a)];
        weightSum += w;
    }

    const double floorShare = weightSum > 0 ? kFloorShare : 1.0;
    double r = random();
    if (!(r >= 0))
        r = 0;
    double cumulative = 0;
    int last = 0;
    for (int a = 1; a <= top; ++a) {
        if (a == banned)
            continue;
        last = a;
        cumulative += floorShare * share[std::size_t(a)] / shareSum;
        if (weightSum > 0)
            cumulative += (1 - floorShare) * weight[std::size_t(a)] / weightSum;
        if (r < cumulative)
            return a;
    }
    return last;  // r at or above 1, or rounding
}

}  // namespace practice
