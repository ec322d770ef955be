// What the monitor publishes and when: after every completed poll of a block, the channels of
// that block whose values changed (retained, and every channel again after each connection); every history entry as an alarm event (QoS 1); every few
// seconds the link health of each block (retained), and a block's at once when its values go stale or
// good again; every change of the change record as an event (QoS 1); "online" while
// connected. Nothing received from the broker is ever read: the publisher only sends.
#pragma once

#include "BrokerSettings.h"
#include "ReplyKind.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>

class LinkHealth;
class MonitorComm;
class MqttClient;
struct HistoryEntry;
namespace PLM_INC {
struct RecordedChange;
}

class Publisher : public QObject {
    Q_OBJECT
public:
    static constexpr int kHealthIntervalMs = 5000;
    // Staleness is a matter of time: looked at this often, a change is published at once.
    static constexpr int kStaleCheckMs = 1000;

    Publisher(MonitorComm &comm, const LinkHealth &health, QObject *parent = nullptr);
    ~Publisher() override;

    bool start(const BrokerSettings &settings, QString *error = nullptr, size_t queueBound = 2000);
    void stop();
    bool running() const { return client_ != nullptr; }
    MqttClient *client() const { return client_.get(); }

    void publishBlock(int block); // the changed channels of a block
    void publishHealth();         // every present block
    void publishBlockHealth(int block);
    void publishStaleChanges();   // the blocks whose staleness changed since last published
    void publishAlarm(const HistoryEntry &entry);
    // A line of the change record once it is on the disk, as an event (QoS 1, not retained,
    // kept in the spool until the broker has it) on <prefix>/changes.
    void publishChange(const PLM_INC::RecordedChange &line);

private:
    const LinkHealth &health_;
    std::unique_ptr<MqttClient> client_;
    QString prefix_;
    QTimer healthTimer_;
    QTimer staleTimer_;
    std::array<bool, 16> staleShown_{};
    std::array<QByteArray, 320> lastPayload_{}; // without the time: what was last published
    // The image fields behind each payload; a value no field can hold marks "not yet published".
    using RawValues = std::array<int32_t, 12>;
    static constexpr RawValues kNotPublished{{-100000}};
    std::array<RawValues, 320> lastRaw_{};
    int connectsSeen_ = 0; // the client's connections when the values were last published whole
};
