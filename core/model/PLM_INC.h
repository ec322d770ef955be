// The controller image: every value read from or written to the controller, per channel
// (global channel n = block * 20 + channel-in-block) and per block, plus the link state.
// Plain shared state read and written directly by every part of the monitor.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace PLM_INC {

constexpr int kBlocks = 16;
constexpr int kChannelsPerBlock = 20;
constexpr int kChannels = kBlocks * kChannelsPerBlock;
constexpr int kHistoryRows = 100;
constexpr int kAlarmSlots = 7;
constexpr int kBlockReadItems = 37; // ItemCodeTable entries 1..37: the items a block read reads

// A fixed table whose every access checks its index: a bad channel or block number is a
// programming error and raises std::out_of_range instead of touching another entry.
template <typename T, int N>
struct Table {
    std::array<T, N> v{};
    T &operator[](int i)
    {
        check(i);
        return v[static_cast<size_t>(i)];
    }
    const T &operator[](int i) const
    {
        check(i);
        return v[static_cast<size_t>(i)];
    }
    static constexpr int size() { return N; }
    void fill(const T &x) { v.fill(x); }
    static void check(int i)
    {
        if (i < 0 || i >= N)
            throw std::out_of_range("PLM_INC index " + std::to_string(i) + " outside 0.." + std::to_string(N - 1));
    }
};

using ChannelTable = Table<int16_t, kChannels>;
using BlockTable = Table<int16_t, kBlocks>;

// --- monitored fields ---
inline ChannelTable ProcessValue;
inline ChannelTable OutputValue;
inline ChannelTable HeaterCurrent;
inline ChannelTable StatusWord;
inline ChannelTable ChannelConnected;
inline ChannelTable InputType;
inline ChannelTable OptionWord;

// --- setting fields ---
inline ChannelTable MainSetting;
inline ChannelTable Alarm1Value;
inline ChannelTable Alarm2Value;
inline ChannelTable HeaterBurnoutValue;
inline ChannelTable ProportionalBand;
inline ChannelTable IntegralTime;
inline ChannelTable DerivativeTime;
inline ChannelTable AntiResetWindup;
inline ChannelTable ProportionalCycle;
inline ChannelTable PdReset;
inline ChannelTable OnOffHysteresis;
inline ChannelTable Alarm1Hysteresis;
inline ChannelTable Alarm2Hysteresis;
inline ChannelTable Alarm1Action;
inline ChannelTable Alarm2Action;
inline ChannelTable OutputHighLimit;
inline ChannelTable OutputLowLimit;
inline ChannelTable PvFilterTime;
inline ChannelTable SensorCorrection;
inline ChannelTable HeatCoolAction;
inline ChannelTable UnitSelect;
inline ChannelTable LoopBreakTime;
inline ChannelTable LoopBreakSpan;
inline ChannelTable OutputOnOff;
inline ChannelTable AutoTuning;
inline ChannelTable CoolProportionalBand;
inline ChannelTable CoolProportionalCycle;
inline ChannelTable OverlapDeadBand;
inline ChannelTable CoolActionMode;
inline ChannelTable CoolOnOffHysteresis;
inline ChannelTable LoopBreak2Time;
inline ChannelTable LoopBreak2Span;

// --- PC-side presentation fields (stored preferences, never sent) ---
inline ChannelTable ScaleHigh;
inline ChannelTable ScaleLow;
inline ChannelTable DecimalDivisor;
inline Table<QString, kChannels> UnitText;
inline ChannelTable DisplayUnit; // 0 = deg.C, else deg.F; equal for both channels of a pair

// --- per-block fields ---
inline BlockTable BlockHasCooling; // 0 / -1
inline BlockTable BlockAbsent;     // 1 when the block did not answer the start-up read

// --- tables owned by the alarm history and the transfers ---
inline Table<Table<int16_t, kAlarmSlots>, kChannels> AlarmMemory; // 0 off / -1 on
inline Table<Table<QString, 4>, kHistoryRows> HistoryBuffer;       // date, time, channel, content
inline QString HistoryFileName;
inline ChannelTable Alarm1Backup;
inline ChannelTable Alarm2Backup;
inline double RangeHigh = 0;
inline double RangeLow = 0;
inline bool ShowTenths = false; // the edited value is shown in tenths

// --- shared scalar state ---
// The link state (0 start-up read, 9 port not proven, 1 running) and, while a request runs,
// its kind (2..8), block and item: what the pages show of the work in progress. Requests
// themselves wait in PendingRequests (LinkRequests.h) with their own targets.
inline int16_t LinkRequest = 0;
inline int16_t RequestBlock = 0;
inline QString RequestItem;
inline int16_t CommError = 0;
inline int16_t PollBlock = 0;
inline int16_t PollItem = 0;
inline int16_t ReReadBlock = 0;
inline int16_t GroupIndex = 0;
inline int16_t SelectedItem = 0;
inline int16_t SelectedChannel = 0;
inline int16_t HistoryRow = 1;

// The 38 item codes the program uses; index 6 + k holds setting item code k + 1 ("0001").
inline std::array<QString, 38> ItemCodeTable;
void FillItemCodeTable();

// True when at least one block answered the start-up read.
bool AnyBlockPresent();

// Every table zeroed, texts empty, scalars as at program start; the state kept beside the
// image (the waiting link requests, the controller's counts) forgotten with it.
void ResetImage();
// How state kept beside the image is forgotten by ResetImage: its module adds this once, as
// the program starts.
void AddImageReset(std::function<void()> forget);

// --- status word and option word bits ---
constexpr int16_t kStatusControl = 0x0001;
constexpr int16_t kStatusAlarm1 = 0x0002;
constexpr int16_t kStatusAlarm2 = 0x0004;
constexpr int16_t kStatusHeaterBurnout = 0x0008;
constexpr int16_t kStatusOverscale = 0x0010;
constexpr int16_t kStatusUnderscale = 0x0020;
constexpr int16_t kStatusAutoTuning = 0x0080;
constexpr int16_t kStatusOutputOn = 0x0400;
constexpr int16_t kStatusSettingsChanged = 0x1000;
constexpr int16_t kStatusLoopBreak = 0x2000;

constexpr int16_t kOptionHeaterBurnout = 0x0001;
constexpr int16_t kOptionLargeHbRange = 0x0002;
constexpr int16_t kOptionHeatCool = 0x0400;

// Shown numbers: "001".."320" for channels, "01".."16" for blocks.
QString ChannelDigits(int channel);
QString BlockDigits(int block);

} // namespace PLM_INC
