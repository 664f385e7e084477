// The layout of the history file: the steps that bring each older layout
// up to this version's, and the statements that write and read games.
#pragma once

#include <iterator>

namespace history {

// The version this program writes, kept in the file as SQLite's
// user_version.
inline constexpr int kLayoutVersion = 2;

// kUpgrades[v] takes a file from version v to v + 1 (version 0 is a new,
// empty file), its statements separated by semicolons. All the steps a
// file needs run in one transaction, so a file is upgraded wholly or not at
// all.
inline const char* const kUpgrades[] = {
    // Version 1: one row per game, one per load. The loads live in their
    // game's key order (WITHOUT ROWID), so reading them back is one pass
    // over one b-tree.
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
    // Version 2: the family's children, each game under its child (or none:
    // "other children"), whether practice chose its amounts, and the
    // family's settings. Version 1 kept an answer's wall-clock time beside
    // its answer clock's ticks, which are its one time, and an index that
    // nothing used: both go.
    "CREATE TABLE children(id INTEGER PRIMARY KEY, name TEXT NOT NULL, animal TEXT NOT NULL,"
    " practice INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL);"
    "ALTER TABLE games ADD COLUMN child_id INTEGER REFERENCES children(id) ON DELETE SET NULL;"
    "ALTER TABLE games ADD COLUMN practice INTEGER NOT NULL DEFAULT 0;"
    "CREATE INDEX games_child ON games(child_id);"
    "DROP INDEX IF EXISTS games_started;"
    "ALTER TABLE deliveries DROP COLUMN answer_ms",
};
static_assert(std::size(kUpgrades) == kLayoutVersion, "one upgrade step to each version");

// No wrong entries bind as NULL, stored as ''.
// A game of a child removed meanwhile (by another copy of the game) goes
// to no child.
inline constexpr char kInsertGame[] =
    "INSERT INTO games(started, level, score, ending, duration_ms, child_id, practice)"
    " VALUES(ifnull(?, ''), ?, ?, ?, ?, (SELECT id FROM children WHERE id = ?), ?)";
inline constexpr char kInsertDelivery[] =
    "INSERT INTO deliveries(game_id, seq, amount, prior_total, expected_total, while_walking,"
    " answer_ticks, wrong_entries) VALUES(?, ?, ?, ?, ?, ?, ?, ifnull(?, ''))";
// The columns this version reads; a file at this version without them is
// not a readable history. julianday() takes each start's own offset into
// account, so that the games come in the order of the moments they started.
inline constexpr char kSelectGames[] =
    "SELECT id, started, level, score, ending, duration_ms, child_id, practice FROM games"
    " ORDER BY julianday(started), id";
// The same from a file of version 1, which can only be read (it is brought
// up to date when it can be written).
inline constexpr char kSelectGamesVersion1[] =
    "SELECT id, started, level, score, ending, duration_ms, NULL, 0 FROM games ORDER BY julianday(started), id";
// The child a game is shown under in the parents' window: its own, or 0
// (the games of no child) when that child is not in the family.
inline constexpr char kShownUnder[] = "(CASE WHEN child_id IN (SELECT id FROM children) THEN child_id ELSE 0 END)";
inline constexpr char kSelectDeliveries[] =
    "SELECT game_id, amount, prior_total, expected_total, while_walking, answer_ticks,"
    " nullif(wrong_entries, '') FROM deliveries ORDER BY game_id, seq";

}  // namespace history
