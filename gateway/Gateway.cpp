#include "Gateway.h"

#include "AlarmHistory.h"
#include "AlarmMemoryFile.h"
#include "ChangeRecord.h"
#include "Clock.h"
#include "DataFolder.h"
#include "LinkHealth.h"
#include "ModbusServer.h"
#include "ModbusBlockLink.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Publisher.h"
#include "QuietLog.h"
#include "StaleNotices.h"

#include <QDir>
#include <QFile>
#include <cstdio>

Gateway::Gateway() = default;

Gateway::~Gateway()
{
    stop();
}

bool Gateway::start(const GatewayOptions &options, QString *error)
{
    PLM_INC::GroupIndex = 0;
    PLM_INC::SelectedItem = 0;
    PLM_INC::HistoryRow = 1;
    // A device path stands for COM1, as PLM870_COM1 would.
    QString port = options.port;
    if (port.startsWith(QLatin1Char('/'))) {
        qputenv("PLM870_COM1", QFile::encodeName(port));
        port = QStringLiteral("COM1");
        view_.device = options.port;
    }
    // Stored like the port dialog stores them, so that a restart without options finds them.
    if (!port.isEmpty())
        Prefs::set(QStringLiteral("Port"), port);
    if (!options.speed.isEmpty())
        Prefs::set(QStringLiteral("Speed"), options.speed);
    view_.port = Prefs::get(QStringLiteral("Port"));
    quietLogFlush_.setInterval(5000);
    QObject::connect(&quietLogFlush_, &QTimer::timeout, [] { PLM_INC::quietLog().flush(); });
    quietLogFlush_.start();

    const QString history = PLM_INC::DataSubFolder(QStringLiteral("hystory"));
    if (!QDir().mkpath(history)) {
        *error = QStringLiteral("The folder \"%1\" cannot be made.").arg(history);
        return false;
    }
    historyFile_ = CreateHistoryFile(history, PLM_INC::clock().now());
    alarmMemory_ = std::make_unique<AlarmMemoryFile>(QDir(history).filePath(QStringLiteral("alarm-memory")));
    QString memoryError;
    if (!alarmMemory_->load(&memoryError))
        std::fprintf(stderr, "%s\n", qPrintable(memoryError));

    comm_ = std::make_unique<MonitorComm>();
    comm_->setView(&view_);
    health_ = std::make_unique<LinkHealth>(*comm_);
    QObject::connect(comm_.get(), &MonitorComm::blockPolled, alarmMemory_.get(), &AlarmMemoryFile::keep);
    staleNotices_ = std::make_unique<StaleNotices>(*health_, view_);
    publisher_ = std::make_unique<Publisher>(*comm_, *health_);
    // The gateway writes no setting: what its record holds are the changes made at the units.
    const QString changes = PLM_INC::ChangeRecordFolder();
    if (!QDir().mkpath(changes)) {
        *error = QStringLiteral("The folder \"%1\" cannot be made.").arg(changes);
        return false;
    }
    changeRecord_ = std::make_unique<PLM_INC::ChangeRecord>(changes);
    changeRecord_->setUser(QStringLiteral("plm870-gateway"));
    changeRecord_->setFailureHandler([](const QString &message) { qWarning("%s", qPrintable(message)); });
    QObject::connect(comm_.get(), &MonitorComm::settingChanged, [this](PLM_INC::SettingChange change) {
        change.user = changeRecord_->user();
        changeRecord_->append(change);
        if (publisher_)
            publisher_->publishChange(change);
    });
    BrokerSettings broker = options.broker.settings;
    broker.spoolPath = PLM_INC::DataSubFolder(QStringLiteral("spool")) + QStringLiteral("/events.spool");
    if (options.broker.enabled() && !publisher_->start(broker, error))
        return false;
    if (options.modbus.enabled()) {
        modbus_ = std::make_unique<modbus::ModbusServer>(
            [this](int block) { return LinkOfBlock(block, view_.startedUp, *health_); });
        if (!modbus_->listen(options.modbus, error))
            return false;
    }
    comm_->communicate();
    return true;
}

void Gateway::stop()
{
    if (alarmMemory_)
        alarmMemory_->keep();
    modbus_.reset();
    if (comm_)
        comm_->closePort();
    if (publisher_)
        publisher_->stop();
    publisher_.reset();
    comm_.reset();
    staleNotices_.reset();
    health_.reset();
}
