// One line at the end of a text file, on the disk before the call returns, or not there at all.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QFile;

namespace PLM_INC {

// Opens the file for appending, writes the line, flushes it, puts it on the disk with `sync`
// and closes the file. Returns "" when the line is on the disk, otherwise what failed with the
// system's reason. What reached the file of a failed line is cut off again; where even that
// fails, the next line written here first ends the unfinished one, so lines never run together.
QString AppendLineToDisk(const QString &path, const QByteArray &line, const std::function<bool(QFile &)> &sync);

} // namespace PLM_INC
