// The parents' window: what it shows for an empty history and an empty
// choice, that the charts follow the chosen period, the calendar's
// tooltip, and the chart's axis ticks.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include <set>

#include "parents/chart.h"
#include "history/csvexport.h"
#include "parents/progresswindow.h"
#include "parents/sumgrid.h"
#include "platform/songfont.h"

using namespace history;

namespace {

const QDate kToday(2026, 12, 8);  // a Tuesday

// A game of `level` started `daysAgo` days before today at 17:00, with a
// few loads answered in `ticks` each and one wrong entry.
Game game(int daysAgo, int level, int score, qint64 durationMs = 180000, int ticks = 250)
{
    Game g;
    g.started = QDateTime(kToday.addDays(-daysAgo), QTime(17, 0));
    g.level = level;
    g.score = score;
    g.durationMs = durationMs;
    g.ending = Ending::Time;
    int total = 0;
    for (int amount : {3, 8, 5, 9}) {
        Delivery d;
        d.amount = amount;
        d.priorTotal = total;
        d.expectedTotal = total + amount;
        d.answerTicks = ticks;
        if (amount == 8)
            d.wrongEntries.push_back(QString::number(total + amount + 1));
        total += amount;
        g.deliveries.push_back(d);
    }
    return g;
}

// Level 0: three games this week, two 20 days ago, one 100 days ago.
std::vector<Game> sampleGames()
{
    return {game(100, 0, 900), game(20, 0, 1500), game(20, 0, 1700),
            game(2, 0, 2600),  game(1, 0, 3100),  game(1, 0, 2900)};
}

// The window's cards by their titles, and what its labels say while shown.
const Chart* chart(const ProgressWindow& w, const char* title)
{
    return w.findChild<Chart*>(QString::fromUtf8(title));
}
const Chart* scoreChart(const ProgressWindow& w) { return chart(w, "每局得分"); }
CalendarView* calendarOf(const ProgressWindow& w) { return w.findChild<CalendarView*>(); }
QString shownText(const ProgressWindow& w, const char* label)
{
    const auto* l = w.findChild<QLabel*>(QLatin1String(label));
    return l->isHidden() ? QString() : l->text();
}

// What the hard sums' card says.
QString hardSumsText(const ProgressWindow& w)
{
    const auto* card = w.findChild<Card*>(QStringLiteral("难一点的题"));
    return card ? card->findChild<QLabel*>()->text() : QString();
}

// The calendar's tooltip over `day`'s square, as hovering shows it.
QString tipOver(CalendarView* calendar, const QDate& day)
{
    const QPoint at = calendar->cellRect(day).center().toPoint();
    QHelpEvent help(QEvent::ToolTip, at, calendar->mapToGlobal(at));
    QApplication::sendEvent(calendar, &help);
    const QString text = QTest::qWaitFor([] { return QToolTip::isVisible(); }, 10000) ? QToolTip::text() : QString();
    QToolTip::hideText();
    return text;
}

bool singleColour(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

}  // namespace

class TestProgressWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(dataHome_.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome_.path()));
    }

    void emptyHistorySaysHowItFills()
    {
        const QString path = dataHome_.filePath(QStringLiteral("pellaro/history.sqlite"));
        ProgressWindow w({}, QString(), kToday, path);
        w.show();
        auto* empty = w.findChild<QLabel*>(QStringLiteral("empty"));
        QVERIFY(empty);
        QVERIFY(empty->isVisible());
        QVERIFY(shownText(w, "empty").contains(QStringLiteral("还没有记录。")));
        // No empty axes, no calendar of nothing, nothing to export.
        QVERIFY(!scoreChart(w)->isVisible());
        QVERIFY(!chart(w, "每种题的用时")->isVisible());
        QVERIFY(!calendarOf(w)->isVisible());
        QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("export"))->isVisible());
        // Where the history is kept is still said.
        auto* storage = w.findChild<QLabel*>(QStringLiteral("storage"));
        QVERIFY(storage && storage->isVisible());
        QVERIFY(storage->text().contains(QDir::toNativeSeparators(path)));
    }

    void problemIsShownAboveEverything()
    {
        const QString problem = QStringLiteral("记录文件打不开，这次玩的不会记下来。");
        ProgressWindow w(sampleGames(), problem, kToday);
        w.show();
        auto* banner = w.findChild<QLabel*>(QStringLiteral("problem"));
        QVERIFY(banner && banner->isVisible());
        QCOMPARE(banner->text(), problem);
        ProgressWindow quiet(sampleGames(), QString(), kToday);
        QVERIFY(!quiet.findChild<QLabel*>(QStringLiteral("problem")));
    }

    void choiceWithoutGamesNamesTheLevel()
    {
        std::vector<Game> games = sampleGames();
        games.push_back(game(0, 1, 4000));  // the latest game is of level 1
        ProgressWindow w(games, QString(), kToday);
        w.show();
        QCOMPARE(w.level(), 1);
        QCOMPARE(w.period(), Period::Month);
        QVERIFY(shownText(w, "empty").isEmpty());
        QVERIFY(scoreChart(w)->isVisible());
        QCOMPARE(scoreChart(w)->series().at(0).points.size(), std::size_t(1));

        w.choose(0, w.period());
        QVERIFY(shownText(w, "empty").isEmpty());
        QCOMPARE(scoreChart(w)->series().at(0).points.size(), std::size_t(5));

        // A level played only long ago: an empty week names it...
        std::vector<Game> old = sampleGames();
        old.push_back(game(40, 1, 4000));
        ProgressWindow o(old, QString(), kToday);
        o.show();
        o.choose(1, Period::Week);
        QVERIFY(shownText(o, "empty").contains(QStringLiteral("这段时间没有玩第二关")));
        QVERIFY(!scoreChart(o)->isVisible());
        // ...while the calendar of every game stays.
        QVERIFY(calendarOf(o)->isVisible());
        o.choose(1, Period::All);
        QVERIFY(shownText(o, "empty").isEmpty());
        QVERIFY(scoreChart(o)->isVisible());
    }

    void latestGameLongAgoShowsAllOfIt()
    {
        ProgressWindow w({game(100, 0, 900), game(60, 0, 1200)}, QString(), kToday);
        QCOMPARE(w.period(), Period::All);
        QCOMPARE(scoreChart(w)->series().at(0).points.size(), std::size_t(2));
    }

    void periodDecidesWhatTheChartsHold()
    {
        ProgressWindow w(sampleGames(), QString(), kToday);
        w.show();
        QCOMPARE(w.level(), 0);
        QCOMPARE(w.period(), Period::Month);
        const Chart* score = scoreChart(w);
        QCOMPARE(score->series().size(), std::size_t(2));  // the games and their trend
        QCOMPARE(score->series().at(0).points.size(), std::size_t(5));
        QCOMPARE(score->series().at(1).points.size(), std::size_t(5));
        QCOMPARE(chart(w, "正确率")->series().at(0).points.size(), std::size_t(3));  // three days played
        const QString monthSummary = shownText(w, "summary");
        QVERIFY(monthSummary.contains(QStringLiteral("5 局")));

        w.choose(0, Period::Week);
        QCOMPARE(score->series().at(0).points.size(), std::size_t(3));
        QCOMPARE(chart(w, "正确率")->series().at(0).points.size(), std::size_t(2));
        QCOMPARE(chart(w, "答题速度")->series().at(0).points.size(), std::size_t(2));
        QVERIFY(shownText(w, "summary").contains(QStringLiteral("3 局")));
        // The games of the week, oldest first, at their own time.
        QCOMPARE(score->series().at(0).points.front().y(), 2600.0);
        QCOMPARE(score->series().at(0).points.front().x(),
                 Chart::xOf(QDateTime(kToday.addDays(-2), QTime(17, 0))));

        w.choose(w.level(), Period::All);
        QCOMPARE(score->series().at(0).points.size(), std::size_t(6));
        // Choosing by code marks the button as a click would.
        QAbstractButton* all = nullptr;
        for (auto* b : w.findChildren<QPushButton*>(QStringLiteral("choice"))) {
            if (b->text() == QStringLiteral("全部"))
                all = b;
        }
        QVERIFY(all && all->isChecked());
    }

    // A game's day is the one its recorded offset shows, in every view:
    // played at 00:30 at +02:00, it stays on that day where the clock is an
    // hour behind (Berlin in winter).
    void aGameStaysOnItsRecordedDay()
    {
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        const QDate day = kToday.addDays(-1);
        Game g = game(1, 0, 500);
        g.started = QDateTime(day, QTime(0, 30), Qt::OffsetFromUTC, 2 * 3600);
        ProgressWindow w({g}, QString(), kToday);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.choose(w.level(), Period::All);
        const double x = scoreChart(w)->series().at(0).points.at(0).x();
        QVERIFY(x >= Chart::xOf(day) && x < Chart::xOf(kToday));
        QCOMPARE(scoreChart(w)->firstDay(), day);
        QVERIFY(tipOver(calendarOf(w), day).contains(QStringLiteral("1 局")));
        if (zone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", zone);
    }

    void calendarTellsTheDay()
    {
        std::vector<Game> games = sampleGames();
        games.push_back(game(3, 1, 1200, 4 * 60000));
        games.push_back(game(3, 0, 3400, 3 * 60000 + 30000));
        ProgressWindow w(games, QString(), kToday);
        w.resize(960, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        CalendarView* calendar = calendarOf(w);
        const QDate day = kToday.addDays(-3);  // Saturday 5 December
        QCOMPARE(calendar->firstDay().dayOfWeek(), 1);
        QVERIFY(calendar->firstDay() <= kToday.addDays(-7 * 25));
        QVERIFY(!calendar->cellRect(day).isEmpty());
        // Days after today are not drawn.
        QVERIFY(calendar->cellRect(kToday.addDays(1)).isEmpty());

        // Hovering a square names its day and tells its games.
        const QString tip = tipOver(calendar, day);
        QVERIFY2(tip.startsWith(QStringLiteral("2026年12月5日 星期六")), qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral("2 局")), qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral("8 分钟")), qPrintable(tip));  // 7.5 minutes in all
        QVERIFY2(tip.contains(QStringLiteral("最高 3400 分")), qPrintable(tip));
        QVERIFY(tipOver(calendar, kToday.addDays(-4)).contains(QStringLiteral("没有玩")));

        QCOMPARE(CalendarView::shadeOf(0), 0);
        QVERIFY(CalendarView::shadeOf(2) < CalendarView::shadeOf(12));
        QCOMPARE(CalendarView::shadeOf(500), 5);
    }

    void windowIsDrawn()
    {
        ProgressWindow w(sampleGames(), QString(), kToday);
        w.resize(960, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!singleColour(w.grab().toImage()));
        QVERIFY(!singleColour(const_cast<Chart*>(scoreChart(w))->grab().toImage()));
    }

    // The grid of sums tells a square's figures; practice games are rings
    // of their own on the score plot, and the hard sums say which kind
    // they compare, only when the period holds them.
    void sumGridAndPracticeMarks()
    {
        std::vector<Game> games = sampleGames();
        ProgressWindow plain(games, QString(), kToday);
        const auto* grid = plain.findChild<SumGrid*>(QStringLiteral("每道题"));
        QVERIFY(grid);
        QCOMPARE(grid->practiceText(), QStringLiteral("这段时间没有开练习"));
        for (const Chart::Series& s : scoreChart(plain)->series())
            QVERIFY(s.style != Chart::Style::Rings);
        QVERIFY(!hardSumsText(plain).contains(QStringLiteral("只比较")));

        games[3].practice = games[4].practice = true;  // two of the month's five
        ProgressWindow w(games, QString(), kToday);
        w.resize(960, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* shown = w.findChild<SumGrid*>(QStringLiteral("每道题"));
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->practiceText(), QStringLiteral("这段时间有 2 局开着练习（共 5 局）"));
        // 3 + 8 in each of the five games, each with a wrong entry.
        const QPoint at = shown->cellRect(3, 8).center().toPoint();
        QHelpEvent help(QEvent::ToolTip, at, shown->mapToGlobal(at));
        QApplication::sendEvent(shown, &help);
        QVERIFY(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 10000));
        const QString tip = QToolTip::text();
        QToolTip::hideText();
        QCOMPARE(tip, QStringLiteral("3 + 8（个位）：做了 5 次，答对 5 次，错 5 次，一般 2.5 秒\n要进位；容易出错"));

        const std::vector<Chart::Series>& series = scoreChart(w)->series();
        QCOMPARE(series.size(), std::size_t(3));
        QCOMPARE(series.at(0).points.size(), std::size_t(3));
        QCOMPARE(series.at(1).name, QStringLiteral("开着练习"));
        QCOMPARE(series.at(1).style, Chart::Style::Rings);
        QCOMPARE(series.at(1).points.size(), std::size_t(2));
        QCOMPARE(series.at(2).points.size(), std::size_t(5));  // one trend through all
        // Neither kind has enough answers: the newest game's, without practice.
        QVERIFY(hardSumsText(w).contains(QStringLiteral("只比较没开练习的局")));
    }

    void exportSaysWhereOrWhy()
    {
        ProgressWindow w(sampleGames(), QString(), kToday);
        QTemporaryDir folder;
        QString message;
        QVERIFY(w.exportTo(folder.path(), &message));
        QVERIFY(QFile::exists(QDir(folder.path()).filePath(QString::fromLatin1(kGamesCsvName))));
        QVERIFY(message.contains(QDir::toNativeSeparators(QDir(folder.path()).filePath(QString::fromLatin1(kAnswersCsvName)))));
        QVERIFY(!w.exportTo(folder.filePath(QStringLiteral("missing")), &message));
        QVERIFY(message.startsWith(QStringLiteral("没能导出")));
    }

    // With children, one child's games at a time, the latest game's child
    // first; "其他孩子" holds the games of no child or of a child gone; the
    // export still writes everyone's, each under their name.
    void childrenAreShownApart()
    {
        Family family;
        family.children = {{7, QStringLiteral("小明"), QStringLiteral("cat"), true},
                           {9, QStringLiteral("小红"), QStringLiteral("duck"), false}};
        std::vector<Game> games = sampleGames();  // six games, the newest last but one
        games[0].childId = 9;
        games[1].childId = 3;  // a child no longer in the family
        for (std::size_t i = 3; i < games.size(); ++i)
            games[i].childId = 7;
        for (std::size_t i = 0; i < games.size(); ++i)
            games[i].id = static_cast<std::int64_t>(i + 1);
        ProgressWindow w(games, QString(), kToday, QString(), family);
        w.show();
        QCOMPARE(w.child(), std::int64_t(7));
        QVERIFY(shownText(w, "summary").startsWith(QStringLiteral("共 3 局")));
        QCOMPARE(shownText(w, "practiceState"), QStringLiteral("多练难题：开着"));
        QStringList names;
        for (auto* b : w.findChildren<QPushButton*>(QStringLiteral("childChoice")))
            names << b->accessibleName();
        QCOMPARE(names, (QStringList{QStringLiteral("小明"), QStringLiteral("小红"), QStringLiteral("其他孩子")}));

        w.chooseChild(0);
        w.choose(0, Period::All);
        QVERIFY(shownText(w, "summary").startsWith(QStringLiteral("共 2 局")));
        QCOMPARE(shownText(w, "practiceState"), QStringLiteral("多练难题：没开"));
        w.chooseChild(9);
        QVERIFY(shownText(w, "summary").startsWith(QStringLiteral("共 1 局")));

        QTemporaryDir folder;
        QString message;
        QVERIFY(w.exportTo(folder.path(), &message));
        QFile csv(QDir(folder.path()).filePath(QString::fromLatin1(kGamesCsvName)));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows.filter(QStringLiteral(",小明,")).size(), 3);
        QVERIFY(rows[1].startsWith(QStringLiteral("1,")) && rows[1].contains(QStringLiteral(",小红,")));

        // The family changed elsewhere: the shown child gone, the first one shows.
        family.children.erase(family.children.begin() + 1);
        w.setHistory(games, family);
        QCOMPARE(w.child(), std::int64_t(7));
    }

    void yTicksAreRound_data()
    {
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<double>>("ticks");
        QTest::newRow("scores") << 8450.0 << 5 << QList<double>{0, 2000, 4000, 6000, 8000, 10000};
        QTest::newRow("seconds") << 1.3 << 4 << QList<double>{0, 0.5, 1, 1.5};
        QTest::newRow("percent") << 100.0 << 5 << QList<double>{0, 20, 40, 60, 80, 100};
        QTest::newRow("nothing") << 0.0 << 4 << QList<double>{0, 0.5, 1};
    }
    void yTicksAreRound()
    {
        QFETCH(double, max);
        QFETCH(int, count);
        QFETCH(QList<double>, ticks);
        const std::vector<double> got = Chart::niceTicks(0, max, count);
        QCOMPARE(QList<double>(got.begin(), got.end()), ticks);
    }

    void dateTicksFollowTheSpan()
    {
        const QFontMetricsF metrics(vb::songFont(12));
        // A week, wide: every day, today named.
        auto week = Chart::dateTicks(kToday.addDays(-6), kToday, 600, metrics);
        QCOMPARE(week.size(), std::size_t(7));
        QCOMPARE(week.back().label, QStringLiteral("12月8日"));
        QCOMPARE(week.back().x, Chart::xOf(kToday) + 0.5);
        // A month, narrow: Mondays.
        auto month = Chart::dateTicks(kToday.addDays(-29), kToday, 280, metrics);
        QVERIFY(month.size() >= 2 && month.size() <= 5);
        for (const Chart::Tick& t : month)
            QCOMPARE(QDate::fromJulianDay(static_cast<qint64>(t.x)).dayOfWeek(), 1);
        // Two years: months or years, the year written.
        auto years = Chart::dateTicks(QDate(2024, 11, 20), kToday, 280, metrics);
        QVERIFY(!years.empty());
        QVERIFY(years.front().label.contains(QStringLiteral("年")));
        for (std::size_t i = 1; i < years.size(); ++i)
            QVERIFY(years[i].x > years[i - 1].x);
        QCOMPARE(QDate::fromJulianDay(static_cast<qint64>(years.front().x)).day(), 1);
    }

private:
    QTemporaryDir dataHome_;
};

QTEST_MAIN(TestProgressWindow)
#include "test_progress_window.moc"
