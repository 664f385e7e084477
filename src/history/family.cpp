#include "history/family.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace history {

namespace {

// The layout from which a history keeps children (layout.h).
constexpr int kFirstLayoutWithChildren = 2;

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

Family readFamily(const QString& path)
{
    Family family;
    if (!QFileInfo(path).isFile())
        return family;
    static std::atomic<unsigned> counter{0};
    const QString connection = QStringLiteral("pellaro-family-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next() &&
                q.value(0).toInt() >= kFirstLayoutWithChildren) {
                q.finish();
                // One snapshot for both.
                q.exec(QStringLiteral("BEGIN"));
                if (q.exec(QStringLiteral("SELECT id, name, animal, practice FROM children ORDER BY id"))) {
                    while (q.next())
                        family.children.push_back({q.value(0).toLongLong(), q.value(1).toString(),
                                                   q.value(2).toString(), q.value(3).toInt() != 0});
                }
                if (q.exec(QStringLiteral("SELECT name, value FROM settings"))) {
                    while (q.next()) {
                        const QString name = q.value(0).toString();
                        const bool on = q.value(1).toString() == QLatin1String("on");
                        if (name == QLatin1String("practice-for-others"))
                            family.practiceForOthers = on;
                        else if (name == QLatin1String("keypad"))
                            family.keypadAlways = on;
                    }
                }
                q.exec(QStringLiteral("COMMIT"));
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return family;
}

}  // namespace history
