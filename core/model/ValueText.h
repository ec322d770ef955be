// The one rule that turns a channel's raw value into the text the pages, the logger and the
// setting files show, plus the input range text, the alarm action names and the texts of the
// display item selectors. Numbers always use "." as decimal separator, whatever the locale.
#pragma once

#include <QString>
#include <QStringList>

namespace PLM_INC {

constexpr int kDisplayItems = 37;       // display items 0..36
constexpr int kListedDisplayItems = 31; // items 0..30 appear in the item selectors

// Text of display item `item` (0..36; any other number is item 0) of global channel
// `channel`. Reads the image only. A channel outside 0..319 raises std::out_of_range from
// the checked tables; callers that refresh many rows catch it and skip that row.
QString MakeItemText(int item, int channel);
// The same text for a value `raw` of the item (in the image's units) instead of the image's.
QString ItemValueText(int item, int channel, int raw);

// Input range of the channel ("0 to 3300deg.F B", "4.00 to 20.00 DC mA"); empty for an
// unknown input type. Raises std::out_of_range like MakeItemText.
QString MakeRange(int channel);

// Long name of an alarm action type 0..12 ("High limit alarm"); empty for other codes.
QString AlarmTypeName(int code);
// Four-character code of an alarm action type ("H  W"); empty for other codes.
QString AlarmTypeCode(int code);

// A list without a selection reports -1; it counts as its first entry.
int ListIndexOrZero(int index);

// The 31 texts of the display item selectors, item 0 first.
const QStringList &DisplayItemListTexts();

// Input types 0..9 are temperature inputs; every other code is a linear input.
bool IsTemperatureInput(int inputType);

// `raw` / `divisor` as exact decimal text with as many places as the divisor has zeros
// (1 -> "1234", 10 -> "123.4", 10000 -> "0.1234"); empty for a divisor other than
// 1, 10, 100, 1000, 10000.
QString FormatByDivisor(int raw, int divisor);
// The placeholder shown for a divisor ("XX.XX" for 100); empty for an unlisted divisor.
QString DivisorPlaceholder(int divisor);

} // namespace PLM_INC
