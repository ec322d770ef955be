// An exclusive lock on a file that every program writing it takes (flock on Unix), held from
// reading what the file ends with to the line being on the disk: two processes appending
// chained lines to one file keep one chain. Advisory: a program that does not take it is not
// held. Where the file cannot be opened for it, nothing is locked and the write that follows
// tells why it failed.
#pragma once

#include <QString>

namespace PLM_INC {

class FileLock {
public:
    // Waits until no other process holds the lock (the folder is made first if missing).
    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace PLM_INC
