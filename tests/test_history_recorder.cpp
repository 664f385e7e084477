// The play history as the game window keeps it: what is recorded of a game
// of right and wrong answers, and how each way of ending a game is named.
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>

#include "gametest.h"
#include "history/store.h"

using namespace gametest;

namespace {

// A game window whose history goes into a fresh file of its own.
struct RecordedGame : Game {
    RecordedGame() { form->recorder.setPath(path()); }
    QString path() const { return data.filePath(QStringLiteral("history.sqlite")); }
    std::vector<history::Game> stored()
    {
        form->recorder.flush();
        history::Store store(path());
        if (!store.open())
            return {};
        return store.loadAll();
    }
    QTemporaryDir data;
};

}  // namespace

class TestHistoryRecorder : public QObject {
    Q_OBJECT
private slots:
    void aGameOfRightAndWrongAnswers()
    {
        RecordedGame g;
        Form1& f = *g.form;
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        g.startStill();
        g.key('5');  // while the lamb walks: judged against 0, wrong
        g.arrive(0, Game::unitsDraw(7));
        f.answerTicks = 30;
        g.type(QStringLiteral("7"));
        f.Timer1->setEnabled(false);
        g.arrive(7, Game::unitsDraw(5));
        g.type(QStringLiteral("13"));  // "13" is not 12: one wrong entry
        f.answerTicks = 120;           // slow: scores 10 * 2
        g.type(QStringLiteral("12"));
        f.Timer1->setEnabled(false);
        g.arrive(12, Game::unitsDraw(9));
        g.type(QStringLiteral("3"));  // the third wrong entry ends the game
        QVERIFY(!f.playing);
        const int score = f.fcount;
        f.form2()->Close();

        const std::vector<history::Game> games = g.stored();
        QCOMPARE(games.size(), std::size_t(1));
        const history::Game& game = games[0];
        QVERIFY(game.started >= before && game.started <= QDateTime::currentDateTime());
        QCOMPARE(game.started.offsetFromUtc(), QDateTime::currentDateTime().offsetFromUtc());
        QCOMPARE(game.level, 0);
        QCOMPARE(game.score, score);
        QCOMPARE(score, 700 + 20);
        QVERIFY(game.ending == history::Ending::Wrong);
        QVERIFY(game.durationMs >= 0);
        QCOMPARE(game.deliveries.size(), std::size_t(4));

        const history::Delivery& walking = game.deliveries[0];
        QVERIFY(walking.whileWalking);
        QCOMPARE(walking.wrongEntries, std::vector<QString>{QStringLiteral("5")});
        QVERIFY(!walking.answered());

        const history::Delivery& first = game.deliveries[1];
        QVERIFY(!first.whileWalking);
        QCOMPARE(first.amount, 7);
        QCOMPARE(first.priorTotal, 0);
        QCOMPARE(first.expectedTotal, 7);
        QCOMPARE(first.answerTicks, 30);
        QVERIFY(first.wrongEntries.empty());

        const history::Delivery& second = game.deliveries[2];
        QCOMPARE(second.priorTotal, 7);
        QCOMPARE(second.expectedTotal, 12);
        QCOMPARE(second.answerTicks, 120);
        QCOMPARE(second.wrongEntries, std::vector<QString>{QStringLiteral("13")});

        const history::Delivery& last = game.deliveries[3];
        QCOMPARE(last.expectedTotal, 21);
        QVERIFY(!last.answered());
        QCOMPARE(last.wrongEntries, std::vector<QString>{QStringLiteral("3")});
    }

    // Whatever ends a game, it is kept once, under the name of what ended it,
    // with the score it had then.
    void everyEnding()
    {
        struct Case {
            history::Ending ending;
            std::function<void(Form1&)> end;
        };
        const std::vector<Case> cases = {
            {history::Ending::Time,
             [](Form1& f) {
                 f.timeUsed = 448;
                 f.Timer2_Timer();
                 f.form2()->Close();
             }},
            {history::Ending::Help,
             [](Form1& f) {
                 f.Picth_Click();
                 f.form3()->Close();
             }},
            {history::Ending::Level, [](Form1& f) { f.Pictl_Click(); }},
            {history::Ending::Restart, [](Form1& f) { f.Pictb_Click(); }},
            {history::Ending::Closed, [](Form1& f) { f.close(); }},
            {history::Ending::Stopped, [](Form1& f) { f.closeAllWindows(); }},
        };
        for (const Case& c : cases) {
            RecordedGame g;
            Form1& f = *g.form;
            g.startStill();
            f.fcount = 450;
            c.end(f);
            f.Timer1->setEnabled(false);
            f.Timer2->setEnabled(false);
            const std::vector<history::Game> games = g.stored();
            const QString name = history::endingName(c.ending);
            QVERIFY2(games.size() == 1, qPrintable(name));
            QVERIFY2(games[0].ending == c.ending, qPrintable(name));
            QCOMPARE(games[0].score, 450);
            // The game that replaced it is under way, not yet stored.
            const bool replaced = c.ending == history::Ending::Level || c.ending == history::Ending::Restart;
            QCOMPARE(f.recorder.underWay(), replaced);
            if (c.ending == history::Ending::Level)
                QCOMPARE(games[0].level, 0);
        }
    }

    // A game the open file cannot take is logged with the file's own words
    // for why.
    void aGameNotKeptIsLoggedWithWhy()
    {
        RecordedGame g;
        Form1& f = *g.form;
        for (int round = 0; round < 2; ++round) {
            if (round == 1) {
                // Another program takes the loads' table away.
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("breaker"));
                db.setDatabaseName(g.path());
                QVERIFY(db.open() && QSqlQuery(db).exec(QStringLiteral("DROP TABLE deliveries")));
                db.close();
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                                       "could not be kept in the play history \\(.*no such table")));
            }
            g.startStill();
            g.type(QStringLiteral("333"));
            f.form2()->Close();
            f.recorder.flush();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("breaker"));
    }

    // A history that cannot be written costs the game nothing: it plays on,
    // and the leaderboard still takes its score.
    void anUnwritableHistoryCostsTheGameNothing()
    {
        Game g;
        Form1& f = *g.form;
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.recorder.setPath(dir.filePath(QStringLiteral("file/history.sqlite")));
        for (int round = 0; round < 2; ++round) {
            g.startStill();
            g.type(QStringLiteral("333"));
            QVERIFY(!f.playing);
            QVERIFY(f.form2()->isOpen());
            f.form2()->Close();
        }
        f.recorder.flush();
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("file/history.sqlite"))));
        g.startStill();
        QVERIFY(f.playing);
    }
};

QTEST_MAIN(TestHistoryRecorder)
#include "test_history_recorder.moc"
