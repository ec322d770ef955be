// The inverse of the value text: a text as MakeItemText writes it (or as an operator or a
// setting file gives it) back into the channel's field.
#pragma once

#include <QString>
#include <optional>

namespace PLM_INC {

// The number at the start of a text, blanks anywhere ignored ("1.5", " -15", "12abc" -> 12);
// 0 when the text does not start with one. A number too large for a double gives infinity.
double LeadingNumber(const QString &text);

// The numeric part for the rule-T and rule-D display items: the text's number times the
// item's scale (1 for whole-degree inputs, 10 for tenths, the decimal divisor for linear
// inputs), not yet rounded.
double ParseScaledText(int displayItem, int channel, const QString &text);

// A value rounded to the nearest whole number, halves to even; nullopt when the result
// does not fit a signed 16-bit value (it is never wrapped).
std::optional<int16_t> RoundToInt16(double value);

// Stores the text into the field of display item 0..36 for the channel. Returns false and
// stores nothing when the number does not fit a signed 16-bit value.
bool StoreItemText(int displayItem, int channel, const QString &text);

} // namespace PLM_INC
