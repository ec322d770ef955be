// When a change button may act on a channel, and what the selection dialog and the output
// and auto-tuning buttons change. A refused button does nothing and shows nothing.
#pragma once

#include <QString>

namespace PLM_INC {

// The numeric editor may open for the item on this channel from the setting page: not while
// auto-tuning is on or running, not for an item the channel does not have (alarm without
// action, heater burnout without the option, cooling items without heating/cooling, scaling
// on a temperature input).
bool NumericEditorOpens(int settingItem, int channel);
// From the single-channel page (main set value): only the auto-tuning field is checked.
bool MainSettingEditorOpens(int channel);

// The selection dialog may open: not while auto-tuning is on, not for the cooling mode
// without heating/cooling, not for the decimal point or unit on a temperature input.
bool SelectionOpens(int settingItem, int channel);

// The choice of the selection dialog that shows the channel's current value of the item
// (14, 15, 20, 21, 28, 34); -1 when no choice matches.
int SelectionIndexOf(int settingItem, int channel);
// Stores a choice (index, or for item 35 the unit text) into the channel's field. An index
// of -1 (nothing chosen) leaves the field as it was. Items 21 sets the display unit of the
// channel's pair too. Returns true when the item is one the dialog stores.
bool StoreSelection(int settingItem, int channel, int index, const QString &unitText);

// Control output ON/OFF and auto-tuning: toggle the field (1 -> 0, anything else -> 1) and
// queue its write for the channel's block. False when refused.
// Setting page: refused while auto-tuning is on.
bool ToggleOutputOnSettingPage(int channel);
// Setting page: refused while the output is off.
bool ToggleAutoTuning(int channel);
// Monitoring pages (tabs 1..3): refused while auto-tuning is running.
bool ToggleOutputOnMonitorPage(int channel);

} // namespace PLM_INC
