#include "BrokerWatch.h"

#include "MqttClient.h"

#include <QTcpSocket>
#include <cstdio>

namespace {

constexpr int kLookMs = 1000;

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

} // namespace

BrokerWatch::BrokerWatch(const MqttClient &client, BrokerSettings settings, QObject *parent)
    : QObject(parent), client_(client), settings_(std::move(settings))
{
    timer_.setInterval(kLookMs);
    connect(&timer_, &QTimer::timeout, this, &BrokerWatch::look);
    timer_.start();
}

BrokerWatch::~BrokerWatch() = default;

void BrokerWatch::look()
{
    const QString where = QStringLiteral("%1:%2").arg(settings_.host).arg(settings_.port);
    if (client_.connected()) {
        if (reported_ || !wasConnected_)
            say(QStringLiteral("Connected to the broker %1; publishing").arg(where));
        reported_ = false;
        wasConnected_ = true;
        downMs_ = 0;
        return;
    }
    downMs_ += kLookMs;
    if (!reported_ && downMs_ >= kGraceMs && !probe_)
        probe();
}

// One connection attempt of its own, to say why the broker is not reached.
void BrokerWatch::probe()
{
    probe_ = std::make_unique<QTcpSocket>();
    const auto report = [this](const QString &why) {
        say(QStringLiteral("The broker %1:%2 cannot be reached: %3. Polling goes on; messages wait in a queue of "
                           "2000 (the oldest values go first) and the gateway tries again, at the longest every 30 s.")
                .arg(settings_.host)
                .arg(settings_.port)
                .arg(why));
        reported_ = true;
        probe_.release()->deleteLater();
    };
    connect(probe_.get(), &QTcpSocket::errorOccurred, this, [this, report] { report(probe_->errorString()); });
    connect(probe_.get(), &QTcpSocket::connected, this, [report] {
        report(QStringLiteral("it accepts TCP connections but not the MQTT login (user, password, TLS?)"));
    });
    probe_->connectToHost(settings_.host, quint16(settings_.port));
}
