// The gateway's state in the Prometheus text exposition format, for /metrics: the channels'
// values and alarms from the controller image, each block's health, the line, the broker and
// the clients of its servers. A block whose values are not live (LinkOfBlock's rule, the one
// Modbus and MQTT follow) has none of its values in it: a scrape never serves a stale value as
// current.
#pragma once

#include <QByteArray>

class LinkHealth;
class MqttClient;

struct GatewayState {
    const LinkHealth &health;
    bool startedUp = false;     // the start-up read has finished
    bool lineUp = false;        // polling, and the last transaction was answered
    const MqttClient *mqtt = nullptr; // null: no broker is named
    int modbusClients = -1;     // -1: the Modbus server is off
    int httpClients = 0;
    int liveViewStreams = 0;    // browsers of the live view
};

inline const char *const kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

QByteArray MetricsText(const GatewayState &state);
