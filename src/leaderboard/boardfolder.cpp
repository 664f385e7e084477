#include "leaderboard/boardfolder.h"

#include "leaderboard/board.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

#ifndef PELLARO_BOARDS_IN_USER_DATA
#define PELLARO_BOARDS_IN_USER_DATA 0
#endif

namespace leaderboard {

namespace {

QString withSlash(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("./");
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Whether this process may do `mode` to `path`, by its effective user and
// group. A read-only mount says no even to root.
bool mayAccess(const QString& path, int mode) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), mode, AT_EACCESS) == 0;
}

// Whether the boards can be kept in `folder`: new files can be made there,
// and each board already there is a regular file that can be read and
// replaced. Told from the access rights alone, so nothing is written.
bool canKeepBoards(const QString& folder) {
    if (!mayAccess(folder, W_OK | X_OK))
        return false;
    for (int grd = 0; grd < kLevels; ++grd) {
        const QString fBoard = boardFileName(folder, grd);
        switch (platform::fileKind(fBoard)) {
        case platform::FileKind::Missing:
            break;
        case platform::FileKind::Regular:
            if (!mayAccess(fBoard, R_OK | W_OK))
                return false;
            break;
        case platform::FileKind::Other:
            return false;
        }
    }
    return true;
}

}  // namespace

BoardHome builtBoardHome() {
    return PELLARO_BOARDS_IN_USER_DATA ? BoardHome::UserData : BoardHome::ProgramFolder;
}

QString userBoardFolder() {
    // A relative $XDG_DATA_HOME is to be ignored, but Qt takes it as it is.
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(QDir::cleanPath(data)) + QStringLiteral("pellaro/");
}

QString chooseBoardFolder(const QString& programFolder, BoardHome home) {
    const QString program = withSlash(programFolder);
    if (home == BoardHome::ProgramFolder && canKeepBoards(program)) {
        removeUnfinishedSaves(program);
        return program;
    }

    const QString data = userBoardFolder();
    QDir().mkpath(data);
    if (home == BoardHome::ProgramFolder) {
        for (int grd = 0; grd < kLevels; ++grd)
            StartBoardFrom(boardFileName(data, grd), boardFileName(program, grd));
    }
    removeUnfinishedSaves(data);
    return data;
}

}  // namespace leaderboard
