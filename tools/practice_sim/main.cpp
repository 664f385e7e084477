// A simulated learner played through the practice chooser, game after game,
// against the game's own draw of the amounts; and the cost of the chooser on
// a real history file. For scripts/bench_practice.sh.
//
//   practice_sim [--seeds N] [--first-seed S]
//       plays both learners below at level 0 with random amounts (the
//       game's own draw) and with practice amounts, N seeds each (30), and
//       prints the games until mastery and the share of hard loads.
//       Seeds S to S + N - 1 (from 1); each order starts the learner's and
//       the draw's generators from the same seed.
//   practice_sim --measure FILE
//       reads every game of the history FILE and times priorities() over
//       them at each level, and one chooseAmount().
//
// The learner. Each sum (sign units, amount) has a starting answer time t0
// and a starting chance e0 of a wrong entry per try; after n practised
// answers of that sum (loads of it answered right) its time is
// t0 * (1 + n)^-kTimeExponent and its chance e0 * (1 + n)^-kErrorExponent.
// Each answer's time is that time times a log-normal spread (kSpread). A
// wrong entry costs kWrongEntrySeconds before the child tries again.
//   "hard" learner: the crossing-ten sums with 7, 8 and 9 on the scale (24
//   of the 90) start at kHardSeconds and kHardError, all others at
//   kEasySeconds and kEasyError.
//   "even" learner: every sum starts at kEvenSeconds and kEvenError.
// The game. 448 ticks of 200 ms; each load takes kWalkSeconds of walking
// and the child's answer; three wrong entries end the game; the sign starts
// at 0 and grows by each right answer as in the game. Games are played two a
// day; before each the priorities are worked out afresh from every game
// played so far, as the game will do at its start.
// Mastery, two marks, the same for both orders: "answered", every sum's
// last answer was right, without a wrong entry, in at most kMasterySeconds;
// "known", the child's own (noise-free) time for every sum is at most
// kMasterySeconds and its chance of a wrong entry at most kMasteredError.
// The first is what the child shows, and rests on the luck of the last
// answers; the second is what the child has learnt. Both are fixed marks,
// so the chooser's own mastery time (which follows the child) cannot move
// them.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "history/records.h"
#include "history/store.h"
#include "practice/practice.h"

namespace {

constexpr double kEasySeconds = 2.2;
constexpr double kEasyError = 0.04;
constexpr double kHardSeconds = 6.0;
constexpr double kHardError = 0.30;
constexpr double kEvenSeconds = 3.0;
constexpr double kEvenError = 0.08;
constexpr double kTimeExponent = 0.3;
constexpr double kErrorExponent = 0.5;
constexpr double kSpread = 0.25;
constexpr double kWrongEntrySeconds = 1.0;

constexpr double kGameSeconds = 448 * 0.2;
constexpr double kWalkSeconds = 1.1;
constexpr int kTries = 3;
constexpr double kMasterySeconds = 2.5;
constexpr double kMasteredError = 0.1;
constexpr int kMaxGames = 600;
constexpr int kShareGames = 40;  // the hard share is counted over the first games

constexpr int kLevel = 0;

bool isHard(int signUnits, int amount)
{
    return practice::crossesTen(signUnits, amount) && amount % 10 >= 7;
}

struct Learner {
    std::vector<double> t0, e0;
    std::vector<int> practised;
    std::mt19937_64 rng;

    Learner(bool even, unsigned long long seed) : rng(seed)
    {
        const int sums = practice::sumCount(kLevel);
        t0.resize(std::size_t(sums));
        e0.resize(std::size_t(sums));
        practised.assign(std::size_t(sums), 0);
        for (int units = 0; units < 10; ++units)
            for (int amount = 1; amount <= practice::largestAmount(kLevel); ++amount) {
                const auto s = std::size_t(practice::sumOf(kLevel, units, amount));
                const bool hard = !even && isHard(units, amount);
                t0[s] = even ? kEvenSeconds : hard ? kHardSeconds : kEasySeconds;
                e0[s] = even ? kEvenError : hard ? kHardError : kEasyError;
            }
    }
    double uniform() { return std::uniform_real_distribution<double>(0, 1)(rng); }
    double seconds(int sum)
    {
        const double n = practised[std::size_t(sum)];
        const double spread = std::exp(std::normal_distribution<double>(0, kSpread)(rng));
        return t0[std::size_t(sum)] * std::pow(1 + n, -kTimeExponent) * spread;
    }
    // The child's own time for the sum is at most kMasterySeconds and its
    // chance of a wrong entry at most kMasteredError.
    bool knows(int sum) const
    {
        const double n = practised[std::size_t(sum)];
        return t0[std::size_t(sum)] * std::pow(1 + n, -kTimeExponent) <= kMasterySeconds &&
               e0[std::size_t(sum)] * std::pow(1 + n, -kErrorExponent) <= kMasteredError;
    }
    bool wrongTry(int sum)
    {
        const double n = practised[std::size_t(sum)];
        return uniform() < e0[std::size_t(sum)] * std::pow(1 + n, -kErrorExponent);
    }
};

// The game's own draw at level 0: the units 0 to 9, drawn again while 0.
int presentDraw(std::mt19937_64& rng)
{
    std::uniform_real_distribution<double> rnd(0, 1);
    int units = int(rnd(rng) * 10);
    while (units == 0)
        units = int(rnd(rng) * 10);
    return units;
}

struct Run {
    int gamesToKnown = kMaxGames;  // every sum known (Learner::knows)
    int gamesToShown = kMaxGames;  // every sum's last answer right and fast
    long long loads = 0, hardLoads = 0;  // over the first kShareGames games
};

Run play(bool even, bool withPractice, unsigned long long seed)
{
    Learner child(even, seed * 2 + 1);
    std::mt19937_64 draw(seed * 2 + 2);
    std::uniform_real_distribution<double> rnd(0, 1);
    const std::function<double()> random = [&] { return rnd(draw); };

    std::vector<history::Game> games;
    const QDateTime firstDay(QDate(2026, 1, 5), QTime(16, 30));
    const int sums = practice::sumCount(kLevel);
    std::vector<char> fastLast(std::size_t(sums), 0);
    int fastSums = 0;
    Run run;
    for (int g = 0; g < kMaxGames; ++g) {
        history::Game game;
        game.level = kLevel;
        game.started = firstDay.addDays(g / 2).addSecs(600 * (g % 2));
        const practice::Priorities priorities =
            withPractice ? practice::priorities(games, kLevel, game.started) : practice::Priorities{};
        std::vector<practice::Asked> soFar;
        double clock = 0;
        int tries = kTries, total = 0;
        while (tries > 0) {
            clock += kWalkSeconds;
            if (clock >= kGameSeconds)
                break;
            const int units = total % 10;
            const int amount = withPractice ? practice::chooseAmount(priorities, units, soFar, random)
                                            : presentDraw(draw);
            const int sum = practice::sumOf(kLevel, units, amount);
            soFar.push_back({amount, sum});
            history::Delivery d;
            d.amount = amount;
            d.priorTotal = total;
            d.expectedTotal = total + amount;
            double spent = 0;
            while (tries > 0 && child.wrongTry(sum)) {
                d.wrongEntries.push_back(QString::number(d.expectedTotal + 1));
                --tries;
                spent += kWrongEntrySeconds;
            }
            if (tries > 0)
                spent += child.seconds(sum);
            const bool answered = tries > 0 && clock + spent < kGameSeconds;
            if (g < kShareGames) {
                ++run.loads;
                run.hardLoads += isHard(units, amount);
            }
            if (answered) {
                clock += spent;
                d.answerTicks = int(std::lround(spent * 100));
                total += amount;
                ++child.practised[std::size_t(sum)];
            }
            const bool fast = answered && d.wrongEntries.empty() && spent <= kMasterySeconds;
            if (answered || !d.wrongEntries.empty()) {
                fastSums += int(fast) - int(fastLast[std::size_t(sum)]);
                fastLast[std::size_t(sum)] = fast;
            }
            game.deliveries.push_back(d);
            if (!answered)
                break;
        }
        game.ending = tries > 0 ? history::Ending::Time : history::Ending::Wrong;
        games.push_back(std::move(game));
        if (fastSums == sums && run.gamesToShown == kMaxGames)
            run.gamesToShown = g + 1;
        int known = 0;
        for (int sum = 0; sum < sums; ++sum)
            known += child.knows(sum);
        if (known == sums && run.gamesToKnown == kMaxGames)
            run.gamesToKnown = g + 1;
        if (run.gamesToKnown < kMaxGames && run.gamesToShown < kMaxGames && g + 1 >= kShareGames)
            break;
    }
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Games to a mark over the seeds: median, mean, fewest, most; how many
// seeds never reached it within kMaxGames.
struct Games {
    std::vector<double> each;
    double median() const { return ::median(each); }
    double mean() const
    {
        double sum = 0;
        for (double g : each)
            sum += g;
        return each.empty() ? 0 : sum / double(each.size());
    }
    std::string text() const
    {
        const auto [least, most] = std::minmax_element(each.begin(), each.end());
        const long never = std::count(each.begin(), each.end(), double(kMaxGames));
        char s[80];
        std::snprintf(s, sizeof s, "%.1f, %.1f, %.0f-%.0f", median(), mean(), *least, *most);
        return never ? s + std::string(" (") + std::to_string(never) + " never)" : s;
    }
};

struct Figures {
    Games known, shown;
    double hardShare = 0, loadsPerGame = 0;
};

Figures playSeeds(bool even, bool withPractice, unsigned long long firstSeed, int seeds)
{
    long long loads = 0, hard = 0;
    Figures f;
    for (int i = 0; i < seeds; ++i) {
        const Run r = play(even, withPractice, firstSeed + unsigned(i));
        f.known.each.push_back(r.gamesToKnown);
        f.shown.each.push_back(r.gamesToShown);
        loads += r.loads;
        hard += r.hardLoads;
    }
    f.hardShare = loads ? double(hard) / double(loads) : 0;
    f.loadsPerGame = double(loads) / (double(seeds) * kShareGames);
    return f;
}

void printLearner(const char* name, bool even, unsigned long long firstSeed, int seeds)
{
    const Figures random = playSeeds(even, false, firstSeed, seeds);
    const Figures practised = playSeeds(even, true, firstSeed, seeds);
    std::printf("%s learner, level 1 (amounts 1-9), %d seeds: games until every sum's last answer "
                "was right in at most %.1f s\n(answered) and until the child's own time for every "
                "sum is at most %.1f s with at most %.0f %% wrong (known),\nas median, mean and "
                "range; hard loads and loads a game over the first %d games:\n",
                name, seeds, kMasterySeconds, kMasterySeconds, 100 * kMasteredError, kShareGames);
    std::printf("  %-9s %-24s %-24s %-11s %s\n", "order", "games until answered", "until known",
                "hard loads", "loads a game");
    for (const auto& [label, f] : {std::pair{"random", random}, std::pair{"practice", practised}})
        std::printf("  %-9s %-24s %-24s %5.1f %%     %.1f\n", label, f.shown.text().c_str(),
                    f.known.text().c_str(), 100 * f.hardShare, f.loadsPerGame);
    std::printf("  practice / random: games until answered %.2f (means %.2f), until known %.2f "
                "(means %.2f), hard share %.2f\n\n",
                practised.shown.median() / random.shown.median(),
                practised.shown.mean() / random.shown.mean(),
                practised.known.median() / random.known.median(),
                practised.known.mean() / random.known.mean(), practised.hardShare / random.hardShare);
}

int measure(const QString& file)
{
    history::Store store(file);
    if (!store.open()) {
        std::fprintf(stderr, "practice_sim: %s cannot be read\n", qPrintable(file));
        return 1;
    }
    const std::vector<history::Game> games = store.loadAll();
    std::size_t loads = 0;
    for (const history::Game& g : games)
        loads += g.deliveries.size();
    std::printf("history: %zu games, %zu loads\n", games.size(), loads);
    const QDateTime now = QDateTime::currentDateTime();
    for (int level = 0; level < 2; ++level) {
        std::vector<double> ms;
        practice::Priorities p;
        for (int i = 0; i < 21; ++i) {
            QElapsedTimer timer;
            timer.start();
            p = practice::priorities(games, level, now);
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("priorities at level %d: median %.3f ms, 21 runs (mastery time %.2f s)\n",
                    level + 1, median(ms), p.masteryTicks / 100.0);
    }
    const practice::Priorities p = practice::priorities(games, 1, now);
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> rnd(0, 1);
    const std::function<double()> random = [&] { return rnd(rng); };
    std::vector<practice::Asked> soFar;
    constexpr int kDraws = 200000;
    int total = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kDraws; ++i) {
        const int amount = practice::chooseAmount(p, total % 10, soFar, random);
        if (soFar.size() == 40)
            soFar.clear();
        soFar.push_back({amount, practice::sumOf(1, total % 10, amount)});
        total += amount;
    }
    std::printf("one chooseAmount at level 2: %.3f us (mean of %d)\n",
                double(timer.nsecsElapsed()) / 1e3 / kDraws, kDraws);
    return 0;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: practice_sim [--seeds N] [--first-seed S]\n"
                         "       practice_sim --measure FILE\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int seeds = 30;
    unsigned long long firstSeed = 1;
    for (int i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == QLatin1String("--measure") && hasValue)
            return measure(args[i + 1]);
        bool ok = false;
        if (args[i] == QLatin1String("--seeds") && hasValue)
            seeds = args[++i].toInt(&ok);
        else if (args[i] == QLatin1String("--first-seed") && hasValue)
            firstSeed = args[++i].toULongLong(&ok);
        if (!ok || seeds < 1)
            usage();
    }
    printLearner("hard", false, firstSeed, seeds);
    printLearner("even", true, firstSeed, seeds);
    return 0;
}
