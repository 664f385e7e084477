#include "history/csvexport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace history {

namespace {

// One row: each field quoted when it holds a comma, a quote or a line
// break, with its quotes doubled.
void appendRow(QByteArray& out, const QStringList& fields)
{
    for (int i = 0; i < fields.size(); ++i) {
        QByteArray bytes = fields[i].toUtf8();
        if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
            bytes = '"' + bytes.replace("\"", "\"\"") + '"';
        out += (i > 0 ? "," : "") + bytes;
    }
    out += "\r\n";
}

QString plainReason(const QSaveFile& file)
{
    switch (file.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QString::fromUtf8("不能在这个文件夹里建立文件，可能没有写入的权限，或者它是只读的。");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        return QString::fromUtf8("写入时出错，磁盘可能已经满了。");
    case QFileDevice::RenameError:
        return QString::fromUtf8("不能替换原来的同名文件，可能有别的程序正打开着它，或者同名的是一个文件夹。");
    default:
        return QString::fromUtf8("写入时出错。");
    }
}

}  // namespace

CsvFiles makeCsv(const std::vector<Game>& games, const Family& family)
{
    const auto childName = [&family](std::int64_t id) {
        for (const Child& c : family.children)
            if (c.id == id)
                return c.name;
        return QString();
    };
    CsvFiles out{"\xEF\xBB\xBF", "\xEF\xBB\xBF"};
    appendRow(out.games, QString::fromUtf8("编号,开始时间,难度,得分,结束方式,时长（秒）,送货次数,答对,答错,孩子,练习").split(','));
    appendRow(out.answers,
              QString::fromUtf8("局编号,开始时间,难度,序号,秤上数量,原来的总数,正确答案,结果,输入,用时（秒）,走路时输入,孩子")
                  .split(','));
    for (const Game& g : games) {
        const QStringList game = {QString::number(g.id), isoWithOffset(g.started, false), QString::number(g.level + 1)};
        const QString child = childName(g.childId);
        int loads = 0, right = 0, wrong = 0, place = 0;
        for (const Delivery& d : g.deliveries) {
            loads += d.whileWalking ? 0 : 1;
            const QString expected = QString::number(d.expectedTotal);
            const QString walking = QString::fromUtf8(d.whileWalking ? "是" : "否");
            const QStringList head = game + QStringList{QString::number(++place),
                                                        d.whileWalking ? QString() : QString::number(d.amount),
                                                        d.whileWalking ? QString() : QString::number(d.priorTotal),
                                                        expected};
            for (const QString& entry : d.wrongEntries) {
                ++wrong;
                appendRow(out.answers, head + QStringList{QString::fromUtf8("答错"), entry, QString(), walking, child});
            }
            if (d.answered()) {
                ++right;
                appendRow(out.answers, head + QStringList{QString::fromUtf8("答对"), expected,
                                                          QString::number(d.answerTicks / 100.0, 'f', 2), walking,
                                                          child});
            } else if (!d.whileWalking) {
                appendRow(out.answers, head + QStringList{QString::fromUtf8("未答"), QString(), QString(), walking, child});
            }
        }
        appendRow(out.games, game + QStringList{QString::number(g.score), endingName(g.ending),
                                                QString::number(g.durationMs / 1000.0, 'f', 1), QString::number(loads),
                                                QString::number(right), QString::number(wrong), child,
                                                QString::fromUtf8(g.practice ? "是" : "否")});
    }
    return out;
}

bool exportCsv(const std::vector<Game>& games, const Family& family, const QString& folder, QString* error)
{
    const auto done = [error](const QString& text) {
        if (error)
            *error = text;
        return text.isEmpty();
    };
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return done(QString::fromUtf8("找不到要保存到的文件夹：%1").arg(QDir::toNativeSeparators(folder)));
    const CsvFiles csv = makeCsv(games, family);
    const QDir dir(folder);
    const QString names[2] = {QLatin1String(kGamesCsvName), QLatin1String(kAnswersCsvName)};
    const QByteArray* bytes[2] = {&csv.games, &csv.answers};
    QSaveFile files[2] = {QSaveFile(dir.filePath(names[0])), QSaveFile(dir.filePath(names[1]))};
    // A folder where a file should go cannot be replaced; say so plainly
    // rather than as a failed write.
    for (const QString& name : names) {
        if (QFileInfo(dir.filePath(name)).isDir())
            return done(QString::fromUtf8("没能保存 %1：这个文件夹里已经有一个同名的文件夹。").arg(name));
    }
    // Both written out in full first; nothing replaces an old file until
    // both are ready. An unfinished QSaveFile leaves no file behind. Like
    // the history, the files are their owner's alone.
    for (int i = 0; i < 2; ++i) {
        if (!files[i].open(QIODevice::WriteOnly) || !files[i].setPermissions(QFile::ReadOwner | QFile::WriteOwner) ||
            files[i].write(*bytes[i]) != bytes[i]->size())
            return done(QString::fromUtf8("没能保存 %1：").arg(names[i]) + plainReason(files[i]));
    }
    if (!files[0].commit())
        return done(QString::fromUtf8("没能保存 %1：").arg(names[0]) + plainReason(files[0]));
    if (!files[1].commit())
        return done(QString::fromUtf8("%1 已经保存了，但是没能保存 %2：").arg(names[0], names[1]) + plainReason(files[1]));
    return done(QString());
}

}  // namespace history
