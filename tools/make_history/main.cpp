// Writes a made-up but lifelike play history through the store: a child
// playing nearly every day for years, getting quicker and making fewer
// mistakes as they grow, moving up to level 1. Also times the store on such
// a file, and reports what the store makes of a file, for the tests.
//
//   make_history FILE [--years N] [--seed S] [--games N] [--print-ids] [--children N]
//                [--practice-share F]
//       adds the games to FILE (made when missing). --games stops after N
//       games (playing more games a day when the years would give fewer);
//       --print-ids prints "ID LOADS" for each game once it is committed;
//       --children adds N children (at most 9) to the family, each playing
//       the years of their own (each with a seed of their own);
//       --practice-share F (0 to 1, 0 unless given) plays each day's games
//       with practice on with chance F, the amounts then chosen by practice
//       from the child's games before.
//   make_history FILE --measure-load N   opens FILE and reads every game,
//       N times; prints the median milliseconds
//   make_history FILE --measure-add N    adds N typical games to FILE one at
//       a time; prints the median milliseconds of one
//   make_history FILE --probe            opens FILE; prints its state, the
//       number of games read, and whether one more game could be added
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "history/family.h"
#include "history/records.h"
#include "history/store.h"
#include "practice/practice.h"

using history::Delivery;
using history::Ending;
using history::Game;
using history::Store;

namespace {

// The game's clocks: the time bar fills in 448 ticks of 200 ms, the answer
// clock ticks every 10 ms, the lamb takes seven steps of 150 ms to walk to
// the scale and hops for 200 ms after a right answer.
constexpr int kGameLimitMs = 448 * 200;
constexpr int kWalkMs = 1050;
constexpr int kHopMs = 200;

class Child {
public:
    explicit Child(unsigned long long seed) : rng_(seed) {}

    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int between(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng_); }
    bool chance(double p) { return uniform(0, 1) < p; }
    int poisson(double mean)
    {
        return mean <= 0 ? 0 : std::poisson_distribution<int>(mean)(rng_);
    }
    double logNormal(double median, double sigma)
    {
        return median * std::exp(std::normal_distribution<double>(0, sigma)(rng_));
    }

    // One game started at `started` by a child `growth` of the way (0 to 1)
    // from the first day to the last; with `before` (the games played
    // before it), practice chooses its amounts.
    Game play(const QDateTime& started, double growth, const std::vector<Game>* before = nullptr)
    {
        Game game;
        game.started = started;
        game.level = chance(0.05 + 0.65 * growth) ? 1 : 0;
        game.practice = before != nullptr;
        const practice::Priorities priorities =
            before ? practice::priorities(*before, game.level, started) : practice::Priorities{};
        std::vector<practice::Asked> asked;

        // A few games are cut short by the help button, the window being
        // closed or a new game being started.
        Ending cutBy = Ending::Closed;
        int cutAtMs = kGameLimitMs + 1;
        const double cut = uniform(0, 1);
        if (cut < 0.02)
            cutBy = Ending::Help;
        else if (cut < 0.035)
            cutBy = Ending::Closed;
        else if (cut < 0.045)
            cutBy = Ending::Restart;
        else if (cut < 0.05)
            cutBy = Ending::Level;
        if (cut < 0.05)
            cutAtMs = between(5000, kGameLimitMs - 5000);

        int clock = 0;
        int triesLeft = 3;
        int total = 0;
        std::int64_t score = 0;
        for (;;) {
            // Digits typed while the lamb is still walking are judged against
            // 0, and are always wrong.
            const int walk = kWalkMs + between(0, 100);
            if (chance(0.02 * (1.0 - 0.7 * growth))) {
                Delivery early;
                early.whileWalking = true;
                early.wrongEntries.push_back(QString::number(between(1, 9)));
                game.deliveries.push_back(early);
                if (--triesLeft == 0) {
                    game.ending = Ending::Wrong;
                    clock += walk / 2;
                    break;
                }
            }
            clock += walk;
            if (cutAtMs < kGameLimitMs && clock >= cutAtMs) {
                game.ending = cutBy;
                clock = cutAtMs;
                break;
            }
            if (clock >= kGameLimitMs) {
                game.ending = Ending::Time;
                clock = kGameLimitMs;
                break;
            }

            Delivery d;
            int tens = game.level == 1 ? between(0, 2) : 0;
            int units = between(0, 9);
            while (tens == 0 && units == 0)
                units = between(0, 9);
            if (game.practice) {
                const int amount = practice::chooseAmount(priorities, total, asked, [this] { return uniform(0, 1); });
                asked.push_back({amount, practice::sumOf(game.level, total, amount)});
                tens = amount / 10;
                units = amount % 10;
            }
            d.amount = 10 * tens + units;
            d.priorTotal = total;
            d.expectedTotal = total + d.amount;
            const bool crossesTen = total % 10 + units >= 10;

            // About 6 s at first, soon better, nearing 2 s and below.
            double seconds = 1.6 + 4.4 * std::exp(-3.5 * growth);
            if (tens > 0)
                seconds *= 1.2;
            // Crossing a ten is slower, the more so the larger the amount
            // (7 + 8 takes longer than 9 + 2).
            if (crossesTen)
                seconds *= 1.1 + 0.1 * units;
            const int answerMs = std::max(600, int(std::lround(logNormal(seconds, 0.3) * 1000)));

            double wrongChance = 0.08 - 0.055 * growth;
            if (crossesTen)
                wrongChance *= 1.8;
            if (game.level == 1)
                wrongChance *= 1.3;
            int wrongs = 0;
            while (wrongs < 3 && chance(wrongChance))
                ++wrongs;

            // Each wrong entry costs the child a moment more.
            const int spentMs = answerMs + 1000 * wrongs;
            bool over = false;
            for (int w = 0; w < wrongs && !over; ++w) {
                d.wrongEntries.push_back(wrongEntry(d.expectedTotal));
                if (--triesLeft == 0) {
                    game.ending = Ending::Wrong;
                    clock += spentMs * (w + 1) / (wrongs + 1);
                    over = true;
                }
            }
            if (!over && clock + spentMs >= std::min(cutAtMs, kGameLimitMs)) {
                game.ending = cutAtMs < kGameLimitMs ? cutBy : Ending::Time;
                clock = std::min(cutAtMs, kGameLimitMs);
                over = true;
            }
            if (over) {
                game.deliveries.push_back(d);
                break;
            }

            clock += spentMs;
            // The answer clock runs a little slow against the wall clock.
            d.answerTicks = int(spentMs / 10 * uniform(0.96, 0.995));
            const int ticks = 100 - d.answerTicks <= 0 ? 98 : d.answerTicks;
            score += 10 * (100 - ticks);
            total = d.expectedTotal;
            game.deliveries.push_back(d);
            clock += kHopMs;
        }
        game.score = std::int32_t(score);
        game.durationMs = clock + between(50, 400);
        return game;
    }

private:
    // A wrong total as a child types it: near the right one, and cut off
    // at the first digit that cannot begin the right answer (where the game
    // judges it).
    QString wrongEntry(int expected)
    {
        static const int kMistakes[] = {1, -1, 2, -2, 10, -10, 1, -1, 3, -3};
        const QString right = QString::number(expected);
        for (;;) {
            const int wrong = expected + kMistakes[between(0, 9)];
            if (wrong < 0)
                continue;
            const QString typed = QString::number(wrong);
            int i = 0;
            while (i < typed.size() && i < right.size() && typed[i] == right[i])
                ++i;
            if (i == typed.size())
                continue;  // only a beginning of the answer: not judged yet
            return typed.left(i + 1);
        }
    }

    std::mt19937_64 rng_;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const char* stateName(Store::State state)
{
    switch (state) {
    case Store::State::Closed: return "Closed";
    case Store::State::Ready: return "Ready";
    case Store::State::SetAside: return "SetAside";
    case Store::State::ReadOnly: return "ReadOnly";
    case Store::State::Locked: return "Locked";
    case Store::State::TooNew: return "TooNew";
    case Store::State::Failed: return "Failed";
    }
    return "?";
}

bool openOrSay(Store& store)
{
    if (store.open() && store.writable())
        return true;
    std::fprintf(stderr, "make_history: %s: %s (%s)\n", qPrintable(store.path()),
                 stateName(store.state()), qPrintable(store.problemText()));
    return false;
}

int generate(const QString& file, int years, unsigned long long seed, long long maxGames,
             bool printIds, double practiceShare, std::int64_t childId = 0)
{
    Store store(file);
    if (!openOrSay(store))
        return 1;
    Child child(seed);

    const QDateTime now = QDateTime::currentDateTime();
    const QDate last = now.date().addDays(-1);
    const QDate first = now.date().addYears(-years);
    const long long days = std::max<long long>(1, first.daysTo(last) + 1);
    constexpr double kPlayDays = 0.9;
    double perPlayDay = 1.55;
    if (maxGames > 0)
        perPlayDay = std::max(perPlayDay, 1.05 * double(maxGames) / (double(days) * kPlayDays));

    long long games = 0, deliveries = 0;
    std::vector<Game> played;  // kept for practice only
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (maxGames > 0 && games >= maxGames)
            break;
        const bool weekend = day.dayOfWeek() >= 6;
        // Fewer games in the first summer weeks away from home.
        const bool holiday = day.month() == 8 && day.day() <= 14;
        if (!child.chance(holiday ? 0.3 : kPlayDays))
            continue;
        const double growth = double(first.daysTo(day)) / double(days);
        const int count = 1 + child.poisson(perPlayDay - 1);
        const bool practiceDay = practiceShare > 0 && child.chance(practiceShare);
        const QTime sessionStart = weekend ? QTime(9, 0).addSecs(child.between(0, 10 * 3600))
                                           : QTime(16, 0).addSecs(child.between(0, 4 * 3600));
        QDateTime started(day, sessionStart);
        started = started.addMSecs(child.between(0, 999));
        for (int i = 0; i < count; ++i) {
            if (maxGames > 0 && games >= maxGames)
                break;
            if (started.secsTo(now) < 60)
                break;  // games are always in the past
            Game game = child.play(started, growth, practiceDay ? &played : nullptr);
            game.childId = childId;
            if (practiceShare > 0)
                played.push_back(game);
            if (!store.addGame(game)) {
                std::fprintf(stderr, "make_history: game %lld could not be stored: %s\n", games + 1,
                             qPrintable(store.lastError()));
                return 1;
            }
            ++games;
            deliveries += qsizetype(game.deliveries.size());
            if (printIds) {
                std::printf("%lld %zu\n", static_cast<long long>(store.lastId()),
                            game.deliveries.size());
                std::fflush(stdout);
            }
            started = started.addMSecs(game.durationMs + child.between(8000, 90000));
        }
    }
    if (!printIds)
        std::printf("%lld games, %lld deliveries\n", games, deliveries);
    return 0;
}

// Adds `count` children to the family in FILE, then each one's years of play.
int generateChildren(const QString& file, int count, int years, unsigned long long seed, long long maxGames,
                     double practiceShare)
{
    static const char* const kNames[] = {"小明", "小红", "小刚", "小丽", "小军", "小芳", "小强", "小燕", "小龙"};
    static const char* const kAnimals[] = {"cat", "rabbit", "panda", "dog", "duck", "pig", "bear", "lamb", "cat"};
    history::FamilyWriter family(file);
    for (int i = 0; i < count; ++i) {
        std::int64_t id = 0;
        const history::Change change = family.add(QString::fromUtf8(kNames[i]), QLatin1String(kAnimals[i]), &id);
        if (change != history::Change::Done) {
            std::fprintf(stderr, "make_history: child %d could not be added: %s\n", i + 1,
                         qPrintable(family.problem()));
            return 1;
        }
        std::printf("%s: ", kNames[i]);
        if (const int rc = generate(file, years, seed + 1000 * static_cast<unsigned long long>(i), maxGames, false,
                                     practiceShare, id))
            return rc;
    }
    return 0;
}

int measureLoad(const QString& file, int runs)
{
    std::vector<double> openMs, loadMs, totalMs;
    std::size_t games = 0, deliveries = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        Store store(file);
        if (!store.open()) {
            std::fprintf(stderr, "make_history: %s: %s\n", qPrintable(file),
                         stateName(store.state()));
            return 1;
        }
        const double opened = double(timer.nsecsElapsed()) / 1e6;
        const std::vector<Game> all = store.loadAll();
        const double loaded = double(timer.nsecsElapsed()) / 1e6;
        openMs.push_back(opened);
        loadMs.push_back(loaded - opened);
        totalMs.push_back(loaded);
        games = all.size();
        deliveries = 0;
        for (const Game& g : all)
            deliveries += g.deliveries.size();
    }
    std::printf("open+loadAll: median %.1f ms (open %.1f ms, loadAll %.1f ms) over %d runs;"
                " %zu games, %zu deliveries\n",
                median(totalMs), median(openMs), median(loadMs), runs, games, deliveries);
    return 0;
}

int measureAdd(const QString& file, int count, unsigned long long seed)
{
    Store store(file);
    if (!openOrSay(store))
        return 1;
    Child child(seed);
    std::vector<double> ms;
    std::size_t deliveries = 0;
    QDateTime started = QDateTime::currentDateTime().addDays(-1);
    for (int i = 0; i < count; ++i) {
        const Game game = child.play(started, 0.5);
        started = started.addMSecs(game.durationMs + 30000);
        QElapsedTimer timer;
        timer.start();
        if (!store.addGame(game)) {
            std::fprintf(stderr, "make_history: a game could not be stored: %s\n",
                         qPrintable(store.lastError()));
            return 1;
        }
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        deliveries += game.deliveries.size();
    }
    std::printf("addGame: median %.3f ms over %d games of %.1f deliveries on average\n", median(ms),
                count, count ? double(deliveries) / count : 0.0);
    return 0;
}

int probe(const QString& file)
{
    Store store(file);
    const bool readable = store.open();
    std::printf("state %s\n", stateName(store.state()));
    std::printf("games %zu\n", readable ? store.loadAll().size() : std::size_t(0));
    Child child(1);
    const bool added = store.addGame(child.play(QDateTime::currentDateTime().addSecs(-600), 0.5));
    std::printf("add %s\n", added ? "yes" : "no");
    std::printf("problem %s\n", qPrintable(store.problemText()));
    return 0;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: make_history FILE [--years N] [--seed S] [--games N] [--print-ids] [--children N]\n"
                 "                         [--practice-share F]\n"
                 "       make_history FILE --measure-load N | --measure-add N | --probe\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args[1].startsWith(QLatin1String("--")))
        usage();
    const QString file = args[1];
    int years = 10;
    unsigned long long seed = 2016;
    long long games = 0;
    bool printIds = false;
    int measureLoadRuns = 0, measureAddRuns = 0;
    bool probeOnly = false;
    double practiceShare = 0;
    int children = 0;
    for (int i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        auto number = [&]() -> long long {
            bool ok = false;
            const long long n = i + 1 < args.size() ? args[++i].toLongLong(&ok) : 0;
            if (!ok || n < 0)
                usage();
            return n;
        };
        if (a == QLatin1String("--years"))
            years = int(std::max(1LL, std::min(100LL, number())));
        else if (a == QLatin1String("--seed"))
            seed = static_cast<unsigned long long>(number());
        else if (a == QLatin1String("--games"))
            games = number();
        else if (a == QLatin1String("--practice-share")) {
            bool ok = false;
            practiceShare = i + 1 < args.size() ? args[++i].toDouble(&ok) : 0;
            if (!ok || !(practiceShare >= 0 && practiceShare <= 1))
                usage();
        } else if (a == QLatin1String("--print-ids"))
            printIds = true;
        else if (a == QLatin1String("--measure-load"))
            measureLoadRuns = int(std::max(1LL, number()));
        else if (a == QLatin1String("--measure-add"))
            measureAddRuns = int(std::max(1LL, number()));
        else if (a == QLatin1String("--children"))
            children = int(std::min(9LL, number()));
        else if (a == QLatin1String("--probe"))
            probeOnly = true;
        else
            usage();
    }
    if (probeOnly)
        return probe(file);
    if (measureLoadRuns > 0)
        return measureLoad(file, measureLoadRuns);
    if (measureAddRuns > 0)
        return measureAdd(file, measureAddRuns, seed);
    if (children > 0)
        return generateChildren(file, children, years, seed, games, practiceShare);
    return generate(file, years, seed, games, printIds, practiceShare);
}
