#include "LineAppend.h"

#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace PLM_INC {

namespace {

QString quotedPath(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString openFailure(const QString &path, const QString &reason)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("Cannot open %1 for appending: the folder %2 does not exist (%3).")
            .arg(quotedPath(path), quotedPath(folder), reason);
    return QStringLiteral("Cannot open %1 for appending: %2.").arg(quotedPath(path), reason);
}

// The last byte of a file of `size` bytes; a line end when it cannot be read.
char lastByte(QFile &file, qint64 size)
{
    char last = '\n';
    if (!file.seek(size - 1) || file.read(&last, 1) != 1)
        return '\n';
    return last;
}

} // namespace

QString AppendLineToDisk(const QString &path, const QByteArray &line, const std::function<bool(QFile &)> &sync)
{
    if (path.isEmpty())
        return QStringLiteral("No file is chosen to write to.");
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return openFailure(path, file.errorString());
    const qint64 before = file.size();
    QByteArray bytes = line;
    // A line left unfinished (a failure whose cut failed too, a power cut, another program)
    // is ended first, so that this line stands on a line of its own.
    if (before > 0 && lastByte(file, before) != '\n')
        bytes.prepend("\r\n");

    QString why;
    if (file.write(bytes) != bytes.size() || !FlushWhole(file)) {
        why = QStringLiteral("Cannot write to %1: %2.").arg(quotedPath(path), file.errorString());
    } else {
        errno = 0;
        if (!sync(file)) {
            const int error = errno;
            why = QStringLiteral("Cannot put %1 on the disk: %2.")
                      .arg(quotedPath(path), error ? QString::fromLocal8Bit(std::strerror(error))
                                                   : QStringLiteral("the disk gave no reason"));
        }
    }
    file.close(); // closed first: a write left in the file's buffer must not follow the cut
    if (why.isEmpty() && file.error() != QFileDevice::NoError)
        why = QStringLiteral("Cannot close %1: %2.").arg(quotedPath(path), file.errorString());
    if (why.isEmpty())
        return why;

    if (QFileInfo(path).size() > before) {
        QFile cut(path);
        if (!cut.resize(before))
            why += QStringLiteral(" The unfinished line could not be removed (%1); the next line starts on a line of "
                                  "its own.")
                       .arg(cut.errorString());
    }
    return why;
}

} // namespace PLM_INC
