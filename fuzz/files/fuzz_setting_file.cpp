// Arbitrary bytes as a setting data file: the field reader must end, every field must come
// from inside the data, and whatever a reader accepts must be what it reads back after the
// writer has written it again. Texts go through the file code page on the way: a character
// Windows-1252 cannot hold is written as "?", and a written file whose bytes happen to be
// valid UTF-8 reads as UTF-8. Texts that fit the page in a file that does not read as UTF-8
// come back exactly.
#include "ChannelFile.h"
#include "DataFileKind.h"
#include "FileCodePage.h"
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

// What a text written into the file reads back as, once the whole written file decides how
// it is read.
class WrittenText {
public:
    explicit WrittenText(const QByteArray &writtenFile) : decode_(writtenFile) {}
    QString operator()(const QString &text, bool *exact) const
    {
        if (!OutsideFileCodePage(text).isEmpty() || decode_.readsUtf8())
            *exact = false;
        return decode_(ToFileCodePage(text));
    }

private:
    FileTextDecoder decode_;
};

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
    const WrittenText readBack(written);
    bool exact = true;
    ChannelRows expected;
    for (int r = 0; r < kChannelRows; ++r)
        expected[size_t(r)] = readBack((*rows)[size_t(r)], &exact);
    const std::optional<ChannelRows> again = ReadChannelFile(written);
    require(again == expected);
    require(!exact || again == rows);
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
    const QByteArray written = RecordFileBytes(*records);
    const WrittenText readBack(written);
    bool exact = true;
    std::vector<RawSettingRecord> expected = *records;
    for (RawSettingRecord &r : expected)
        r.unit = readBack(r.unit, &exact);
    const std::optional<std::vector<RawSettingRecord>> again = ReadRecordFile(written, count);
    require(again == expected);
    require(!exact || again == records);
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
