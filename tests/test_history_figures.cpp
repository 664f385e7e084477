// The parents' window's numbers and the CSV export, over a small history
// built here: which games a period holds, medians and accuracy per local
// day, minutes on the calendar, the sums that cross a ten, the hard groups
// and what is said about them, the trend, and the two CSV files.
#include "history/csvexport.h"
#include "parents/figures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <sys/stat.h>

using namespace history;

namespace {

// One load in short: goods, the sign's total before, the answer clock's
// ticks for the right answer (-1: never answered), the wrong entries.
struct L {
    int amount;
    int prior;
    int ticks;
    std::vector<QString> wrong = {};
    bool walking = false;
};

// The digits typed while the lamb walked: judged against 0.
L walking(int ticks, std::vector<QString> wrong = {}) { return L{0, 0, ticks, std::move(wrong), true}; }

QDateTime at(const char* iso, int offsetHours = 8)
{
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    return QDateTime(t.date(), t.time(), QTimeZone(offsetHours * 3600));
}

Game game(std::int64_t id, const QDateTime& started, int level, int score, std::vector<L> loads = {},
          std::int64_t ms = 60000)
{
    Game g;
    g.id = id;
    g.started = started;
    g.level = level;
    g.score = score;
    g.durationMs = ms;
    g.ending = Ending::Time;
    for (const L& l : loads) {
        Delivery d;
        d.amount = l.amount;
        d.priorTotal = l.prior;
        d.expectedTotal = l.walking ? 0 : l.prior + l.amount;
        d.whileWalking = l.walking;
        d.answerTicks = l.ticks;
        d.wrongEntries = l.wrong;
        g.deliveries.push_back(d);
    }
    return g;
}

std::vector<const Game*> all(const std::vector<Game>& games)
{
    std::vector<const Game*> out;
    for (const Game& g : games)
        out.push_back(&g);
    return out;
}

std::vector<std::int64_t> ids(const std::vector<const Game*>& games)
{
    std::vector<std::int64_t> out;
    for (const Game* g : games)
        out.push_back(g->id);
    return out;
}

const QDate kToday(2026, 12, 8);  // a Tuesday

// n loads of `amount` on `prior`, each answered in `ticks`; the first
// `wrongLoads` of them with one wrong entry each.
std::vector<L> same(int n, int amount, int prior, int ticks, int wrongLoads = 0)
{
    std::vector<L> out;
    for (int i = 0; i < n; ++i)
        out.push_back(L{amount, prior, ticks, i < wrongLoads ? std::vector<QString>{"6"} : std::vector<QString>{}});
    return out;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestHistoryFigures : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;

private slots:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_.path()));
    }

    void selectsByLevelAndLocalDay()
    {
        // In the store's order, oldest first. 00:00 on the seventh day back
        // is still 1 December in UTC: the recorded offset's date decides.
        const std::vector<Game> games = {
            game(8, QDateTime(), 0, 10),                // no start at all
            game(7, at("2026-11-08T23:59:59"), 0, 10),  // out of the month
            game(6, at("2026-11-09T00:00:00"), 0, 10),  // 30th day back: in the month
            game(5, at("2026-12-01T23:59:59"), 0, 10),  // 8th day back: out
            game(4, at("2026-12-02T00:00:00"), 0, 10),  // 7th day back: in the week
            game(2, at("2026-12-08T09:00:00"), 1, 10),  // other level
            game(1, at("2026-12-08T20:00:00"), 0, 10),
            game(3, at("2026-12-09T08:00:00"), 0, 10),  // after today: a clock set wrong
        };
        using V = std::vector<std::int64_t>;
        QCOMPARE(ids(selectGames(games, 0, Period::Week, kToday)), V({4, 1}));
        QCOMPARE(ids(selectGames(games, 0, Period::Month, kToday)), V({6, 5, 4, 1}));
        QCOMPARE(ids(selectGames(games, 0, Period::All, kToday)), V({8, 7, 6, 5, 4, 1, 3}));
        QCOMPARE(ids(selectGames(games, 1, Period::Week, kToday)), V({2}));
        QVERIFY(selectGames(games, 1, Period::Week, QDate(2026, 12, 1)).empty());
    }

    void mediansPerLocalDay()
    {
        // Two minutes before and five after midnight at +08:00: the same UTC
        // day, two local days.
        const std::vector<Game> games = {
            game(1, at("2026-12-05T23:58:00"), 0, 0, {{3, 0, 300}, {2, 3, 100}, {1, 5, 200}, walking(5)}),
            game(2, at("2026-12-06T00:05:00"), 0, 0, {{1, 0, 100}, {1, 1, 400}, {1, 2, -1, {"9"}}}),
            game(3, at("2026-12-06T18:00:00"), 0, 0, {{1, 0, 250}, {1, 1, 300}}),
        };
        const std::vector<DayValue> m = medianSecondsPerDay(all(games));
        QCOMPARE(m.size(), std::size_t(2));
        QVERIFY(m[0].day == QDate(2026, 12, 5) && m[0].count == 3);
        QCOMPARE(m[0].value, 2.0);  // 1, 2, 3 s; the walking 0 is no sum
        QVERIFY(m[1].day == QDate(2026, 12, 6) && m[1].count == 4);
        QCOMPARE(m[1].value, 2.75);  // 1, 2.5, 3, 4 s: mean of the middle two
    }

    void accuracyCountsWalkingDigits()
    {
        const std::vector<Game> games = {game(1, at("2026-12-07T10:00:00"), 1, 0,
                                              {{5, 0, 200, {"4", "6"}},
                                               {5, 5, 300},
                                               walking(10),          // a 0 while walking: right
                                               walking(-1, {"3"}),   // a 3 while walking: wrong
                                               {7, 10, -1, {"18"}},  // game ended on it
                                               {7, 17, -1}})};
        const std::vector<DayValue> a = accuracyPerDay(all(games));
        QCOMPARE(a.size(), std::size_t(1));
        QCOMPARE(a[0].count, 7);  // 3 right, 4 wrong
        QCOMPARE(a[0].value, 3.0 / 7.0);
        // By week: Monday 7 and Wednesday 9 December as one, under their
        // Monday; Monday 14 December on its own.
        const std::vector<Game> weeks = {game(2, at("2026-12-07T10:00:00"), 0, 0, {{5, 0, 200, {"4"}}}),
                                         game(3, at("2026-12-09T10:00:00"), 0, 0, {{5, 0, 200}}),
                                         game(4, at("2026-12-14T10:00:00"), 0, 0, {{5, 0, -1, {"1"}}})};
        const std::vector<DayValue> w = accuracyPerDay(all(weeks), true);
        QCOMPARE(w.size(), std::size_t(2));
        QVERIFY(w[0].day == QDate(2026, 12, 7) && w[0].count == 3 && w[0].value == 2.0 / 3.0);
        QVERIFY(w[1].day == QDate(2026, 12, 14) && w[1].count == 1 && w[1].value == 0);
    }

    void calendarSumsBothLevels()
    {
        const std::vector<Game> games = {
            game(1, at("2026-12-07T08:00:00"), 0, 300, {}, 90000),
            game(2, at("2026-12-07T21:00:00"), 1, 900, {}, 150000),
            game(3, at("2026-12-08T08:00:00"), 0, 100, {}, 30000),
            game(4, at("2026-12-09T08:00:00"), 0, 100, {}, 30000),  // after `to`
        };
        const std::vector<CalendarDay> c = calendarDays(games, QDate(2026, 12, 7), kToday);
        QCOMPARE(c.size(), std::size_t(2));
        QVERIFY(c[0].day == QDate(2026, 12, 7) && c[0].games == 2 && c[0].bestScore == 900);
        QCOMPARE(c[0].minutes, 4.0);
        QCOMPARE(c[1].minutes, 0.5);
        QCOMPARE(calendarDays(games, QDate(), QDate()).size(), std::size_t(3));
    }

    void sumsCrossingTen()
    {
        const std::vector<Game> games = {game(1, at("2026-12-07T08:00:00"), 1, 0,
                                              {{5, 7, 300},       // 7 + 5: crosses
                                               {5, 3, 100, {"7"}},  // 3 + 5: does not
                                               {5, 13, -1},       // 13 + 5: does not
                                               {15, 17, 500},     // 17 + 15: units 7 + 5
                                               {10, 29, 400},     // + 10 never by units
                                               {12, 8, 200},      // 8 + 12: units make 10
                                               {24, 25, 200},     // 25 + 24: units 9
                                               walking(5)})};
        struct K {
            int amount;
            bool crosses;
            int loads;
        };
        const std::vector<K> expected = {{5, false, 2}, {5, true, 1}, {10, false, 1},
                                         {12, true, 1}, {15, true, 1}, {24, false, 1}};
        const std::vector<SumKind> kinds = sumKinds(all(games));
        QCOMPARE(kinds.size(), expected.size());
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            QCOMPARE(kinds[i].amount, expected[i].amount);
            QCOMPARE(kinds[i].crossesTen, expected[i].crosses);
            QCOMPARE(kinds[i].loads, expected[i].loads);
        }
        QCOMPARE(kinds[0].answered, 1);
        QCOMPARE(kinds[0].wrong, 1);
        QCOMPARE(kinds[0].medianSeconds, 1.0);
    }

    void hardSumsAndSentences()
    {
        // 20 easy sums at 2.0 s, 10 carries with 8 at 6.2 s, 10 sums with 4
        // at 2.1 s of which 4 drew a wrong entry, 4 carries with 1 (too
        // few to be named).
        std::vector<L> loads;
        for (const std::vector<L>& part : {same(20, 2, 10, 200), same(10, 8, 5, 620), same(10, 4, 1, 210, 4),
                                           same(4, 1, 9, 900)})
            loads.insert(loads.end(), part.begin(), part.end());
        const std::vector<Game> games = {game(1, at("2026-12-07T08:00:00"), 0, 0, loads)};

        const std::vector<HardSum> h = hardSums(all(games));
        QCOMPARE(h.size(), std::size_t(3));
        QCOMPARE(h[0].name, QString::fromUtf8("进位加 8、9"));
        QCOMPARE(h[0].loads, 10);
        QCOMPARE(h[0].medianSeconds, 6.2);
        QCOMPARE(h[1].name, QString::fromUtf8("不进位加 4、5"));
        QCOMPARE(h[1].wrongShare, 0.4);
        QCOMPARE(h[2].name, QString::fromUtf8("不进位加 1、2、3"));
        QVERIFY(h[0].hardness > h[1].hardness && h[1].hardness > h[2].hardness);

        const std::vector<QString> s = hardSumSentences(all(games));
        QCOMPARE(s.size(), std::size_t(2));
        QCOMPARE(s[0], QString::fromUtf8("进位加 8、9 还比较慢：一般要 6.2 秒，其他题目 2.0 秒。"));
        QCOMPARE(s[1], QString::fromUtf8("不进位加 4、5 容易出错：每 10 题错 4.0 次，其他题目都没有错。"));

        // 19 right answers are too few to say anything.
        const std::vector<Game> few = {game(1, at("2026-12-07T08:00:00"), 0, 0, same(19, 8, 5, 620))};
        QVERIFY(hardSumSentences(all(few)).empty());
        QCOMPARE(hardSums(all(few)).size(), std::size_t(1));
    }

    // Each sum of the level in its place, its state from its own loads:
    // often wrong before too few answers, slow only over the mastery time.
    void sumCellsOfBothLevels()
    {
        std::vector<L> loads;
        for (const std::vector<L>& part : {same(3, 8, 7, 200),       // 7 + 8: fast, carries
                                           same(3, 5, 13, 251),      // 13 + 5, units 3: slow
                                           same(3, 1, 5, 250),       // 5 + 1: at the mastery time
                                           same(4, 6, 4, 100, 2),    // 4 + 6: 2 wrong in 4
                                           same(2, 2, 2, 100),       // 2 + 2: two answers only
                                           same(1, 1, 1, -1, 1)})    // 1 + 1: one slip, unanswered
            loads.insert(loads.end(), part.begin(), part.end());
        loads.push_back(walking(100, {"3"}));
        std::vector<Game> games = {game(1, at("2026-12-07T08:00:00"), 0, 0, loads),
                                   game(2, at("2026-12-07T09:00:00"), 1, 0, same(5, 8, 7, 900))};
        const std::vector<SumCell> cells = sumCells(all(games), 0, 250);
        QCOMPARE(cells.size(), std::size_t(90));
        const auto at0 = [&](int sign, int amount) { return cells[std::size_t(sign * 9 + amount - 1)]; };
        using S = SumCell::State;
        QCOMPARE(at0(7, 8).state, S::Fast);
        QCOMPARE(at0(7, 8).loads, 3);  // the level 1 game is not counted
        QVERIFY(at0(7, 8).crossesTen);
        QCOMPARE(at0(7, 8).signUnits, 7);
        QCOMPARE(at0(7, 8).amountUnits, 8);
        QCOMPARE(at0(3, 5).state, S::Slow);
        QVERIFY(!at0(3, 5).crossesTen);
        QCOMPARE(at0(5, 1).state, S::Fast);
        QCOMPARE(at0(4, 6).state, S::Wrong);
        QCOMPARE(at0(4, 6).wrong, 2);
        QVERIFY(at0(4, 6).crossesTen);
        QCOMPARE(at0(2, 2).state, S::Few);
        QCOMPARE(at0(1, 1).state, S::Few);
        QCOMPARE(at0(1, 1).answered, 0);
        int asked = 0;
        for (const SumCell& c : cells)
            asked += c.state != S::NotAsked;
        QCOMPARE(asked, 6);  // the digits typed while the lamb walked are no sum

        // Level 1 by the amount's units: 7 + 8, 17 + 18 and 27 + 28 are one
        // sum, + 10 and + 20 another; a load the game ended on counts
        // among the loads only.
        games = {game(3, at("2026-12-07T08:00:00"), 1, 0,
                      {{8, 7, 300}, {18, 17, 500}, {28, 27, 400, {"54"}}, {10, 3, 200}, {20, 13, -1}})};
        const std::vector<SumCell> wide = sumCells(all(games), 1, 250);
        QCOMPARE(wide.size(), std::size_t(100));
        const SumCell& c78 = wide[7 * 10 + 8];
        QCOMPARE(c78.loads, 3);
        QCOMPARE(c78.answered, 3);
        QCOMPARE(c78.medianSeconds, 4.0);
        QVERIFY(c78.crossesTen);
        QCOMPARE(c78.state, S::Slow);
        const SumCell& c30 = wide[3 * 10 + 0];
        QCOMPARE(c30.amountUnits, 0);
        QCOMPARE(c30.loads, 2);
        QCOMPARE(c30.answered, 1);
        QVERIFY(!c30.crossesTen);
    }

    // Games with practice on and off are not compared with each other: the
    // newest game's kind, or the other when it has too few answers.
    void hardSumsCompareLikeWithLike()
    {
        std::vector<L> plainLoads, practiceLoads;
        for (const std::vector<L>& part : {same(20, 2, 10, 200), same(10, 8, 5, 620)})
            plainLoads.insert(plainLoads.end(), part.begin(), part.end());
        for (const std::vector<L>& part : {same(20, 2, 10, 200), same(10, 4, 1, 600)})
            practiceLoads.insert(practiceLoads.end(), part.begin(), part.end());
        std::vector<Game> games = {game(1, at("2026-12-01T08:00:00"), 0, 0, plainLoads),
                                   game(2, at("2026-12-07T08:00:00"), 0, 0, practiceLoads)};
        games[1].practice = true;
        const std::vector<QString> plain = hardSumSentences({&games[0]});
        const std::vector<QString> practised = hardSumSentences({&games[1]});
        QCOMPARE(plain.size(), std::size_t(1));
        QVERIFY(plain[0].startsWith(QString::fromUtf8("进位加 8、9")));
        QCOMPARE(practised.size(), std::size_t(1));
        QVERIFY(practised[0].startsWith(QString::fromUtf8("不进位加 4、5")));

        HardSumGames chosen = hardSumGames(all(games));
        QCOMPARE(chosen.kind, HardSumGames::Kind::Practice);
        QCOMPARE(ids(chosen.games), std::vector<std::int64_t>{2});
        QCOMPARE(hardSumSentences(all(games)), practised);

        // Practice just turned on: too few answers of it yet.
        games.push_back(game(3, at("2026-12-08T08:00:00"), 0, 0, same(19, 8, 5, 620)));
        games[0].practice = games[1].practice = false;
        games[2].practice = true;
        chosen = hardSumGames(all(games));
        QCOMPARE(chosen.kind, HardSumGames::Kind::Plain);
        QCOMPARE(ids(chosen.games), (std::vector<std::int64_t>{1, 2}));

        // One kind only: all of them, as before practice was known.
        games.pop_back();
        chosen = hardSumGames(all(games));
        QCOMPARE(chosen.kind, HardSumGames::Kind::Both);
        QCOMPARE(chosen.games.size(), std::size_t(2));
    }

    void trend()
    {
        std::vector<Game> constant, rising, zigzag;
        for (int i = 0; i < 40; ++i) {
            const QDateTime t = at("2026-12-01T08:00:00").addSecs(600 * i);
            constant.push_back(game(i, t, 0, 500));
            rising.push_back(game(i, t, 0, 10 * i));
            zigzag.push_back(game(i, t, 0, i % 2 ? 300 : 100));
        }
        for (const ScorePoint& p : scorePoints(all(constant)))
            QCOMPARE(p.trend, 500.0);
        // A steady rise is followed to its newest game, not pulled back.
        const std::vector<ScorePoint> r = scorePoints(all(rising));
        QVERIFY(std::abs(r.back().trend - 390) < 1);
        // Ups and downs are smoothed away.
        const std::vector<ScorePoint> z = scorePoints(all(zigzag));
        for (const ScorePoint& p : z)
            QVERIFY2(std::abs(p.trend - 200) < 25, qPrintable(QString::number(p.trend)));

        const std::vector<Game> one = {game(1, at("2026-12-01T08:00:00"), 0, 4321)};
        const std::vector<ScorePoint> p1 = scorePoints(all(one));
        QCOMPARE(p1.size(), std::size_t(1));
        QCOMPARE(p1[0].trend, 4321.0);
        QCOMPARE(p1[0].started, one[0].started);
        const std::vector<Game> two = {game(1, at("2026-12-01T08:00:00"), 0, 100),
                                       game(2, at("2026-12-01T09:00:00"), 0, 300)};
        for (const ScorePoint& p : scorePoints(all(two)))
            QVERIFY(p.trend >= 100 && p.trend <= 300);
    }

    void summaryLine()
    {
        const std::vector<Game> games = {
            game(1, at("2026-12-06T08:00:00"), 0, 9000, {}, 600000),  // Sunday: last week
            game(2, at("2026-12-07T08:00:00"), 0, 8450, {}, 1200000),  // Monday
            game(3, at("2026-12-07T09:00:00"), 1, 100, {}, 60000),
            game(4, at("2026-12-08T09:00:00"), 0, 500, {}, 1080000),
        };
        // 48 minutes of level 0 this week, the best of them 9000; Monday
        // and Tuesday played this week, Sunday last week.
        QCOMPARE(summaryText(selectGames(games, 0, Period::Week, kToday), games, kToday),
                 QString::fromUtf8("共 3 局，48 分钟，最高 9000 分，本周玩了 2 天"));
        // Monday 30 Nov to Sunday 6 Dec.
        QCOMPARE(summaryText({}, games, QDate(2026, 12, 6)), QString::fromUtf8("这段时间没有玩过，本周玩了 1 天"));
        QCOMPARE(summaryText({}, games, QDate(2026, 12, 14)), QString::fromUtf8("这段时间没有玩过"));
        const std::vector<Game> short_ = {game(1, at("2026-12-08T08:00:00"), 0, 70, {}, 20000)};
        QCOMPARE(summaryText(all(short_), short_, kToday), QString::fromUtf8("共 1 局，不到 1 分钟，最高 70 分，本周玩了 1 天"));
    }

    void emptyHistory()
    {
        const std::vector<Game> none;
        const std::vector<const Game*> sel = selectGames(none, 0, Period::All, kToday);
        QVERIFY(sel.empty());
        QVERIFY(scorePoints(sel).empty());
        QVERIFY(medianSecondsPerDay(sel).empty());
        QVERIFY(accuracyPerDay(sel).empty());
        QVERIFY(calendarDays(none, QDate(), kToday).empty());
        QVERIFY(sumKinds(sel).empty());
        QVERIFY(hardSums(sel).empty());
        QVERIFY(hardSumSentences(sel).empty());
        QCOMPARE(summaryText(sel, none, kToday), QString::fromUtf8("这段时间没有玩过"));
        // A game without loads has no per-day values either.
        const std::vector<Game> bare = {game(1, at("2026-12-07T08:00:00"), 0, 0)};
        QVERIFY(accuracyPerDay(all(bare)).empty());
        QVERIFY(medianSecondsPerDay(all(bare)).empty());
        const CsvFiles csv = makeCsv(none);
        QCOMPARE(csv.games.count("\r\n"), 1);
        QCOMPARE(csv.answers.count("\r\n"), 1);
    }

    void csvFiles()
    {
        std::vector<Game> games = {
            game(7, at("2026-12-08T09:15:02"), 1, 8450,
                 {{5, 0, 237, {"4", "1,\"2"}},  // 3 rows
                  {7, 5, -1, {"11"}},           // 2 rows: wrong, unanswered
                  walking(12),                  // 1 row
                  walking(-1, {"3"}),           // 1 row
                  {3, 12, -1}},                 // 1 row
                 183260),
            game(8, at("2026-12-08T18:00:00", -3), 0, 10, {}, 1000),
        };
        games[1].ending = Ending::Closed;
        const CsvFiles csv = makeCsv(games);

        QVERIFY(csv.games.startsWith("\xEF\xBB\xBF"));
        QVERIFY(csv.answers.startsWith("\xEF\xBB\xBF"));
        for (const QByteArray* file : {&csv.games, &csv.answers}) {
            QVERIFY(file->endsWith("\r\n"));
            QCOMPARE(file->count('\n'), file->count("\r\n"));  // no bare line feeds
        }
        const QList<QByteArray> g = csv.games.mid(3).split('\n');
        QCOMPARE(g.size(), 4);  // header, two games, and after the last CR LF nothing
        QCOMPARE(QString::fromUtf8(g[0]),
                 QString::fromUtf8("编号,开始时间,难度,得分,结束方式,时长（秒）,送货次数,答对,答错,孩子,练习\r"));
        QCOMPARE(g[1], QByteArray("7,2026-12-08T09:15:02+08:00,2,8450,time,183.3,3,2,4,,否\r"));
        QCOMPARE(g[2], QByteArray("8,2026-12-08T18:00:00-03:00,1,10,closed,1.0,0,0,0,,否\r"));
        QCOMPARE(isoWithOffset(at("2026-12-08T18:00:00", 0), false), QStringLiteral("2026-12-08T18:00:00+00:00"));
        QVERIFY(isoWithOffset(QDateTime::currentDateTime(), true).contains(QRegularExpression("\\.\\d{3}[+-]\\d\\d:\\d\\d$")));

        const QList<QByteArray> a = csv.answers.mid(3).split('\n');
        QCOMPARE(a.size(), 1 + 8 + 1);
        QCOMPARE(QString::fromUtf8(a[0]),
                 QString::fromUtf8("局编号,开始时间,难度,序号,秤上数量,原来的总数,正确答案,结果,输入,用时（秒）,走路时输入,孩子\r"));
        const QByteArray head = "7,2026-12-08T09:15:02+08:00,2,";
        QCOMPARE(QString::fromUtf8(a[1]), QString::fromUtf8(head + "1,5,0,5,答错,4,,否,\r"));
        QCOMPARE(QString::fromUtf8(a[2]), QString::fromUtf8(head + "1,5,0,5,答错,\"1,\"\"2\",,否,\r"));
        QCOMPARE(QString::fromUtf8(a[3]), QString::fromUtf8(head + "1,5,0,5,答对,5,2.37,否,\r"));
        QCOMPARE(QString::fromUtf8(a[5]), QString::fromUtf8(head + "2,7,5,12,未答,,,否,\r"));
        QCOMPARE(QString::fromUtf8(a[6]), QString::fromUtf8(head + "3,,,0,答对,0,0.12,是,\r"));
        QCOMPARE(QString::fromUtf8(a[7]), QString::fromUtf8(head + "4,,,0,答错,3,,是,\r"));
        QCOMPARE(QString::fromUtf8(a[8]), QString::fromUtf8(head + "5,3,12,15,未答,,,否,\r"));
    }

    void exportWritesBothOrSaysWhat()
    {
        const std::vector<Game> games = {game(1, at("2026-12-08T09:15:02"), 0, 50, {{2, 0, 100}})};
        const CsvFiles csv = makeCsv(games);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString games_ = dir.filePath(QLatin1String(kGamesCsvName));
        const QString answers = dir.filePath(QLatin1String(kAnswersCsvName));

        // A child's learning record: readable by its owner only, whatever
        // the umask.
        QString error = QStringLiteral("stale");
        const mode_t mask = ::umask(0);
        QVERIFY(exportCsv(games, {}, dir.path(), &error));
        ::umask(mask);
        QVERIFY(error.isEmpty());
        QCOMPARE(readAll(games_), csv.games);
        QCOMPARE(readAll(answers), csv.answers);
        for (const QString& path : {games_, answers}) {
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
            QCOMPARE(st.st_mode & 0777, mode_t(0600));
        }

        // A "folder" under a regular file: fails for root too, makes nothing.
        const QString plain = dir.filePath(QStringLiteral("file.txt"));
        {
            QFile f(plain);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        QVERIFY(!exportCsv(games, {}, plain + QStringLiteral("/sub"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(plain), QByteArray("x"));

        // The games file's name taken by a folder: the old answers file
        // stays as it was and nothing is left half written.
        QTemporaryDir second;
        QVERIFY(QDir(second.path()).mkdir(QLatin1String(kGamesCsvName)));
        {
            QFile f(second.filePath(QLatin1String(kAnswersCsvName)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        error.clear();
        QVERIFY(!exportCsv(games, {}, second.path(), &error));
        QVERIFY(error.contains(QLatin1String(kGamesCsvName)));
        QCOMPARE(readAll(second.filePath(QLatin1String(kAnswersCsvName))), QByteArray("old"));
        QCOMPARE(QDir(second.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).size(), 2);

        // The answers file's name taken by a folder: found before anything
        // is written, so the games file is not written either.
        QTemporaryDir third;
        QVERIFY(QDir(third.path()).mkdir(QLatin1String(kAnswersCsvName)));
        error.clear();
        QVERIFY(!exportCsv(games, {}, third.path(), &error));
        QVERIFY2(error.contains(QLatin1String(kAnswersCsvName)) && error.contains(QString::fromUtf8("同名的文件夹")),
                 qPrintable(error));
        QCOMPARE(QDir(third.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList({QLatin1String(kAnswersCsvName)}));
    }
};

QTEST_GUILESS_MAIN(TestHistoryFigures)
#include "test_history_figures.moc"
