#include "Gateway.h"

#include "AlarmHistory.h"
#include "AlarmMemoryFile.h"
#include "ChangeRecord.h"
#include "Clock.h"
#include "DataFolder.h"
#include "DiskWriter.h"
#include "GatewayMetrics.h"
#include "HttpServer.h"
#include "LinkHealth.h"
#include "LiveFeed.h"
#include "LivePages.h"
#include "ModbusServer.h"
#include "ModbusBlockLink.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Publisher.h"
#include "QuietLog.h"
#include "SettingsMemory.h"
#include "StaleNotices.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

// The gateway's events wait on the disk in its state folder.
BrokerSettings spooled(BrokerSettings settings)
{
    settings.spoolPath = PLM_INC::DataSubFolder(QStringLiteral("spool")) + QStringLiteral("/events.spool");
    return settings;
}

bool sameBroker(const BrokerSettings &a, const BrokerSettings &b)
{
    return a.host == b.host && a.port == b.port && a.prefix == b.prefix && a.user == b.user && a.password == b.password
           && a.caFile == b.caFile && a.certFile == b.certFile && a.keyFile == b.keyFile && a.spoolBytes == b.spoolBytes;
}

// A certificate renewed in place is a change too.
QByteArray filesOf(const BrokerSettings &s)
{
    QByteArray all;
    for (const QString &path : {s.caFile, s.certFile, s.keyFile}) {
        QFile f(path);
        all += (!path.isEmpty() && f.open(QIODevice::ReadOnly)) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                                               : QByteArray("-");
    }
    return all;
}

} // namespace

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
    // Every line once it is on the disk, with its number and hash: the broker's witness.
    changeRecord_->setWrittenHandler([this](const PLM_INC::RecordedChange &line) {
        if (publisher_)
            publisher_->publishChange(line);
        if (live_)
            live_->noteChange(line);
    });
    changeRecord_->append(PLM_INC::ProgramLine(PLM_INC::ChangeOrigin::ProgramStarted, PLM_INC::clock().now()));
    settingsMemory_ = std::make_unique<PLM_INC::SettingsMemory>(changes);
    QString settingsError;
    if (!settingsMemory_->load(&settingsError))
        std::fprintf(stderr, "%s\n", qPrintable(settingsError));
    QObject::connect(comm_.get(), &MonitorComm::settingChanged, [this](PLM_INC::SettingChange change) {
        change.user = changeRecord_->user();
        changeRecord_->append(change);
    });
    broker_ = spooled(options.broker.settings);
    brokerFiles_ = filesOf(broker_);
    if (options.broker.enabled() && !publisher_->start(broker_, error))
        return false;
    if (options.modbus.enabled()) {
        modbus_ = std::make_unique<modbus::ModbusServer>(
            [this](int block) { return LinkOfBlock(block, view_.startedUp, *health_); });
        if (!modbus_->listen(options.modbus, error))
            return false;
    }
    if (options.http.enabled()) {
        http::Pages pages;
        pages["/metrics"] = {kMetricsContentType, [this] { return metrics(); }};
        live_ = std::make_unique<LiveFeed>(
            *health_, [this] { return LiveLine{view_.startedUp, view_.errorShown}; },
            [this](const QByteArray &bytes) {
                if (http_)
                    http_->sendToStreams(kLiveEventsPath, bytes);
            });
        QObject::connect(comm_.get(), &MonitorComm::blockPolled, live_.get(),
                         [this](int block, int, ReplyKind kind) { live_->notePoll(block, kind == ReplyKind::Ack); });
        AddLivePages(pages, *live_);
        http_ = std::make_unique<http::HttpServer>(std::move(pages));
        http_->setSecurity(options.httpSecurity);
        http_->setStreams(LiveStreams(*live_));
        if (!http_->listen(options.http, error))
            return false;
    }
    comm_->communicate();
    return true;
}

QByteArray Gateway::metrics() const
{
    GatewayState state{*health_};
    state.startedUp = view_.startedUp;
    state.lineUp = view_.startedUp && !view_.errorShown && !comm_->lineFailing();
    state.mqtt = publisher_->running() ? publisher_->client() : nullptr;
    state.modbusClients = modbus_ ? modbus_->clients() : -1;
    state.httpClients = http_ ? http_->clients() : 0;
    state.liveViewStreams = http_ ? http_->streamClients() : 0;
    return MetricsText(state);
}

void Gateway::reload(const GatewayOptions &options)
{
    const auto say = [](const QString &line) {
        std::fprintf(stderr, "%s\n", qPrintable(line));
        std::fflush(stderr);
    };
    if (!options.error.isEmpty()) {
        say(QStringLiteral("Reload (SIGHUP) refused: %1 The settings in use stay.").arg(options.error));
        return;
    }
    if (http_ && (options.httpSecurity.tls || http_->tls())) {
        if (options.httpSecurity.tls != http_->tls()) {
            say(QStringLiteral("Reload (SIGHUP): HTTPS is switched on or off only by a restart; the HTTP server keeps "
                               "its certificate and password file."));
        } else {
            http_->setSecurity(options.httpSecurity);
            say(QStringLiteral("Reloaded (SIGHUP) the HTTP certificate, key and password file: new connections use them."));
        }
    }
    const BrokerSettings fresh = spooled(options.broker.settings);
    const QByteArray files = filesOf(fresh);
    const QString what = QStringLiteral("Reloaded (SIGHUP) the password file, the certificates and the broker settings");
    if (sameBroker(fresh, broker_) && files == brokerFiles_ && options.broker.enabled() == publisher_->running()) {
        say(what + QStringLiteral(": nothing changed."));
        return;
    }
    publisher_->stop();
    broker_ = fresh;
    brokerFiles_ = files;
    QString error;
    if (!options.broker.enabled())
        say(what + QStringLiteral(": no broker is named now; nothing is published."));
    else if (!publisher_->start(broker_, &error))
        say(what + QStringLiteral(": they changed, and cannot be used: %1 Nothing is published.").arg(error));
    else
        say(what + QStringLiteral(": they changed; connecting to %1:%2 again.").arg(broker_.host).arg(broker_.port));
}

void Gateway::stop()
{
    if (alarmMemory_)
        alarmMemory_->keep();
    if (settingsMemory_)
        settingsMemory_->keep();
    settingsMemory_.reset();
    if (changeRecord_) {
        changeRecord_->append(PLM_INC::ProgramLine(PLM_INC::ChangeOrigin::ProgramEnded, PLM_INC::clock().now()));
        // The end's line goes to the broker's spool like every other: the disk is given the
        // program's end wait to take it (and the spool's line is then written by the end's own).
        if (publisher_ && publisher_->running()
            && PLM_INC::diskWriter().waitUntilWritten(PLM_INC::DiskWriter::kEndWait))
            changeRecord_->deliverWritten();
    }
    changeRecord_.reset();
    http_.reset();
    live_.reset();
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
