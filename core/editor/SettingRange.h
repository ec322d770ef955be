// The permitted range of every numeric setting item, in display counts, and whether the
// edited value is shown in tenths. Reads the image only; the editor takes the range when its
// dialog opens and keeps it while the poll goes on.
#pragma once

#include <optional>

namespace PLM_INC {

struct InputLimits {
    int low;
    int high;
};

struct SettingRange {
    double low;
    double high;
    bool showTenths;
};

// The channel's input range in display counts, by input type and display unit; a linear
// input gives its scaling limits.
InputLimits InputRangeOf(int channel);

// The range of a numeric setting item (1..33) for a channel; nullopt for an item that has
// none (the selection items, 24, 34, 35 and numbers outside 1..35).
std::optional<SettingRange> SettingRangeOf(int settingItem, int channel);

// value * 0.1 rounded to the nearest whole number, exact halves to the even neighbour
// (1005 -> 100, 1015 -> 102), computed without floating point.
int TenthRoundedHalfEven(int value);

// The shared-state forms the dialog uses: RangeLow/RangeHigh of SelectedChannel.
void SetInputRange();
// Items 2 and 3 by the alarm action code of SelectedChannel; m is 10 for tenths inputs.
void SetAlarmRange(int m);

} // namespace PLM_INC
