// libFuzzer entry: arbitrary bytes read as a board file.
//
// Checks that reading never fails on an existing file, that entries without a
// line are untouched, that a name is the text before the line's last comma as
// the board keeps names, that a board read and written again reads back the
// same, and that a score that reads is the rounded value of its text. The
// line reader is also run with small line and byte limits taken from the
// input and compared with a plain model of its rules.
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
// or CR LF, a last line without a line end counted, at most ten. `ended`
// tells whether the last line had a line end.
QList<QByteArray> rawLines(const QByteArray& data, bool* ended = nullptr) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    if (ended)
        *ended = true;
    for (qsizetype i = 0; i < data.size() && lines.size() < kEntries; ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            continue;
        lines.append(data.mid(start, i - start));
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < data.size() && lines.size() < kEntries) {
        lines.append(data.mid(start));
        if (ended)
            *ended = false;
    }
    return lines;
}

// The line reader with a limit from the input's first byte, against the
// model: the lines of the first `maxRead` bytes; the last is cut when the
// byte limit ended it before the file did.
void checkLimits(const QString& file, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    const qint64 maxRead = static_cast<unsigned char>(bytes[0]) * 4;
    const auto got = platform::readTextLines(file, kEntries, maxRead);
    check(got.has_value(), "existing file not read with limits");
    bool ended = true;
    const QList<QByteArray> lines = rawLines(bytes.left(maxRead), &ended);
    check(got->size() == lines.size(), "wrong number of lines with limits");
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const bool last = k == lines.size() - 1;
        const bool cut = last && !ended && bytes.size() > maxRead;
        check(got->at(k).cut == cut, "line wrongly marked cut");
        check(got->at(k).text == platform::decodeGb18030(lines[k]), "line kept wrongly");
    }
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

// In memory where it can be: every board written is synced to the disk,
// which a disk-backed folder makes the slowest part of a run.
QString tempPath(const char* what) {
    static const QString folder =
        ::access("/dev/shm", W_OK | X_OK) == 0 ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return folder + QStringLiteral("/fuzz_board_%1_%2.tmp").arg(getpid()).arg(what);
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
    checkLimits(file, bytes);
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
        check(name.size() <= kMaxNameLength, "name longer than a board keeps");
        const qsizetype comma = raw.lastIndexOf(',');
        if (comma < 0) {
            check(name == initial.sName[k], "name changed by a line without a comma");
            checkScoreText(platform::decodeGb18030(raw));
        } else {
            check(name == boardName(platform::decodeGb18030(raw.left(comma))), "name is not the text before the last comma");
            checkScoreText(platform::decodeGb18030(raw.mid(comma + 1)));
        }
        if (board.iScore[k] != initial.iScore[k])
            check(board.iScore[k] == parseScore(platform::decodeGb18030(raw.mid(comma + 1))),
                  "score changed without reading");
    }

    // What was read is written and read again unchanged: a name a board keeps
    // always fits a line the reader keeps whole.
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
