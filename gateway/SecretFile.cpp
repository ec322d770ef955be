#include "SecretFile.h"

#include "PrivateFile.h"

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

// Opens the file and checks it on the open file, so the readers judged are those of the file
// read. A FIFO or a device is opened without waiting for a writer, then refused as no file.
// The descriptor is left in `fd` when the file passes; -1 otherwise.
bool openPrivate(const QString &path, const QString &subject, int *fd, struct stat *st, QString *error)
{
    *fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (*fd < 0) {
        *error = QStringLiteral("%1 cannot be read: %2.").arg(subject, systemReason(errno));
        return false;
    }
    QString readers;
    if (::fstat(*fd, st) != 0)
        *error = QStringLiteral("%1 cannot be read: %2.").arg(subject, systemReason(errno));
    else if (!S_ISREG(st->st_mode))
        *error = QStringLiteral("%1 is not a file.").arg(subject);
    else if (!(readers = OtherReaders(*fd, *st)).isEmpty())
        *error = QStringLiteral("%1 may be read by others (%2): chmod 600 it and take others out of its ACL "
                                "(setfacl -b), or pass the password as the service's credential. Nothing is started.")
                     .arg(subject, readers);
    else
        return true;
    ::close(*fd);
    *fd = -1;
    return false;
}

} // namespace

bool CheckSecretHolder(const QString &path, const QString &subject, QString *error)
{
    int fd = -1;
    struct stat st {};
    if (!openPrivate(path, subject, &fd, &st, error))
        return false;
    ::close(fd);
    return true;
}

bool ReadPrivateFile(const QString &path, const QString &subject, qint64 mostBytes, const QString &limitText,
                     QByteArray *bytes, QString *error)
{
    int fd = -1;
    struct stat st {};
    if (!openPrivate(path, subject, &fd, &st, error))
        return false;
    bool ok = st.st_size <= mostBytes;
    if (!ok) {
        *error = QStringLiteral("%1 holds %2 bytes; %3 at most %4.").arg(subject).arg(qint64(st.st_size)).arg(limitText).arg(mostBytes);
    } else {
        bytes->resize(qsizetype(st.st_size));
        const ssize_t n = ::read(fd, bytes->data(), size_t(bytes->size()));
        ok = n >= 0;
        if (!ok)
            *error = QStringLiteral("%1 cannot be read: %2.").arg(subject, systemReason(errno));
        else
            bytes->truncate(qsizetype(n));
    }
    ::close(fd);
    return ok;
}

bool ReadSecretFile(const QString &path, QString *secret, QString *error)
{
    QByteArray bytes;
    if (!ReadPrivateFile(path, QStringLiteral("The password file %1").arg(path), kMostBytes, QStringLiteral("a password has"),
                         &bytes, error))
        return false;
    const qsizetype end = bytes.indexOf('\n');
    if (end >= 0)
        bytes.truncate(end);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    *secret = QString::fromUtf8(bytes);
    return true;
}
