// One broker connection: libmosquitto, the bounded queue in front of it, and the state it shares
// between its owner (the MqttClient, on the thread that publishes) and its connection thread,
// which may outlive the owner when a name lookup hangs.
#pragma once

#include "BrokerSettings.h"
#include "PublishQueue.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

struct mosquitto;

struct MqttConnection {
    // One line for the program's log; runs on the connection thread.
    using Notice = std::function<void(const QString &line)>;

    static constexpr int kLongestRetryMs = 30000;
    // An attempt that has no answer from the broker this long is given up (then the back-off).
    static constexpr int kAttemptMs = 5000;
    static constexpr int kNoAnswer = -1000; // the rc of such an attempt
    // How many messages may be with the library, not yet written or acknowledged.
    static constexpr int kInFlight = 200;

    MqttConnection(size_t queueBound, int firstRetryMs, Notice notice);
    ~MqttConnection();
    MqttConnection(const MqttConnection &) = delete;
    MqttConnection &operator=(const MqttConnection &) = delete;

    // The library's client with the will, the login and TLS; false with the reason.
    bool setUp(const BrokerSettings &settings, QString *error);
    void run(); // the connection thread: connect, serve, wait, connect again, until asked to stop
    void drain(); // hands queued messages to the library while connected and below kInFlight
    void noteTlsError(const QString &line); // the library's log line of what OpenSSL said
    void askToStop();
    bool waitEnded(std::chrono::milliseconds limit);

    mosquitto *mosq = nullptr;
    BrokerSettings settings;
    PublishQueue queue;
    const Notice notice;
    const int firstRetryMs;

    std::atomic<bool> stopAsked{false};
    std::atomic<bool> offlineSent{false};
    std::atomic<bool> connected{false};
    std::atomic<int> inFlight{0};
    std::atomic<uint64_t> handedOver{0};
    std::atomic<int> connects{0};
    std::atomic<int> attempts{0};

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onPublish(mosquitto *, void *self, int mid);
    void sayOffline();
    void tell(const QString &line) const;
    QString where() const;
    void pause(int ms);

    void tellDrops();
    bool attemptFailed(std::chrono::steady_clock::time_point started, int *rc, int *err);
    QString tlsReason(const QString &plain, int rc, bool reached);

    std::mutex drainMutex_;
    std::map<int, uint64_t> spooledOfMid_; // under drainMutex_: the spool numbers of messages with the library
    std::mutex stateMutex_;
    std::condition_variable changed_;
    bool ended_ = false;
    // The connection thread's own.
    int refusal_ = 0;        // the broker's answer to the last login; 0: accepted
    bool outageTold_ = false; // the failure of this outage has been told
    QString reasonTold_;      // and its reason
    QString tlsError_;        // under stateMutex_: OpenSSL's words in the library's log, this attempt
    std::map<QString, size_t> dropsTold_; // the drops told so far, by kind
};
