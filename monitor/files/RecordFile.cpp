#include "RecordFile.h"

#include "DataFileKind.h"
#include "FileCodePage.h"
#include "PLM_INC.h"
#include "SettingFields.h"

namespace PLM_INC {

namespace {

// The image field of each record index; index 23 (ChannelConnected) is only read.
ChannelTable *const kFields[kRecordValues] = {
    &MainSetting,     &Alarm1Value,     &Alarm2Value,      &HeaterBurnoutValue, &ProportionalBand,
    &IntegralTime,    &DerivativeTime,  &AntiResetWindup,  &ProportionalCycle,  &PdReset,
    &OnOffHysteresis, &Alarm1Hysteresis, &Alarm2Hysteresis, &Alarm1Action,      &Alarm2Action,
    &OutputHighLimit, &OutputLowLimit,  &PvFilterTime,     &SensorCorrection,   &HeatCoolAction,
    &UnitSelect,      &LoopBreakTime,   &LoopBreakSpan,    &ChannelConnected,   &CoolProportionalBand,
    &CoolProportionalCycle, &OverlapDeadBand, &CoolActionMode, &CoolOnOffHysteresis, &ScaleHigh,
    &ScaleLow,        &DecimalDivisor,
};

constexpr int16_t kShortFormDefaults[kRecordValues - kShortFormValues] = {10, 30, 0, 0, 10, 10000, 0, 1};

std::optional<RawSettingRecord> readMarkerRecord(SettingFieldReader &reader)
{
    RawSettingRecord record;
    for (int16_t &value : record.values) {
        const std::optional<int16_t> v = reader.nextInt16();
        if (!v)
            return std::nullopt;
        value = *v;
    }
    const std::optional<QString> unit = reader.nextText();
    if (!unit)
        return std::nullopt;
    record.unit = *unit;
    return record;
}

std::optional<RawSettingRecord> readShortRecord(SettingFieldReader &reader)
{
    std::array<int16_t, kShortFormValues> values{};
    for (int16_t &value : values) {
        const std::optional<int16_t> v = reader.nextInt16();
        if (!v)
            return std::nullopt;
        value = *v;
    }
    return ShortFormRecord(values);
}

} // namespace

RawSettingRecord TakeRawRecord(int channel)
{
    RawSettingRecord record;
    for (int i = 0; i < kRecordValues; ++i)
        record.values[static_cast<size_t>(i)] = (*kFields[i])[channel];
    record.unit = UnitText[channel];
    return record;
}

bool ApplyRawRecord(const RawSettingRecord &record, int channel)
{
    ChannelConnected.check(channel);
    if (record.values[kConnectedIndex] == 0)
        return false;
    for (int i = 0; i < kRecordValues; ++i)
        if (i != kConnectedIndex)
            (*kFields[i])[channel] = record.values[static_cast<size_t>(i)];
    UnitText[channel] = record.unit;
    if (channel % 2 == 0) {
        DisplayUnit[channel] = UnitSelect[channel];
        DisplayUnit[channel + 1] = UnitSelect[channel];
    }
    return true;
}

RawSettingRecord ShortFormRecord(const std::array<int16_t, kShortFormValues> &fromFile)
{
    RawSettingRecord record;
    for (int i = 0; i < kShortFormValues; ++i)
        record.values[static_cast<size_t>(i)] = fromFile[static_cast<size_t>(i)];
    for (int i = kShortFormValues; i < kRecordValues; ++i)
        record.values[static_cast<size_t>(i)] = kShortFormDefaults[i - kShortFormValues];
    record.unit = QStringLiteral("%");
    return record;
}

QByteArray RecordFileBytes(const std::vector<RawSettingRecord> &records)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(16 + records.size() * 220));
    out += '"';
    out += kFileMarker;
    out += "\"\r\n";
    for (const RawSettingRecord &record : records) {
        for (int16_t value : record.values) {
            out += QByteArray::number(value);
            out += "\r\n";
        }
        out += '"';
        out += ToFileCodePage(record.unit);
        out += "\"\r\n";
    }
    return out;
}

std::optional<std::vector<RawSettingRecord>> ReadRecordFile(const QByteArray &bytes, int count)
{
    if (count < 0)
        return std::nullopt;
    SettingFieldReader reader(bytes);
    const std::optional<QString> first = reader.nextText();
    if (!first)
        return std::nullopt;
    const bool marker = *first == QLatin1String(kFileMarker);
    if (!marker)
        reader.rewind(); // the short form's first field is the first value
    std::vector<RawSettingRecord> records;
    records.reserve(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c) {
        std::optional<RawSettingRecord> record = marker ? readMarkerRecord(reader) : readShortRecord(reader);
        if (!record)
            return std::nullopt;
        records.push_back(std::move(*record));
    }
    return records;
}

} // namespace PLM_INC
