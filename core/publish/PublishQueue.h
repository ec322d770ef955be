// The messages waiting for the broker, bounded: alarms are kept before values, and when the
// bound is reached the oldest values go first. With an event spool, kept messages wait on the
// disk as well until the broker has them, bounded by the spool's size. Thread-safe: the user-interface thread adds,
// libmosquitto's loop thread takes.
#pragma once

#include "OutgoingMessage.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class EventSpool;

class PublishQueue {
public:
    explicit PublishQueue(size_t bound = 2000) : bound_(bound) {}
    // From now on kept messages wait in the spool too, bounded by its size instead of the
    // queue's count; the spool's waiting events (from an earlier run) go first.
    void setSpool(std::shared_ptr<EventSpool> spool);
    EventSpool *spool() const { return spool_.get(); }
    void push(OutgoingMessage m);
    std::optional<OutgoingMessage> pop();
    void pushFront(OutgoingMessage m); // a message the client could not hand over
    size_t size() const;
    size_t dropped() const; // messages dropped because the bound was reached
    size_t droppedKept() const;
    // Every message dropped so far, by kind; kinds never dropped are left out.
    std::map<QString, size_t> droppedByKind() const;

private:
    bool dropOne(); // under the lock
    mutable std::mutex mutex_;
    std::deque<OutgoingMessage> kept_;   // alarms, oldest first
    std::deque<OutgoingMessage> values_; // everything else, oldest first
    size_t bound_;
    size_t dropped_ = 0;
    size_t droppedKept_ = 0;
    std::map<QString, size_t> droppedByKind_;
    std::shared_ptr<EventSpool> spool_;
};
