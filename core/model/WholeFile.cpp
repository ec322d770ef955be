#include "WholeFile.h"

#include <QDir>
#include <QSaveFile>

namespace PLM_INC {

bool FlushWhole(QFileDevice &file)
{
    for (;;) {
        const qint64 waiting = file.bytesToWrite();
        if (file.flush())
            return true;
        const qint64 left = file.bytesToWrite();
        if (left == 0 || left >= waiting)
            return false;
    }
}

bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *why)
{
    QSaveFile file(path);
    // A file smaller than QSaveFile's buffer reaches the disk only in commit(), which puts it in
    // place even when that write fails (a full disk): the flush before it finds the failure.
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && FlushWhole(file) && file.commit())
        return true;
    if (why)
        *why = QStringLiteral("Cannot write the new file \"%1\": %2.").arg(QDir::toNativeSeparators(path), file.errorString());
    return false; // the copy aside is discarded with `file`
}

} // namespace PLM_INC
