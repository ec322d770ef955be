#include "Conversions.h"

#include "PLM_INC.h"

#include <cmath>

namespace PLM_INC {

namespace {

bool isLinear(int channel)
{
    return InputType[channel] >= 10;
}

// Nearest integer, halves to even, and it must fit in 16 bits.
int16_t toInt16(double x)
{
    if (!std::isfinite(x))
        throw ConversionError("conversion has no finite result");
    const double r = std::nearbyint(x); // default rounding mode: to nearest, ties to even
    if (r < -32768.0 || r > 32767.0)
        throw ConversionError("conversion result does not fit in 16 bits");
    return static_cast<int16_t>(r);
}

double span(int channel)
{
    return double(ScaleHigh[channel]) - double(ScaleLow[channel]);
}

// Towards the device the span divides: equal limits have no answer.
double divisorSpan(int channel)
{
    const double s = span(channel);
    if (s == 0.0)
        throw ConversionError("scaling high and low limits are equal");
    return s;
}

} // namespace

int16_t ScaleToDisplay(int channel, int16_t value)
{
    if (!isLinear(channel))
        return value;
    return toInt16(span(channel) * value / 10000.0 + ScaleLow[channel]);
}

int16_t SpanToDisplay(int channel, int16_t value)
{
    if (!isLinear(channel))
        return value;
    return toInt16(span(channel) * value / 10000.0);
}

int16_t ScaleToDevice(int channel, int16_t value)
{
    if (!isLinear(channel))
        return value;
    return toInt16((double(value) - ScaleLow[channel]) * 10000.0 / divisorSpan(channel));
}

int16_t SpanToDevice(int channel, int16_t value)
{
    if (!isLinear(channel))
        return value;
    return toInt16(double(value) * 10000.0 / divisorSpan(channel));
}

} // namespace PLM_INC
