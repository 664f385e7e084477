#include "leaderboard/board.h"

#include "platform/folderlock.h"
#include "platform/textfile.h"

#include <QStringList>

#include <limits>

namespace leaderboard {

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The folder of a board file, with its separator.
QString folderOf(const QString& fBoard) {
    return fBoard.left(fBoard.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList linesOf(const Board& board) {
    QStringList lines;
    for (int k = 0; k < kEntries; ++k)
        lines.append(boardLine(board.sName[k], board.iScore[k]));
    return lines;
}

// Writes `board` where no file stands yet, under the folder's lock, so that
// a board another copy of the game has just made is never overwritten.
bool writeNewBoard(const QString& fBoard, const Board& board) {
    const platform::FolderLock lock(folderOf(fBoard), kLockWaitMs);
    if (!lock.mayWrite() || platform::fileKind(fBoard) != platform::FileKind::Missing)
        return false;
    return platform::writeTextLinesAtomically(fBoard, linesOf(board));
}

}  // namespace

bool operator==(const Board& a, const Board& b) {
    return a.sName == b.sName && a.iScore == b.iScore;
}

QString boardFileName(const QString& folder, int grd) {
    if (folder.isEmpty())
        return QString();  // no folder for boards: no file is read or written
    return folder + QStringLiteral("dreb") + QString::number(grd) + QStringLiteral(".tmp");
}

QString boardName(const QString& name) {
    QString text = name.left(kMaxNameLength);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    // A line end inside a name would split its entry over two lines and
    // shift every entry below it.
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString boardLine(const QString& name, std::int64_t score) {
    return boardName(name) + QLatin1Char(',') + QString::number(static_cast<qlonglong>(score));
}

std::optional<std::int32_t> parseScore(const QString& text) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;

    bool negative = false;
    if (i < end && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }

    // Whole part, exactly: leading zeros do not count, and more than ten
    // significant digits are out of range whatever follows.
    std::int64_t magnitude = 0;
    int significant = 0;
    int digits = 0;
    for (; i < end && isDigit(text[i]); ++i) {
        ++digits;
        const int d = text[i].unicode() - '0';
        if (significant == 0 && d == 0)
            continue;
        if (++significant > 10)
            return std::nullopt;
        magnitude = magnitude * 10 + d;
    }

    // Fraction: only the first digit and whether any later digit is non-zero
    // matter for rounding to the nearest integer, a half to the even one.
    int firstFraction = 0;
    bool restNonZero = false;
    if (i < end && text[i] == QLatin1Char('.')) {
        ++i;
        bool first = true;
        for (; i < end && isDigit(text[i]); ++i) {
            ++digits;
            const int d = text[i].unicode() - '0';
            if (first)
                firstFraction = d;
            else if (d != 0)
                restNonZero = true;
            first = false;
        }
    }
    if (i != end || digits == 0)
        return std::nullopt;  // something else than a number, or no digit at all

    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || magnitude % 2 != 0)))
        ++magnitude;

    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void takeLine(const QString& line, Board& board, int k) {
    if (k < 0 || k >= kEntries)
        return;
    // The name ends at the last comma: the score never holds one, so a name
    // with commas in it keeps its score.
    const qsizetype comma = line.lastIndexOf(QLatin1Char(','));
    QString scoreText;
    if (comma >= 0) {
        board.sName[k] = boardName(line.left(comma));
        scoreText = line.mid(comma + 1);
    } else {
        scoreText = line;
    }
    if (const auto score = parseScore(scoreText))
        board.iScore[k] = *score;
}

int findPlace(const Board& board, std::int32_t score) {
    for (int k = 0; k < kEntries; ++k) {
        if (score > board.iScore[k])
            return k;
    }
    return -1;
}

bool ReadBoard(const QString& fBoard, Board& board) {
    const auto lines = platform::readTextLines(fBoard, kEntries);
    if (!lines)
        return false;
    for (int k = 0; k < lines->size() && k < kEntries; ++k) {
        // A line the read limit cut has lost its end, where the score
        // stands: its entry keeps what it held, like any line that does not
        // read.
        if (!lines->at(k).cut)
            takeLine(lines->at(k).text, board, k);
    }
    return true;
}

bool CreateBoard(const QString& fBoard, Board& board) {
    for (int k = 0; k < kEntries; ++k) {
        board.sName[k] = QStringLiteral("0");
        board.iScore[k] = 0;
    }
    return writeNewBoard(fBoard, board);
}

SaveResult SaveBoard(const QString& fBoard, const Board& board, int place, const QString& name,
                     std::int32_t score) {
    if (place < 0 || place >= kEntries)
        return SaveResult::Failed;
    // Another copy of the game may be saving into the same board: the lock
    // keeps the two saves apart, and the board is read again under it so
    // that the other copy's entry is kept.
    const platform::FolderLock lock(folderOf(fBoard), kLockWaitMs);
    if (!lock.mayWrite())
        return SaveResult::Failed;
    if (lock.held())
        platform::removeUnfinishedWrites(fBoard);

    Board current = board;
    switch (platform::fileKind(fBoard)) {
    case platform::FileKind::Missing:
        break;  // gone since the window read it: the board it showed is written
    case platform::FileKind::Other:
        return SaveResult::Failed;  // never written through or over
    case platform::FileKind::Regular:
        if (!ReadBoard(fBoard, current))
            return SaveResult::Failed;  // a board that cannot be read is never replaced
        if (current != board) {
            place = findPlace(current, score);
            if (place < 0)
                return SaveResult::NoPlace;
        }
        break;
    }

    QStringList lines;
    for (int k = 0; k < place; ++k)
        lines.append(boardLine(current.sName[k], current.iScore[k]));
    lines.append(boardLine(name, score));
    for (int k = place; k < kEntries - 1; ++k)
        lines.append(boardLine(current.sName[k], current.iScore[k]));
    return platform::writeTextLinesAtomically(fBoard, lines) ? SaveResult::Saved : SaveResult::Failed;
}

bool StartBoardFrom(const QString& fBoard, const QString& fFrom) {
    Board board;
    if (platform::fileKind(fBoard) != platform::FileKind::Missing || !ReadBoard(fFrom, board))
        return false;
    return writeNewBoard(fBoard, board);
}

void removeUnfinishedSaves(const QString& folder) {
    // Without waiting: a copy of the game saving right now holds the lock,
    // and its file being written must not go; the next save cleans up.
    const platform::FolderLock lock(folder, 0);
    if (!lock.held())
        return;
    for (int grd = 0; grd < kLevels; ++grd)
        platform::removeUnfinishedWrites(boardFileName(folder, grd));
}

}  // namespace leaderboard
