// A disk that never answers, loaded with LD_PRELOAD into a program under test: putting a file
// opened for appending (log and history lines) on the disk never returns; other files do.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

static int syncUnlessAppending(int fd, const char *name)
{
    for (const int flags = fcntl(fd, F_GETFL); flags != -1 && (flags & O_APPEND);)
        pause();
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, name))(fd);
}

extern "C" int fdatasync(int fd) { return syncUnlessAppending(fd, "fdatasync"); }
extern "C" int fsync(int fd) { return syncUnlessAppending(fd, "fsync"); }
