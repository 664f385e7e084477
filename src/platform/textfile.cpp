#include "platform/textfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char kCodePage[] = "GB18030";
// The six characters after "<file>." that name a file being written.
constexpr int kSuffixLength = 6;
constexpr char kSuffixChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Closes a descriptor when it goes.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens `path` for reading only when it is a regular file. The lstat keeps a
// link, a FIFO or a device from being opened at all (opening some devices
// does things); O_NOFOLLOW and O_NONBLOCK make an open of a path swapped
// meanwhile neither follow a link nor wait for a FIFO's writer, and the
// fstat tells what was really opened.
int openRegularFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (native.isEmpty() || ::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One read(), continued after a signal; 0 at the end of the file, -1 on error.
qint64 readSome(int fd, char* into, qint64 size) {
    for (;;) {
        const ssize_t n = ::read(fd, into, static_cast<size_t>(size));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool writeAll(int fd, const QByteArray& bytes) {
    // Every byte is handed to the kernel here, unbuffered, so that nothing
    // counts as written that did not reach the file: a short write is
    // continued, one that writes nothing (a full disk, the file-size limit)
    // is a failure.
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Creates a new, empty file `target` + "." + six random letters or digits,
// with the usual permissions for a new file (0666 less the umask).
int createSibling(const QByteArray& target, QByteArray& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = target + '.';
        for (int i = 0; i < kSuffixLength; ++i)
            temp += kSuffixChars[QRandomGenerator::global()->bounded(int(sizeof kSuffixChars) - 1)];
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes `bytes` as the new contents of `path`; see writeTextLinesAtomically.
bool replaceFile(const QString& path, const QByteArray& bytes) {
    if (!QDir::isAbsolutePath(path))
        return false;
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    bool existed = false;
    if (::lstat(target.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return false;  // a link, FIFO, device or folder is never written over
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            return false;  // a file made read-only stays as it is
        existed = true;
    } else if (errno != ENOENT) {
        return false;
    }

    QByteArray temp;
    const int fd = createSibling(target, temp);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    if (ok && existed) {
        // The new file takes the old one's place and so its permissions; for
        // root also its owner and group, so that a save by root does not lock
        // the owner out. Only the permission bits are kept (no set-id bits).
        // A file system without modes leaves the file as it makes it.
        if (::geteuid() == 0)
            (void)!::fchown(fd, old.st_uid, old.st_gid);
        (void)!::fchmod(fd, old.st_mode & 0777);
    }
    // On the disk before the rename, so that a crash leaves the old file or
    // the whole new one. A file system that cannot sync says EINVAL.
    ok = ok && (::fsync(fd) == 0 || errno == EINVAL);
    ok = (::close(fd) == 0 || errno == EINTR) && ok;
    if (ok)
        ok = ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    // The rename itself on the disk too; a failure here changes nothing.
    const qsizetype slash = target.lastIndexOf('/');
    const Descriptor folder{::open(target.left(slash + 1).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0)
        ::fsync(folder.fd);
    return true;
}

bool isSuffixChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

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

FileKind fileKind(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (native.isEmpty())
        return FileKind::Missing;
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Other;
    return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
}

std::optional<QList<TextLine>> readTextLines(const QString& path, int maxLines, qint64 maxReadBytes) {
    const Descriptor file{openRegularFile(path)};
    if (file.fd < 0)
        return std::nullopt;

    // As much as the file holds, up to one byte past the limit, which tells
    // whether the file ends within it; room for more is made should the
    // file have grown since.
    const qint64 limit = std::max<qint64>(maxReadBytes, 0);
    struct stat st {};
    const qint64 size = ::fstat(file.fd, &st) == 0 ? std::max<qint64>(st.st_size, 0) : limit;
    QByteArray bytes(static_cast<qsizetype>(std::min(size, limit) + 1), Qt::Uninitialized);
    qint64 got = 0;
    bool atEnd = false;
    for (;;) {
        if (got == bytes.size()) {
            if (got > limit)
                break;
            bytes.resize(static_cast<qsizetype>(limit + 1));
        }
        const qint64 n = readSome(file.fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0) {
            atEnd = n == 0;  // a read error: keep what was read, the rest is unknown
            break;
        }
        got += n;
    }
    if (got > limit)
        atEnd = false;
    bytes.truncate(static_cast<qsizetype>(std::min(got, limit)));

    QList<TextLine> lines;
    qsizetype at = 0;
    while (lines.size() < maxLines && at < bytes.size()) {
        qsizetype stop = at;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        const bool ended = stop < bytes.size();
        lines.append({decodeGb18030(bytes.mid(at, stop - at)), !ended && !atEnd});
        at = stop + 1;
        if (ended && bytes[stop] == '\r' && at < bytes.size() && bytes[at] == '\n')
            ++at;
    }
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
    return replaceFile(path, bytes);
}

int removeUnfinishedWrites(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0)
        return 0;
    const QByteArray prefix = native.mid(slash + 1) + '.';
    DIR* const dir = ::opendir(native.left(slash + 1).constData());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + kSuffixLength || !name.startsWith(prefix) ||
            !std::all_of(name.cbegin() + prefix.size(), name.cend(), isSuffixChar))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && ::unlinkat(::dirfd(dir), name.constData(), 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace platform
