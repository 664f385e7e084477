#include "platform/textfile.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace platform {

namespace {

constexpr char kCodePage[] = "GB18030";
constexpr qint64 kChunkBytes = 64 * 1024;

}  // namespace

QByteArray encodeGb18030(const QString& text) {
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString decodeGb18030(const QByteArray& bytes) {
    // A stateless decoder silently drops a multi-byte sequence that is cut
    // off at the end of the input. An LF after the bytes forces such a
    // sequence to be reported as invalid (it becomes U+FFFD like every other
    // bad byte); the LF itself is always decoded as one character and is
    // removed again.
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    QByteArray terminated = bytes;
    terminated.append('\n');
    QString text = decoder.decode(terminated);
    if (!text.isEmpty() && text.back() == QLatin1Char('\n'))
        text.chop(1);
    return text;
}

std::optional<QStringList> readTextLines(const QString& path, int maxLines,
                                         qint64 maxLineBytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;

    QStringList lines;
    if (maxLines <= 0)
        return lines;
    maxLineBytes = std::max<qint64>(maxLineBytes, 0);

    QByteArray line;             // bytes of the line being read, at most maxLineBytes
    bool lineStarted = false;    // some byte of the current line has been seen
    bool afterCr = false;        // the previous byte was a CR: an LF next belongs to it
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);

    auto finishLine = [&]() {
        lines.append(decodeGb18030(line));
        line.clear();
        lineStarted = false;
    };

    // The file is read in chunks and only as far as the last wanted line, so
    // a huge file costs one chunk of memory and the time to reach that line;
    // an over-long line is scanned to its end without being kept.
    while (lines.size() < maxLines) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got <= 0)
            break;  // end of file, or a read error: keep what was read
        const char* p = chunk.constData();
        const char* const end = p + got;
        while (p < end && lines.size() < maxLines) {
            if (afterCr) {
                afterCr = false;
                if (*p == '\n') {
                    ++p;
                    continue;
                }
            }
            // Find the next line end in this chunk.
            const char* stop = p;
            while (stop < end && *stop != '\r' && *stop != '\n')
                ++stop;
            if (stop > p) {
                lineStarted = true;
                const qint64 room = maxLineBytes - line.size();
                const qint64 take = std::min<qint64>(room, stop - p);
                if (take > 0)
                    line.append(p, static_cast<qsizetype>(take));
            }
            if (stop == end) {
                p = end;  // the line goes on in the next chunk
                break;
            }
            afterCr = (*stop == '\r');
            finishLine();
            p = stop + 1;
        }
    }
    // A last line without a line end still counts.
    if (lineStarted && lines.size() < maxLines)
        finishLine();
    return lines;
}

bool writeTextLinesAtomically(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
        bytes += encoder.encode(line);
        if (encoder.hasError())
            return false;  // text the code page cannot hold (a lone surrogate)
        bytes += "\r\n";
    }

    // Unbuffered, so that every write reports what reached the file: with a
    // buffer, a write that fails only when the buffer is flushed inside
    // commit() (a full disk) is not noticed by QSaveFile, which then renames
    // the cut file over the old one. A short write is continued; one that
    // writes nothing is a failure.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        done += n;
    }
    return file.commit();
}

}  // namespace platform
