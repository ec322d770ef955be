// The block and all-channel setting files: the raw 16-bit values of the image, one record
// per channel (32 values and the unit text), channel order. The marker line, then per
// channel 32 lines of a plain signed integer and one line with the quoted unit text.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace PLM_INC {

constexpr int kRecordValues = 32;
constexpr int kShortFormValues = 24;  // a file without the marker holds indexes 0..23
constexpr int kConnectedIndex = 23;   // whether the channel was fitted when it was taken

struct RawSettingRecord {
    std::array<int16_t, kRecordValues> values{};
    QString unit;
    bool operator==(const RawSettingRecord &o) const { return values == o.values && unit == o.unit; }
};

// The channel's record from the image; index 23 from ChannelConnected.
RawSettingRecord TakeRawRecord(int channel);
// Writes a record taken from a fitted channel into the channel's fields (index 23 is never
// written); a record of an unfitted channel leaves the channel unchanged. The pair's shared
// deg.C/deg.F follows the even channel's unit selection. Returns whether it was applied.
bool ApplyRawRecord(const RawSettingRecord &record, int channel);
// A record as a file without the marker leaves it: indexes 0..23 from the file, the rest the
// defaults (cooling band 10, cycle 30, scaling 10000 / 0, divisor 1, unit "%").
RawSettingRecord ShortFormRecord(const std::array<int16_t, kShortFormValues> &fromFile);

QByteArray RecordFileBytes(const std::vector<RawSettingRecord> &records);
// `count` records of a file in marker form or short form; nullopt when the file ends early,
// a quote never closes, or a value field is not an integer of 16 bits.
std::optional<std::vector<RawSettingRecord>> ReadRecordFile(const QByteArray &bytes, int count);

} // namespace PLM_INC
