#include "leaderboard/boardfolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace leaderboard {

namespace {

QString withSlash(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("./");
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Whether a new file can be created in `folder`: a uniquely named file is
// created there and removed again (QTemporaryFile removes it when it goes).
bool canCreateFiles(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral(".pellaro-probe-XXXXXX"));
    return probe.open();
}

}  // namespace

QString chooseBoardFolder(const QString& programFolder) {
    const QString program = withSlash(programFolder);
    if (canCreateFiles(program))
        return program;

    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        return program;  // no data folder at all: saving will fail and say so
    // When the folder cannot be made either, it is still the best guess; the
    // saves will fail and be reported.
    QDir().mkpath(data);
    return withSlash(data);
}

}  // namespace leaderboard
