#include "GatewayMetrics.h"

#include "EventSpool.h"
#include "LinkHealth.h"
#include "ModbusBlockLink.h"
#include "MqttClient.h"
#include "PLM_INC.h"
#include "Payloads.h"
#include "Preferences.h"
#include "ValueText.h"

#include <array>
#include <vector>

using namespace PLM_INC;

namespace {

// The alarm kinds by the names the MQTT payloads give them.
struct AlarmKind {
    const char *name;
    int16_t mask;
};
constexpr std::array<AlarmKind, 6> kAlarmKinds{{{"alarm1", kStatusAlarm1},
                                                {"alarm2", kStatusAlarm2},
                                                {"heater_burnout", kStatusHeaterBurnout},
                                                {"loop_break", kStatusLoopBreak},
                                                {"overscale", kStatusOverscale},
                                                {"underscale", kStatusUnderscale}}};

// A label value: backslash, double quote and line feed escaped.
QByteArray labelValue(const QString &text)
{
    QByteArray out;
    for (char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

class Exposition {
public:
    Exposition() { out_.reserve(256 * 1024); }
    void family(const char *name, const char *type, const char *help)
    {
        out_ += "# HELP ";
        out_ += name;
        out_ += ' ';
        out_ += help;
        out_ += "\n# TYPE ";
        out_ += name;
        out_ += ' ';
        out_ += type;
        out_ += '\n';
    }
    // labels: "" or `a="1",b="2"`; value: a number's text.
    void sample(const char *name, const QByteArray &labels, const QByteArray &value)
    {
        out_ += name;
        if (!labels.isEmpty()) {
            out_ += '{';
            out_ += labels;
            out_ += '}';
        }
        out_ += ' ';
        out_ += value;
        out_ += '\n';
    }
    QByteArray done() { return std::move(out_); }

private:
    QByteArray out_;
};

QByteArray number(qulonglong n)
{
    return QByteArray::number(n);
}

QByteArray blockLabel(int block)
{
    return "block=\"" + QByteArray::number(block + 1) + '"';
}

struct Served {
    int channel;
    QByteArray labels; // block, channel, name
};

// The channels whose values are served: those MQTT publishes, of blocks whose values are live.
std::vector<Served> servedChannels(const std::array<bool, kBlocks> &live)
{
    std::vector<Served> list;
    list.reserve(kChannels);
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!live[size_t(ch / kChannelsPerBlock)] || !ChannelPublished(ch))
            continue;
        list.push_back({ch, blockLabel(ch / kChannelsPerBlock) + ",channel=\"" + QByteArray::number(ch + 1) + "\",name=\""
                                + labelValue(Prefs::channelName(ch)) + '"'});
    }
    return list;
}

// One family of values as the pages show them (display item `item`), where the text is a number.
void values(Exposition &e, const std::vector<Served> &served, const char *name, const char *help, int item,
            bool withUnit, bool (*applies)(int channel), int channelOffset = 0)
{
    e.family(name, "gauge", help);
    for (const Served &s : served) {
        if (applies && !applies(s.channel))
            continue;
        const QByteArray v = JsonNumber(MakeItemText(item, s.channel + channelOffset));
        if (v == "null")
            continue; // a value the page cannot show as a number
        e.sample(name, withUnit ? s.labels + ",unit=\"" + labelValue(ChannelUnit(s.channel)) + '"' : s.labels, v);
    }
}

bool heatCool(int ch)
{
    return (OptionWord[ch] & kOptionHeatCool) != 0 && ch % 2 == 0 && ch + 1 < kChannels;
}

bool heaterBurnoutOption(int ch)
{
    return (OptionWord[ch] & kOptionHeaterBurnout) != 0;
}

} // namespace

QByteArray MetricsText(const GatewayState &state)
{
    const LinkHealth &health = state.health;
    std::array<bool, kBlocks> live{};
    std::array<bool, kBlocks> absent{};
    for (int b = 0; b < kBlocks; ++b) {
        const modbus::BlockState s = LinkOfBlock(b, state.startedUp, health);
        live[size_t(b)] = s.link == modbus::BlockLink::Live;
        absent[size_t(b)] = s.link == modbus::BlockLink::Absent;
    }
    const std::vector<Served> served = servedChannels(live);
    Exposition e;

    values(e, served, "plm870_pv", "Process value, in the unit the label names, as the pages show it.", 0, true, nullptr);
    values(e, served, "plm870_sv", "Set value, in the unit the label names, as the pages show it.", 3, true, nullptr);
    values(e, served, "plm870_mv", "Output value (heating output of a heating/cooling pair), percent.", 1, false, nullptr);
    values(e, served, "plm870_cooling_mv", "Cooling output value of a heating/cooling pair, percent.", 1, false, heatCool, 1);
    values(e, served, "plm870_heater_current_amperes", "Heater current of a channel with the heater burnout option.", 2,
           false, heaterBurnoutOption);

    e.family("plm870_alarm", "gauge", "1 while the alarm of the kind is on at the channel, 0 while off.");
    for (const Served &s : served)
        for (const AlarmKind &k : kAlarmKinds)
            e.sample("plm870_alarm", s.labels + ",kind=\"" + k.name + '"', (StatusWord[s.channel] & k.mask) ? "1" : "0");

    e.family("plm870_block_present", "gauge", "1 when the block answered the start-up read, 0 when it did not or it has not finished.");
    for (int b = 0; b < kBlocks; ++b)
        e.sample("plm870_block_present", blockLabel(b), state.startedUp && !absent[size_t(b)] ? "1" : "0");
    e.family("plm870_block_up", "gauge", "1 while the block's values are good, 0 while they are stale or the block is absent.");
    for (int b = 0; b < kBlocks; ++b)
        e.sample("plm870_block_up", blockLabel(b), live[size_t(b)] ? "1" : "0");
    e.family("plm870_block_age_seconds", "gauge", "Seconds since the block's values were last read.");
    for (int b = 0; b < kBlocks; ++b) {
        const qint64 ageMs = health.valuesAgeMs(b);
        if (ageMs >= 0 && !absent[size_t(b)])
            e.sample("plm870_block_age_seconds", blockLabel(b), QByteArray::number(double(ageMs) / 1000.0, 'f', 3));
    }
    e.family("plm870_polls_total", "counter", "Poll steps of the block, answered or not.");
    for (int b = 0; b < kBlocks; ++b)
        e.sample("plm870_polls_total", blockLabel(b), number(health.block(b).polls));
    e.family("plm870_link_errors_total", "counter", "Transactions with the block that failed, by kind.");
    for (int b = 0; b < kBlocks; ++b) {
        const BlockHealth &h = health.block(b);
        const QByteArray l = blockLabel(b);
        e.sample("plm870_link_errors_total", l + ",kind=\"timeout\"", number(h.timeOuts));
        e.sample("plm870_link_errors_total", l + ",kind=\"nak\"", number(h.naks));
        e.sample("plm870_link_errors_total", l + ",kind=\"checksum\"", number(h.checksumErrors));
    }
    e.family("plm870_line_up", "gauge", "1 while the serial line is polled and its last transaction was answered.");
    e.sample("plm870_line_up", QByteArray(), state.lineUp ? "1" : "0");

    if (state.mqtt) {
        e.family("plm870_mqtt_connected", "gauge", "1 while the gateway is connected to the broker.");
        e.sample("plm870_mqtt_connected", QByteArray(), state.mqtt->connected() ? "1" : "0");
        e.family("plm870_mqtt_queue_messages", "gauge", "Messages waiting for the broker in memory.");
        e.sample("plm870_mqtt_queue_messages", QByteArray(), number(state.mqtt->queue().size()));
        if (const EventSpool *spool = state.mqtt->queue().spool()) {
            e.family("plm870_mqtt_spool_events", "gauge", "Alarm events and changes waiting for the broker in the spool.");
            e.sample("plm870_mqtt_spool_events", QByteArray(), number(spool->waiting()));
        }
    }
    if (state.modbusClients >= 0) {
        e.family("plm870_modbus_clients", "gauge", "Modbus TCP clients connected.");
        e.sample("plm870_modbus_clients", QByteArray(), number(qulonglong(state.modbusClients)));
    }
    e.family("plm870_http_clients", "gauge", "HTTP clients connected, this scrape's included.");
    e.sample("plm870_http_clients", QByteArray(), number(qulonglong(state.httpClients)));
    e.family("plm870_live_view_streams", "gauge", "Browsers following the live view (its event streams).");
    e.sample("plm870_live_view_streams", QByteArray(), number(qulonglong(state.liveViewStreams)));
    return e.done();
}
