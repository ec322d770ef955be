#include "SettingEntry.h"

#include "EntryText.h"

#include <cstdint>
#include <limits>

namespace PLM_INC {

namespace {

// Enough digits for any 16-bit range; more can only overflow.
constexpr int kMaxMoreDigits = 5;
constexpr long long kMaxMagnitude = 1000000000LL;

bool within(long long v, double low, double high)
{
    return double(v) >= low && double(v) <= high;
}

} // namespace

void SettingEntry::setRange(double low, double high)
{
    low_ = low;
    high_ = high;
}

QString SettingEntry::text() const
{
    return empty_ ? QString() : EntryNumberText(value_);
}

bool SettingEntry::inRange() const
{
    return within(value_, low_, high_) && value_ >= std::numeric_limits<int16_t>::min()
        && value_ <= std::numeric_limits<int16_t>::max();
}

// A value outside the range is still worth keeping when more digits (and, after a digit, a
// later "+/-") can bring it in. A zero is not: digits after it give the same numbers as
// without it.
bool SettingEntry::reachable(long long candidate, bool laterSignChange) const
{
    if (within(candidate, low_, high_))
        return true;
    if (candidate == 0)
        return false;
    const long long magnitude = candidate < 0 ? -candidate : candidate;
    long long scale = 1;
    for (int more = 0; more <= kMaxMoreDigits; ++more) {
        const long long least = magnitude * scale;
        const long long most = least + scale - 1;
        if (least > kMaxMagnitude)
            break;
        // [least, most] or its negative overlaps the range.
        const bool negative = candidate < 0;
        const double from = negative ? double(-most) : double(least);
        const double to = negative ? double(-least) : double(most);
        if (to >= low_ && from <= high_)
            return true;
        if (laterSignChange && -from >= low_ && -to <= high_)
            return true;
        scale *= 10;
    }
    return false;
}

SettingEntry::Outcome SettingEntry::take(long long candidate, bool laterSignChange)
{
    if (!reachable(candidate, laterSignChange))
        return Outcome::OutOfRange;
    value_ = candidate;
    empty_ = false;
    return Outcome::Accepted;
}

SettingEntry::Outcome SettingEntry::digit(int d)
{
    if (d < 0 || d > 9)
        return Outcome::Accepted;
    const long long magnitude = value_ < 0 ? -value_ : value_;
    if (magnitude > kMaxMagnitude)
        return Outcome::OutOfRange;
    const long long grown = magnitude * 10 + d;
    return take(value_ < 0 ? -grown : grown, true);
}

SettingEntry::Outcome SettingEntry::toggleSign()
{
    return take(-value_, false);
}

void SettingEntry::clear()
{
    value_ = 0;
    empty_ = true;
}

} // namespace PLM_INC
