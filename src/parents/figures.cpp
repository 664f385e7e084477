#include "parents/figures.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <set>

#include "practice/practice.h"

namespace history {

namespace {

// The median of `v` (reordered); 0 when empty, the mean of the middle two
// for an even count.
double median(std::vector<double>& v)
{
    if (v.empty())
        return 0;
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return v.size() % 2 == 1 ? *mid : (*std::max_element(v.begin(), mid) + *mid) / 2;
}

// Whether adding the load to the sign's total carries into the tens: the
// units of both make ten or more (7 + 5, 17 + 15; never for 10 or 20).
bool crossesTen(const Delivery& d)
{
    return ((d.priorTotal % 10) + 10) % 10 + d.amount % 10 >= 10;
}

// A real load with goods on it (not digits typed while the lamb walked).
bool isSum(const Delivery& d)
{
    return !d.whileWalking && d.amount >= 1;
}

// What a set of loads came to: how many, the wrong entries made on them and
// the seconds of each right answer.
struct Tally {
    int loads = 0;
    int wrong = 0;
    std::vector<double> rightSeconds;

    void add(const Delivery& d)
    {
        ++loads;
        wrong += static_cast<int>(d.wrongEntries.size());
        if (d.answered())
            rightSeconds.push_back(d.answerTicks / 100.0);
    }
    void add(const Tally& t)
    {
        loads += t.loads;
        wrong += t.wrong;
        rightSeconds.insert(rightSeconds.end(), t.rightSeconds.begin(), t.rightSeconds.end());
    }
    double wrongShare() const { return loads > 0 ? double(wrong) / loads : 0; }
    SumTally figures() { return {loads, static_cast<int>(rightSeconds.size()), wrong, median(rightSeconds)}; }
};

// Per day, or per week by its Monday: the tallies of the real loads (not
// the digits typed while the lamb walked) and of every load.
std::map<QDate, std::pair<Tally, Tally>> tallyDays(const std::vector<const Game*>& games, bool byWeek = false)
{
    std::map<QDate, std::pair<Tally, Tally>> days;
    for (const Game* g : games) {
        const QDate day = byWeek ? mondayOf(dayOf(*g)) : dayOf(*g);
        for (const Delivery& d : g->deliveries) {
            if (!day.isValid())
                break;
            auto& [sums, every] = days[day];
            if (!d.whileWalking)
                sums.add(d);
            every.add(d);
        }
    }
    return days;
}

// The groups sentences can name, by amount; each crossing a ten or not.
struct Band {
    int from;
    int to;
    const char* label;
};
const Band kBands[] = {
    {1, 3, "1、2、3"}, {4, 5, "4、5"}, {6, 7, "6、7"}, {8, 9, "8、9"}, {10, 19, "10 到 19"}, {20, 29, "20 到 29"},
};
constexpr int kGroups = 2 * static_cast<int>(std::size(kBands));

// The real loads by group (band index * 2 + 1 when crossing a ten), and
// last those of amounts no band holds.
using Groups = std::vector<Tally>;

Groups tallyGroups(const std::vector<const Game*>& games)
{
    Groups groups(kGroups + 1);
    for (const Game* game : games) {
        for (const Delivery& d : game->deliveries) {
            const auto band = std::find_if(std::begin(kBands), std::end(kBands),
                                           [&d](const Band& b) { return d.amount >= b.from && d.amount <= b.to; });
            if (isSum(d))
                groups[band == std::end(kBands) ? kGroups : 2 * (band - std::begin(kBands)) + crossesTen(d)].add(d);
        }
    }
    return groups;
}

// All the groups' loads but those of group `left` (-1: none left out).
Tally allBut(const Groups& groups, int left)
{
    Tally all;
    for (int k = 0; k <= kGroups; ++k) {
        if (k != left)
            all.add(groups[k]);
    }
    return all;
}

// Every group with enough loads, hardest first, each with its index.
std::vector<std::pair<HardSum, int>> rankGroups(Groups groups)
{
    Tally all = allBut(groups, -1);
    const double overallMedian = median(all.rightSeconds);
    std::vector<std::pair<HardSum, int>> ranked;
    for (int k = 0; k < kGroups; ++k) {
        Tally& t = groups[k];
        if (t.loads < kHardSumMinLoads)
            continue;
        HardSum h;
        static_cast<SumTally&>(h) = t.figures();
        h.name = QString::fromUtf8(k % 2 == 1 ? "进位加 " : "不进位加 ") + QString::fromUtf8(kBands[k / 2].label);
        h.wrongShare = t.wrongShare();
        // The group's median over the median of all right answers (1 when
        // either has none), plus twice how much its wrong share exceeds
        // that of all loads.
        const double slowness = h.answered > 0 && overallMedian > 0 ? h.medianSeconds / overallMedian : 1.0;
        h.hardness = slowness + 2 * (h.wrongShare - all.wrongShare());
        ranked.emplace_back(h, k);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first.hardness > b.first.hardness; });
    return ranked;
}

}  // namespace

std::vector<const Game*> selectGames(const std::vector<Game>& games, int level, Period period,
                                     const QDate& today)
{
    const QDate first = firstDayOf(period, today);
    std::vector<const Game*> out;
    for (const Game& g : games) {
        const QDate day = dayOf(g);
        if (g.level == level &&
            (period == Period::All || (day.isValid() && first.isValid() && day >= first && day <= today)))
            out.push_back(&g);
    }
    return out;
}

std::vector<ScorePoint> scorePoints(const std::vector<const Game*>& games)
{
    const int n = static_cast<int>(games.size());
    std::vector<ScorePoint> out;
    for (const Game* g : games)
        out.push_back({g->started, static_cast<double>(g->score), 0});
    if (n == 0)
        return out;
    const auto [lowest, highest] = std::minmax_element(
        out.begin(), out.end(), [](const ScorePoint& a, const ScorePoint& b) { return a.score < b.score; });
    const double low = lowest->score;
    const double high = highest->score;

    // Bell-curve weights by distance in games, cut off at four widths where
    // they no longer matter.
    const double width = std::max(3.0, n / 10.0);
    const int reach = std::min(n - 1, static_cast<int>(std::ceil(4 * width)));
    std::vector<double> weight(static_cast<std::size_t>(reach) + 1);
    for (int d = 0; d <= reach; ++d)
        weight[d] = std::exp(-0.5 * (d / width) * (d / width));

    for (int i = 0; i < n; ++i) {
        // A straight line fitted by weighted least squares around game i,
        // read at game i.
        double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0;
        for (int j = std::max(0, i - reach); j <= std::min(n - 1, i + reach); ++j) {
            const double d = j - i;
            const double w = weight[static_cast<std::size_t>(std::abs(j - i))];
            s0 += w;
            s1 += w * d;
            s2 += w * d * d;
            t0 += w * out[j].score;
            t1 += w * d * out[j].score;
        }
        const double det = s0 * s2 - s1 * s1;
        out[i].trend = std::clamp(det > 1e-9 * s0 * s0 ? (s2 * t0 - s1 * t1) / det : t0 / s0, low, high);
    }
    return out;
}

std::vector<DayValue> medianSecondsPerDay(const std::vector<const Game*>& games)
{
    std::vector<DayValue> out;
    for (auto& [day, tallies] : tallyDays(games)) {
        std::vector<double>& seconds = tallies.first.rightSeconds;
        if (!seconds.empty())
            out.push_back({day, median(seconds), static_cast<int>(seconds.size())});
    }
    return out;
}

std::vector<DayValue> accuracyPerDay(const std::vector<const Game*>& games, bool byWeek)
{
    std::vector<DayValue> out;
    for (const auto& [day, tallies] : tallyDays(games, byWeek)) {
        const int right = static_cast<int>(tallies.second.rightSeconds.size());
        const int given = right + tallies.second.wrong;
        if (given > 0)
            out.push_back({day, double(right) / given, given});
    }
    return out;
}

std::vector<CalendarDay> calendarDays(const std::vector<Game>& games, const QDate& from,
                                      const QDate& to)
{
    std::map<QDate, CalendarDay> perDay;
    for (const Game& g : games) {
        const QDate day = dayOf(g);
        if (!day.isValid() || (from.isValid() && day < from) || (to.isValid() && day > to))
            continue;
        CalendarDay& c = perDay[day];
        c.day = day;
        c.minutes += std::max<std::int64_t>(0, g.durationMs) / 60000.0;
        c.bestScore = c.games == 0 ? g.score : std::max(c.bestScore, g.score);
        ++c.games;
    }
    std::vector<CalendarDay> out;
    for (const auto& entry : perDay)
        out.push_back(entry.second);
    return out;
}

std::vector<SumKind> sumKinds(const std::vector<const Game*>& games)
{
    std::map<std::pair<int, bool>, Tally> kinds;
    for (const Game* g : games) {
        for (const Delivery& d : g->deliveries) {
            if (isSum(d))
                kinds[{d.amount, crossesTen(d)}].add(d);
        }
    }
    std::vector<SumKind> out;
    for (auto& [key, t] : kinds)
        out.push_back({t.figures(), key.first, key.second});
    return out;
}

std::vector<HardSum> hardSums(const std::vector<const Game*>& games)
{
    std::vector<HardSum> out;
    for (const auto& ranked : rankGroups(tallyGroups(games)))
        out.push_back(ranked.first);
    return out;
}

HardSumGames hardSumGames(const std::vector<const Game*>& games)
{
    std::vector<const Game*> kinds[2];  // without practice, with
    const Game* newest = nullptr;
    for (const Game* g : games) {
        kinds[g->practice].push_back(g);
        if (!newest || g->started >= newest->started)
            newest = g;
    }
    if (kinds[0].empty() || kinds[1].empty())
        return {HardSumGames::Kind::Both, games};
    const auto rightAnswers = [](const std::vector<const Game*>& some) {
        return allBut(tallyGroups(some), -1).rightSeconds.size();
    };
    bool practice = newest->practice;
    if (rightAnswers(kinds[practice]) < std::size_t(kSentenceMinAnswers) &&
        rightAnswers(kinds[!practice]) >= std::size_t(kSentenceMinAnswers))
        practice = !practice;
    return {practice ? HardSumGames::Kind::Practice : HardSumGames::Kind::Plain, std::move(kinds[practice])};
}

std::vector<QString> hardSumSentences(const std::vector<const Game*>& games)
{
    const Groups groups = tallyGroups(hardSumGames(games).games);
    if (allBut(groups, -1).rightSeconds.size() < static_cast<std::size_t>(kSentenceMinAnswers))
        return {};

    const auto oneDecimal = [](double x) { return QString::number(x, 'f', 1); };
    std::vector<QString> out;
    for (const auto& [h, group] : rankGroups(groups)) {
        if (out.size() == 3)
            break;
        Tally others = allBut(groups, group);
        const double othersMedian = median(others.rightSeconds);
        const double othersShare = others.wrongShare();
        const bool slow = h.answered >= 3 && others.rightSeconds.size() >= 3 &&
                          h.medianSeconds >= 1.3 * othersMedian && h.medianSeconds >= othersMedian + 0.5;
        const bool wrong = h.wrong >= 3 && h.wrongShare >= 0.2 && h.wrongShare >= 1.5 * othersShare + 0.05;
        const QString speed = QString::fromUtf8("一般要 %1 秒").arg(oneDecimal(h.medianSeconds));
        const QString othersSpeed = QString::fromUtf8("其他题目 %1 秒").arg(oneDecimal(othersMedian));
        const QString errors = QString::fromUtf8("每 10 题错 %1 次").arg(oneDecimal(h.wrongShare * 10));
        const QString othersErrors = others.wrong == 0
                                         ? QString::fromUtf8("其他题目都没有错")
                                         : QString::fromUtf8("其他题目 %1 次").arg(oneDecimal(othersShare * 10));
        if (slow && wrong)
            out.push_back(QString::fromUtf8("%1 又慢又容易出错：%2（%3），%4（%5）。")
                              .arg(h.name, speed, othersSpeed, errors, othersErrors));
        else if (slow)
            out.push_back(QString::fromUtf8("%1 还比较慢：%2，%3。").arg(h.name, speed, othersSpeed));
        else if (wrong)
            out.push_back(QString::fromUtf8("%1 容易出错：%2，%3。").arg(h.name, errors, othersErrors));
    }
    return out;
}

std::vector<SumCell> sumCells(const std::vector<const Game*>& games, int level, int masteryTicks)
{
    level = level == 1 ? 1 : 0;
    std::vector<Tally> tallies(static_cast<std::size_t>(practice::sumCount(level)));
    for (const Game* g : games) {
        if (g->level != level)
            continue;
        for (const Delivery& d : g->deliveries) {
            const int sum = isSum(d) ? practice::sumOf(level, d.priorTotal, d.amount) : -1;
            if (sum >= 0)
                tallies[static_cast<std::size_t>(sum)].add(d);
        }
    }
    const int perRow = level == 0 ? 9 : 10;
    std::vector<SumCell> out;
    out.reserve(tallies.size());
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        SumCell c;
        const bool often = tallies[i].wrong >= kCellMinWrong && tallies[i].wrongShare() >= kCellWrongShare;
        c.wrongShare = tallies[i].wrongShare();
        static_cast<SumTally&>(c) = tallies[i].figures();
        c.sum = static_cast<int>(i);
        c.signUnits = c.sum / perRow;
        c.amountUnits = c.sum % perRow + (level == 0 ? 1 : 0);
        c.crossesTen = practice::crossesTen(c.signUnits, c.amountUnits);
        using State = SumCell::State;
        // The median is of whole ticks over 100: a hair over for rounding.
        c.state = c.loads == 0                                   ? State::NotAsked
                  : often                                        ? State::Wrong
                  : c.answered < kCellMinAnswers                 ? State::Few
                  : c.medianSeconds * 100 > masteryTicks + 1e-6 ? State::Slow
                                                                 : State::Fast;
        out.push_back(c);
    }
    return out;
}

QString summaryText(const std::vector<const Game*>& selected, const std::vector<Game>& all,
                    const QDate& today)
{
    std::set<QDate> days;
    for (const Game& g : all) {
        const QDate day = dayOf(g);
        if (today.isValid() && day.isValid() && day >= mondayOf(today) && day <= today)
            days.insert(day);
    }
    const QString week = days.empty() ? QString::fromUtf8("本周还没有玩")
                                      : QString::fromUtf8("本周玩了 %1 天").arg(days.size());
    if (selected.empty())
        return days.empty() ? QString::fromUtf8("这段时间没有玩过") : QString::fromUtf8("这段时间没有玩过，") + week;
    double minutes = 0;
    int best = selected.front()->score;
    for (const Game* g : selected) {
        minutes += std::max<std::int64_t>(0, g->durationMs) / 60000.0;
        best = std::max(best, g->score);
    }
    const QString played = minutes < 0.5 ? QString::fromUtf8("不到 1 分钟")
                                         : QString::fromUtf8("%1 分钟").arg(std::lround(minutes));
    return QString::fromUtf8("共 %1 局，%2，最高 %3 分，").arg(selected.size()).arg(played).arg(best) + week;
}

}  // namespace history
