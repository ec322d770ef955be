// A message for the broker as the queue and the event spool hold it.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

struct OutgoingMessage {
    QString topic;
    QByteArray payload;
    int qos = 0;
    bool retain = false;
    bool keep = false; // an alarm: dropped only when the queue holds nothing but alarms
    QString kind = QStringLiteral("value"); // what it is, as drops are counted: value, health, alarm, change
    uint64_t seq = 0; // a kept message's number in the event spool; 0: not spooled
};
