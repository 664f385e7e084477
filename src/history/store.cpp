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

#include "platform/folderlock.h"

namespace history {

namespace {

const QString kDriver = QStringLiteral("QSQLITE");
// The history is a child's learning record: its owner alone may read it.
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
// The file, and the two companions SQLite keeps beside it in WAL mode.
const QString kCompanions[] = {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")};

// SQLite's primary result code of `error` (the driver may report an
// extended code, whose low byte is the primary one).
int sqliteCode(const QSqlError& error) { return error.nativeErrorCode().toInt() & 0xff; }
bool isDamage(const QSqlError& error) { return sqliteCode(error) == 11 || sqliteCode(error) == 26; }  // CORRUPT, NOTADB
bool isBusy(const QSqlError& error) { return sqliteCode(error) == 5 || sqliteCode(error) == 6; }     // BUSY, LOCKED

// How each older layout is brought up: kUpgrades[v] takes a file from
// version v to v + 1 (version 0 is a new, empty file), its statements
// separated by semicolons. All the steps a file needs run in one
// transaction, so a file is upgraded wholly or not at all.
const char* const kUpgrades[] = {
    // Version 1: one row per game, one per load. The loads live in their
    // game's key order (WITHOUT ROWID), so reading them back is one pass
    // over one b-tree. Nothing reads answer_ms (an answer's time is its
    // answer_ticks, which the score goes by) nor the games_started index:
    // the next layout drops both, and until then answer_ms is written as -1.
    "CREATE TABLE games(id INTEGER PRIMARY KEY,"
    " started TEXT NOT NULL,"  // isoWithOffset(), with milliseconds
    " level INTEGER NOT NULL, score INTEGER NOT NULL,"
    " ending TEXT NOT NULL,"  // endingName()
    " duration_ms INTEGER NOT NULL);"
    "CREATE INDEX games_started ON games(started);"
    "CREATE TABLE deliveries(game_id INTEGER NOT NULL REFERENCES games(id) ON DELETE CASCADE,"
    " seq INTEGER NOT NULL, amount INTEGER NOT NULL, prior_total INTEGER NOT NULL,"
    " expected_total INTEGER NOT NULL, while_walking INTEGER NOT NULL,"
    " answer_ticks INTEGER NOT NULL, answer_ms INTEGER NOT NULL,"
    " wrong_entries TEXT NOT NULL DEFAULT '',"  // entries separated by spaces
    " PRIMARY KEY(game_id, seq)) WITHOUT ROWID",
};
static_assert(std::size(kUpgrades) == Store::kSchemaVersion, "one upgrade step to each version");

// No wrong entries bind as NULL, stored as ''.
const char kInsertGame[] = "INSERT INTO games(started, level, score, ending, duration_ms) VALUES(ifnull(?, ''), ?, ?, ?, ?)";
const char kInsertDelivery[] = "INSERT INTO deliveries(game_id, seq, amount, prior_total, expected_total, while_walking,"
                               " answer_ticks, answer_ms, wrong_entries) VALUES(?, ?, ?, ?, ?, ?, ?, -1, ifnull(?, ''))";
// The columns this version reads; a file at our version without them is
// not a readable history. julianday() takes each start's own offset into
// account, so the games come in the order of the moments they started.
const char kSelectGames[] = "SELECT id, started, level, score, ending, duration_ms FROM games"
                            " ORDER BY julianday(started), id";
const char kSelectDeliveries[] = "SELECT game_id, amount, prior_total, expected_total, while_walking,"
                                 " answer_ticks, nullif(wrong_entries, '') FROM deliveries ORDER BY game_id, seq";

bool knownTablesReadable(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    return q.prepare(QLatin1String(kSelectGames)) && q.prepare(QLatin1String(kSelectDeliveries));
}

// Runs the statements in turn: the error of the first that fails, or an
// invalid one when all ran.
QSqlError execAll(QSqlQuery& q, const QStringList& statements)
{
    for (const QString& sql : statements) {
        if (!q.exec(sql))
            return q.lastError();
    }
    return QSqlError();
}

// The first value `sql` gives; false when it gives none.
bool valueOf(QSqlQuery& q, const QString& sql, QVariant& value)
{
    if (!q.exec(sql) || !q.next())
        return false;
    value = q.value(0);
    q.finish();
    return true;
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

// The wrong entries as stored: each entry's digits, entries separated by
// single spaces. The game only ever types digits; anything else would
// break the separation and is left out.
QString joinEntries(const std::vector<QString>& entries)
{
    static const QRegularExpression notADigit(QStringLiteral("[^0-9]"));
    QStringList kept;
    for (QString entry : entries) {
        if (!entry.remove(notADigit).isEmpty())
            kept << entry;
    }
    return kept.join(QLatin1Char(' '));
}

}  // namespace

// What a first look at an existing file found.
enum class Store::Probe {
    Usable,      // a history of this version or an older one, or nothing yet
    TooNew,      // a user_version above ours
    Unreadable,  // not a database, failing its check, or another program's tables
    Locked,      // held by another program beyond the busy timeout
    Unopened,    // could not be read for some other reason
};

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
    static std::atomic<unsigned> counter{0};
    connection_ = QStringLiteral("pellaro-history-%1").arg(++counter);
}

Store::~Store()
{
    closeConnection();
}

void Store::closeConnection()
{
    statements_.reset();
    readable_ = writable_ = false;
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool Store::fail(const QString& why)
{
    closeConnection();
    detail_ = why;
    state_ = State::Failed;
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
    // sets it aside only while it holds the folder's lock, so none of them
    // ever meets a file another one is still setting up. (A folder that
    // cannot be read cannot be locked; the file is opened unlocked there.)
    const platform::FolderLock lock(folder, busyTimeoutMs_);
    if (!lock.mayWrite() && QFileInfo(folder).isReadable()) {
        state_ = State::Locked;
        return false;
    }
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

    const Probe look = exists && info.size() > 0 ? probe() : Probe::Usable;
    if (look == Probe::TooNew)
        return readOnly(State::TooNew);
    if (look == Probe::Locked) {
        closeConnection();
        state_ = State::Locked;
        return false;
    }
    // A read-only look can fail where a writing connection does not (a WAL
    // file whose companions cannot be made read-only): tried again below.
    if (look == Probe::Unopened && (!folderWritable || !info.isWritable()))
        return fail(QStringLiteral("%1 无法打开").arg(file));
    if (look == Probe::Unreadable && !setAside())
        return fail(QStringLiteral("原来的文件 %1 无法读取，也无法改名保存").arg(file));
    exists = exists && look != Probe::Unreadable;
    if (!folderWritable || (exists && !info.isWritable()))
        return readOnly(State::ReadOnly);
    keepPrivate(path_);
    if (!openWritable())
        return false;
    state_ = look == Probe::Unreadable ? State::SetAside : State::Ready;
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
// file and stays open for reading: the file's version, and whether it is a
// sound database holding our tables.
Store::Probe Store::probe()
{
    const QSqlDatabase db = connect(true);
    QSqlQuery q(db);
    const auto trouble = [](const QSqlError& e) {
        return isDamage(e) ? Probe::Unreadable : isBusy(e) ? Probe::Locked : Probe::Unopened;
    };
    QVariant value;
    if (!db.isOpen())
        return trouble(db.lastError());
    if (!valueOf(q, QStringLiteral("PRAGMA user_version"), value))
        return trouble(q.lastError());
    const int version = value.toInt();
    if (version > kSchemaVersion || version < 0)
        return Probe::TooNew;
    if (!valueOf(q, QStringLiteral("PRAGMA quick_check(1)"), value))
        return trouble(q.lastError());
    if (value.toString() != QLatin1String("ok"))
        return Probe::Unreadable;
    if (version > 0)  // ours, or an older layout that is upgraded when written
        return version < kSchemaVersion || knownTablesReadable(db) ? Probe::Usable : Probe::Unreadable;
    // Nothing of ours: fresh when it holds nothing at all, another
    // program's database otherwise.
    if (!valueOf(q, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'"), value))
        return trouble(q.lastError());
    return value.toInt() == 0 ? Probe::Usable : Probe::Unreadable;
}

bool Store::openWritable()
{
    QSqlDatabase db = connect(false);
    QSqlQuery q(db);
    // WAL: a commit is one append to the log, readers never wait for the
    // writer, and with synchronous=NORMAL a committed game survives the
    // program being killed (only a power cut can lose the last few). The
    // version is read again under the write lock: a copy of the game that
    // takes no folder lock (an older one) may have set the file up.
    QSqlError error = db.isOpen() ? execAll(q, {QStringLiteral("PRAGMA journal_mode=WAL"),
                                                QStringLiteral("PRAGMA synchronous=NORMAL"),
                                                QStringLiteral("PRAGMA foreign_keys=ON"),
                                                QStringLiteral("BEGIN IMMEDIATE")})
                                  : db.lastError();
    QVariant value;
    if (!error.isValid() && !valueOf(q, QStringLiteral("PRAGMA user_version"), value))
        error = q.lastError();
    // A newer copy of the game may have taken the file over since the look.
    const int version = value.toInt();
    if (!error.isValid() && (version > kSchemaVersion || version < 0))
        error = QSqlError(QString(), QStringLiteral("made by a newer version"));
    QStringList steps;
    for (int from = std::max(version, 0); from < kSchemaVersion; ++from)
        steps << QString::fromLatin1(kUpgrades[from]).split(QLatin1Char(';'));
    if (version != kSchemaVersion)
        steps << QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion);
    if (!error.isValid())
        error = execAll(q, steps << QStringLiteral("COMMIT"));

    auto statements = std::make_unique<Statements>(Statements{QSqlQuery(db), QSqlQuery(db)});
    if (!error.isValid() && !statements->insertGame.prepare(QLatin1String(kInsertGame)))
        error = statements->insertGame.lastError();
    if (!error.isValid() && !statements->insertDelivery.prepare(QLatin1String(kInsertDelivery)))
        error = statements->insertDelivery.lastError();
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
    if (!isBusy(error))
        return fail(why);
    closeConnection();
    state_ = State::Locked;
    return false;
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
                      static_cast<qlonglong>(game.durationMs)}))
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

std::vector<Game> Store::loadAll()
{
    std::vector<Game> games;
    if (!readable_)
        return games;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    // SQLite's integers come as 64-bit values, which are read without a
    // conversion.
    const auto integer = [&q](int column) { return static_cast<std::int32_t>(q.value(column).toLongLong()); };
    // Both queries read one snapshot, so a game another copy is writing
    // meanwhile comes whole or not at all.
    const bool inTransaction = q.exec(QStringLiteral("BEGIN"));
    std::unordered_map<qlonglong, std::size_t> byId;
    for (bool ok = q.exec(QLatin1String(kSelectGames)); ok && q.next();) {
        Game& game = games.emplace_back();
        game.id = q.value(0).toLongLong();
        game.started = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
        game.level = integer(2);
        game.score = integer(3);
        // An ending this version does not know (written by a newer one)
        // reads as the window having been closed.
        if (!endingFromName(q.value(4).toString(), game.ending))
            game.ending = Ending::Closed;
        game.durationMs = q.value(5).toLongLong();
        byId.emplace(game.id, games.size() - 1);
    }
    // The loads come by game, so each game is looked up once.
    Game* owner = nullptr;
    qlonglong ownerId = 0;  // games are numbered from 1
    for (bool ok = !games.empty() && q.exec(QLatin1String(kSelectDeliveries)); ok && q.next();) {
        if (const qlonglong id = q.value(0).toLongLong(); id != ownerId) {
            const auto it = byId.find(id);
            owner = it == byId.end() ? nullptr : &games[it->second];  // none: a load whose game is gone
            ownerId = id;
        }
        if (!owner)
            continue;
        Delivery& load = owner->deliveries.emplace_back();
        load.amount = integer(1);
        load.priorTotal = integer(2);
        load.expectedTotal = integer(3);
        load.whileWalking = integer(4) != 0;
        load.answerTicks = integer(5);
        const QString entries = q.value(6).toString();
        for (const QStringView entry : QStringView(entries).split(u' ', Qt::SkipEmptyParts))
            load.wrongEntries.push_back(entry.toString());
    }
    q.finish();
    if (inTransaction)
        q.exec(QStringLiteral("COMMIT"));
    return games;
}

QString Store::problemText() const
{
    const QString file = QDir::toNativeSeparators(path_);
    switch (state_) {
    case State::Closed:
    case State::Ready:
        return QString();
    case State::SetAside:
        return QStringLiteral("原来的记录文件无法读取，已改名保存为 %1；新的记录从现在开始。")
            .arg(QDir::toNativeSeparators(setAsidePath_));
    case State::ReadOnly:
        return QStringLiteral("记录文件只能读取，不能写入（%1），新玩的游戏不会被记下。").arg(file);
    case State::Locked:
        return QStringLiteral("记录文件正被另一个程序占用（%1），现在打不开；请稍后再打开这个窗口。").arg(file);
    case State::TooNew:
        return QString::fromUtf8(readable_ ? "记录文件是更新版本的游戏建立的，这个版本不会改动它；新玩的游戏不会被记下。"
                                           : "记录文件是更新版本的游戏建立的，这个版本不会改动它，也看不了里面的记录；"
                                             "新玩的游戏不会被记下。");
    case State::Failed:
        return QStringLiteral("记录文件无法使用（%1），新玩的游戏不会被记下。").arg(detail_);
    }
    return QString();
}

}  // namespace history
