#include "history/store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <unordered_map>

#include "history/layout.h"
#include "platform/folderlock.h"

namespace history {

namespace {

const QString kDriver = QStringLiteral("QSQLITE");
// The history is a child's learning record: its owner alone may read it.
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
// The file, and the two companions SQLite keeps beside it in WAL mode.
const QString kCompanions[] = {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")};

// SQLite's primary result code: the low byte of the code the driver gives.
int sqliteCode(const QSqlError& error) { return error.nativeErrorCode().toInt() & 0xff; }
bool isDamage(const QSqlError& error) { return sqliteCode(error) == 11 || sqliteCode(error) == 26; }  // CORRUPT, NOTADB
bool isBusy(const QSqlError& error) { return sqliteCode(error) == 5 || sqliteCode(error) == 6; }     // BUSY, LOCKED

// The games' query for the file's layout: a file that could not be brought
// up to date is read as it is.
QLatin1String selectGames(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    const bool first = q.exec(QStringLiteral("PRAGMA user_version")) && q.next() && q.value(0).toInt() == 1;
    return QLatin1String(first ? kSelectGamesVersion1 : kSelectGames);
}

bool knownTablesReadable(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    return q.prepare(selectGames(db)) && q.prepare(QLatin1String(kSelectDeliveries));
}

// The first value `sql` gives; invalid when it gives none.
QVariant valueOf(QSqlQuery& q, const QString& sql)
{
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

// Binds `values` to the prepared query's places in order and runs it.
bool execWith(QSqlQuery& q, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    return q.exec();
}

// A missing file is made empty and its owner's alone before SQLite makes
// it, since SQLite gives its companion files the main file's mode; an
// existing file and its companions are narrowed to the same.
void keepPrivate(const QString& path)
{
    if (QFile file(path); file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly))
        return;
    for (const QString& suffix : kCompanions) {
        if (QFileInfo::exists(path + suffix))
            QFile::setPermissions(path + suffix, kOwnerOnly);
    }
}

// The wrong entries as stored: separated by single spaces. The game only
// ever types digits; anything else would break the separation and is left
// out.
QString joinEntries(const std::vector<QString>& entries)
{
    static const QRegularExpression notADigit(QStringLiteral("[^0-9 ]"));
    return QStringList(entries.begin(), entries.end()).join(QLatin1Char(' ')).remove(notADigit).simplified();
}

}  // namespace

struct Store::Statements {
    QSqlQuery insertGame;
    QSqlQuery insertDelivery;
};

QString Store::defaultPath()
{
    // A relative $XDG_DATA_HOME is to be ignored, but Qt takes it as it is.
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/pellaro/history.sqlite");
}

Store::Store(QString path) : path_(std::move(path))
{
    static std::atomic<unsigned> stores{0};
    connection_ = QStringLiteral("pellaro-history-%1").arg(++stores);
}

Store::~Store() { closeConnection(); }

void Store::closeConnection()
{
    statements_.reset();
    readable_ = writable_ = false;
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool Store::fail(const QString& why, State state)
{
    closeConnection();
    detail_ = why;
    state_ = state;
    return false;
}

QSqlDatabase Store::connect(bool readOnly)
{
    closeConnection();
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, connection_);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("%1QSQLITE_BUSY_TIMEOUT=%2")
                             .arg(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;") : QString())
                             .arg(busyTimeoutMs_));
    db.open();
    return db;
}

bool Store::open()
{
    closeConnection();
    state_ = State::Closed;
    setAsidePath_.clear();
    detail_.clear();
    if (!QSqlDatabase::isDriverAvailable(kDriver))
        return fail(QStringLiteral("缺少 SQLite 数据库组件"));
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("文件夹 %1 无法建立").arg(QDir::toNativeSeparators(folder)));

    // Every copy of the game looks at the file, sets it up, upgrades it and
    // sets it aside only while it holds the folder's lock, so none meets a
    // file another is still setting up. (An unreadable folder cannot be
    // locked; the file is opened unlocked there.)
    const platform::FolderLock lock(folder, busyTimeoutMs_);
    if (!lock.mayWrite() && QFileInfo(folder).isReadable())
        return fail(QString(), State::Locked);
    const QString file = QDir::toNativeSeparators(path_);
    const QFileInfo info(path_);
    bool exists = info.exists();
    if (exists && !info.isFile())
        return fail(QStringLiteral("%1 不是一个普通文件").arg(file));
    if (exists && !info.isReadable())
        return fail(QStringLiteral("没有读取 %1 的权限").arg(file));
    // WAL keeps two companion files next to the history, so writing needs
    // the folder as well as the file.
    const bool folderWritable = QFileInfo(folder).isWritable() && QFileInfo(folder).isExecutable();
    if (!exists && !folderWritable)
        return fail(QStringLiteral("文件夹 %1 不能写入").arg(QDir::toNativeSeparators(folder)));

    const State look = exists && info.size() > 0 ? probe() : State::Ready;
    if (look == State::TooNew)
        return readOnly(State::TooNew);
    if (look == State::Locked)
        return fail(QString(), State::Locked);
    // A read-only look can fail where a writing connection does not (a WAL
    // file whose companions cannot be made read-only): tried again below.
    if (look == State::Failed && (!folderWritable || !info.isWritable()))
        return fail(QStringLiteral("%1 无法打开").arg(file));
    if (look == State::SetAside && !setAside())
        return fail(QStringLiteral("原来的文件 %1 无法读取，也无法改名保存").arg(file));
    exists = exists && look != State::SetAside;
    if (!folderWritable || (exists && !info.isWritable()))
        return readOnly(State::ReadOnly);
    keepPrivate(path_);
    if (!openWritable())
        return false;
    state_ = look == State::SetAside ? State::SetAside : State::Ready;
    return true;
}

// Reading only, through a connection that cannot write.
bool Store::readOnly(State state)
{
    const QSqlDatabase db =
        QSqlDatabase::contains(connection_) ? QSqlDatabase::database(connection_, false) : connect(true);
    state_ = state;
    readable_ = db.isOpen() && knownTablesReadable(db);
    return readable_;
}

// A first look through a read-only connection, which never changes the
// file and stays open for reading: Ready for a history of this version or
// an older one (or nothing yet), TooNew, SetAside for a file that is not a
// readable history (not a database, failing its check, another program's
// tables), Locked, or Failed when it could not be read for another reason.
Store::State Store::probe()
{
    const QSqlDatabase db = connect(true);
    QSqlQuery q(db);
    const auto trouble = [](const QSqlError& e) {
        return isDamage(e) ? State::SetAside : isBusy(e) ? State::Locked : State::Failed;
    };
    if (!db.isOpen())
        return trouble(db.lastError());
    const QVariant version = valueOf(q, QStringLiteral("PRAGMA user_version"));
    if (!version.isValid())
        return trouble(q.lastError());
    if (version.toInt() > kLayoutVersion || version.toInt() < 0)
        return State::TooNew;
    const QVariant check = valueOf(q, QStringLiteral("PRAGMA quick_check(1)"));
    if (!check.isValid())
        return trouble(q.lastError());
    if (check.toString() != QLatin1String("ok"))
        return State::SetAside;
    if (version.toInt() > 0)  // ours, or an older layout that is upgraded when written
        return version.toInt() < kLayoutVersion || knownTablesReadable(db) ? State::Ready : State::SetAside;
    // Nothing of ours: fresh when it holds nothing at all, another
    // program's database otherwise.
    const QVariant tables =
        valueOf(q, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'"));
    if (!tables.isValid())
        return trouble(q.lastError());
    return tables.toInt() == 0 ? State::Ready : State::SetAside;
}

bool Store::openWritable()
{
    QSqlDatabase db = connect(false);
    QSqlQuery q(db);
    auto statements = std::make_unique<Statements>(Statements{QSqlQuery(db), QSqlQuery(db)});
    QSqlError error = db.isOpen() ? QSqlError() : db.lastError();
    // Runs (or prepares) `sql` unless something failed before.
    const auto run = [&error](QSqlQuery& query, const QString& sql, bool prepare = false) {
        if (!error.isValid() && !(prepare ? query.prepare(sql) : query.exec(sql)))
            error = query.lastError();
    };
    // WAL: a commit is one append to the log, readers never wait for the
    // writer, and with synchronous=NORMAL a committed game survives the
    // program being killed (only a power cut can lose the last few). The
    // version is read again under the write lock: a copy of the game that
    // takes no folder lock (an older one) may have set the file up.
    for (const char* sql : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON",
                            "BEGIN IMMEDIATE", "PRAGMA user_version"})
        run(q, QLatin1String(sql));
    const int version = !error.isValid() && q.next() ? q.value(0).toInt() : 0;
    // A newer copy of the game may have taken the file over since the look.
    if (!error.isValid() && (version > kLayoutVersion || version < 0))
        error = QSqlError(QString(), QStringLiteral("made by a newer version"));
    for (int from = std::max(version, 0); from < kLayoutVersion; ++from) {
        for (const QString& sql : QString::fromLatin1(kUpgrades[from]).split(QLatin1Char(';')))
            run(q, sql);
    }
    if (version != kLayoutVersion)
        run(q, QStringLiteral("PRAGMA user_version=%1").arg(kLayoutVersion));
    run(q, QStringLiteral("COMMIT"));
    run(statements->insertGame, QLatin1String(kInsertGame), true);
    run(statements->insertDelivery, QLatin1String(kInsertDelivery), true);
    if (!error.isValid()) {
        statements_ = std::move(statements);
        readable_ = writable_ = true;
        return true;
    }
    q.exec(QStringLiteral("ROLLBACK"));  // when the set-up's transaction is still open
    const QString why = QString::fromUtf8(db.isOpen() ? "%1 无法写入（%2）" : "%1 无法打开（%2）")
                            .arg(QDir::toNativeSeparators(path_), error.databaseText());
    statements.reset();
    q = QSqlQuery();
    db = QSqlDatabase();
    return fail(why, isBusy(error) ? State::Locked : State::Failed);
}

// Moves a file that is not a readable history out of the way, with its WAL
// companions, under a name of its own next to it; nothing is deleted or
// replaced (QFile::rename never replaces). When any of them cannot be
// moved, those already moved go back.
bool Store::setAside()
{
    closeConnection();
    const QString base = path_ + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    const auto taken = [&target](const QString& suffix) { return QFileInfo::exists(target + suffix); };
    for (int n = 2; std::any_of(std::begin(kCompanions), std::end(kCompanions), taken); ++n)
        target = base + QStringLiteral("-%1").arg(n);
    std::vector<QString> moved;
    for (const QString& suffix : kCompanions) {
        if (!suffix.isEmpty() && !QFileInfo::exists(path_ + suffix))
            continue;
        if (!QFile::rename(path_ + suffix, target + suffix)) {
            for (const QString& done : moved)
                QFile::rename(target + done, path_ + done);
            return false;
        }
        moved.push_back(suffix);
    }
    for (const QString& suffix : moved)
        QFile::setPermissions(target + suffix, kOwnerOnly);
    setAsidePath_ = target;
    return true;
}

bool Store::addGame(const Game& game)
{
    if (state_ == State::Locked)
        open();
    if (!writable_) {
        lastError_ = state_ == State::Closed ? QStringLiteral("the history was not opened") : problemText();
        return false;
    }
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QSqlQuery& g = statements_->insertGame;
    QSqlQuery& d = statements_->insertDelivery;
    const auto failed = [&](const QSqlError& error) {
        lastError_ = error.databaseText();
        g.finish();
        d.finish();
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(q.lastError());
    if (!execWith(g, {isoWithOffset(game.started, true), game.level, game.score, endingName(game.ending),
                      static_cast<qlonglong>(game.durationMs),
                      game.childId > 0 ? QVariant(qlonglong(game.childId)) : QVariant(), game.practice ? 1 : 0}))
        return failed(g.lastError());
    const qlonglong id = g.lastInsertId().toLongLong();
    g.finish();
    int seq = 0;
    for (const Delivery& load : game.deliveries) {
        if (!execWith(d, {id, seq++, load.amount, load.priorTotal, load.expectedTotal, load.whileWalking ? 1 : 0,
                          load.answerTicks, joinEntries(load.wrongEntries)}))
            return failed(d.lastError());
    }
    d.finish();
    if (!q.exec(QStringLiteral("COMMIT")))
        return failed(q.lastError());
    lastId_ = id;
    lastError_.clear();
    return true;
}

std::int64_t Store::latestChild()
{
    if (!readable_)
        return 0;
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    if (selectGames(db) == QLatin1String(kSelectGamesVersion1))
        return 0;
    return valueOf(q, QStringLiteral("SELECT %1 FROM games ORDER BY julianday(started) DESC, id DESC LIMIT 1")
                          .arg(QLatin1String(kShownUnder)))
        .toLongLong();
}

std::vector<Game> Store::loadAll(std::int64_t child, bool except)
{
    std::vector<Game> games;
    if (!readable_)
        return games;
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QString gamesSql = selectGames(db);
    QString deliveriesSql = QLatin1String(kSelectDeliveries);
    const bool versionOne = gamesSql == QLatin1String(kSelectGamesVersion1);
    if (child >= 0 && versionOne && (child == 0) == except)
        return games;  // every game of such a file is of no child
    if (child >= 0 && !versionOne) {
        const QString where = QStringLiteral(" WHERE %1 %2 %3 ")
                                  .arg(QLatin1String(kShownUnder), except ? QStringLiteral("<>") : QStringLiteral("="))
                                  .arg(child);
        gamesSql.insert(gamesSql.indexOf(QLatin1String(" ORDER BY")), where);
        deliveriesSql.insert(deliveriesSql.indexOf(QLatin1String(" ORDER BY")),
                             QStringLiteral(" WHERE game_id IN (SELECT id FROM games%1)").arg(where));
    }
    // SQLite's integers come as 64-bit values, read without a conversion.
    const auto integer = [&q](int column) { return static_cast<std::int32_t>(q.value(column).toLongLong()); };
    // Both queries read one snapshot, so a game another copy is writing
    // meanwhile comes whole or not at all.
    const bool inTransaction = q.exec(QStringLiteral("BEGIN"));
    std::unordered_map<qlonglong, std::size_t> byId;
    for (bool ok = q.exec(gamesSql); ok && q.next();) {
        Game& game = games.emplace_back();
        game.id = q.value(0).toLongLong();
        game.started = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
        game.level = integer(2);
        game.score = integer(3);
        game.ending = endingFromName(q.value(4).toString());
        game.durationMs = q.value(5).toLongLong();
        game.childId = q.value(6).toLongLong();
        game.practice = q.value(7).toLongLong() != 0;
        byId.emplace(game.id, games.size() - 1);
    }
    for (bool ok = !games.empty() && q.exec(deliveriesSql); ok && q.next();) {
        const auto owner = byId.find(q.value(0).toLongLong());
        if (owner == byId.end())
            continue;  // a load whose game is gone
        Delivery& load = games[owner->second].deliveries.emplace_back();
        load.amount = integer(1);
        load.priorTotal = integer(2);
        load.expectedTotal = integer(3);
        load.whileWalking = integer(4) != 0;
        load.answerTicks = integer(5);
        const QString entries = q.value(6).toString();
        if (!entries.isEmpty()) {
            for (const QStringView entry : QStringView(entries).split(u' ', Qt::SkipEmptyParts))
                load.wrongEntries.push_back(entry.toString());
        }
    }
    q.finish();
    if (inTransaction)
        q.exec(QStringLiteral("COMMIT"));
    return games;
}

QString Store::problemText() const
{
    // By state; %1 is the file, where it was put, or what went wrong.
    static const char* const kTexts[] = {
        "", "", "原来的记录文件无法读取，已改名保存为 %1；新的记录从现在开始。",
        "记录文件只能读取，不能写入（%1），新玩的游戏不会被记下。",
        "记录文件正被另一个程序占用（%1），现在打不开；请稍后再打开这个窗口。",
        "记录文件是更新版本的游戏建立的，这个版本不会改动它%1；新玩的游戏不会被记下。",
        "记录文件无法使用（%1），新玩的游戏不会被记下。"};
    if (state_ == State::Closed || state_ == State::Ready)
        return QString();
    const QString detail = state_ == State::SetAside ? QDir::toNativeSeparators(setAsidePath_)
                           : state_ == State::Failed ? detail_
                           : state_ == State::TooNew ? QString::fromUtf8(readable_ ? "" : "，也看不了里面的记录")
                                                     : QDir::toNativeSeparators(path_);
    return QString::fromUtf8(kTexts[static_cast<int>(state_)]).arg(detail);
}

}  // namespace history
