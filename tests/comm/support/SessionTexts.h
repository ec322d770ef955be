// The checker's own reading of a setting: what the page and the change record show of a
// controller's count, and which counts a value shown there goes to the controller as. Worked
// out from the channel's input alone, never with the program's conversions or value texts.
// An alarm value of a linear input is a deviation or a process level by its action code; where
// the code is not known for sure (-1) both readings are given (they differ only where the
// scaling's low limit is not 0).
#pragma once

#include "SessionInputs.h"

#include <QStringList>
#include <string>
#include <vector>

namespace session {

// The texts a count of the item may be shown as (one, or two for an alarm value as above).
QStringList CountTexts(const ChannelInput &in, const std::string &item, int16_t count, int alarmAction = -1);
// The text of a value as shown (in the page's units: 125 is "12.5" on a tenths item).
QString ShownText(const ChannelInput &in, const std::string &item, long long shown);
// The counts a value as shown goes to the controller as; empty when one does not fit 16 bits.
std::vector<int16_t> DeviceCounts(const ChannelInput &in, const std::string &item, long long shown);
// A selection (or a command's state): shown by its name, never converted.
bool IsSelectionItem(const std::string &item);

} // namespace session
