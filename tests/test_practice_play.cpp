// Practice through the game window's own calls: for a child with practice
// on, the amounts at arrival are the chooser's, from that child's games.
#include <QTemporaryDir>

#include "gametest.h"
#include "history/family.h"
#include "history/store.h"

using gametest::Game;

class TestPracticePlay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(data_.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(data_.path()));
    }

    void amountsFollowTheChooser()
    {
        const QString path = history::Store::defaultPath();
        history::FamilyWriter family(path);
        std::int64_t ming = 0, lily = 0;
        QCOMPARE(family.add(QStringLiteral("小明"), QStringLiteral("cat"), &ming), history::Change::Done);
        QCOMPARE(family.add(QStringLiteral("Lily"), QStringLiteral("duck"), &lily), history::Change::Done);
        QCOMPARE(family.setPractice(ming, true), history::Change::Done);
        // 小明 gets 0 + 8 wrong and everything else fast; Lily the other way round.
        history::Store store(path);
        QVERIFY(store.open());
        for (int i = 0; i < 12; ++i) {
            history::Game g;
            g.started = QDateTime::currentDateTime().addDays(i - 12);
            g.childId = i % 2 ? ming : lily;
            for (int amount = 1; amount <= 9; ++amount) {
                history::Delivery d;
                d.amount = amount;
                d.expectedTotal = amount;
                const bool hard = (amount == 8) == (g.childId == ming);
                d.answerTicks = hard ? 900 : 120;
                if (hard)
                    d.wrongEntries = {QStringLiteral("9")};
                g.deliveries.push_back(d);
            }
            QVERIFY(store.addGame(g));
        }

        Game g;
        Form1& f = *g.form;
        f.setChild(history::readFamily(path).children.front());
        QVERIFY(f.practiceOn);
        g.startStill();
        QTRY_VERIFY_WITH_TIMEOUT(!f.practicePriorities().bySum.empty(), 30000);
        const practice::Priorities& p = f.practicePriorities();
        QVERIFY(p.bySum[practice::sumOf(0, 0, 8)] > 3 * p.bySum[practice::sumOf(0, 0, 3)]);

        std::vector<practice::Asked> soFar;
        const double draws[] = {0.12, 0.5, 0.93, 0.31, 0.77, 0.64};
        int total = 0;
        for (double r : draws) {
            const int expected = practice::chooseAmount(p, total % 10, soFar, [r] { return r; });
            soFar.push_back({expected, practice::sumOf(0, total % 10, expected)});
            g.arrive(total, {r});
            QCOMPARE(int(f.amount), expected);
            QVERIFY(gametest::showsPicture(f.Pic2, 300 + expected));
            total += expected;
        }
    }

private:
    QTemporaryDir data_;
};

QTEST_MAIN(TestPracticePlay)
#include "test_practice_play.moc"
