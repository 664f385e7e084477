// Line-oriented text files in a multi-byte Chinese code page (GB18030, which
// holds every GBK byte sequence unchanged), read and replaced safely in a
// folder that other programs, people or a crash may have left anything in.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// What stands at a path, looked at without following a symbolic link.
enum class FileKind {
    Missing,  // nothing (or the folder itself is missing)
    Regular,  // a regular file
    Other,    // a folder, a symbolic link, a FIFO, a device, a socket, or no way to tell
};
FileKind fileKind(const QString& path);

// One line as read; `cut` when the read limit ended the file's bytes inside
// it, so that `text` holds only its beginning.
struct TextLine {
    QString text;
    bool cut = false;
};

// No more than this many bytes of a file are read, so a huge file costs a
// bounded amount of memory and time.
constexpr qint64 kMaxReadBytes = 1024 * 1024;

// Reads at most `maxLines` lines from the first `maxReadBytes` bytes of the
// regular file `path`, in one read. A line ends at CR LF, CR or a lone LF;
// the line end is not part of the line. Bytes that are not valid in the code
// page become U+FFFD. A line that the byte limit cuts off is marked cut.
// Returns nothing when `path` is not a regular file (a symbolic link, a FIFO,
// a device or a folder is never opened for reading, so none can block or feed
// endless bytes) or cannot be opened for reading.
std::optional<QList<TextLine>> readTextLines(const QString& path, int maxLines,
                                             qint64 maxReadBytes = kMaxReadBytes);

// Replaces the regular file `path` (or creates it, where nothing stands) with
// `lines`, each followed by CR LF, encoded in GB18030. The bytes go to a new
// file beside it, named `path` + "." + six letters or digits, which is synced
// and renamed over the old one, so a crash or a full disk never leaves a
// truncated file. The new file keeps the old one's permissions (and, for
// root, its owner and group). Never writes through a symbolic link or over
// anything but a regular file, and never over a file this process may not
// write. Returns false (and leaves the old file as it was) when anything
// fails. The path must be absolute.
bool writeTextLinesAtomically(const QString& path, const QStringList& lines);

// Removes what writes of `path` killed half-way left behind: the regular
// files named `path` + "." + six letters or digits, and nothing else. Returns
// how many were removed. Call it only while no other writer of `path` runs.
int removeUnfinishedWrites(const QString& path);

// Decodes text in the files' code page.
QString decodeGb18030(const QByteArray& bytes);

}  // namespace platform
