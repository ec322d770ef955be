// What the live view's browsers are sent (server-sent events on /events): on opening, the whole
// state with the latest alarm history and change record lines; then one message per poll result,
// made once for every browser: the line, the blocks polled or whose staleness or age changed,
// the channels whose values changed, the new alarm and change lines. Polls are gathered for at
// most kGatherMs, so a message follows its poll within a second at any line speed.
#pragma once

#include "LiveJson.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <vector>

class LinkHealth;
struct HistoryEntry;
namespace PLM_INC {
struct RecordedChange;
}

class LiveFeed : public QObject {
public:
    static constexpr int kKeptLines = 50;    // of the alarm history and of the change record
    static constexpr int kGatherMs = 250;
    static constexpr int kCheckMs = 1000;    // staleness and age are a matter of time
    static constexpr int kHeartbeatMs = 15000;
    static constexpr int kRetryMs = 2000;    // a browser's wait before it connects again

    // `send` takes each message's bytes, for every browser alike.
    LiveFeed(const LinkHealth &health, std::function<LiveLine()> line, std::function<void(const QByteArray &)> send);
    ~LiveFeed() override;

    void notePoll(int block, bool answered); // a poll step of the block; answered: the image changed
    void noteAlarm(const HistoryEntry &entry);
    void noteChange(const PLM_INC::RecordedChange &line);

    // The first bytes of a stream. What is gathered goes out first, so that the messages after
    // the opening start from the state it holds.
    QByteArray opening();
    QByteArray state() const;   // /api/state
    QByteArray alarms() const { return JsonList(alarms_); }   // newest first
    QByteArray changes() const { return JsonList(changes_); } // newest first
    void check();               // what time changed: staleness, age, the line
    void flush();               // the message of what changed, now

private:
    struct BlockShown {
        bool listed = false;
        bool stale = false;
        qint64 ageSeconds = -1;
    };
    BlockShown shownNow(int block, const LiveLine &line) const;
    void gather();
    static void keep(std::deque<QByteArray> &lines, const QByteArray &payload);

    const LinkHealth &health_;
    std::function<LiveLine()> line_;
    std::function<void(const QByteArray &)> send_;
    std::deque<QByteArray> alarms_, changes_; // newest first, at most kKeptLines
    std::deque<QByteArray> newAlarms_, newChanges_;
    std::array<bool, 16> polled_{};
    std::array<bool, 16> answered_{};
    std::array<BlockShown, 16> shown_{};
    LiveLine lineShown_;
    std::array<QByteArray, 320> channelShown_{}; // the payload last sent
    QDateTime firstGathered_; // when the gathering under way began
    QTimer gather_, check_, heartbeat_;
};
