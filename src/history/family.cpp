#include "history/family.h"

#include "history/store.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace history {

namespace {

// The layout from which a history keeps children (layout.h).
constexpr int kFirstLayoutWithChildren = 2;

// The family as `db` holds it: none before the layout that keeps children.
Family readFrom(const QSqlDatabase& db)
{
    Family family;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next() || q.value(0).toInt() < kFirstLayoutWithChildren)
        return family;
    if (q.exec(QStringLiteral("SELECT id, name, animal, practice FROM children ORDER BY id"))) {
        while (q.next())
            family.children.push_back(
                {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toInt() != 0});
    }
    if (q.exec(QStringLiteral("SELECT name, value FROM settings"))) {
        while (q.next()) {
            const bool on = q.value(1).toString() == QLatin1String("on");
            if (q.value(0).toString() == QLatin1String("practice-for-others"))
                family.practiceForOthers = on;
            else if (q.value(0).toString() == QLatin1String("keypad"))
                family.keypadAlways = on;
        }
    }
    return family;
}

QString newConnectionName()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("pellaro-family-%1").arg(++counter);
}

int characters(const QString& text)
{
    return static_cast<int>(text.toUcs4().size());
}

}  // namespace

QString cleanName(const QString& name)
{
    QString text = name;
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return text.trimmed().normalized(QString::NormalizationForm_C);
}

QString nameKey(const QString& name)
{
    return cleanName(name).toCaseFolded();
}

const Child* Family::find(const QString& name) const
{
    const QString key = nameKey(name);
    for (const Child& c : children)
        if (nameKey(c.name) == key)
            return &c;
    return nullptr;
}

NameCheck checkName(const QString& name, const Family& family, std::int64_t child)
{
    const QString clean = cleanName(name);
    if (clean.isEmpty())
        return NameCheck::Empty;
    if (characters(clean) > kMaxNameLength)
        return NameCheck::TooLong;
    const Child* other = family.find(clean);
    return other && other->id != child ? NameCheck::Taken : NameCheck::NameOk;
}

namespace {

// Runs `read` on the history file at `path` opened read-only, if it is
// there and opens.
void readOnly(const QString& path, const std::function<void(QSqlDatabase&)>& read)
{
    if (!QFileInfo(path).isFile())
        return;
    const QString connection = newConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open())
            read(db);
    }
    QSqlDatabase::removeDatabase(connection);
}

}  // namespace

Family readFamily(const QString& path)
{
    Family family;
    readOnly(path, [&family](QSqlDatabase& db) {
        // One snapshot for the children and the settings.
        QSqlQuery(db).exec(QStringLiteral("BEGIN"));
        family = readFrom(db);
        QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    });
    return family;
}

int gamesOf(const QString& path, std::int64_t child)
{
    int count = 0;
    readOnly(path, [&count, child](QSqlDatabase& db) {
        QSqlQuery q(db);
        // Before children were kept, every game is one of no child.
        const bool children =
            q.exec(QStringLiteral("PRAGMA user_version")) && q.next() && q.value(0).toInt() >= kFirstLayoutWithChildren;
        QString sql;
        if (children)
            sql = child != 0 ? QStringLiteral("SELECT count(*) FROM games WHERE child_id = ?")
                             : QStringLiteral("SELECT count(*) FROM games WHERE child_id IS NULL");
        else if (child == 0)
            sql = QStringLiteral("SELECT count(*) FROM games");
        if (!sql.isEmpty() && q.prepare(sql)) {
            if (children && child != 0)
                q.bindValue(0, qint64(child));
            if (q.exec() && q.next())
                count = q.value(0).toInt();
        }
    });
    return count;
}

// ------------------------------------------------------------- changes

namespace {

Change nameChange(NameCheck check)
{
    switch (check) {
    case NameCheck::NameOk: return Change::Done;
    case NameCheck::Empty: return Change::NameEmpty;
    case NameCheck::TooLong: return Change::NameTooLong;
    case NameCheck::Taken: return Change::NameTaken;
    }
    return Change::NameEmpty;
}

bool hasChild(const Family& family, std::int64_t child)
{
    return std::any_of(family.children.begin(), family.children.end(),
                       [child](const Child& c) { return c.id == child; });
}

}  // namespace

FamilyWriter::FamilyWriter(QString path) : path_(std::move(path)), connection_(newConnectionName()) {}

FamilyWriter::~FamilyWriter()
{
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

Family FamilyWriter::family()
{
    return open() ? readFrom(QSqlDatabase::database(connection_, false)) : readFamily(path_);
}

// The file open for writing, made or brought up to this layout by the store.
bool FamilyWriter::open()
{
    if (QSqlDatabase::contains(connection_))
        return true;
    Store store(path_);
    if (!store.open() || !store.writable()) {
        problem_ = store.problemText();
        if (problem_.isEmpty())
            problem_ = QStringLiteral("记录文件无法写入（%1）").arg(path_);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Store::kDefaultBusyTimeoutMs));
    if (!db.open()) {
        problem_ = QStringLiteral("记录文件无法写入（%1）").arg(db.lastError().text());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
        return false;
    }
    return true;
}

// Runs `change` in one transaction that holds the file's write lock, so the
// family it is given is the one it changes: another copy's change waits.
// `change` returns Done to keep what it did.
Change FamilyWriter::transaction(const std::function<Change(const Family&, QSqlQuery&)>& change)
{
    if (!open())
        return Change::NotWritten;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        problem_ = QStringLiteral("记录文件正被另一个程序占用（%1）").arg(q.lastError().text());
        return Change::NotWritten;
    }
    Change result = change(readFrom(db), q);
    if (result == Change::Done && !q.exec(QStringLiteral("COMMIT"))) {
        problem_ = QStringLiteral("记录文件无法写入（%1）").arg(q.lastError().text());
        result = Change::NotWritten;
    }
    if (result != Change::Done)
        q.exec(QStringLiteral("ROLLBACK"));
    return result;
}

// Runs one statement of a change with `values` bound in turn.
Change FamilyWriter::exec(QSqlQuery& q, const char* sql, const QVariantList& values)
{
    if (q.prepare(QLatin1String(sql))) {
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values.at(i));
        if (q.exec())
            return Change::Done;
    }
    problem_ = QStringLiteral("记录文件无法写入（%1）").arg(q.lastError().text());
    return Change::NotWritten;
}

Change FamilyWriter::add(const QString& name, const QString& animal, std::int64_t* id)
{
    if (animal.isEmpty())
        return Change::NoSuchAnimal;
    return transaction([&](const Family& family, QSqlQuery& q) {
        if (const Change check = nameChange(checkName(name, family)); check != Change::Done)
            return check;
        if (static_cast<int>(family.children.size()) >= kMaxChildren)
            return Change::TooMany;
        const Change done = exec(q, "INSERT INTO children(name, animal) VALUES(?, ?)", {cleanName(name), animal});
        if (done == Change::Done && id)
            *id = q.lastInsertId().toLongLong();
        return done;
    });
}

Change FamilyWriter::rename(std::int64_t child, const QString& name)
{
    return transaction([&](const Family& family, QSqlQuery& q) {
        if (!hasChild(family, child))
            return Change::NoSuchChild;
        if (const Change check = nameChange(checkName(name, family, child)); check != Change::Done)
            return check;
        return exec(q, "UPDATE children SET name = ? WHERE id = ?", {cleanName(name), qint64(child)});
    });
}

Change FamilyWriter::setAnimal(std::int64_t child, const QString& animal)
{
    if (animal.isEmpty())
        return Change::NoSuchAnimal;
    return transaction([&](const Family& family, QSqlQuery& q) {
        if (!hasChild(family, child))
            return Change::NoSuchChild;
        return exec(q, "UPDATE children SET animal = ? WHERE id = ?", {animal, qint64(child)});
    });
}

Change FamilyWriter::remove(std::int64_t child)
{
    return transaction([&](const Family& family, QSqlQuery& q) {
        if (!hasChild(family, child))
            return Change::NoSuchChild;
        Change done = exec(q, "UPDATE games SET child_id = NULL WHERE child_id = ?", {qint64(child)});
        if (done == Change::Done)
            done = exec(q, "DELETE FROM children WHERE id = ?", {qint64(child)});
        return done;
    });
}

Change FamilyWriter::give(std::int64_t child, const QDate& from, int* moved)
{
    return transaction([&](const Family& family, QSqlQuery& q) {
        if (!hasChild(family, child))
            return Change::NoSuchChild;
        // A game's day is the date its start was recorded with: the first
        // ten characters of its local time.
        const Change done = exec(q,
                                 "UPDATE games SET child_id = ? WHERE child_id IS NULL AND substr(started, 1, 10) >= ?",
                                 {qint64(child), from.isValid() ? from.toString(Qt::ISODate) : QString()});
        if (done == Change::Done && moved)
            *moved = q.numRowsAffected();
        return done;
    });
}

Change FamilyWriter::setPractice(std::int64_t child, bool on)
{
    if (child == 0)
        return setSetting(QStringLiteral("practice-for-others"), on);
    return transaction([&](const Family& family, QSqlQuery& q) {
        if (!hasChild(family, child))
            return Change::NoSuchChild;
        return exec(q, "UPDATE children SET practice = ? WHERE id = ?", {on ? 1 : 0, qint64(child)});
    });
}

Change FamilyWriter::setKeypadAlways(bool on)
{
    return setSetting(QStringLiteral("keypad"), on);
}

Change FamilyWriter::setSetting(const QString& name, bool on)
{
    return transaction([&](const Family&, QSqlQuery& q) {
        return exec(q, "INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)",
                    {name, on ? QStringLiteral("on") : QStringLiteral("off")});
    });
}

}  // namespace history
