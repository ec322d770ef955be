#include "LiveFeed.h"

#include "AlarmHistory.h"
#include "ChangeRecord.h"
#include "Clock.h"
#include "LinkHealth.h"
#include "PLM_INC.h"
#include "Payloads.h"

using namespace PLM_INC;

namespace {

QByteArray eventBytes(const QByteArray &json)
{
    return "data: " + json + "\n\n"; // the JSON is one line
}

} // namespace

LiveFeed::LiveFeed(const LinkHealth &health, std::function<LiveLine()> line, std::function<void(const QByteArray &)> send)
    : health_(health), line_(std::move(line)), send_(std::move(send))
{
    gather_.setSingleShot(true);
    gather_.setInterval(kGatherMs);
    connect(&gather_, &QTimer::timeout, this, &LiveFeed::flush);
    check_.setInterval(kCheckMs);
    connect(&check_, &QTimer::timeout, this, &LiveFeed::check);
    check_.start();
    // A comment line: proxies and the browser see the stream alive while nothing changes.
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, [this] { send_(QByteArrayLiteral(": alive\n\n")); });
    heartbeat_.start();
    setHistoryEntryObserver(this, [this](const HistoryEntry &e) { noteAlarm(e); });
}

LiveFeed::~LiveFeed()
{
    setHistoryEntryObserver(this, {});
}

void LiveFeed::keep(std::deque<QByteArray> &lines, const QByteArray &payload)
{
    lines.push_front(payload);
    if (lines.size() > size_t(kKeptLines))
        lines.pop_back();
}

void LiveFeed::notePoll(int block, bool answered)
{
    if (block < 0 || block >= kBlocks)
        return;
    polled_[size_t(block)] = true;
    answered_[size_t(block)] = answered_[size_t(block)] || answered;
    gather();
}

void LiveFeed::noteAlarm(const HistoryEntry &entry)
{
    const QByteArray payload = AlarmPayload(entry);
    keep(alarms_, payload);
    keep(newAlarms_, payload);
    gather();
}

void LiveFeed::noteChange(const RecordedChange &line)
{
    const QByteArray payload = ChangePayload(line);
    keep(changes_, payload);
    keep(newChanges_, payload);
    gather();
}

void LiveFeed::gather()
{
    if (gather_.isActive())
        return;
    firstGathered_ = PLM_INC::clock().now();
    gather_.start();
}

LiveFeed::BlockShown LiveFeed::shownNow(int block, const LiveLine &line) const
{
    BlockShown s;
    s.listed = BlockListed(block, line);
    if (s.listed) {
        s.stale = BlockStale(block, line, health_);
        const qint64 ageMs = health_.valuesAgeMs(block);
        s.ageSeconds = ageMs < 0 ? -1 : ageMs / 1000;
    }
    return s;
}

void LiveFeed::check()
{
    const LiveLine line = line_();
    bool changed = !(line == lineShown_);
    for (int b = 0; b < kBlocks; ++b) {
        const BlockShown now = shownNow(b, line);
        const BlockShown &was = shown_[size_t(b)];
        if (now.listed != was.listed || now.stale != was.stale || now.ageSeconds != was.ageSeconds) {
            polled_[size_t(b)] = true;
            changed = true;
        }
    }
    if (changed)
        flush();
}

void LiveFeed::flush()
{
    gather_.stop();
    const LiveLine line = line_();
    const QDateTime at = PLM_INC::clock().now();
    // The message's time is that of the oldest result it carries: a browser sees how late it is.
    const QDateTime first = firstGathered_.isValid() ? firstGathered_ : at;
    firstGathered_ = QDateTime();
    QByteArray blocks, channels;
    for (int b = 0; b < kBlocks; ++b) {
        if (!polled_[size_t(b)])
            continue;
        const BlockShown now = shownNow(b, line);
        // A block the start-up read found answers from then on: newly listed, its channels come whole.
        const bool whole = now.listed && !shown_[size_t(b)].listed;
        shown_[size_t(b)] = now;
        if (!now.listed)
            continue;
        blocks += (blocks.isEmpty() ? "" : ",") + BlockJson(b, line, health_, at);
        if (!answered_[size_t(b)] && !whole)
            continue;
        for (int ch = b * kChannelsPerBlock; ch < (b + 1) * kChannelsPerBlock; ++ch) {
            if (!ChannelPublished(ch))
                continue;
            QByteArray payload = LiveChannelJson(ch);
            if (payload == channelShown_[size_t(ch)])
                continue;
            channels += (channels.isEmpty() ? "" : ",") + payload;
            channelShown_[size_t(ch)] = std::move(payload);
        }
    }
    polled_.fill(false);
    answered_.fill(false);
    lineShown_ = line;
    const QByteArray json = "{\"full\":false,\"line\":" + LineJson(line) + ",\"blocks\":[" + blocks + "],\"channels\":["
                            + channels + "],\"alarms\":" + JsonList(newAlarms_) + ",\"changes\":" + JsonList(newChanges_)
                            + ",\"time\":" + JsonString(first.toString(Qt::ISODateWithMs)) + '}';
    newAlarms_.clear();
    newChanges_.clear();
    send_(eventBytes(json));
}

QByteArray LiveFeed::state() const
{
    return StateJson(line_(), health_, PLM_INC::clock().now());
}

QByteArray LiveFeed::opening()
{
    if (gather_.isActive())
        flush();
    QByteArray whole = state();
    whole.chop(1);
    whole = "{\"full\":true," + whole.mid(1) + ",\"alarms\":" + alarms() + ",\"changes\":" + changes() + '}';
    return "retry: " + QByteArray::number(kRetryMs) + '\n' + eventBytes(whole);
}
