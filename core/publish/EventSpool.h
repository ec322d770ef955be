// The events that must reach the broker (alarm events, changes of the change record) kept in a
// file until the broker has acknowledged them: an outage of any length, and a program started
// again while the broker is away, lose none of them up to the spool's bound. Beyond the bound
// the oldest go first, and are counted.
//
// The file is a log of lines, each appended through the program's disk writer: "M" lines carry
// an event, "A" lines say that the broker took one, "D" lines that it was dropped, "C" lines
// (written when the file is written anew) how many of a kind were dropped before. At a start the
// events without an "A" line are sent again, oldest first. The file is written anew with only
// those events once it holds mostly acknowledged ones. Thread-safe: the publishing thread adds,
// the connection thread acknowledges.
#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

struct OutgoingMessage;

class EventSpool : public std::enable_shared_from_this<EventSpool> {
public:
    static constexpr qint64 kDefaultBoundBytes = 100LL * 1024 * 1024;

    // Held by a shared pointer: a rewrite queued with the disk writer keeps it alive.
    static std::shared_ptr<EventSpool> make(QString path, qint64 boundBytes);

    // The events of the file not acknowledged, oldest first; each carries its sequence number.
    // A line that cannot be read (a crash in the middle of writing it) is left out.
    std::vector<OutgoingMessage> load();
    // Appends the event and gives it its sequence number. When the waiting events would then
    // exceed the bound, the oldest are dropped: their numbers are added to `dropped`.
    void add(OutgoingMessage &m, std::vector<uint64_t> *dropped);
    // The broker has the event: it is not sent again at a start.
    void acknowledge(uint64_t seq);

    // Every event dropped beyond the bound since the spool began (across starts), by kind.
    std::map<QString, size_t> drops() const;
    const QString &path() const { return path_; }
    size_t waiting() const;
    qint64 waitingBytes() const;

private:
    EventSpool(QString path, qint64 boundBytes);
    struct Waiting {
        uint64_t seq;
        QByteArray line;
        QString kind;
    };
    void appendLine(const QByteArray &line);
    void rewriteIfDue(bool now = false); // under the lock

    const QString path_;
    const qint64 bound_;
    mutable std::mutex mutex_;
    std::deque<Waiting> waiting_; // in order of their numbers
    qint64 waitingBytes_ = 0;
    qint64 fileBytes_ = 0;        // as the file will be once the queued lines are written
    uint64_t next_ = 1;
    std::map<QString, size_t> drops_;
};
