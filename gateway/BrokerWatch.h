// Tells once, in the gateway's log, when the broker cannot be reached (with the system's reason
// and what the gateway does meanwhile) and when it is reached again. libmosquitto retries by
// itself; this only looks at the connection and, when it is down, tries the address once to
// learn why.
#pragma once

#include "BrokerSettings.h"

#include <QObject>
#include <QTimer>
#include <memory>

class MqttClient;
class QTcpSocket;

class BrokerWatch : public QObject {
    Q_OBJECT
public:
    // How long a first connection or a reconnection may take before it is reported.
    static constexpr int kGraceMs = 5000;

    BrokerWatch(const MqttClient &client, BrokerSettings settings, QObject *parent = nullptr);
    ~BrokerWatch() override;

private:
    void look();
    void probe();

    const MqttClient &client_;
    BrokerSettings settings_;
    QTimer timer_;
    std::unique_ptr<QTcpSocket> probe_;
    int downMs_ = 0;
    bool reported_ = false;
    bool wasConnected_ = false;
};
