// The numeric editor's entry: the new value in display counts, built key by key. There is no
// decimal-point key; the item's resolution places the point. A key whose result is outside
// the range is refused and the entry keeps its previous value, except that a digit which only
// leads towards the range (the "5" of 50 when the range starts at 20, the digits of a
// negative value before its "+/-") is taken: OK checks the finished value.
#pragma once

#include <QString>

namespace PLM_INC {

class SettingEntry {
public:
    enum class Outcome { Accepted, OutOfRange };

    void setRange(double low, double high);
    double low() const { return low_; }
    double high() const { return high_; }

    Outcome digit(int d); // appends a digit to the magnitude: 12 then 3 gives 123, -12 gives -123
    Outcome toggleSign(); // the entry times -1; an empty entry becomes 0
    void clear();         // CE / Backspace: empty, no range check

    bool isEmpty() const { return empty_; }
    long long value() const { return value_; } // 0 when empty
    QString text() const;                      // the number text, "" when empty
    // The finished entry is within the range (and fits a 16-bit value).
    bool inRange() const;

private:
    Outcome take(long long candidate, bool laterSignChange);
    bool reachable(long long candidate, bool laterSignChange) const;

    double low_ = 0;
    double high_ = 0;
    long long value_ = 0;
    bool empty_ = true;
};

} // namespace PLM_INC
