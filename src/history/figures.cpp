#include "history/figures.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace history {

namespace {

double seconds(const Delivery& d) { return d.answerTicks / 100.0; }

// The median of `v` (reordered); 0 when empty, the mean of the middle two
// for an even count.
double median(std::vector<double>& v)
{
    if (v.empty())
        return 0;
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid));
    return (lower + upper) / 2;
}

// Whether adding the load to the sign's total carries into the tens: the
// units of both make ten or more (7 + 5, 17 + 15; never for 10 or 20).
bool crossesTen(const Delivery& d)
{
    const int priorUnits = ((d.priorTotal % 10) + 10) % 10;
    return priorUnits + d.amount % 10 >= 10;
}

// A real load with goods on it (not digits typed while the lamb walked).
bool isSum(const Delivery& d) { return !d.whileWalking && d.amount >= 1; }

// The groups sentences can name, by amount.
struct Band {
    int from;
    int to;
    const char* label;
};
const Band kBands[] = {
    {1, 3, "1、2、3"}, {4, 5, "4、5"}, {6, 7, "6、7"}, {8, 9, "8、9"},
    {10, 19, "10 到 19"}, {20, 29, "20 到 29"},
};
constexpr int kBandCount = static_cast<int>(sizeof kBands / sizeof kBands[0]);

// The group of a real load: band index * 2 + crosses; -1 outside every band.
int groupOf(const Delivery& d)
{
    for (int b = 0; b < kBandCount; ++b) {
        if (d.amount >= kBands[b].from && d.amount <= kBands[b].to)
            return b * 2 + (crossesTen(d) ? 1 : 0);
    }
    return -1;
}

// What a set of loads came to.
struct Tally {
    int loads = 0;
    int wrong = 0;
    std::vector<double> rightSeconds;

    void add(const Delivery& d)
    {
        ++loads;
        wrong += static_cast<int>(d.wrongEntries.size());
        if (d.answered())
            rightSeconds.push_back(seconds(d));
    }
    void add(const Tally& t)
    {
        loads += t.loads;
        wrong += t.wrong;
        rightSeconds.insert(rightSeconds.end(), t.rightSeconds.begin(), t.rightSeconds.end());
    }
    double wrongShare() const { return loads > 0 ? double(wrong) / loads : 0; }
};

struct Groups {
    Tally group[kBandCount * 2];
    Tally outside;  // real loads of amounts no band holds
};

Groups tallyGroups(const std::vector<const Game*>& games)
{
    Groups g;
    for (const Game* game : games) {
        for (const Delivery& d : game->deliveries) {
            if (!isSum(d))
                continue;
            const int k = groupOf(d);
            (k >= 0 ? g.group[k] : g.outside).add(d);
        }
    }
    return g;
}

QString groupName(int k)
{
    const bool crosses = k % 2 == 1;
    return QString::fromUtf8(crosses ? "进位加 " : "不进位加 ") + QString::fromUtf8(kBands[k / 2].label);
}

// Every group with enough loads, hardest first; `order` (when given)
// receives each one's group index, in the same order.
std::vector<HardSum> rankGroups(const Groups& groups, std::vector<int>* order)
{
    Tally all = groups.outside;
    for (const Tally& t : groups.group)
        all.add(t);
    const double overallMedian = median(all.rightSeconds);
    const double overallShare = all.wrongShare();

    std::vector<std::pair<HardSum, int>> ranked;
    for (int k = 0; k < kBandCount * 2; ++k) {
        Tally t = groups.group[k];
        if (t.loads < kHardSumMinLoads)
            continue;
        HardSum h;
        h.name = groupName(k);
        h.fromAmount = kBands[k / 2].from;
        h.toAmount = kBands[k / 2].to;
        h.crossesTen = k % 2 == 1;
        h.loads = t.loads;
        h.answered = static_cast<int>(t.rightSeconds.size());
        h.wrong = t.wrong;
        h.medianSeconds = median(t.rightSeconds);
        h.wrongShare = t.wrongShare();
        const double slowness = h.answered > 0 && overallMedian > 0 ? h.medianSeconds / overallMedian : 1.0;
        h.hardness = slowness + 2 * (h.wrongShare - overallShare);
        ranked.emplace_back(h, k);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first.hardness > b.first.hardness;
    });
    std::vector<HardSum> out;
    for (auto& r : ranked) {
        out.push_back(r.first);
        if (order)
            order->push_back(r.second);
    }
    return out;
}

QString oneDecimal(double x) { return QString::number(x, 'f', 1); }

}  // namespace

QDate dayOf(const Game& game)
{
    return game.started.isValid() ? game.started.date() : QDate();
}

QDate mondayOf(const QDate& day)
{
    return day.addDays(1 - day.dayOfWeek());
}

QDate firstDayOf(Period period, const QDate& today)
{
    return period == Period::Week ? today.addDays(-6) : period == Period::Month ? today.addDays(-29) : QDate();
}

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
    std::vector<ScorePoint> out(static_cast<std::size_t>(n));
    if (n == 0)
        return out;
    double lowest = games[0]->score;
    double highest = lowest;
    for (int i = 0; i < n; ++i) {
        out[i].started = games[i]->started;
        out[i].score = games[i]->score;
        lowest = std::min(lowest, out[i].score);
        highest = std::max(highest, out[i].score);
    }

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
        const int lo = std::max(0, i - reach);
        const int hi = std::min(n - 1, i + reach);
        for (int j = lo; j <= hi; ++j) {
            const double d = j - i;
            const double w = weight[static_cast<std::size_t>(std::abs(j - i))];
            const double y = out[j].score;
            s0 += w;
            s1 += w * d;
            s2 += w * d * d;
            t0 += w * y;
            t1 += w * d * y;
        }
        const double det = s0 * s2 - s1 * s1;
        double trend = det > 1e-9 * s0 * s0 ? (s2 * t0 - s1 * t1) / det : t0 / s0;
        out[i].trend = std::clamp(trend, lowest, highest);
    }
    return out;
}

std::vector<DayValue> medianSecondsPerDay(const std::vector<const Game*>& games)
{
    std::map<QDate, std::vector<double>> perDay;
    for (const Game* g : games) {
        const QDate day = dayOf(*g);
        if (!day.isValid())
            continue;
        for (const Delivery& d : g->deliveries) {
            if (!d.whileWalking && d.answered())
                perDay[day].push_back(seconds(d));
        }
    }
    std::vector<DayValue> out;
    for (auto& [day, values] : perDay) {
        DayValue v;
        v.day = day;
        v.count = static_cast<int>(values.size());
        v.value = median(values);
        out.push_back(v);
    }
    return out;
}

std::vector<DayValue> accuracyPerDay(const std::vector<const Game*>& games)
{
    std::map<QDate, std::pair<int, int>> perDay;  // right answers, wrong entries
    for (const Game* g : games) {
        const QDate day = dayOf(*g);
        if (!day.isValid())
            continue;
        for (const Delivery& d : g->deliveries) {
            auto& [right, wrong] = perDay[day];
            if (d.answered())
                ++right;
            wrong += static_cast<int>(d.wrongEntries.size());
        }
    }
    std::vector<DayValue> out;
    for (const auto& [day, counts] : perDay) {
        const int given = counts.first + counts.second;
        if (given == 0)
            continue;
        DayValue v;
        v.day = day;
        v.count = given;
        v.value = double(counts.first) / given;
        out.push_back(v);
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
    for (auto& [key, t] : kinds) {
        SumKind k;
        k.amount = key.first;
        k.crossesTen = key.second;
        k.loads = t.loads;
        k.answered = static_cast<int>(t.rightSeconds.size());
        k.wrong = t.wrong;
        k.medianSeconds = median(t.rightSeconds);
        out.push_back(k);
    }
    return out;
}

std::vector<HardSum> hardSums(const std::vector<const Game*>& games)
{
    return rankGroups(tallyGroups(games), nullptr);
}

std::vector<QString> hardSumSentences(const std::vector<const Game*>& games)
{
    const Groups groups = tallyGroups(games);
    std::size_t answered = groups.outside.rightSeconds.size();
    for (const Tally& t : groups.group)
        answered += t.rightSeconds.size();
    if (answered < static_cast<std::size_t>(kSentenceMinAnswers))
        return {};

    std::vector<int> order;
    const std::vector<HardSum> ranked = rankGroups(groups, &order);
    std::vector<QString> out;
    for (std::size_t r = 0; r < ranked.size() && out.size() < 3; ++r) {
        const HardSum& h = ranked[r];
        Tally others = groups.outside;
        for (int k = 0; k < kBandCount * 2; ++k) {
            if (k != order[r])
                others.add(groups.group[k]);
        }
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
        if (slow && wrong) {
            out.push_back(h.name + QString::fromUtf8(" 又慢又容易出错：") + speed + QString::fromUtf8("（") +
                          othersSpeed + QString::fromUtf8("），") + errors + QString::fromUtf8("（") +
                          othersErrors + QString::fromUtf8("）。"));
        } else if (slow) {
            out.push_back(h.name + QString::fromUtf8(" 还比较慢：") + speed + QString::fromUtf8("，") +
                          othersSpeed + QString::fromUtf8("。"));
        } else if (wrong) {
            out.push_back(h.name + QString::fromUtf8(" 容易出错：") + errors + QString::fromUtf8("，") +
                          othersErrors + QString::fromUtf8("。"));
        }
    }
    return out;
}

Summary summary(const std::vector<const Game*>& selected, const std::vector<Game>& all,
                const QDate& today)
{
    Summary s;
    for (const Game* g : selected) {
        ++s.games;
        s.minutes += std::max<std::int64_t>(0, g->durationMs) / 60000.0;
        s.bestScore = s.games == 1 ? g->score : std::max(s.bestScore, g->score);
    }
    if (today.isValid()) {
        const QDate monday = mondayOf(today);
        std::set<QDate> days;
        for (const Game& g : all) {
            const QDate day = dayOf(g);
            if (day.isValid() && day >= monday && day <= today)
                days.insert(day);
        }
        s.daysThisWeek = static_cast<int>(days.size());
    }
    return s;
}

QString summaryText(const Summary& s)
{
    const QString week = s.daysThisWeek > 0 ? QString::fromUtf8("本周玩了 %1 天").arg(s.daysThisWeek)
                                            : QString::fromUtf8("本周还没有玩");
    if (s.games == 0)
        return s.daysThisWeek > 0 ? QString::fromUtf8("这段时间没有玩过，") + week
                                  : QString::fromUtf8("这段时间没有玩过");
    const QString minutes = s.minutes < 0.5 ? QString::fromUtf8("不到 1 分钟")
                                            : QString::fromUtf8("%1 分钟").arg(std::lround(s.minutes));
    return QString::fromUtf8("共 %1 局，%2，最高 %3 分，").arg(s.games).arg(minutes).arg(s.bestScore) + week;
}

}  // namespace history
