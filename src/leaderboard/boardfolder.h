// Where the leaderboard files are kept.
#pragma once

#include <QString>

namespace leaderboard {

enum class BoardHome {
    // Next to the program when it may keep its boards there, otherwise in
    // the user's data folder: a game built and started from its source tree.
    ProgramFolder,
    // Always in the user's data folder, and the program's folder is never
    // read or written: an installed game.
    UserData,
};

// The home this build was made for (the build option
// PELLARO_BOARDS_IN_USER_DATA chooses UserData).
BoardHome builtBoardHome();

// The user's data folder for the game, ending in "/":
// $XDG_DATA_HOME/pellaro/, by default ~/.local/share/pellaro/.
QString userBoardFolder();

// The folder for the board files, ending in "/", decided once at start-up.
// ProgramFolder: `programFolder` (with a "/" added when missing) when the
// game may write its boards there, as its access rights say (no file is made
// to find out); otherwise the user's data folder, where a level that has no
// board yet starts from the program folder's board, so that no score is
// lost. UserData: the user's data folder. The user's data folder is made when
// needed; when it cannot be, it is still chosen and saving says that it
// failed. Leftovers of saves killed half-way are removed from the folder
// chosen.
QString chooseBoardFolder(const QString& programFolder, BoardHome home = builtBoardHome());

}  // namespace leaderboard
