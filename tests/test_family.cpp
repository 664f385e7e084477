// Children of their own in the history file: the changes, games kept under
// their child whatever another copy of the game does meanwhile, and the
// spreadsheet files per child.
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include "history/csvexport.h"
#include "history/family.h"
#include "history/store.h"

using history::Change;
using history::FamilyWriter;
using history::Store;

namespace {

history::Game gameOn(const QDate& day, std::int64_t child, int score)
{
    history::Game g;
    g.started = QDateTime(day, QTime(0, 30), Qt::OffsetFromUTC, 2 * 3600);
    g.childId = child;
    g.score = score;
    g.ending = history::Ending::Time;
    history::Delivery d;
    d.amount = 3;
    d.expectedTotal = 3;
    d.answerTicks = 150;
    g.deliveries = {d};
    return g;
}

}  // namespace

class TestFamily : public QObject {
    Q_OBJECT
private slots:
    void namesAndChanges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QVERIFY(history::readFamily(path).children.empty());
        FamilyWriter family(path);
        std::int64_t ming = 0, lily = 0;
        QCOMPARE(family.add(QStringLiteral(" 小明\t"), QStringLiteral("panda"), &ming), Change::Done);
        QCOMPARE(family.add(QStringLiteral("Lily"), QStringLiteral("lamb"), &lily), Change::Done);
        QCOMPARE(family.add(QStringLiteral("LILY"), QStringLiteral("cat")), Change::NameTaken);
        QCOMPARE(family.add(QStringLiteral(" "), QStringLiteral("cat")), Change::NameEmpty);
        QCOMPARE(family.add(QString(16, QChar(0x732b)) + QStringLiteral("!"), QStringLiteral("cat")), Change::NameTooLong);
        QCOMPARE(family.add(QStringLiteral("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"), QStringLiteral("cat")), Change::Done);
        QCOMPARE(family.add(QStringLiteral("Bo"), QString()), Change::NoSuchAnimal);
        QCOMPARE(family.rename(lily, QStringLiteral("小明")), Change::NameTaken);
        QCOMPARE(family.rename(lily, QStringLiteral("lily")), Change::Done);  // its own name, in another case
        QCOMPARE(family.rename(999, QStringLiteral("Ann")), Change::NoSuchChild);
        QCOMPARE(family.setPractice(ming, true), Change::Done);
        QCOMPARE(family.setKeypadAlways(true), Change::Done);
        const history::Family now = history::readFamily(path);
        QCOMPARE(now.children.size(), std::size_t(3));
        QCOMPARE(now.children[0].name, QStringLiteral("小明"));
        QCOMPARE(now.children[0].animal, QStringLiteral("panda"));
        QCOMPARE(now.children[1].animal, QStringLiteral("lamb"));
        QCOMPARE(now.children[1].name, QStringLiteral("lily"));
        QVERIFY(now.children[0].practice && !now.children[1].practice && now.keypadAlways);
        QCOMPARE(now.find(QStringLiteral("LILY"))->id, lily);
        for (int i = 3; i < history::kMaxChildren; ++i)
            QCOMPARE(family.add(QStringLiteral("孩子%1").arg(i), QStringLiteral("pig")), Change::Done);
        QCOMPARE(family.add(QStringLiteral("one too many"), QStringLiteral("pig")), Change::TooMany);
    }

    // Two copies adding children at once both keep theirs; a game of a child
    // another copy removed meanwhile is kept, under no child; removing never
    // loses games, and the games without a child can be given to one.
    void gamesStayWhateverTheFamilyDoes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        std::int64_t ming = 0, lily = 0;
        std::thread other([&] { FamilyWriter(path).add(QStringLiteral("Lily"), QStringLiteral("duck"), &lily); });
        FamilyWriter family(path);
        QCOMPARE(family.add(QStringLiteral("小明"), QStringLiteral("bear"), &ming), Change::Done);
        other.join();
        QVERIFY(lily > 0 && ming > 0 && lily != ming);

        Store store(path);
        QVERIFY(store.open());
        history::Game practised = gameOn(QDate(2026, 3, 1), ming, 100);
        practised.practice = true;
        QVERIFY(store.addGame(practised));
        QVERIFY(store.addGame(gameOn(QDate(2026, 3, 2), 0, 200)));
        QVERIFY(store.addGame(gameOn(QDate(2026, 3, 9), 0, 300)));
        QCOMPARE(family.remove(lily), Change::Done);
        QVERIFY(store.addGame(gameOn(QDate(2026, 3, 10), lily, 400)));  // played while Lily was removed
        int moved = -1;
        // From 9 March on by the family's clock: 00:30 at +02:00 on the 9th
        // is still the 8th in UTC.
        QCOMPARE(family.give(ming, QDate(2026, 3, 9), &moved), Change::Done);
        QCOMPARE(moved, 2);
        const std::vector<history::Game> games = store.loadAll();
        QCOMPARE(games.size(), std::size_t(4));
        const std::int64_t owners[] = {ming, 0, ming, ming};
        for (std::size_t i = 0; i < games.size(); ++i)
            QCOMPARE(games[i].childId, owners[i]);

        // The spreadsheets name the child in a last column, empty for none;
        // the columns before it are as they were.
        const history::CsvFiles csv = history::makeCsv(games, history::readFamily(path));
        const QList<QByteArray> rows = csv.games.split('\n');
        QVERIFY(rows[0].endsWith(QByteArray("答错,孩子,练习\r")));
        QVERIFY(rows[1].endsWith(QByteArray(",1,1,0,小明,是\r")));
        QVERIFY(rows[2].endsWith(QByteArray(",1,1,0,,否\r")));
        QVERIFY(csv.answers.split('\n')[1].endsWith(QByteArray(",否,小明\r")));
    }
};

QTEST_GUILESS_MAIN(TestFamily)
#include "test_family.moc"
