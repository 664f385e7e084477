// The layout of the history file: the steps that bring each older layout
// up to this version's, and the statements that write and read games.
#pragma once

#include <iterator>

namespace history {

// The version this program writes, kept in the file as SQLite's
// user_version.
inline constexpr int kLayoutVersion = 1;

// kUpgrades[v] takes a file from version v to v + 1 (version 0 is a new,
// empty file), its statements separated by semicolons. All the steps a
// file needs run in one transaction, so a file is upgraded wholly or not at
// all.
inline const char* const kUpgrades[] = {
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
static_assert(std::size(kUpgrades) == kLayoutVersion, "one upgrade step to each version");

// No wrong entries bind as NULL, stored as ''.
inline constexpr char kInsertGame[] =
    "INSERT INTO games(started, level, score, ending, duration_ms) VALUES(ifnull(?, ''), ?, ?, ?, ?)";
inline constexpr char kInsertDelivery[] =
    "INSERT INTO deliveries(game_id, seq, amount, prior_total, expected_total, while_walking,"
    " answer_ticks, answer_ms, wrong_entries) VALUES(?, ?, ?, ?, ?, ?, ?, -1, ifnull(?, ''))";
// The columns this version reads; a file at this version without them is
// not a readable history. julianday() takes each start's own offset into
// account, so that the games come in the order of the moments they started.
inline constexpr char kSelectGames[] =
    "SELECT id, started, level, score, ending, duration_ms FROM games ORDER BY julianday(started), id";
inline constexpr char kSelectDeliveries[] =
    "SELECT game_id, amount, prior_total, expected_total, while_walking, answer_ticks,"
    " nullif(wrong_entries, '') FROM deliveries ORDER BY game_id, seq";

}  // namespace history
