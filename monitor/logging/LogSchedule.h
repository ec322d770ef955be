// When the next log line is due. The schedule is a time of day without a date (hour, minute,
// second), so it runs across midnight; the interval is added with a carry from second to
// minute to hour.
#pragma once

#include <QTime>
#include <cstdint>

struct LogTime {
    int16_t hour = 0;
    int16_t minute = 0;
    int16_t second = 0;

    static LogTime of(const QTime &time);
    int secondOfDay() const { return hour * 3600 + minute * 60 + second; }
    bool operator==(const LogTime &o) const { return hour == o.hour && minute == o.minute && second == o.second; }
    bool operator!=(const LogTime &o) const { return !(*this == o); }
};

// The eight intervals of the interval list, by list index ("10 sec" .. "1 h").
constexpr int kLogIntervals = 8;
// The interval of a list index; any other index is index 0 (10 seconds).
LogTime LogIntervalOf(int index);
// The list index that stands: the index itself when it names an interval, else 0.
int RepairLogIntervalIndex(int index);
// now + interval: seconds carry into minutes, minutes into hours, hours wrap at 24.
LogTime AddLogInterval(const LogTime &now, const LogTime &interval);

class LogSchedule {
public:
    // The interval of the list index, LogNowTime = now, LogNextTime = now + interval.
    void LogTimeSet(int intervalIndex, const QTime &now);

    // True when a line is due at this check; the next due time is then now + interval.
    // A line is due when the clock reached LogNextTime since the previous check: normally
    // that is the check within the due second, but when no check fell within it (the program
    // was busy for longer than a second) it is the first check after it, and the schedule
    // goes on from there instead of waiting for that time of day to come round again.
    bool check(const QTime &now);

    LogTime LogInterval;
    LogTime LogNowTime;
    LogTime LogNextTime;

private:
    LogTime m_lastCheck;
};
