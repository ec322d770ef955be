// A mosquitto broker of the test's own on a free loopback port, and a subscriber that records
// what arrives. The broker keeps its sessions across a restart, so a subscriber that was away
// gets what was published meanwhile.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <mutex>

struct mosquitto;

class LocalBroker {
public:
    LocalBroker();
    ~LocalBroker();
    // Lines added to the broker's configuration from the next start on (TLS: cafile, certfile,
    // keyfile, require_certificate).
    void setListenerOptions(const QString &lines) { listenerOptions_ = lines; }
    bool start(); // on the same port every time
    void stop();  // a clean stop; the broker saves its sessions
    int port() const { return port_; }
    QString error() const { return error_; }
    static QString program(); // the mosquitto executable, empty when not installed

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    QString error_;
    QString listenerOptions_;
};

struct ReceivedMessage {
    QString topic;
    QByteArray payload;
    bool retained = false;
};

class Subscriber {
public:
    // A durable session: messages for it are kept while it is away.
    Subscriber(int port, const QString &filter, const QByteArray &clientId = "plm870-test-subscriber");
    ~Subscriber();
    bool waitSubscribed(int timeoutMs = 20000);
    int subscriptions() const; // how often it has subscribed: once per connection
    QList<ReceivedMessage> messages() const;
    QList<ReceivedMessage> on(const QString &topic) const;
    // Waits until `done` holds for the messages so far; false after timeoutMs.
    bool waitFor(const std::function<bool(const QList<ReceivedMessage> &)> &done, int timeoutMs = 30000) const;

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onSubscribe(mosquitto *, void *self, int, int, const int *);
    static void onMessage(mosquitto *, void *self, const struct mosquitto_message *);
    mosquitto *mosq_ = nullptr;
    QByteArray filter_;
    mutable std::mutex mutex_;
    QList<ReceivedMessage> messages_;
    bool subscribed_ = false;
    int subscriptions_ = 0;
};
