// libFuzzer entry: arbitrary bytes read as a board file.
//
// Checks that reading never fails on an existing file, that entries without a
// line are untouched, that names hold no line end and every comma of the raw
// line, that a board read and written again reads back the same, and that a
// score that reads is the rounded value of its text.
#include "leaderboard/board.h"
#include "platform/textfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace leaderboard;

namespace {

// Well below the reader's line limit, even when every byte of a line turns
// into a four-byte replacement character when written back.
constexpr qsizetype kShortLine = 8 * 1024;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_board: %s\n", what);
        std::abort();
    }
}

Board markedBoard() {
    Board b;
    for (int k = 0; k < kEntries; ++k) {
        b.sName[k] = QStringLiteral("init%1").arg(k);
        b.iScore[k] = -7 - k;
    }
    return b;
}

// The raw lines of the file as the reader should see them: split at CR, LF
// or CR LF, a last line without a line end counted, at most ten.
QList<QByteArray> rawLines(const QByteArray& data) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size() && lines.size() < kEntries; ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            continue;
        lines.append(data.mid(start, i - start));
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < data.size() && lines.size() < kEntries)
        lines.append(data.mid(start));
    return lines;
}

void checkScoreText(const QString& text) {
    const auto score = parseScore(text);
    if (!score)
        return;
    check(parseScore(QString::number(*score)) == score, "score does not read back");
    const std::string ascii = text.toStdString();
    const double value = std::strtod(ascii.c_str(), nullptr);
    check(std::fabs(value - *score) <= 0.5 + 1e-9 * std::fabs(value), "score is not the rounded text");
}

QString tempPath(const char* what) {
    return QDir::tempPath() + QStringLiteral("/fuzz_board_%1_%2.tmp").arg(getpid()).arg(what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkScoreText(QString::fromLatin1(bytes.left(200)));

    const QString file = tempPath("in");
    {
        QFile f(file);
        check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
        check(f.write(bytes) == bytes.size(), "cannot write the input");
    }

    Board board = markedBoard();
    check(ReadBoard(file, board), "existing file not read");
    QFile::remove(file);
    const QList<QByteArray> lines = rawLines(bytes);
    const Board initial = markedBoard();
    for (int k = 0; k < kEntries; ++k) {
        const QString& name = board.sName[k];
        check(!name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n')), "line end in a name");
        if (k >= lines.size()) {
            check(name == initial.sName[k] && board.iScore[k] == initial.iScore[k],
                  "entry without a line changed");
            continue;
        }
        const QByteArray& raw = lines[k];
        if (raw.size() > kShortLine)
            continue;  // cut at the line limit: only the general checks apply
        const qsizetype commas = raw.count(',');
        if (commas == 0) {
            check(name == initial.sName[k], "name changed by a line without a comma");
            checkScoreText(platform::decodeGb18030(raw));
        } else {
            check(name.count(QLatin1Char(',')) == commas - 1, "commas of the name lost");
            checkScoreText(platform::decodeGb18030(raw.mid(raw.lastIndexOf(',') + 1)));
        }
        if (board.iScore[k] != initial.iScore[k])
            check(board.iScore[k] == parseScore(platform::decodeGb18030(raw.mid(raw.lastIndexOf(',') + 1))),
                  "score changed without reading");
    }

    // What was read is written and read again unchanged (as long as no line
    // grows past the reader's line limit on the way).
    if (bytes.size() > kShortLine)
        return 0;
    QStringList out;
    for (int k = 0; k < kEntries; ++k)
        out.append(boardLine(board.sName[k], board.iScore[k]));
    const QString copy = tempPath("copy");
    check(platform::writeTextLinesAtomically(copy, out), "board not written");
    Board again;
    check(ReadBoard(copy, again), "written board not read");
    check(again.sName == board.sName && again.iScore == board.iScore, "board changed on the way round");

    QFile::remove(copy);
    return 0;
}
