// The history file: games kept whole and read back as they were, by the
// moment they started, readable by their owner only; and the faults a
// family's computer brings: a game killed while writing, copies writing and
// setting up a new file at once, a file another program holds, a damaged
// file, a read-only file and one made by a newer version.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "history/family.h"
#include "history/layout.h"
#include "history/store.h"
#include "platform/folderlock.h"

using history::Store;

namespace {

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

history::Game sampleGame()
{
    history::Game game;
    game.started = QDateTime(QDate(2026, 3, 5), QTime(8, 30, 15, 250), Qt::OffsetFromUTC, 8 * 3600);
    game.level = 1;
    game.score = 1730;
    game.ending = history::Ending::Help;
    game.durationMs = 45210;
    history::Delivery walking;
    walking.whileWalking = true;
    walking.wrongEntries = {QStringLiteral("4")};
    history::Delivery first;
    first.amount = 17;
    first.expectedTotal = 17;
    first.answerTicks = 230;
    first.wrongEntries = {QStringLiteral("18"), QStringLiteral("2")};
    history::Delivery unanswered;
    unanswered.amount = 9;
    unanswered.priorTotal = 17;
    unanswered.expectedTotal = 26;
    game.deliveries = {walking, first, unanswered};
    return game;
}

int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Runs the history generator on `file` with `args`.
QProcess* generator(const QString& file, const QStringList& args, QObject* parent)
{
    auto* process = new QProcess(parent);
    process->start(QStringLiteral(MAKE_HISTORY), QStringList{file} + args);
    return process;
}

}  // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void aGameComesBackAsItWasKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("deep/er/history.sqlite"));
        {
            Store store(path);
            QVERIFY(store.open());
            QVERIFY(store.state() == Store::State::Ready);
            QVERIFY(store.problemText().isEmpty());
            QVERIFY(store.addGame(sampleGame()));
            // Kept after it, but started earlier: 08:00 at +09:00 is 23:00
            // UTC the day before, though its text sorts after 08:30 at +08:00.
            history::Game earlier;
            earlier.started = QDateTime(QDate(2026, 3, 5), QTime(8, 0), Qt::OffsetFromUTC, 9 * 3600);
            QVERIFY(store.addGame(earlier));
        }
        Store store(path);
        QVERIFY(store.open());
        const std::vector<history::Game> games = store.loadAll();
        QCOMPARE(games.size(), std::size_t(2));
        QCOMPARE(games[0].started.offsetFromUtc(), 9 * 3600);
        const history::Game& game = games[1];
        const history::Game want = sampleGame();
        QCOMPARE(game.started, want.started);
        QCOMPARE(game.started.offsetFromUtc(), 8 * 3600);
        QCOMPARE(game.level, 1);
        QCOMPARE(game.score, 1730);
        QVERIFY(game.ending == history::Ending::Help);
        QCOMPARE(game.durationMs, std::int64_t(45210));
        QCOMPARE(game.deliveries.size(), std::size_t(3));
        QVERIFY(game.deliveries[0].whileWalking);
        QCOMPARE(game.deliveries[0].wrongEntries, want.deliveries[0].wrongEntries);
        QCOMPARE(game.deliveries[1].amount, 17);
        QCOMPARE(game.deliveries[1].answerTicks, 230);
        QCOMPARE(game.deliveries[1].wrongEntries, want.deliveries[1].wrongEntries);
        QCOMPARE(game.deliveries[2].priorTotal, 17);
        QVERIFY(!game.deliveries[2].answered());
    }

    // A game killed at any moment of its writes loses at most the game under
    // way: every game it said was committed is there, whole.
    void aKilledWriterLosesNothingCommitted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QProcess* writer = generator(path, {QStringLiteral("--games"), QStringLiteral("100000"),
                                            QStringLiteral("--print-ids")},
                                     this);
        QVERIFY(writer->waitForStarted());
        QByteArray printed;
        while (printed.count('\n') < 200 && writer->state() == QProcess::Running) {
            writer->waitForReadyRead(1000);
            printed += writer->readAllStandardOutput();
        }
        QVERIFY2(printed.count('\n') >= 200, "the generator stopped before 200 games");
        writer->kill();  // SIGKILL, in the middle of its writing
        writer->waitForFinished();
        printed += writer->readAllStandardOutput();

        Store store(path);
        QVERIFY(store.open());
        QVERIFY(store.state() == Store::State::Ready);
        const std::vector<history::Game> games = store.loadAll();
        std::map<std::int64_t, std::size_t> loads;
        for (const history::Game& game : games)
            loads[game.id] = game.deliveries.size();
        for (const QByteArray& line : printed.split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 2)
                continue;
            const std::int64_t id = fields[0].toLongLong();
            QVERIFY2(loads.count(id) == 1, line.constData());
            QCOMPARE(loads[id], std::size_t(fields[1].toULongLong()));
        }
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(path);
        QVERIFY(check.open());
        {
            QSqlQuery quick(QStringLiteral("PRAGMA quick_check"), check);
            QVERIFY(quick.next());
            QCOMPARE(quick.value(0).toString(), QStringLiteral("ok"));
        }
        check.close();
        check = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    void twoWritersBothKeepTheirGames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        const QStringList args{QStringLiteral("--games"), QStringLiteral("300")};
        QProcess* a = generator(path, args, this);
        QProcess* b = generator(path, args + QStringList{QStringLiteral("--seed"), QStringLiteral("7")}, this);
        QVERIFY(a->waitForFinished(120000) && b->waitForFinished(120000));
        QCOMPARE(a->exitCode(), 0);
        QCOMPARE(b->exitCode(), 0);
        Store store(path);
        QVERIFY(store.open());
        QCOMPARE(store.loadAll().size(), std::size_t(600));
    }

    // Copies of the game setting up a new history at the same moment: none
    // takes a file another is still setting up for a damaged one, and every
    // game of every copy is kept.
    void copiesSettingUpANewFileAtOnce()
    {
        for (int round = 0; round < 60; ++round) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("history.sqlite"));
            std::vector<std::unique_ptr<QProcess>> writers;
            for (int i = 0; i < 4; ++i) {
                writers.emplace_back(generator(
                    path, {QStringLiteral("--games"), QStringLiteral("3"), QStringLiteral("--seed"), QString::number(i)},
                    nullptr));
            }
            for (const auto& writer : writers) {
                QVERIFY(writer->waitForFinished(60000));
                QCOMPARE(writer->exitCode(), 0);
            }
            QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")}), QStringList());
            Store store(path);
            QVERIFY(store.open());
            QCOMPARE(store.loadAll().size(), std::size_t(12));
        }
    }

    // A file another program holds is told apart, keeps nothing, and is
    // opened again at the next game, which is kept once it is free.
    void aLockedFileIsOpenedAgainAtTheNextGame()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QVERIFY(Store(path).open());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery hold(db);
            QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
            Store store(path);
            store.setBusyTimeout(100);
            QVERIFY(!store.open());
            QVERIFY(store.state() == Store::State::Locked);
            QVERIFY(!store.problemText().isEmpty());
            QVERIFY(!store.addGame(sampleGame()));
            QVERIFY(store.state() == Store::State::Locked);
            QVERIFY(!store.lastError().isEmpty());
            QVERIFY(hold.exec(QStringLiteral("ROLLBACK")));
            QVERIFY(store.addGame(sampleGame()));
            QVERIFY(store.state() == Store::State::Ready);
            QCOMPARE(store.loadAll().size(), std::size_t(1));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));

        // Another copy holding the folder while it looks at the file or sets
        // it up: waited for as long as the busy timeout, then Locked too.
        const platform::FolderLock other(dir.path(), 0);
        QVERIFY(other.held());
        Store store(path);
        store.setBusyTimeout(100);
        QVERIFY(!store.open());
        QVERIFY(store.state() == Store::State::Locked);
    }

    // The history is a child's learning record: its owner alone may read
    // it, whatever the umask, and an older file others could read is
    // narrowed when it is next written.
    void onlyItsOwnerReadsIt()
    {
        for (const mode_t mask : {mode_t(022), mode_t(0)}) {
            const mode_t before = ::umask(mask);
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("history.sqlite"));
            {
                Store store(path);
                QVERIFY(store.open());
                QVERIFY(store.addGame(sampleGame()));
                for (const char* suffix : {"", "-wal", "-shm"})
                    QCOMPARE(modeOf(path + QLatin1String(suffix)), 0600);
            }
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
            QVERIFY(Store(path).open());
            QCOMPARE(modeOf(path), 0600);
            ::umask(before);
        }
    }

    // A file that is not a history is set aside untouched, under a name
    // that says so, and a fresh history keeps the next games.
    void aDamagedFileIsSetAside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("SQLite format 3") + QByteArray(4000, '\x5a'));
        file.close();
        const QByteArray before = digestOf(path);

        Store store(path);
        QVERIFY(store.open());
        QVERIFY(store.state() == Store::State::SetAside);
        QVERIFY(store.setAsidePath().contains(QStringLiteral("history.sqlite.damaged-")));
        QCOMPARE(digestOf(store.setAsidePath()), before);
        QCOMPARE(modeOf(store.setAsidePath()), 0600);
        QCOMPARE(modeOf(path), 0600);
        QVERIFY(store.problemText().contains(QFileInfo(store.setAsidePath()).fileName()));
        QVERIFY(store.addGame(sampleGame()));
        QCOMPARE(store.loadAll().size(), std::size_t(1));
    }

    // A file of the first layout is brought up to today's in one step:
    // every game, load and wrong entry is still there, under no child.
    void aFileOfTheFirstLayoutKeepsEveryGame()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("first"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const QString& sql : QString::fromLatin1(history::kUpgrades[0]).split(QLatin1Char(';')))
                QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
            for (const char* sql :
                 {"INSERT INTO games VALUES(1, '2026-03-05T08:30:15.250+08:00', 1, 1730, 'help', 45210)",
                  "INSERT INTO games VALUES(2, '2026-03-06T19:00:00.000+08:00', 0, 990, 'wrong', 30000)",
                  "INSERT INTO deliveries VALUES(1, 0, 0, 0, 0, 1, -1, -1, '4')",
                  "INSERT INTO deliveries VALUES(1, 1, 17, 0, 17, 0, 230, 2301, '18 2')",
                  "INSERT INTO deliveries VALUES(2, 0, 5, 0, 5, 0, 99, 990, '')",
                  "PRAGMA user_version = 1"})
                QVERIFY2(q.exec(QLatin1String(sql)), sql);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("first"));

        Store store(path);
        QVERIFY(store.open());
        QVERIFY(store.state() == Store::State::Ready);
        const std::vector<history::Game> games = store.loadAll();
        QCOMPARE(games.size(), std::size_t(2));
        QCOMPARE(games[0].score, 1730);
        QCOMPARE(games[0].deliveries.size(), std::size_t(2));
        QCOMPARE(games[0].deliveries[0].wrongEntries, std::vector<QString>{QStringLiteral("4")});
        QCOMPARE(games[0].deliveries[1].answerTicks, 230);
        QCOMPARE(games[0].deliveries[1].wrongEntries, (std::vector<QString>{QStringLiteral("18"), QStringLiteral("2")}));
        QCOMPARE(games[1].deliveries.at(0).amount, 5);
        for (const history::Game& g : games)
            QVERIFY(g.childId == 0 && !g.practice);
        QVERIFY(store.addGame(sampleGame()));
        QCOMPARE(store.loadAll().size(), std::size_t(3));
    }

    // One child's games, and all but theirs, with their loads, as the
    // parents' window reads them: a game of a child removed meanwhile is
    // of no child.
    void gamesReadByChild()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        history::FamilyWriter family(path);
        std::int64_t ann = 0, bo = 0;
        QVERIFY(family.add(QStringLiteral("Ann"), QStringLiteral("cat"), &ann) == history::Change::Done);
        QVERIFY(family.add(QStringLiteral("Bo"), QStringLiteral("dog"), &bo) == history::Change::Done);
        Store store(path);
        QVERIFY(store.open());
        for (std::int64_t child : {ann, std::int64_t(0), bo, ann, bo}) {
            history::Game g = sampleGame();
            g.childId = child;
            g.started = g.started.addDays(store.loadAll().size());
            QVERIFY(store.addGame(g));
        }
        QVERIFY(family.remove(bo) == history::Change::Done);
        QCOMPARE(store.latestChild(), std::int64_t(0));
        const std::vector<history::Game> anns = store.loadAll(ann);
        QCOMPARE(anns.size(), std::size_t(2));
        QVERIFY(anns[0].childId == ann && anns[0].deliveries.size() == 3 && anns[1].deliveries.size() == 3);
        QCOMPARE(store.loadAll(ann, true).size(), std::size_t(3));
        const std::vector<history::Game> none = store.loadAll(0);
        QCOMPARE(none.size(), std::size_t(3));
        QCOMPARE(none.back().deliveries[1].wrongEntries.size(), std::size_t(2));
        QCOMPARE(store.loadAll(0, true).size(), std::size_t(2));
    }

    // A file made by a newer version is never changed, even by a game.
    void aFileFromANewerVersionIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        {
            Store store(path);
            QVERIFY(store.open());
            QVERIFY(store.addGame(sampleGame()));
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(QStringLiteral("PRAGMA journal_mode=DELETE"), db);
            QSqlQuery(QStringLiteral("PRAGMA user_version = 99"), db);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        const QByteArray before = digestOf(path);

        Store store(path);
        store.open();
        QVERIFY(store.state() == Store::State::TooNew);
        QVERIFY(!store.problemText().isEmpty());
        QVERIFY(!store.addGame(sampleGame()));
        QCOMPARE(digestOf(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral(".damaged")));
    }

    // A read-only file is read, not written, and says why.
    void aReadOnlyFileIsReadNotWritten()
    {
        if (geteuid() == 0)
            QSKIP("root writes any file whatever its mode");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        {
            Store store(path);
            QVERIFY(store.open());
            QVERIFY(store.addGame(sampleGame()));
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = digestOf(path);
        Store store(path);
        QVERIFY(store.open());
        QVERIFY(store.state() == Store::State::ReadOnly);
        QVERIFY(!store.problemText().isEmpty());
        QCOMPARE(store.loadAll().size(), std::size_t(1));
        QVERIFY(!store.addGame(sampleGame()));
        QCOMPARE(digestOf(path), before);
    }

    // No folder can be made where a file stands: nothing opens, nothing is
    // made, and the parents are told.
    void aFolderThatCannotBeMade()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Store store(dir.filePath(QStringLiteral("file/history.sqlite")));
        QVERIFY(!store.open());
        QVERIFY(store.state() == Store::State::Failed);
        QVERIFY(!store.problemText().isEmpty());
        QVERIFY(!store.addGame(sampleGame()));
    }
};

QTEST_MAIN(TestHistoryStore)
#include "test_history_store.moc"
