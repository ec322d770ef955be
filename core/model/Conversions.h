// Linear-input conversions between controller counts and display counts. Temperature inputs
// (type 9 or less) pass unchanged. A result outside 16 bits, or a scale with equal high and
// low limits, raises ConversionError for the caller to handle.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace PLM_INC {

struct ConversionError : std::range_error {
    using std::range_error::range_error;
};

int16_t ScaleToDisplay(int channel, int16_t value);
int16_t SpanToDisplay(int channel, int16_t value);
int16_t ScaleToDevice(int channel, int16_t value);
int16_t SpanToDevice(int channel, int16_t value);

} // namespace PLM_INC
