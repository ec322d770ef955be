// The broker connection: libmosquitto with its own loop thread, a last will of "offline" on
// <prefix>/status, reconnection with a back-off, and the bounded queue in front of it. No call
// blocks the caller: publish() only queues, the loop thread hands messages to the broker
// while it is connected, a few at a time.
#pragma once

#include "BrokerSettings.h"
#include "PublishQueue.h"

#include <atomic>
#include <vector>
#include <mutex>

struct mosquitto;

class MqttClient {
public:
    explicit MqttClient(size_t queueBound = 2000);
    ~MqttClient(); // publishes "offline" when connected, disconnects, stops the loop thread
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Starts connecting in the background; false (with the reason) when the library refuses
    // the settings (the TLS files, for example).
    bool start(const BrokerSettings &settings, QString *error = nullptr);
    void stop();

    void publish(OutgoingMessage message);
    void publish(std::vector<OutgoingMessage> messages); // queued together, handed over together
    bool connected() const { return connected_; }
    const PublishQueue &queue() const { return queue_; }
    uint64_t handedOver() const { return handedOver_; }
    int connects() const { return connects_; }

    // How many messages may be with the library, not yet written or acknowledged.
    static constexpr int kInFlight = 200;

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onPublish(mosquitto *, void *self, int mid);
    void drain(); // hands queued messages to the library while connected and below kInFlight

    mosquitto *mosq_ = nullptr;
    BrokerSettings settings_;
    PublishQueue queue_;
    std::mutex drainMutex_;
    std::atomic<bool> connected_{false};
    std::atomic<int> inFlight_{0};
    std::atomic<uint64_t> handedOver_{0};
    std::atomic<int> connects_{0};
    bool loopRunning_ = false;
};
