#include "WholeFile.h"

#include <QDir>
#include <QSaveFile>

namespace PLM_INC {

bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *why)
{
    QSaveFile file(path);
    // A file smaller than QSaveFile's buffer reaches the disk only in commit(), which puts it in
    // place even when that write fails (a full disk): the flush before it finds the failure.
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return true;
    if (why)
        *why = QStringLiteral("Cannot write the new file \"%1\": %2.").arg(QDir::toNativeSeparators(path), file.errorString());
    return false; // the copy aside is discarded with `file`
}

} // namespace PLM_INC
