// Files the program writes whole (setting files, the header lines of a log or history file):
// written aside, flushed, and put in place of an old file of the name only when every byte is
// written, so a full disk or a crash never leaves a half-written file where a good one was.
#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace PLM_INC {

// Flushes what the file holds back. A flush that reaches the disk only in part records no
// error of its own ("Unknown error"); the rest is flushed again until a write takes nothing,
// and that write records the system's reason (a full disk, a file-size limit).
bool FlushWhole(QFileDevice &file);

// False, with what failed and the system's reason in `why`, when the file cannot be written
// whole; an old file of the name is then as it was.
bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

} // namespace PLM_INC
