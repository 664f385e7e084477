// The leaderboard files: one text file of ten "name,score" lines per level.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace leaderboard {

constexpr int kEntries = 10;

// The board in memory, index 0 is first place. Entries keep their contents
// between readings; reading overwrites them entry by entry.
struct Board {
    std::array<QString, kEntries> sName;
    std::array<std::int32_t, kEntries> iScore{};
};

// Full path of the board of level `grd` in `folder` (which ends in a path
// separator): folder + "dreb" + grd + ".tmp".
QString boardFileName(const QString& folder, int grd);

// One line of the file without its line end: name, ",", score in decimal.
QString boardLine(const QString& name, std::int64_t score);

// Reads a score field: an optionally signed decimal number with blanks around
// it, a fraction rounded half to even, within the 32-bit signed range.
std::optional<std::int32_t> parseScore(const QString& text);

// Takes one line of the file into entry k: the name is the text before the
// last comma (unchanged when there is no comma), the score the text after it
// (or the whole line); a score that does not read keeps the old one.
void takeLine(const QString& line, Board& board, int k);

// Fills `board` from the file. Returns false when the file could not be opened
// for reading (the board is then untouched).
bool ReadBoard(const QString& fBoard, Board& board);

// Sets every entry to name "0", score 0 and writes that fresh board. Returns
// whether the file was written; the board in memory is fresh either way.
bool CreateBoard(const QString& fBoard, Board& board);

// Writes the board with (name, score) entered at `place` (0..9); entry 9 falls
// off. The board in memory is not changed. The old file is replaced only when
// the new one has been written completely; returns false if it was not.
bool SaveBoard(const QString& fBoard, const Board& board, int place, const QString& name,
               std::int32_t score);

}  // namespace leaderboard
