#include "SettingSend.h"

#include "ItemText.h"
#include "PLM_INC.h"
#include "SettingWrite.h"

namespace PLM_INC {

namespace {

constexpr int kFirstScalingSettingItem = 32; // 32..35: scaling high, low, decimal point, unit

// Everything storing the rows can touch: the channel's setting fields and unit text, and the
// deg.C/deg.F the channel shares with its neighbour.
struct ChannelSnapshot {
    explicit ChannelSnapshot(int channel)
        : channel(channel), record(TakeRawRecord(channel)), unit(DisplayUnit[channel]),
          nextUnit(channel + 1 < kChannels ? DisplayUnit[channel + 1] : int16_t(0))
    {
    }
    void restore() const
    {
        RawSettingRecord fields = record;
        fields.values[kConnectedIndex] = 1; // the flag itself is never written
        ApplyRawRecord(fields, channel);
        DisplayUnit[channel] = unit;
        if (channel + 1 < kChannels)
            DisplayUnit[channel + 1] = nextUnit;
    }
    int channel;
    RawSettingRecord record;
    int16_t unit;
    int16_t nextUnit;
};

void saveScaling(int channel)
{
    for (int item = kFirstScalingSettingItem; item < kFirstScalingSettingItem + 4; ++item)
        SaveScalingPreference(item, channel);
}

int applyRecords(const std::vector<RawSettingRecord> &records, int firstChannel)
{
    int changed = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const int channel = firstChannel + int(i);
        if (ApplyRawRecord(records[i], channel)) {
            saveScaling(channel);
            ++changed;
        }
    }
    return changed;
}

} // namespace

bool StoreChannelRows(const ChannelRows &rows, int channel)
{
    const ChannelSnapshot before(channel);
    bool stored = StoreItemText(ChannelRowDisplayItem(kDecimalPointRow), channel, rows[kDecimalPointRow]);
    for (int r = 0; stored && r < kChannelRows; ++r)
        stored = StoreItemText(ChannelRowDisplayItem(r), channel, rows[static_cast<size_t>(r)]);
    if (!stored) {
        before.restore();
        return false;
    }
    saveScaling(channel);
    return true;
}

int ApplyBlockRecords(const std::vector<RawSettingRecord> &records, int block)
{
    BlockAbsent.check(block);
    if (records.size() != size_t(kChannelsPerBlock))
        return 0;
    return applyRecords(records, block * kChannelsPerBlock);
}

int ApplyAllRecords(const std::vector<RawSettingRecord> &records)
{
    if (records.size() != size_t(kChannels))
        return 0;
    return applyRecords(records, 0);
}

} // namespace PLM_INC
