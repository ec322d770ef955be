#include "SecretFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMostBytes = 4096;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

bool ReadSecretFile(const QString &path, QString *secret, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    // Opened once and checked on the open file, so the mode seen is that of the file read.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = QStringLiteral("The password file %1 cannot be read: %2.").arg(path, systemReason(errno));
        return false;
    }
    struct stat st {};
    QByteArray bytes;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        *error = QStringLiteral("The password file %1 cannot be read: %2.").arg(path, systemReason(errno));
    } else if (!S_ISREG(st.st_mode)) {
        *error = QStringLiteral("The password file %1 is not a file.").arg(path);
        ok = false;
    } else if (st.st_mode & (S_IRGRP | S_IROTH)) {
        *error = QStringLiteral("The password file %1 may be read by others (mode %2): "
                                "chmod 600 it, or pass it as the service's credential. Nothing is started.")
                     .arg(path)
                     .arg(QString::number(st.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')));
        ok = false;
    } else if (st.st_size > kMostBytes) {
        *error = QStringLiteral("The password file %1 holds %2 bytes; a password has at most %3.")
                     .arg(path)
                     .arg(qint64(st.st_size))
                     .arg(kMostBytes);
        ok = false;
    } else {
        bytes.resize(qsizetype(st.st_size));
        const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
        ok = n >= 0;
        if (!ok)
            *error = QStringLiteral("The password file %1 cannot be read: %2.").arg(path, systemReason(errno));
        else
            bytes.truncate(qsizetype(n));
    }
    ::close(fd);
    if (!ok)
        return false;
    const qsizetype end = bytes.indexOf('\n');
    if (end >= 0)
        bytes.truncate(end);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    *secret = QString::fromUtf8(bytes);
    return true;
}
