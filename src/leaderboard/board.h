// The leaderboard files: one text file of ten "name,score" lines per level.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace leaderboard {

constexpr int kEntries = 10;
constexpr int kLevels = 2;  // one board for each level of play

// The longest name a board holds, in UTF-16 units (what the name box counts).
// A child's name is a few characters; 64 leave room for a whole family name.
// Longer names read from a file are cut to it.
constexpr int kMaxNameLength = 64;

// How long a save waits for another copy of the game that is saving in the
// same folder, in milliseconds. A save takes a few milliseconds; a copy that
// holds on longer is stuck, and the save is reported as failed.
constexpr int kLockWaitMs = 2000;

// The board in memory, index 0 is first place. Entries keep their contents
// between readings; reading overwrites them entry by entry.
struct Board {
    std::array<QString, kEntries> sName;
    std::array<std::int32_t, kEntries> iScore{};
};

bool operator==(const Board& a, const Board& b);
inline bool operator!=(const Board& a, const Board& b) { return !(a == b); }

// Full path of the board of level `grd` in `folder` (which ends in a path
// separator): folder + "dreb" + grd + ".tmp". Empty when there is no folder.
QString boardFileName(const QString& folder, int grd);

// A name as the board keeps it: a CR or LF becomes a blank (so the entry
// stays on one line), and a name longer than kMaxNameLength is cut to it,
// never in the middle of a character (a half character left at the end, as a
// length-limited name box may leave one, is dropped too).
QString boardName(const QString& name);

// One line of the file without its line end: name (as boardName keeps it),
// ",", score in decimal.
QString boardLine(const QString& name, std::int64_t score);

// Reads a score field: an optionally signed ("+" or "-") decimal number of
// ASCII digits with an optional fraction after a ".", blanks (spaces, tabs)
// around it; a fraction is rounded to the nearest integer, a half to the even
// one. Anything else, or a value outside the 32-bit signed range, gives
// nothing.
std::optional<std::int32_t> parseScore(const QString& text);

// Takes one line of the file into entry k: the name is the text before the
// last comma (unchanged when there is no comma), the score the text after it
// (or the whole line); a score that does not read keeps the old one.
void takeLine(const QString& line, Board& board, int k);

// The place a new score takes on `board`: the smallest k whose score is
// strictly below it (so a tie goes below the older entry), -1 for none.
int findPlace(const Board& board, std::int32_t score);

// Fills `board` from the first ten lines of the file, line k into entry k;
// entries without a line keep their contents, and so does the entry of a
// line that the read limit cuts off (its score is never taken from a cut
// line).
// Returns false when `fBoard` is not a regular file or cannot be read (the
// board is then untouched).
bool ReadBoard(const QString& fBoard, Board& board);

// Sets every entry to name "0", score 0 and writes that fresh board where no
// file stands yet. Returns whether the file was written; the board in memory
// is fresh either way, and a file that is there (a board another copy of the
// game has just made, or one that cannot be read) is left as it is.
bool CreateBoard(const QString& fBoard, Board& board);

enum class SaveResult {
    Saved,    // the board on disk holds the new entry
    NoPlace,  // the board changed meanwhile and the score no longer makes it; nothing written
    Failed,   // nothing written: see SaveBoard
};

// Saves (name, score) into the board on disk, which is locked for the save
// against other copies of the game. When the file still holds `board`, the
// board the window showed, the entry goes to `place` (0..9); when another
// game has changed it meanwhile, to the place findPlace gives on the board as
// it now is. Entry 9 falls off. The board in memory is not changed. The old
// file is replaced only when the new one has been written completely. Fails
// (writing nothing) for a place outside 0..9, when the lock stays busy past
// kLockWaitMs, when the file is there but is not a regular file or cannot be
// read or written, and when the write itself fails.
SaveResult SaveBoard(const QString& fBoard, const Board& board, int place, const QString& name,
                     std::int32_t score);

// Starts the board `fBoard` from the board `fFrom` when `fBoard` does not
// exist yet and `fFrom` can be read. Returns whether it was written.
bool StartBoardFrom(const QString& fBoard, const QString& fFrom);

// Removes what saves killed half-way left behind in `folder` (which ends in a
// path separator), for both levels, unless another copy of the game is saving
// there right now.
void removeUnfinishedSaves(const QString& folder);

}  // namespace leaderboard
