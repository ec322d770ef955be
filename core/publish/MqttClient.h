// The broker connection: libmosquitto driven by a connection thread of the client's own, a last
// will of "offline" on <prefix>/status, and the bounded queue in front of it. No call blocks the
// caller: publish() only queues, the connection thread hands messages to the broker while it
// is connected, a few at a time.
//
// The connection comes back from every state: a broker that is not there yet, one that refuses
// the connection, a name that does not resolve, a connection that breaks. Every attempt that
// fails is followed by a wait that doubles from the first delay up to kLongestRetryMs, and the
// first success starts over from the first delay. The failure is told once, with the system's
// reason, and the return once.
#pragma once

#include "BrokerSettings.h"
#include "MqttConnection.h"
#include "PublishQueue.h"

#include <memory>
#include <thread>
#include <vector>

class MqttClient {
public:
    // One line for the program's log; runs on the connection thread.
    using Notice = MqttConnection::Notice;

    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLongestRetryMs = MqttConnection::kLongestRetryMs;
    // How many messages may be with the library, not yet written or acknowledged.
    static constexpr int kInFlight = MqttConnection::kInFlight;

    explicit MqttClient(size_t queueBound = 2000, int firstRetryMs = kFirstRetryMs);
    ~MqttClient(); // publishes "offline" when connected, disconnects, ends the connection thread
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Where the failure and the return are told; standard error unless set. Set before start().
    void setNotice(Notice notice);

    // Starts connecting in the background; false (with the reason) when the library refuses
    // the settings (the TLS files, for example). A second start begins with an empty queue.
    bool start(const BrokerSettings &settings, QString *error = nullptr);
    // Says "offline" and disconnects; waits for the connection thread a few seconds at most
    // (a name lookup that hangs is left behind, not waited for).
    void stop();

    void publish(OutgoingMessage message);
    void publish(std::vector<OutgoingMessage> messages); // queued together, handed over together
    bool connected() const;
    const PublishQueue &queue() const;
    uint64_t handedOver() const;
    int connects() const;
    int attempts() const; // connection attempts so far, the successful ones included

private:
    // Shared with the connection thread, which may outlive a stop().
    std::shared_ptr<MqttConnection> c_;
    std::thread thread_;
    Notice notice_;
    size_t queueBound_;
    int firstRetryMs_;
};
