#include "leaderboard/board.h"

#include "platform/textfile.h"

#include <QStringList>

#include <limits>

namespace leaderboard {

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// A line end inside a name would split its entry over two lines and shift
// every entry below it, so it is written as a blank.
QString oneLine(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

}  // namespace

QString boardFileName(const QString& folder, int grd) {
    return folder + QStringLiteral("dreb") + QString::number(grd) + QStringLiteral(".tmp");
}

QString boardLine(const QString& name, std::int64_t score) {
    return oneLine(name) + QLatin1Char(',') + QString::number(static_cast<qlonglong>(score));
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
        board.sName[k] = line.left(comma);
        scoreText = line.mid(comma + 1);
    } else {
        scoreText = line;
    }
    if (const auto score = parseScore(scoreText))
        board.iScore[k] = *score;
}

bool ReadBoard(const QString& fBoard, Board& board) {
    const auto lines = platform::readTextLines(fBoard, kEntries);
    if (!lines)
        return false;
    for (int k = 0; k < lines->size() && k < kEntries; ++k)
        takeLine(lines->at(k), board, k);
    return true;
}

bool CreateBoard(const QString& fBoard, Board& board) {
    QStringList lines;
    for (int k = 0; k < kEntries; ++k) {
        board.sName[k] = QStringLiteral("0");
        board.iScore[k] = 0;
        lines.append(boardLine(board.sName[k], board.iScore[k]));
    }
    return platform::writeTextLinesAtomically(fBoard, lines);
}

bool SaveBoard(const QString& fBoard, const Board& board, int place, const QString& name,
               std::int32_t score) {
    if (place < 0 || place >= kEntries)
        return false;
    QStringList lines;
    for (int k = 0; k < place; ++k)
        lines.append(boardLine(board.sName[k], board.iScore[k]));
    lines.append(boardLine(name, score));
    for (int k = place; k < kEntries - 1; ++k)
        lines.append(boardLine(board.sName[k], board.iScore[k]));
    return platform::writeTextLinesAtomically(fBoard, lines);
}

}  // namespace leaderboard
