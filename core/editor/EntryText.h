// How the numeric editor writes a value: the range limits and the entry as the operator
// reads them, and the entry's own number text.
#pragma once

#include <QString>
#include <optional>

namespace PLM_INC {

// The entry's number text: a blank before a non-negative number ("  150" is " 150").
QString EntryNumberText(long long value);

// A value of the setting item for the channel as the dialog shows it: in the channel's
// decimal point place for the linear items that use it, in tenths when showTenths, else as a
// whole number (`wholeText` when given, so the entry keeps its own number text). nullopt
// when the channel's decimal point place is not one of the five: the text is left as it was.
std::optional<QString> DialogValueText(int settingItem, int channel, double value, bool showTenths,
                                       const std::optional<QString> &wholeText = std::nullopt);

} // namespace PLM_INC
