// Files the program writes whole (setting files, the header lines of a log or history file):
// written aside, flushed, and put in place of an old file of the name only when every byte is
// written, so a full disk or a crash never leaves a half-written file where a good one was.
#pragma once

#include <QByteArray>
#include <QString>

namespace PLM_INC {

// False, with what failed and the system's reason in `why`, when the file cannot be written
// whole; an old file of the name is then as it was.
bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

} // namespace PLM_INC
