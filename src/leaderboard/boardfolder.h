// Where the leaderboard files are kept.
#pragma once

#include <QString>

namespace leaderboard {

// The folder for the board files, ending in "/": `programFolder` (which ends
// in "/") when files can be created there, otherwise the user's data folder
// for the game (created when needed). Decided once at start-up.
QString chooseBoardFolder(const QString& programFolder);

}  // namespace leaderboard
