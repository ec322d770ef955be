// Arbitrary bytes as a setting data file: the field reader must end, every field must come
// from inside the data, and whatever a reader accepts must be exactly what it reads back
// after the writer has written it again.
#include "ChannelFile.h"
#include "DataFileKind.h"
#include "PLM_INC.h"
#include "RecordFile.h"
#include "SettingFields.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

using namespace PLM_INC;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool hasQuote(const QString &text)
{
    return text.contains(QLatin1Char('"'));
}

void checkFields(const QByteArray &bytes)
{
    SettingFieldReader reader(bytes);
    QByteArray field;
    qsizetype fields = 0;
    qsizetype total = 0;
    while (reader.next(field)) {
        require(field.size() <= bytes.size());
        total += field.size();
        ++fields;
        require(fields <= bytes.size() + 1); // every field but an empty last one consumes a byte
    }
    require(total <= bytes.size());
    require(!reader.next(field)); // the end stays the end
    reader.rewind();
    qsizetype again = 0;
    while (reader.next(field))
        ++again;
    require(again == fields);
}

void checkChannelFile(const QByteArray &bytes)
{
    const std::optional<ChannelRows> rows = ReadChannelFile(bytes);
    if (!rows)
        return;
    for (int r = 0; r < kChannelRows; ++r)
        if (hasQuote((*rows)[static_cast<size_t>(r)]))
            return; // a quote inside a text cannot be written back
    const QByteArray written = ChannelFileBytes(*rows);
    require(ReadChannelFile(written) == rows);
}

void checkRecordFile(const QByteArray &bytes, int count)
{
    const std::optional<std::vector<RawSettingRecord>> records = ReadRecordFile(bytes, count);
    if (!records)
        return;
    require(int(records->size()) == count);
    for (const RawSettingRecord &r : *records)
        if (hasQuote(r.unit))
            return;
    require(ReadRecordFile(RecordFileBytes(*records), count) == records);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    require(DataFileKind(qint64(size)) >= 0 && DataFileKind(qint64(size)) <= 2);
    checkFields(bytes);
    checkChannelFile(bytes);
    checkRecordFile(bytes, 1);
    checkRecordFile(bytes, 2);
    checkRecordFile(bytes, kChannelsPerBlock);
    return 0;
}
