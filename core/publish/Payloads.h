// Topics and payloads: flat JSON, numbers as numbers with the decimals the pages show, units
// named, one topic per thing.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>

class LinkHealth;
struct HistoryEntry;
namespace PLM_INC {
struct RecordedChange;
}

QString ChannelTopic(const QString &prefix, int channel); // <prefix>/ch/001..320
QString HealthTopic(const QString &prefix, int block);    // <prefix>/health/01..16
QString AlarmTopic(const QString &prefix);
QString StatusTopic(const QString &prefix);
QString ChangeTopic(const QString &prefix); // <prefix>/changes
QString DroppedTopic(const QString &prefix); // <prefix>/dropped: what the bounds dropped, by kind (retained)
// {"alarm":0,"change":0,"health":0,"value":1520}: every kind, 0 when none was dropped.
QByteArray DroppedPayload(const std::map<QString, size_t> &drops);

// Whether a channel gets a topic: fitted, and not the cooling half of a heating/cooling pair
// (its output is published as the heating channel's cooling MV).
bool ChannelPublished(int channel);
// The unit of a channel's PV and SV as the pages name it: "deg.C", "deg.F" or a linear input's unit text.
QString ChannelUnit(int channel);
// The channel's values from the image. `at` is left out when invalid, so that two payloads
// compare equal exactly when the values did.
QByteArray ChannelPayload(int channel, const QDateTime &at);
QByteArray AlarmPayload(const HistoryEntry &entry);
// A line of the change record as it reached the disk: its fields, its sequence number, its file
// and its hash, so that a subscriber that keeps them holds a second record to compare with.
QByteArray ChangePayload(const PLM_INC::RecordedChange &line);
QByteArray HealthPayload(const LinkHealth &health, int block, bool present, const QDateTime &at);

// A JSON number from a value text of the pages ("123.4" stays 123.4); null when the text is
// not a number (a value the page cannot show).
QByteArray JsonNumber(const QString &text);
QByteArray JsonString(const QString &text);
