// Line-oriented text files in a multi-byte Chinese code page (GB18030, which
// holds every GBK byte sequence unchanged).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// Reads at most `maxLines` lines from `path`. A line ends at CR, LF or CR LF;
// the line end is not part of the line. Bytes that are not valid in the code
// page become U+FFFD. Reading stops after `maxLines` lines or `maxLineBytes`
// bytes in one line (the rest of that line is skipped), so a huge file costs
// little. Returns nothing when the file cannot be opened for reading.
std::optional<QStringList> readTextLines(const QString& path, int maxLines,
                                         qint64 maxLineBytes = 64 * 1024);

// Replaces `path` atomically with `lines`, each followed by CR LF, encoded in
// GB18030: a new file is written beside it and renamed over the old one, so a
// crash or a full disk never leaves a truncated file. Returns false (and
// leaves the old file as it was) when anything fails.
bool writeTextLinesAtomically(const QString& path, const QStringList& lines);

// Encodes / decodes text in the board files' code page.
QByteArray encodeGb18030(const QString& text);
QString decodeGb18030(const QByteArray& bytes);

}  // namespace platform
