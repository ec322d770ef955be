// Reading and writing the setting data files as wholes. A save writes the complete new file
// aside and replaces the old one only when it is complete, so a full disk or a crash leaves
// the old file intact. A load reads and checks the whole file before anything uses it, and
// closes it on every path.
#pragma once

#include "ChannelFile.h"
#include "RecordFile.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace PLM_INC {

enum class LoadStatus {
    Ok,
    WrongKind,  // the file's length says it is another kind of setting file
    Unreadable, // missing, unreadable, too large, or not a complete file of its kind
    Utf16,      // begins with a UTF-16 byte-order mark (Notepad's "Unicode")
};

// Larger files are not read at all: no setting file comes near this.
constexpr qint64 kMaxSettingFileBytes = 16 * 1024 * 1024;

// The whole file, if it opens and its length is `kind` (DataFileKind) and at most the limit.
// A UTF-8 byte-order mark (Notepad's and Excel's "UTF-8") is no part of the file's text: it is
// left out of the bytes and of the length the kind is judged by, and the rest is read by the
// usual rule (FileCodePage.h). A UTF-16 file is refused before its length is judged.
LoadStatus ReadSettingFileBytes(const QString &path, int kind, QByteArray &bytes);

LoadStatus LoadChannelFile(const QString &path, ChannelRows &rows);
// `count` records (20 for a block file, 320 for an all-channel file) from a file of `kind`.
LoadStatus LoadRecordFile(const QString &path, int kind, int count, std::vector<RawSettingRecord> &records);

// Writes the bytes aside and replaces the file with them; false (old file untouched) when
// anything fails.
bool SaveSettingFileBytes(const QString &path, const QByteArray &bytes);
bool SaveChannelFile(const QString &path, const ChannelRows &rows);
bool SaveRecordFile(const QString &path, const std::vector<RawSettingRecord> &records);

} // namespace PLM_INC
