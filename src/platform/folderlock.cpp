#include "platform/folderlock.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr auto kRetryEvery = std::chrono::milliseconds(10);

}  // namespace

FolderLock::FolderLock(const QString& folder, int waitMs) {
    const QByteArray native = QFile::encodeName(folder);
    if (native.isEmpty())
        return;
    fd_ = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    // A holder may be stopped (a program in a debugger, a suspended session),
    // so the wait is bounded: polling with LOCK_NB up to a deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            mayWrite_ = held_ = true;
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            // ENOLCK, EOPNOTSUPP, EINVAL: a file system without these locks.
            mayWrite_ = true;
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(kRetryEvery);
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);  // closing the folder lets go of the lock
}

}  // namespace platform
