// Tells the journal when blocks' values go stale and when they are good again: one line per
// change naming the blocks, so that a dead line is one line, not sixteen. The values of a long
// start-up read are old at its end: a block is not told stale before its first poll has had
// its limit's time, so the end of the start-up read is no flip to stale and back.
#pragma once

#include <QObject>
#include <QElapsedTimer>
#include <QTimer>
#include <array>

class GatewayView;
class LinkHealth;

class StaleNotices : public QObject {
public:
    // Looks once a second; staleness is a matter of time, not of an event on the line.
    StaleNotices(const LinkHealth &health, const GatewayView &view);
    void check();

private:
    const LinkHealth &health_;
    const GatewayView &view_;
    QTimer timer_;
    std::array<bool, 16> told_{}; // stale, as last told
    QElapsedTimer sinceStartup_;  // started at the first look after the start-up read
};
