#include "SettingFileIo.h"

#include "DataFileKind.h"

#include <QFile>
#include "WholeFile.h"

namespace PLM_INC {

LoadStatus ReadSettingFileBytes(const QString &path, int kind, QByteArray &bytes)
{
    if (path.isEmpty())
        return LoadStatus::Unreadable;
    QFile file(path);
    // The length is taken from the opened file, so a file removed after the dialog is
    // reported as unreadable rather than as a file of the wrong kind.
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return LoadStatus::Unreadable;
    const QByteArray start = file.peek(3);
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF"))
        return LoadStatus::Utf16;
    const qint64 mark = start == "\xEF\xBB\xBF" ? 3 : 0;
    const qint64 length = file.size() - mark;
    if (DataFileKind(length) != kind)
        return LoadStatus::WrongKind;
    if (length > kMaxSettingFileBytes)
        return LoadStatus::Unreadable;
    file.skip(mark);
    bytes = file.read(length); // never more than the length the kind was judged by
    const bool complete = bytes.size() == length && file.error() == QFileDevice::NoError;
    file.close();
    return complete ? LoadStatus::Ok : LoadStatus::Unreadable;
}

LoadStatus LoadChannelFile(const QString &path, ChannelRows &rows)
{
    QByteArray bytes;
    const LoadStatus status = ReadSettingFileBytes(path, kChannelFileKind, bytes);
    if (status != LoadStatus::Ok)
        return status;
    std::optional<ChannelRows> read = ReadChannelFile(bytes);
    if (!read)
        return LoadStatus::Unreadable;
    rows = std::move(*read);
    return LoadStatus::Ok;
}

LoadStatus LoadRecordFile(const QString &path, int kind, int count, std::vector<RawSettingRecord> &records)
{
    QByteArray bytes;
    const LoadStatus status = ReadSettingFileBytes(path, kind, bytes);
    if (status != LoadStatus::Ok)
        return status;
    std::optional<std::vector<RawSettingRecord>> read = ReadRecordFile(bytes, count);
    if (!read)
        return LoadStatus::Unreadable;
    records = std::move(*read);
    return LoadStatus::Ok;
}

bool SaveSettingFileBytes(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    return WriteWholeFile(path, bytes);
}

bool SaveChannelFile(const QString &path, const ChannelRows &rows)
{
    return SaveSettingFileBytes(path, ChannelFileBytes(rows));
}

bool SaveRecordFile(const QString &path, const std::vector<RawSettingRecord> &records)
{
    return SaveSettingFileBytes(path, RecordFileBytes(records));
}

} // namespace PLM_INC
