#include "MqttClient.h"

#include "Payloads.h"

#include <QUuid>
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

constexpr int kKeepAliveSeconds = 30;

} // namespace

MqttClient::MqttClient(size_t queueBound) : queue_(queueBound)
{
    initLibrary();
}

MqttClient::~MqttClient()
{
    stop();
}

bool MqttClient::start(const BrokerSettings &settings, QString *error)
{
    stop();
    settings_ = settings;
    const QByteArray id = "plm870-" + QUuid::createUuid().toByteArray(QUuid::Id128).left(12);
    mosq_ = mosquitto_new(id.constData(), true, this);
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
        return false;
    };
    if (!mosq_)
        return fail(QStringLiteral("The broker client could not be created."));
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_publish_callback_set(mosq_, &MqttClient::onPublish);
    // 1 s after a failed attempt, doubling up to half a minute.
    mosquitto_reconnect_delay_set(mosq_, 1, 30, true);
    const QByteArray statusTopic = StatusTopic(settings.prefix).toUtf8();
    if (mosquitto_will_set(mosq_, statusTopic.constData(), 7, "offline", 1, true) != MOSQ_ERR_SUCCESS)
        return fail(QStringLiteral("The topic prefix \"%1\" is not usable.").arg(settings.prefix));
    if (!settings.user.isEmpty()) {
        const QByteArray u = settings.user.toUtf8(), p = settings.password.toUtf8();
        mosquitto_username_pw_set(mosq_, u.constData(), settings.password.isEmpty() ? nullptr : p.constData());
    }
    if (!settings.caFile.isEmpty()) {
        const QByteArray ca = settings.caFile.toLocal8Bit();
        if (mosquitto_tls_set(mosq_, ca.constData(), nullptr, nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS)
            return fail(QStringLiteral("The CA file \"%1\" cannot be used.").arg(settings.caFile));
    }
    const QByteArray host = settings.host.toUtf8();
    // An unreachable broker is not an error here: the loop thread keeps trying.
    mosquitto_connect_async(mosq_, host.constData(), settings.port, kKeepAliveSeconds);
    if (mosquitto_loop_start(mosq_) != MOSQ_ERR_SUCCESS)
        return fail(QStringLiteral("The broker client could not start its thread."));
    loopRunning_ = true;
    return true;
}

void MqttClient::stop()
{
    if (!mosq_)
        return;
    if (connected_) {
        // A clean stop says so itself; the broker sends the will only when a client vanishes.
        const QByteArray statusTopic = StatusTopic(settings_.prefix).toUtf8();
        mosquitto_publish(mosq_, nullptr, statusTopic.constData(), 7, "offline", 1, true);
    }
    mosquitto_disconnect(mosq_);
    if (loopRunning_)
        mosquitto_loop_stop(mosq_, false);
    loopRunning_ = false;
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    connected_ = false;
    inFlight_ = 0;
}

void MqttClient::publish(OutgoingMessage message)
{
    queue_.push(std::move(message));
    drain();
}

void MqttClient::publish(std::vector<OutgoingMessage> messages)
{
    if (messages.empty())
        return;
    for (OutgoingMessage &m : messages)
        queue_.push(std::move(m));
    drain();
}

void MqttClient::drain()
{
    std::lock_guard<std::mutex> lock(drainMutex_);
    while (mosq_ && connected_ && inFlight_ < kInFlight) {
        std::optional<OutgoingMessage> m = queue_.pop();
        if (!m)
            return;
        const QByteArray topic = m->topic.toUtf8();
        ++inFlight_;
        const int rc = mosquitto_publish(mosq_, nullptr, topic.constData(), int(m->payload.size()),
                                         m->payload.constData(), m->qos, m->retain);
        if (rc != MOSQ_ERR_SUCCESS) {
            --inFlight_;
            if (m->keep || rc != MOSQ_ERR_NO_CONN)
                queue_.pushFront(std::move(*m));
            if (rc == MOSQ_ERR_NO_CONN)
                connected_ = false;
            return;
        }
        ++handedOver_;
    }
}

void MqttClient::onConnect(mosquitto *mosq, void *self, int rc)
{
    auto *c = static_cast<MqttClient *>(self);
    if (rc != 0)
        return; // refused (login, protocol): the loop retries with its back-off
    const QByteArray statusTopic = StatusTopic(c->settings_.prefix).toUtf8();
    mosquitto_publish(mosq, nullptr, statusTopic.constData(), 6, "online", 1, true);
    // Values handed over before the connection broke are gone; alarms the library still holds
    // it sends again by itself.
    c->inFlight_ = 0;
    c->connected_ = true;
    ++c->connects_;
    c->drain();
}

void MqttClient::onDisconnect(mosquitto *, void *self, int)
{
    static_cast<MqttClient *>(self)->connected_ = false;
}

void MqttClient::onPublish(mosquitto *, void *self, int)
{
    auto *c = static_cast<MqttClient *>(self);
    if (c->inFlight_ > 0)
        --c->inFlight_;
    c->drain();
}
