// The practice chooser as a pure function on small made-up histories. Draws
// use seeded generators, so every count below is the same on every run.
#include <QtTest>

#include <cmath>
#include <limits>
#include <random>
#include <set>

#include "platform/system.h"
#include "practice/practice.h"

using history::Delivery;
using history::Game;
using practice::Asked;
using practice::Priorities;

namespace {

const QDateTime kNow(QDate(2026, 3, 1), QTime(17, 0));

Delivery load(int priorTotal, int amount, int ticks, int wrongs = 0)
{
    Delivery d;
    d.priorTotal = priorTotal;
    d.amount = amount;
    d.expectedTotal = priorTotal + amount;
    d.answerTicks = ticks;
    for (int i = 0; i < wrongs; ++i)
        d.wrongEntries.push_back(QStringLiteral("1"));
    return d;
}

Game game(int daysAgo, std::vector<Delivery> loads, int level = 0)
{
    Game g;
    g.level = level;
    g.started = kNow.addDays(-daysAgo);
    g.deliveries = std::move(loads);
    return g;
}

// How often each amount comes in `draws` draws on a sign ending in `units`.
std::vector<int> counts(const Priorities& p, int units, const std::vector<Asked>& soFar, int draws,
                        unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> rnd(0, 1);
    const std::function<double()> random = [&] { return rnd(rng); };
    std::vector<int> n(30, 0);
    for (int i = 0; i < draws; ++i)
        ++n[std::size_t(practice::chooseAmount(p, units, soFar, random))];
    return n;
}

// 3 + 8 answered with two wrong entries three times, 3 + 2 answered fast
// three times (the default mastery time is 3 s); at level 2, 3 + 2 went
// wrong, which level 1 must not see.
std::vector<Game> knownHistory()
{
    return {game(9, {load(3, 8, 500, 2), load(13, 2, 150)}), game(5, {load(3, 8, 450, 2), load(13, 2, 110)}),
            game(4, {load(23, 2, 140), load(3, 2, 120, 3)}, 1),
            game(2, {load(3, 2, 130), load(5, 8, 200), load(3, 8, 400, 2)})};
}

}  // namespace

class TestPractice : public QObject {
    Q_OBJECT
private slots:
    void hardSumsComeMoreOftenMasteredOnesLess()
    {
        const Priorities p = practice::priorities(knownHistory(), 0, kNow);
        constexpr int kDraws = 9000;  // 1000 for each amount's uniform share
        const std::vector<int> n = counts(p, 3, {}, kDraws);
        QVERIFY2(n[8] > 1500, qPrintable(QString::number(n[8])));
        QVERIFY2(n[2] < 600, qPrintable(QString::number(n[2])));
        // The sums never asked are not yet known: above a retired one.
        QVERIFY(n[5] > n[2] && n[5] < n[8]);
        // On a sign ending in 5 the only answer was 5 + 8 in 2 s: no sum there
        // is wrong-often, so none comes at more than twice its share.
        for (int c : counts(p, 5, {}, kDraws))
            QVERIFY(c < 2000);
    }

    void prioritiesFollowTheChildsOwnPaceAndRecentAnswers()
    {
        // 4 + 5 answered three times in 2.6 s: slow for a child whose other
        // answers take 1 s, fast for one whose other answers take 2.4 s.
        auto child = [](int usualTicks) {
            std::vector<Delivery> loads;
            for (int i = 0; i < 40; ++i)
                loads.push_back(load(1, 1 + i % 3, usualTicks));
            loads.push_back(load(4, 5, 260));
            loads.push_back(load(4, 5, 260));
            loads.push_back(load(4, 5, 260));
            return practice::priorities({game(1, loads)}, 0, kNow);
        };
        const int sum45 = practice::sumOf(0, 4, 5);
        const Priorities quick = child(100), slower = child(240);
        QCOMPARE(quick.masteryTicks, int(100 * practice::kMasteryMargin));
        QCOMPARE(slower.masteryTicks, practice::kMaxMasteryTicks);
        QVERIFY(quick.bySum[std::size_t(sum45)] > 1.5 * slower.bySum[std::size_t(sum45)]);

        // 6 + 6 wrong five times two years ago, then fast three times this
        // week: retired. 7 + 7 fast three times half a year ago, never since:
        // due again, not retired. Older answers cannot drown recent ones.
        std::vector<Game> games;
        for (int i = 0; i < 5; ++i)
            games.push_back(game(730 - i, {load(6, 6, 600, 2)}));
        games.push_back(game(180, {load(7, 7, 100), load(7, 7, 100), load(7, 7, 100)}));
        games.push_back(game(3, {load(6, 6, 100), load(6, 6, 100), load(6, 6, 100)}));
        const Priorities p = practice::priorities(games, 0, kNow);
        const double unknown = p.bySum[std::size_t(practice::sumOf(0, 1, 1))];
        QCOMPARE(p.bySum[std::size_t(practice::sumOf(0, 6, 6))], practice::kRetiredPriority);
        const double sum77 = p.bySum[std::size_t(practice::sumOf(0, 7, 7))];
        QVERIFY(sum77 > 2 * practice::kRetiredPriority && sum77 < unknown);
    }

    void everyAmountKeepsItsFloor()
    {
        // At level 2 one sum on a sign ending in 4 (7, 17 and 27 on the scale)
        // is wanted a million times more than the others; some priorities
        // are broken.
        Priorities p;
        p.level = 1;
        p.bySum.assign(std::size_t(practice::sumCount(1)), 1e-6);
        p.bySum[std::size_t(practice::sumOf(1, 4, 7))] = 1e6;
        p.bySum[std::size_t(practice::sumOf(1, 4, 3))] = std::numeric_limits<double>::quiet_NaN();
        p.bySum[std::size_t(practice::sumOf(1, 4, 5))] = -4;
        constexpr int kDraws = 30000;
        const std::vector<int> n = counts(p, 4, {}, kDraws);
        for (int a = 1; a <= 29; ++a) {
            const double floor = kDraws * practice::uniformShare(1, a) * practice::kFloorShare;
            QVERIFY2(n[std::size_t(a)] > 0.8 * floor, qPrintable(QString::number(a)));
        }
        QVERIFY(n[7] + n[17] + n[27] > kDraws / 2);
    }

    void noAmountThreeTimesRunning()
    {
        // Every sum with 4 on the scale is wanted far more than the rest:
        // without the rule 4 would come nearly every time.
        Priorities p;
        p.bySum.assign(std::size_t(practice::sumCount(0)), 0.01);
        for (int units = 0; units < 10; ++units)
            p.bySum[std::size_t(practice::sumOf(0, units, 4))] = 1000;
        std::mt19937 rng(3);
        std::uniform_real_distribution<double> rnd(0, 1);
        const std::function<double()> random = [&] { return rnd(rng); };
        std::vector<Asked> soFar;
        int total = 0, fours = 0;
        for (int i = 0; i < 3000; ++i) {
            const int amount = practice::chooseAmount(p, total % 10, soFar, random);
            const std::size_t k = soFar.size();
            if (k >= 2 && soFar[k - 1].amount == amount && soFar[k - 2].amount == amount)
                QFAIL(qPrintable(QStringLiteral("%1 three times at load %2").arg(amount).arg(i)));
            fours += amount == 4;
            soFar.push_back({amount, practice::sumOf(0, total % 10, amount)});
            total += amount;
        }
        QVERIFY2(fours > 900, qPrintable(QString::number(fours)));
    }

    void aSumJustAskedWaitsThenComesBack()
    {
        const Priorities p = practice::priorities(knownHistory(), 0, kNow);
        // Loads on signs ending in 6 and 1 make no sum possible on one ending in 3.
        const Asked sum38{8, practice::sumOf(0, 3, 8)}, a{5, practice::sumOf(0, 6, 5)},
            b{6, practice::sumOf(0, 1, 6)};
        constexpr int kDraws = 20000;
        const int fresh = counts(p, 3, {b, a}, kDraws)[8];
        const int waiting = counts(p, 3, {sum38, a}, kDraws)[8];
        const int back = counts(p, 3, {sum38, b, a, b, a}, kDraws)[8];
        const int longAgo = counts(p, 3, {sum38, a, b, a, b, a, b, a, b}, kDraws)[8];
        QVERIFY2(waiting < fresh / 2, qPrintable(QStringLiteral("%1 %2").arg(waiting).arg(fresh)));
        QVERIFY2(back > 1.1 * fresh, qPrintable(QStringLiteral("%1 %2").arg(back).arg(fresh)));
        // Still within its floor while it waits.
        QVERIFY(waiting > 0.8 * kDraws / 27.0);
        QVERIFY(std::abs(longAgo - fresh) < fresh / 10);
    }

    void theGamesGeneratorGivesTheSameAmountsTwice()
    {
        const Priorities p = practice::priorities(knownHistory(), 0, kNow);
        auto game = [&] {
            platform::setRandomSequence({0.91, 0.05, 0.47, 0.33, 0.72, 0.18, 0.64, 0.999, 0.0});
            std::vector<Asked> soFar;
            std::vector<int> amounts;
            int total = 0;
            for (int i = 0; i < 30; ++i) {
                const int amount = practice::chooseAmount(p, total % 10, soFar, platform::Rnd);
                soFar.push_back({amount, practice::sumOf(0, total % 10, amount)});
                amounts.push_back(amount);
                total += amount;
            }
            return amounts;
        };
        const std::vector<int> first = game();
        QCOMPARE(game(), first);
        QVERIFY(std::set<int>(first.begin(), first.end()).size() >= 5);
        platform::setRandomSequence({});
    }
};

QTEST_APPLESS_MAIN(TestPractice)
#include "test_practice.moc"
