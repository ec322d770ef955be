// What an accepted change does: the value goes into the image, then the write is queued for
// the link driver (controller items) or the value is saved as a preference (the PC-side
// scaling items 32..35).
#pragma once

#include "ChangeOrigin.h"

#include <QString>

namespace PLM_INC {

// The numeric setting items the numeric editor stores into (1..13, 16..19, 22, 23, 25..27,
// 29..33).
bool IsNumericSettingItem(int settingItem);

// Stores an edited value into the field of a numeric setting item for the channel. Returns
// false (nothing stored) for a value outside the signed 16-bit range or an item that is not
// numeric.
bool StoreSettingValue(int settingItem, int channel, long long value);

// Makes the channel's value of the setting item reach the controller (items 1..23, 25..31:
// a one-item write of the channel's block is queued, carrying the value as it is now) or the
// preferences (32..35). Other items do nothing.
void RequestSettingWrite(int settingItem, int channel, ChangeOrigin origin = ChangeOrigin::Editor);

// Queues the write of the channel's value of one item code to the channel's block (the output
// and auto-tuning commands).
void RequestItemWrite(int channel, const QString &itemCode, ChangeOrigin origin = ChangeOrigin::Command);

// Saves the PC-side scaling item 32..35 of the channel under "STLH", "STLL", "DP" or "UNIT"
// followed by the channel digits "001".."320".
void SaveScalingPreference(int settingItem, int channel);

} // namespace PLM_INC
