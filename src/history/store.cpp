#include "history/store.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <utility>

#include <unistd.h>

namespace history {

namespace {

const QString kDriver = QStringLiteral("QSQLITE");

// SQLite's primary result codes that matter here (the driver may report
// extended codes, whose low byte is the primary one).
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

int sqliteCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

bool isDamage(const QSqlError& error)
{
    const int code = sqliteCode(error);
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

bool isBusy(const QSqlError& error)
{
    const int code = sqliteCode(error);
    return code == kSqliteBusy || code == kSqliteLocked;
}

// Version 1: one row per game, one per load. The loads live in their game's
// key order (WITHOUT ROWID), so reading them back is one pass over one
// b-tree and a load costs no more than its few small numbers.
const char* const kCreateVersion1[] = {
    "CREATE TABLE games("
    " id INTEGER PRIMARY KEY,"
    " started TEXT NOT NULL,"       // ISO 8601, local time with its offset, ms
    " level INTEGER NOT NULL,"
    " score INTEGER NOT NULL,"
    " ending TEXT NOT NULL,"        // endingName()
    " duration_ms INTEGER NOT NULL)",
    "CREATE INDEX games_started ON games(started)",
    "CREATE TABLE deliveries("
    " game_id INTEGER NOT NULL REFERENCES games(id) ON DELETE CASCADE,"
    " seq INTEGER NOT NULL,"
    " amount INTEGER NOT NULL,"
    " prior_total INTEGER NOT NULL,"
    " expected_total INTEGER NOT NULL,"
    " while_walking INTEGER NOT NULL,"
    " answer_ticks INTEGER NOT NULL,"
    " answer_ms INTEGER NOT NULL,"
    " wrong_entries TEXT NOT NULL DEFAULT '',"  // entries separated by spaces
    " PRIMARY KEY(game_id, seq)) WITHOUT ROWID",
    nullptr,
};

// How each older layout is brought up: the step from version `from` to
// from + 1. Version 0 is a new, empty file. All the steps a file needs run
// in one transaction, so a file is upgraded wholly or not at all.
struct Upgrade {
    int from;
    const char* const* statements;
};
constexpr Upgrade kUpgrades[] = {
    {0, kCreateVersion1},
};
static_assert(sizeof(kUpgrades) / sizeof(kUpgrades[0]) == Store::kSchemaVersion,
              "one upgrade step to each version");

// The columns this version reads; a file at our version without them is
// not a readable history.
const char kSelectGames[] =
    "SELECT id, started, level, score, ending, duration_ms FROM games ORDER BY id";
// Handing each value over through the driver costs several times what
// SQLite takes to read it, so the loads' numbers come two to a value: each
// pair of 32-bit numbers as one 64-bit one (high << 32 | low), exactly.
// No wrong entries (most loads) come as NULL, which costs nothing to hand.
const char kSelectDeliveries[] =
    "SELECT game_id,"
    " (amount << 32) | (prior_total & 4294967295),"
    " (expected_total << 32) | (answer_ticks & 4294967295),"
    " (answer_ms << 32) | (while_walking & 4294967295),"
    " nullif(wrong_entries, '')"
    " FROM deliveries ORDER BY game_id, seq";

std::int32_t high(qint64 pair) { return std::int32_t(pair >> 32); }
std::int32_t low(qint64 pair) { return std::int32_t(std::uint32_t(quint64(pair) & 0xffffffffu)); }

QString newConnectionName()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("pellaro-history-%1").arg(++counter);
}

QSqlDatabase openConnection(const QString& name, const QString& databaseName,
                            const QString& options)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
    db.setDatabaseName(databaseName);
    db.setConnectOptions(options);
    db.open();
    return db;
}

void dropConnection(const QString& name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

bool mayAccess(const QString& path, int mode)
{
    return ::access(QFile::encodeName(path).constData(), mode) == 0;
}

// Renames without replacing anything already there.
bool renameNew(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to))
        return false;
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool knownTablesReadable(QSqlDatabase& db)
{
    QSqlQuery q(db);
    return q.prepare(QLatin1String(kSelectGames)) && q.prepare(QLatin1String(kSelectDeliveries));
}

// The wrong entries as stored: each entry's digits, entries separated by
// single spaces. The game only ever types digits; anything else would
// break the separation and is left out.
QString joinEntries(const std::vector<QString>& entries)
{
    // (No entries bind as NULL, which the insert turns into '').
    QString out;
    for (const QString& entry : entries) {
        QString digits;
        for (QChar c : entry) {
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                digits += c;
        }
        if (digits.isEmpty())
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += digits;
    }
    return out;
}

// "2026-03-01T17:05:09.250+08:00": the time as the clock on the wall showed
// it, and its offset from UTC, so that the day a game was played stays the
// day it was played wherever the file is read later.
QString isoWithOffset(const QDateTime& time)
{
    if (!time.isValid())
        return QString();
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

enum class Store::Probe {
    Fresh,     // no history in it yet: empty, or a file made but not set up
    Ours,      // a history of this version or an older one
    TooNew,    // a user_version above ours
    NotOurs,   // a sound database, but with other tables and no version
    Damaged,   // not a database, or failing its check
    Locked,    // held by another program beyond the busy timeout
    Unopened,  // could not be read for some other reason
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

Store::Store(QString path) : path_(std::move(path)), connection_(newConnectionName()) {}

Store::~Store()
{
    closeConnection();
}

void Store::closeConnection()
{
    statements_.reset();
    readable_ = false;
    writable_ = false;
    if (QSqlDatabase::contains(connection_))
        dropConnection(connection_);
}

bool Store::fail(const QString& why)
{
    closeConnection();
    detail_ = why;
    state_ = State::Failed;
    return false;
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

    QFileInfo info(path_);
    bool exists = info.exists();
    if (exists && !info.isFile())
        return fail(QStringLiteral("%1 不是一个普通文件").arg(QDir::toNativeSeparators(path_)));
    if (exists && !mayAccess(path_, R_OK))
        return fail(QStringLiteral("没有读取 %1 的权限").arg(QDir::toNativeSeparators(path_)));

    // WAL keeps two companion files next to the history, so writing needs
    // the folder as well as the file.
    const bool folderWritable = mayAccess(folder, W_OK | X_OK);
    if (!exists && !folderWritable)
        return fail(QStringLiteral("文件夹 %1 不能写入").arg(QDir::toNativeSeparators(folder)));

    bool setAsideDone = false;
    if (exists && info.size() > 0) {
        int version = 0;
        switch (probe(version)) {
        case Probe::Fresh:
        case Probe::Ours:
            break;
        case Probe::TooNew:
            return openReadOnly(State::TooNew);
        case Probe::Locked:
            state_ = State::Locked;
            return false;
        case Probe::NotOurs:
        case Probe::Damaged:
            if (!setAside())
                return fail(QStringLiteral("原来的文件 %1 无法读取，也无法改名保存")
                                .arg(QDir::toNativeSeparators(path_)));
            setAsideDone = true;
            exists = false;
            break;
        case Probe::Unopened:
            // A read-only look can fail where a writing connection does not
            // (a WAL file whose companions cannot be made read-only); the
            // writable path below checks again.
            if (!folderWritable || !mayAccess(path_, W_OK))
                return fail(QStringLiteral("%1 无法打开").arg(QDir::toNativeSeparators(path_)));
            break;
        }
    }

    const bool canWrite = folderWritable && (!exists || mayAccess(path_, W_OK));
    if (!canWrite)
        return openReadOnly(State::ReadOnly);
    // Setting up the file takes it from reading to writing; when two copies
    // of the game do that at once (both first games ending together on a
    // new file) SQLite turns one away at once rather than let them wait on
    // each other for ever. That one steps back and tries again shortly,
    // within the same patience as for any lock.
    QDeadlineTimer patience(busyTimeoutMs_);
    while (!openWritable()) {
        if (state_ != State::Locked || patience.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(10, 40)));
    }
    // A newer copy of the game may have taken the file over meanwhile; it
    // is then open for reading only and says so.
    if (state_ != State::TooNew)
        state_ = setAsideDone ? State::SetAside : State::Ready;
    return true;
}

// A first look through a read-only connection, which never changes the
// file: its version, and whether it is a sound database holding our tables.
Store::Probe Store::probe(int& version)
{
    const QString name = connection_ + QStringLiteral("-probe");
    Probe result = Probe::Unopened;
    {
        QSqlDatabase db = openConnection(
            name, path_,
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_));
        auto classify = [](const QSqlError& error) {
            if (isDamage(error))
                return Probe::Damaged;
            if (isBusy(error))
                return Probe::Locked;
            return Probe::Unopened;
        };
        if (!db.isOpen()) {
            result = classify(db.lastError());
        } else {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
                result = classify(q.lastError());
            } else {
                version = q.value(0).toInt();
                q.finish();
                if (version > kSchemaVersion || version < 0) {
                    result = Probe::TooNew;
                } else if (!q.exec(QStringLiteral("PRAGMA quick_check(1)")) || !q.next()) {
                    result = classify(q.lastError());
                } else if (q.value(0).toString() != QLatin1String("ok")) {
                    result = Probe::Damaged;
                } else {
                    q.finish();
                    if (version == kSchemaVersion) {
                        result = knownTablesReadable(db) ? Probe::Ours : Probe::Damaged;
                    } else if (version == 0) {
                        // Nothing of ours: fresh when it holds nothing at all,
                        // another program's database otherwise.
                        q.exec(QStringLiteral(
                            "SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'"));
                        if (!q.next())
                            result = classify(q.lastError());
                        else
                            result = q.value(0).toInt() == 0 ? Probe::Fresh : Probe::NotOurs;
                    } else {
                        result = Probe::Ours;  // an older layout, upgraded when written
                    }
                }
            }
        }
    }
    dropConnection(name);
    return result;
}

bool Store::openWritable()
{
    QSqlDatabase db = openConnection(
        connection_, path_, QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_));
    if (!db.isOpen()) {
        const QString text = db.lastError().databaseText();
        db = QSqlDatabase();
        return fail(QStringLiteral("%1 无法打开（%2）").arg(QDir::toNativeSeparators(path_), text));
    }

    QSqlQuery q(db);
    q.setForwardOnly(true);
    auto trouble = [&](const QSqlError& error) {
        const QString text = error.databaseText();
        q = QSqlQuery();
        db = QSqlDatabase();
        if (isBusy(error)) {
            closeConnection();
            state_ = State::Locked;
            return false;
        }
        return fail(QStringLiteral("%1 无法写入（%2）").arg(QDir::toNativeSeparators(path_), text));
    };

    // WAL: a commit is one append to the log, readers never wait for the
    // writer, and with synchronous=NORMAL a committed game survives the
    // program being killed (only a power cut can lose the last few).
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return trouble(q.lastError());
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")) ||
        !q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        return trouble(q.lastError());

    // The version is read again under the write lock: another copy of the
    // game may have set the file up (or upgraded it) since the probe.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return trouble(q.lastError());
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        const QSqlError error = q.lastError();
        q.exec(QStringLiteral("ROLLBACK"));
        return trouble(error);
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > kSchemaVersion || version < 0) {
        q.exec(QStringLiteral("ROLLBACK"));
        q = QSqlQuery();
        db = QSqlDatabase();
        closeConnection();
        return openReadOnly(State::TooNew);
    }
    for (const Upgrade& step : kUpgrades) {
        if (step.from < version)
            continue;
        for (const char* const* sql = step.statements; *sql; ++sql) {
            if (!q.exec(QLatin1String(*sql))) {
                const QSqlError error = q.lastError();
                q.exec(QStringLiteral("ROLLBACK"));
                return trouble(error);
            }
        }
    }
    if (version != kSchemaVersion &&
        !q.exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion))) {
        const QSqlError error = q.lastError();
        q.exec(QStringLiteral("ROLLBACK"));
        return trouble(error);
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        q.exec(QStringLiteral("ROLLBACK"));
        return trouble(error);
    }

    auto statements = std::make_unique<Statements>();
    statements->insertGame = QSqlQuery(db);
    statements->insertDelivery = QSqlQuery(db);
    if (!statements->insertGame.prepare(QStringLiteral(
            "INSERT INTO games(started, level, score, ending, duration_ms)"
            " VALUES(ifnull(?, ''), ?, ?, ?, ?)")) ||
        !statements->insertDelivery.prepare(QStringLiteral(
            "INSERT INTO deliveries(game_id, seq, amount, prior_total, expected_total,"
            " while_walking, answer_ticks, answer_ms, wrong_entries)"
            " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ifnull(?, ''))")) ||
        !knownTablesReadable(db)) {
        const QSqlError error = statements->insertGame.lastError().isValid()
                                    ? statements->insertGame.lastError()
                                    : statements->insertDelivery.lastError();
        statements.reset();
        return trouble(error);
    }
    statements_ = std::move(statements);
    readable_ = true;
    writable_ = true;
    return true;
}

// Reading only, through a connection that cannot write. When the folder
// cannot hold WAL's companion files either, the file is read as immutable.
bool Store::openReadOnly(State state)
{
    closeConnection();
    state_ = state;
    const QString options =
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlDatabase db =
            attempt == 0
                ? openConnection(connection_, path_, options)
                : openConnection(connection_,
                                 QUrl::fromLocalFile(path_).toString(QUrl::FullyEncoded) +
                                     QStringLiteral("?immutable=1"),
                                 options + QStringLiteral(";QSQLITE_OPEN_URI"));
        if (db.isOpen()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA user_version"))) {
                q = QSqlQuery();
                readable_ = knownTablesReadable(db);
                return readable_;
            }
        }
        db = QSqlDatabase();
        dropConnection(connection_);
    }
    return false;
}

// Moves a file that is not a readable history out of the way, with its WAL
// companions, under a name of its own next to it; nothing is deleted. When
// any of them cannot be moved, those already moved go back.
bool Store::setAside()
{
    const QString base = path_ + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    static const QString kCompanions[] = {QString(), QStringLiteral("-wal"),
                                          QStringLiteral("-shm")};
    QString target = base;
    for (int n = 2;; ++n) {
        bool taken = false;
        for (const QString& suffix : kCompanions)
            taken = taken || QFileInfo::exists(target + suffix);
        if (!taken)
            break;
        target = base + QStringLiteral("-%1").arg(n);
    }

    std::vector<QString> moved;
    for (const QString& suffix : kCompanions) {
        const QString from = path_ + suffix;
        if (!suffix.isEmpty() && !QFileInfo::exists(from))
            continue;
        if (!renameNew(from, target + suffix)) {
            for (const QString& done : moved)
                renameNew(target + done, path_ + done);
            return false;
        }
        moved.push_back(suffix);
    }
    setAsidePath_ = target;
    return true;
}

bool Store::addGame(const Game& game)
{
    if (state_ == State::Locked && !writable_)
        open();
    if (!writable_ || !statements_) {
        lastError_ = QStringLiteral("not open for writing");
        return false;
    }

    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        lastError_ = q.lastError().databaseText();
        return false;
    }

    auto rollBack = [&](const QSqlError& error) {
        lastError_ = error.databaseText();
        statements_->insertGame.finish();
        statements_->insertDelivery.finish();
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    };

    QSqlQuery& g = statements_->insertGame;
    g.bindValue(0, isoWithOffset(game.started));
    g.bindValue(1, game.level);
    g.bindValue(2, game.score);
    g.bindValue(3, endingName(game.ending));
    g.bindValue(4, static_cast<qlonglong>(game.durationMs));
    if (!g.exec())
        return rollBack(g.lastError());
    const qlonglong id = g.lastInsertId().toLongLong();
    g.finish();

    QSqlQuery& d = statements_->insertDelivery;
    int seq = 0;
    for (const Delivery& delivery : game.deliveries) {
        d.bindValue(0, id);
        d.bindValue(1, seq++);
        d.bindValue(2, delivery.amount);
        d.bindValue(3, delivery.priorTotal);
        d.bindValue(4, delivery.expectedTotal);
        d.bindValue(5, delivery.whileWalking ? 1 : 0);
        d.bindValue(6, delivery.answerTicks);
        d.bindValue(7, delivery.answerMs);
        d.bindValue(8, joinEntries(delivery.wrongEntries));
        if (!d.exec())
            return rollBack(d.lastError());
    }
    d.finish();

    if (!q.exec(QStringLiteral("COMMIT")))
        return rollBack(q.lastError());
    lastId_ = id;
    lastError_.clear();
    return true;
}

std::vector<Game> Store::loadAll()
{
    std::vector<Game> games;
    if (!readable_)
        return games;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);

    // Both queries read one snapshot, so a game another copy is writing
    // meanwhile comes whole or not at all.
    QSqlQuery begin(db);
    const bool inTransaction = begin.exec(QStringLiteral("BEGIN"));
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (q.exec(QLatin1String(kSelectGames))) {
            while (q.next()) {
                Game game;
                game.id = q.value(0).toLongLong();
                game.started = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
                game.level = q.value(2).toInt();
                game.score = q.value(3).toInt();
                // An ending this version does not know (written by a newer
                // one) reads as the window having been closed.
                if (!endingFromName(q.value(4).toString(), game.ending))
                    game.ending = Ending::Closed;
                game.durationMs = q.value(5).toLongLong();
                games.push_back(std::move(game));
            }
        }
    }
    {
        // Both come in the games' order: one merge attaches the loads. Each
        // game's are gathered first, so its vector is allocated once.
        QSqlQuery q(db);
        q.setForwardOnly(true);
        std::size_t at = 0;
        std::vector<Delivery> pending;
        auto flush = [&] {
            if (!pending.empty()) {
                games[at].deliveries.assign(std::make_move_iterator(pending.begin()),
                                            std::make_move_iterator(pending.end()));
                pending.clear();
            }
        };
        if (!games.empty() && q.exec(QLatin1String(kSelectDeliveries))) {
            while (q.next()) {
                const qlonglong gameId = q.value(0).toLongLong();
                if (games[at].id != gameId) {
                    flush();
                    while (at < games.size() && games[at].id < gameId)
                        ++at;
                    if (at == games.size())
                        break;
                    if (games[at].id != gameId)
                        continue;  // a load whose game is gone
                }
                Delivery delivery;
                const qint64 amountPrior = q.value(1).toLongLong();
                const qint64 expectedTicks = q.value(2).toLongLong();
                const qint64 msWalking = q.value(3).toLongLong();
                delivery.amount = high(amountPrior);
                delivery.priorTotal = low(amountPrior);
                delivery.expectedTotal = high(expectedTicks);
                delivery.answerTicks = low(expectedTicks);
                delivery.answerMs = high(msWalking);
                delivery.whileWalking = low(msWalking) != 0;
                const QVariant entries = q.value(4);
                if (!entries.isNull()) {
                    const QString text = entries.toString();
                    for (const QStringView entry : QStringView(text).split(u' ', Qt::SkipEmptyParts))
                        delivery.wrongEntries.push_back(entry.toString());
                }
                pending.push_back(std::move(delivery));
            }
            if (at < games.size())
                flush();
        }
    }
    if (inTransaction)
        begin.exec(QStringLiteral("COMMIT"));

    // Oldest first by the moment each game started (games are numbered as
    // they finish, which is nearly but not always the same order).
    std::vector<std::pair<qint64, std::size_t>> order(games.size());
    bool sorted = true;
    for (std::size_t i = 0; i < games.size(); ++i) {
        order[i] = {games[i].started.isValid() ? games[i].started.toMSecsSinceEpoch() : 0, i};
        if (i > 0 && order[i].first < order[i - 1].first)
            sorted = false;
    }
    if (!sorted) {
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<Game> byStart;
        byStart.reserve(games.size());
        for (const auto& entry : order)
            byStart.push_back(std::move(games[entry.second]));
        games = std::move(byStart);
    }
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
        return QStringLiteral("记录文件正被另一个程序占用（%1），现在打不开；"
                              "请稍后再打开这个窗口。")
            .arg(file);
    case State::TooNew:
        return readable_ ? QStringLiteral("记录文件是更新版本的游戏建立的，这个版本不会改动它；"
                                          "新玩的游戏不会被记下。")
                         : QStringLiteral("记录文件是更新版本的游戏建立的，这个版本不会改动它，"
                                          "也看不了里面的记录；新玩的游戏不会被记下。");
    case State::Failed:
        return QStringLiteral("记录文件无法使用（%1），新玩的游戏不会被记下。").arg(detail_);
    }
    return QString();
}

}  // namespace history
