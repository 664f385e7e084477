// An exclusive lock on a folder, shared by every copy of a program that
// writes files in it, so that two copies never replace a file at once.
#pragma once

#include <QString>

namespace platform {

// Holds the lock from construction to destruction. It is the kernel's lock on
// the open folder (flock), which needs no lock file and goes with the process
// that holds it: a program that crashes or is killed never leaves it locked.
class FolderLock {
public:
    // Locks `folder`, waiting at most `waitMs` milliseconds (0: not at all)
    // for another holder to let go.
    FolderLock(const QString& folder, int waitMs);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Whether the caller may go on writing: the lock is held, or the folder's
    // file system keeps no such locks (then writing goes on unlocked, as
    // nothing better can be done there). False when another holder kept it
    // past the wait, or the folder cannot be opened.
    bool mayWrite() const { return mayWrite_; }
    // Whether the lock is really held: no other copy writes now.
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool mayWrite_ = false;
    bool held_ = false;
};

}  // namespace platform
