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
// A CR or LF inside the name is written as a blank so the entry stays on one
// line.
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

// Fills `board` from the first ten lines of the file, line k into entry k;
// entries without a line keep their contents. Returns false when the file
// could not be opened for reading (the board is then untouched).
bool ReadBoard(const QString& fBoard, Board& board);

// Sets every entry to name "0", score 0 and writes that fresh board. Returns
// whether the file was written; the board in memory is fresh either way.
bool CreateBoard(const QString& fBoard, Board& board);

// Writes the board with (name, score) entered at `place` (0..9); entry 9 falls
// off. The board in memory is not changed, whether or not the write works: to
// show the new board, read the file again. The old file is replaced only when
// the new one has been written completely; returns false if it was not, and
// for a place outside 0..9 (nothing is written then).
bool SaveBoard(const QString& fBoard, const Board& board, int place, const QString& name,
               std::int32_t score);

}  // namespace leaderboard
