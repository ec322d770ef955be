// The gateway's core: the link driver with the stored (or given) port, link health, the
// history file of this run and the publisher, in the order the window starts them.
#pragma once

#include "GatewayOptions.h"
#include "GatewayView.h"

#include <QString>
#include <QTimer>
#include <memory>

class AlarmMemoryFile;
class LinkHealth;
class LiveFeed;
class MonitorComm;
class Publisher;
namespace PLM_INC {
class ChangeRecord;
class SettingsMemory;
}
class StaleNotices;
namespace modbus {
class ModbusServer;
}
namespace http {
class HttpServer;
}

class Gateway {
public:
    Gateway();
    ~Gateway(); // stops: port closed, "offline" published

    // false with a message when it cannot start.
    bool start(const GatewayOptions &options, QString *error);
    // SIGHUP: the broker settings, the password and the certificates as `options` give them
    // now; the publisher connects again when they changed. Says what it did.
    void reload(const GatewayOptions &options);
    void stop();
    QString historyFile() const { return historyFile_; }

private:
    QByteArray metrics() const;

    GatewayView view_;
    std::unique_ptr<MonitorComm> comm_;
    std::unique_ptr<LinkHealth> health_;
    std::unique_ptr<StaleNotices> staleNotices_;
    std::unique_ptr<Publisher> publisher_;
    std::unique_ptr<PLM_INC::ChangeRecord> changeRecord_;
    std::unique_ptr<PLM_INC::SettingsMemory> settingsMemory_;
    std::unique_ptr<modbus::ModbusServer> modbus_;
    std::unique_ptr<http::HttpServer> http_;
    std::unique_ptr<LiveFeed> live_; // what the live view's browsers are sent
    std::unique_ptr<AlarmMemoryFile> alarmMemory_;
    QString historyFile_;
    BrokerSettings broker_; // as the publisher was started with
    QByteArray brokerFiles_; // the CA, certificate and key files' contents then
    QTimer quietLogFlush_; // the counts the quiet log holds back, once their minute is over
};
