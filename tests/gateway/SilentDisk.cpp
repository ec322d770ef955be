// A disk that never answers, loaded with LD_PRELOAD into a program under test: putting a file
// opened for appending (the log and history lines) on the disk never returns. Other files
// (the history file's creation, preferences) reach the disk as usual.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using SyncCall = int (*)(int);

int syncUnlessAppending(int fd, const char *name)
{
    const int flags = fcntl(fd, F_GETFL);
    while (flags != -1 && (flags & O_APPEND))
        pause();
    return reinterpret_cast<SyncCall>(dlsym(RTLD_NEXT, name))(fd);
}

} // namespace

extern "C" int fdatasync(int fd)
{
    return syncUnlessAppending(fd, "fdatasync");
}

extern "C" int fsync(int fd)
{
    return syncUnlessAppending(fd, "fsync");
}
