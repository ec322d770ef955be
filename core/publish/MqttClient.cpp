#include "MqttClient.h"

#include "EventSpool.h"

#include <QDir>
#include <QFileInfo>

#include <mosquitto.h>

namespace {

// Called once per process; libmosquitto keeps it for the whole run.
void initLibrary()
{
    static const int done = [] {
        mosquitto_lib_init();
        return 0;
    }();
    (void)done;
}

// How long stop() waits for the connection thread: a clean goodbye takes milliseconds; a name
// lookup that hangs is left behind.
constexpr std::chrono::seconds kStopWait{3};

} // namespace

MqttClient::MqttClient(size_t queueBound, int firstRetryMs)
    : c_(std::make_shared<MqttConnection>(queueBound, firstRetryMs, Notice())), queueBound_(queueBound),
      firstRetryMs_(firstRetryMs)
{
    initLibrary();
}

MqttClient::~MqttClient()
{
    stop();
}

void MqttClient::setNotice(Notice notice)
{
    notice_ = std::move(notice);
}

bool MqttClient::start(const BrokerSettings &settings, QString *error)
{
    stop();
    c_ = std::make_shared<MqttConnection>(queueBound_, firstRetryMs_, notice_);
    if (!c_->setUp(settings, error))
        return false;
    if (!settings.spoolPath.isEmpty()) {
        QDir().mkpath(QFileInfo(settings.spoolPath).absolutePath());
        c_->queue.setSpool(EventSpool::make(settings.spoolPath, settings.spoolBytes));
    }
    // The thread keeps the connection alive as long as it runs, even past this client.
    std::shared_ptr<MqttConnection> c = c_;
    thread_ = std::thread([c] { c->run(); });
    return true;
}

void MqttClient::stop()
{
    if (!thread_.joinable())
        return;
    c_->askToStop();
    if (c_->waitEnded(kStopWait))
        thread_.join();
    else
        thread_.detach();
}

void MqttClient::publish(OutgoingMessage message)
{
    c_->queue.push(std::move(message));
    c_->drain();
}

void MqttClient::publish(std::vector<OutgoingMessage> messages)
{
    if (messages.empty())
        return;
    for (OutgoingMessage &m : messages)
        c_->queue.push(std::move(m));
    c_->drain();
}

bool MqttClient::connected() const
{
    return c_->connected;
}

const PublishQueue &MqttClient::queue() const
{
    return c_->queue;
}

uint64_t MqttClient::handedOver() const
{
    return c_->handedOver;
}

int MqttClient::connects() const
{
    return c_->connects;
}

int MqttClient::attempts() const
{
    return c_->attempts;
}
