#include "FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace PLM_INC {

FileLock::FileLock(const QString &path)
{
#ifdef Q_OS_UNIX
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
#else
    Q_UNUSED(path);
#endif
}

FileLock::~FileLock()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd); // closing the last descriptor of the open file lets the lock go
#endif
}

} // namespace PLM_INC
