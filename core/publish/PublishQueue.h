// The messages waiting for the broker, bounded: alarms are kept before values, and when the
// bound is reached the oldest values go first. Thread-safe: the user-interface thread adds,
// libmosquitto's loop thread takes.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

struct OutgoingMessage {
    QString topic;
    QByteArray payload;
    int qos = 0;
    bool retain = false;
    bool keep = false; // an alarm: dropped only when the queue holds nothing but alarms
};

class PublishQueue {
public:
    explicit PublishQueue(size_t bound = 2000) : bound_(bound) {}
    void push(OutgoingMessage m);
    std::optional<OutgoingMessage> pop();
    void pushFront(OutgoingMessage m); // a message the client could not hand over
    size_t size() const;
    size_t dropped() const; // messages dropped because the bound was reached
    size_t droppedKept() const;

private:
    bool dropOne(); // under the lock
    mutable std::mutex mutex_;
    std::deque<OutgoingMessage> kept_;   // alarms, oldest first
    std::deque<OutgoingMessage> values_; // everything else, oldest first
    size_t bound_;
    size_t dropped_ = 0;
    size_t droppedKept_ = 0;
};
