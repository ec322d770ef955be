#include "LogSchedule.h"

namespace {

struct Interval {
    int16_t hour;
    int16_t minute;
    int16_t second;
};

constexpr Interval kIntervals[kLogIntervals] = {
    {0, 0, 10}, {0, 0, 30}, {0, 1, 0}, {0, 5, 0}, {0, 10, 0}, {0, 15, 0}, {0, 30, 0}, {1, 0, 0},
};

constexpr int kSecondsPerDay = 24 * 3600;

int forwardSeconds(int from, int to)
{
    return ((to - from) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
}

} // namespace

LogTime LogTime::of(const QTime &time)
{
    return {int16_t(time.hour()), int16_t(time.minute()), int16_t(time.second())};
}

int RepairLogIntervalIndex(int index)
{
    return index >= 0 && index < kLogIntervals ? index : 0;
}

LogTime LogIntervalOf(int index)
{
    const Interval &i = kIntervals[RepairLogIntervalIndex(index)];
    return {i.hour, i.minute, i.second};
}

LogTime AddLogInterval(const LogTime &now, const LogTime &interval)
{
    int carry = 0;
    int second = now.second + interval.second;
    if (second >= 60) {
        second -= 60;
        carry = 1;
    }
    int minute = now.minute + interval.minute + carry;
    carry = 0;
    if (minute >= 60) {
        minute -= 60;
        carry = 1;
    }
    int hour = now.hour + interval.hour + carry;
    if (hour >= 24)
        hour -= 24;
    return {int16_t(hour), int16_t(minute), int16_t(second)};
}

void LogSchedule::LogTimeSet(int intervalIndex, const QTime &now)
{
    LogInterval = LogIntervalOf(intervalIndex);
    LogNowTime = LogTime::of(now);
    LogNextTime = AddLogInterval(LogNowTime, LogInterval);
    m_lastCheck = LogNowTime;
}

bool LogSchedule::check(const QTime &now)
{
    const LogTime time = LogTime::of(now);
    // Seconds the clock moved since the previous check, and from that check to the due time,
    // both forward through midnight. The due time has come when it lies in (previous, now].
    const int moved = forwardSeconds(m_lastCheck.secondOfDay(), time.secondOfDay());
    const int toDue = forwardSeconds(m_lastCheck.secondOfDay(), LogNextTime.secondOfDay());
    m_lastCheck = time;
    const bool due = time == LogNextTime || (toDue > 0 && toDue <= moved);
    if (due)
        LogNextTime = AddLogInterval(time, LogInterval);
    return due;
}
