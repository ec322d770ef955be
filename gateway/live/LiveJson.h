// The gateway's state as JSON for the live view and /api/: the line, each present block with
// its health, and the channels, each made by the MQTT payload builders. A block's values are
// served whatever their age, with "stale" set by the rule Modbus and the metrics follow
// (LinkOfBlock): a reader never has to judge a value's age for itself.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <deque>

class LinkHealth;

struct LiveLine {
    bool startedUp = false;          // the start-up read has finished
    bool communicationError = false; // the window would show "Communication error"
    bool operator==(const LiveLine &o) const
    {
        return startedUp == o.startedUp && communicationError == o.communicationError;
    }
};

// {"started_up":true,"notice":""}; the notice is the window's ("Communication error").
QByteArray LineJson(const LiveLine &line);
// Whether the start-up read found the block (its values and health are served then).
bool BlockListed(int block, const LiveLine &line);
// Values of a listed block not good now: stale, returning or not read yet.
bool BlockStale(int block, const LiveLine &line, const LinkHealth &health);
// {"block":1,"name":"Block01","stale":false,"health":{HealthPayload}}
QByteArray BlockJson(int block, const LiveLine &line, const LinkHealth &health, const QDateTime &at);
// A channel's MQTT payload (without a time) and "text": its values as the pages show them
// ({"pv":"10.0",...}; a JSON number drops a trailing zero the decimals call for).
QByteArray LiveChannelJson(int channel);
// The channel payloads of a listed block, without a time, as a list's elements ("{..},{..}").
QByteArray BlockChannelsJson(int block);
// {"line":{..},"blocks":[..],"channels":[..],"time":".."}: every listed block and its channels.
QByteArray StateJson(const LiveLine &line, const LinkHealth &health, const QDateTime &at);
// "[a,b,c]" of payloads that are JSON already.
QByteArray JsonList(const std::deque<QByteArray> &items);
