#include "MqttConnection.h"

#include "BrokerCertificate.h"
#include "EventSpool.h"
#include "Payloads.h"

#include <QStringList>

#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mosquitto.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

constexpr int kKeepAliveSeconds = 30;
// How long the connection thread waits in the library before it looks whether it should stop;
// a publish wakes it at once.
constexpr int kLoopMs = 500;

QString withoutFullStop(const char *text)
{
    QString s = QString::fromLocal8Bit(text);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

// The system's reason for a failed attempt: the broker's refusal, the error of the socket or of
// the name lookup, or the library's own words for the rest.
QString failureReason(int rc, int err, int refusal)
{
    if (refusal != 0)
        return withoutFullStop(mosquitto_connack_string(refusal));
    if (rc == MOSQ_ERR_ERRNO && err != 0)
        return QString::fromLocal8Bit(std::strerror(err));
    if (rc == MOSQ_ERR_EAI)
        return QString::fromLocal8Bit(gai_strerror(err));
    if (rc == MOSQ_ERR_CONN_LOST) // the end of the stream or a reset
        return QStringLiteral("closed by the broker or the network");
    if (rc == MqttConnection::kNoAnswer || rc == MOSQ_ERR_KEEPALIVE)
        return QStringLiteral("no answer within %1 s").arg(MqttConnection::kAttemptMs / 1000);
    return withoutFullStop(mosquitto_strerror(rc));
}

void onLibraryLog(mosquitto *, void *self, int level, const char *text)
{
    // The library tells what OpenSSL said only in its log: the last words are the reason.
    if ((level & MOSQ_LOG_ERR) && std::strncmp(text, "OpenSSL Error", 13) == 0)
        static_cast<MqttConnection *>(self)->noteTlsError(QString::fromLocal8Bit(text));
}

} // namespace

MqttConnection::MqttConnection(size_t queueBound, int firstRetryMs, Notice notice)
    : queue(queueBound), notice(std::move(notice)), firstRetryMs(std::max(1, firstRetryMs))
{
}

MqttConnection::~MqttConnection()
{
    if (mosq)
        mosquitto_destroy(mosq);
}

bool MqttConnection::setUp(const BrokerSettings &s, QString *error)
{
    settings = s;
    const QByteArray id = "plm870-" + QUuid::createUuid().toByteArray(QUuid::Id128).left(12);
    mosq = mosquitto_new(id.constData(), true, this);
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!mosq)
        return fail(QStringLiteral("The broker client could not be created."));
    // Calls from the publishing thread only queue; the connection thread writes.
    mosquitto_threaded_set(mosq, true);
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq, &MqttConnection::onConnect);
    mosquitto_disconnect_callback_set(mosq, &MqttConnection::onDisconnect);
    mosquitto_publish_callback_set(mosq, &MqttConnection::onPublish);
    const QByteArray statusTopic = StatusTopic(s.prefix).toUtf8();
    if (mosquitto_will_set(mosq, statusTopic.constData(), 7, "offline", 1, true) != MOSQ_ERR_SUCCESS)
        return fail(QStringLiteral("The topic prefix \"%1\" is not usable.").arg(s.prefix));
    if (!s.user.isEmpty()) {
        const QByteArray u = s.user.toUtf8(), p = s.password.toUtf8();
        mosquitto_username_pw_set(mosq, u.constData(), s.password.isEmpty() ? nullptr : p.constData());
    }
    if (!s.caFile.isEmpty()) {
        const QByteArray ca = s.caFile.toLocal8Bit(), cert = s.certFile.toLocal8Bit(), key = s.keyFile.toLocal8Bit();
        const bool client = !s.certFile.isEmpty();
        if (mosquitto_tls_set(mosq, ca.constData(), nullptr, client ? cert.constData() : nullptr,
                              client ? key.constData() : nullptr, nullptr) != MOSQ_ERR_SUCCESS)
            return fail(client ? QStringLiteral("The CA file \"%1\", the certificate \"%2\" or its key \"%3\" cannot be used "
                                                "(a key that does not match its certificate, or one protected by a passphrase).")
                                     .arg(s.caFile, s.certFile, s.keyFile)
                               : QStringLiteral("The CA file \"%1\" cannot be used.").arg(s.caFile));
    }
    return true;
}

void MqttConnection::run()
{
    const QByteArray host = settings.host.toUtf8();
    int delayMs = firstRetryMs;
    while (!stopAsked) {
        const int connectsBefore = connects;
        refusal_ = 0;
        noteTlsError(QString());
        // The library's log only while an attempt waits: once connected, formatting a line per
        // packet for nobody would cost every publish.
        mosquitto_log_callback_set(mosq, onLibraryLog);
        errno = 0;
        // The first attempt names the broker; later ones reuse the name and look it up again.
        int rc = attempts++ == 0 ? mosquitto_connect_async(mosq, host.constData(), settings.port, kKeepAliveSeconds)
                                 : mosquitto_reconnect_async(mosq);
        int err = errno;
        if (rc == MOSQ_ERR_SUCCESS) {
            bool disconnecting = false;
            const auto started = std::chrono::steady_clock::now();
            bool givenUp = false; // by attemptFailed, which says why in rc and err
            while ((rc = mosquitto_loop(mosq, kLoopMs, 1)) == MOSQ_ERR_SUCCESS) {
                if (!connected && !stopAsked && (givenUp = attemptFailed(started, &rc, &err)))
                    break;
                if (!stopAsked)
                    continue;
                if (!connected)
                    break;
                if (!disconnecting) {
                    // A clean stop says so itself; the broker sends the will only when a client vanishes.
                    sayOffline();
                    mosquitto_disconnect(mosq);
                    disconnecting = true;
                }
            }
            if (!givenUp)
                err = errno;
        }
        const bool reached = connects != connectsBefore;
        connected = false;
        if (stopAsked)
            break;
        if (reached)
            delayMs = firstRetryMs;
        // Told once per outage, and again only when the reason changes (a password revoked:
        // the connection is lost, then every attempt is refused as not authorised).
        const QString why = tlsReason(failureReason(rc, err, refusal_), rc, reached);
        if (!outageTold_ || why != reasonTold_) {
            tell((reached ? QStringLiteral("The connection to the broker %1 was lost: %2.")
                          : QStringLiteral("The broker %1 cannot be reached: %2."))
                     .arg(where(), why)
                 + QStringLiteral(" Polling goes on; messages wait in a queue (the oldest values go first) and the "
                                  "connection is tried again, at the longest every %1 s.")
                       .arg(kLongestRetryMs / 1000));
            outageTold_ = true;
            reasonTold_ = why;
        }
        pause(delayMs);
        if (!reached)
            delayMs = std::min(delayMs * 2, kLongestRetryMs);
    }
    std::lock_guard<std::mutex> lock(stateMutex_);
    ended_ = true;
    changed_.notify_all();
}

// While an attempt waits for the broker's answer: a connection the system refused or broke (a
// TLS handshake does not notice it by itself) ends it at once, and no answer within kAttemptMs
// ends it too, so that TLS keeps the back-off of plain TCP instead of waiting out the keep-alive.
bool MqttConnection::attemptFailed(std::chrono::steady_clock::time_point started, int *rc, int *err)
{
    tcp_info info{};
    socklen_t len = sizeof info;
    const int fd = mosquitto_socket(mosq);
    if (fd >= 0 && ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &len) == 0 && info.tcpi_state == TCP_CLOSE) {
        // The TLS layer took the socket's error with its first write; a plain connection says it.
        const int error = BrokerConnectError(settings.host, settings.port, kAttemptMs);
        *rc = error != 0 ? MOSQ_ERR_ERRNO : MOSQ_ERR_CONN_LOST;
        *err = error;
        return true;
    }
    if (std::chrono::steady_clock::now() - started < std::chrono::milliseconds(kAttemptMs))
        return false;
    *rc = kNoAnswer;
    return true;
}

void MqttConnection::noteTlsError(const QString &line)
{
    std::lock_guard<std::mutex> lock(stateMutex_);
    tlsError_ = line;
}

// A TLS failure in words an administrator can act on: the broker's certificate examined on a
// connection of its own (its name, its CA, its dates), or what the broker's alert said.
QString MqttConnection::tlsReason(const QString &plain, int rc, bool reached)
{
    QString openSsl;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        openSsl.swap(tlsError_);
    }
    if (settings.caFile.isEmpty() || (openSsl.isEmpty() && rc != MOSQ_ERR_TLS) || reached)
        return plain;
    if (openSsl.contains(QLatin1String("certificate required")))
        return QStringLiteral("the broker requires a client certificate (--cert and --key, or Certificate and Key file in "
                              "the broker settings)");
    if (openSsl.contains(QLatin1String("certificate verify failed")) || rc == MOSQ_ERR_TLS) {
        const QString problem = BrokerCertificateProblem(settings.host, settings.port, settings.caFile, kAttemptMs);
        if (!problem.isEmpty())
            return problem;
    }
    // "OpenSSL Error[0]: error:0A000418:SSL routines::tlsv1 alert unknown ca": the words after the codes.
    const QString words = openSsl.section(QLatin1Char(':'), -1).trimmed();
    return words.isEmpty() ? plain : QStringLiteral("TLS: %1").arg(words);
}

void MqttConnection::pause(int ms)
{
    std::unique_lock<std::mutex> lock(stateMutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopAsked.load(); });
}

void MqttConnection::askToStop()
{
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        stopAsked = true;
    }
    changed_.notify_all();
    // The publish wakes the connection thread from its wait in the library.
    if (connected)
        sayOffline();
}

bool MqttConnection::waitEnded(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(stateMutex_);
    return changed_.wait_for(lock, limit, [this] { return ended_; });
}

void MqttConnection::sayOffline()
{
    if (offlineSent.exchange(true))
        return;
    const QByteArray statusTopic = StatusTopic(settings.prefix).toUtf8();
    mosquitto_publish(mosq, nullptr, statusTopic.constData(), 7, "offline", 1, true);
}

QString MqttConnection::where() const
{
    return QStringLiteral("%1:%2").arg(settings.host).arg(settings.port);
}

void MqttConnection::tell(const QString &line) const
{
    if (notice) {
        notice(line);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

void MqttConnection::drain()
{
    std::lock_guard<std::mutex> lock(drainMutex_);
    while (mosq && connected && inFlight < kInFlight) {
        std::optional<OutgoingMessage> m = queue.pop();
        if (!m)
            return;
        const QByteArray topic = m->topic.toUtf8();
        ++inFlight;
        int mid = 0;
        const int rc = mosquitto_publish(mosq, &mid, topic.constData(), int(m->payload.size()),
                                         m->payload.constData(), m->qos, m->retain);
        if (rc != MOSQ_ERR_SUCCESS) {
            --inFlight;
            if (m->keep || rc != MOSQ_ERR_NO_CONN)
                queue.pushFront(std::move(*m));
            if (rc == MOSQ_ERR_NO_CONN)
                connected = false;
            return;
        }
        if (m->seq != 0)
            spooledOfMid_[mid] = m->seq;
        ++handedOver;
    }
}

void MqttConnection::onConnect(mosquitto *mosq, void *self, int rc)
{
    auto *c = static_cast<MqttConnection *>(self);
    if (rc != 0) {
        c->refusal_ = rc; // refused (login, protocol): told with the broker's words, tried again
        return;
    }
    const QByteArray statusTopic = StatusTopic(c->settings.prefix).toUtf8();
    mosquitto_publish(mosq, nullptr, statusTopic.constData(), 6, "online", 1, true);
    c->tellDrops();
    // Values handed over before the connection broke are gone; alarms the library still holds
    // it sends again by itself.
    c->inFlight = 0;
    c->connected = true;
    mosquitto_log_callback_set(mosq, nullptr);
    if (c->outageTold_ || c->connects == 0)
        c->tell(QStringLiteral("Connected to the broker %1; publishing").arg(c->where()));
    c->outageTold_ = false;
    ++c->connects;
    c->drain();
}

void MqttConnection::onDisconnect(mosquitto *, void *self, int)
{
    static_cast<MqttConnection *>(self)->connected = false;
}

void MqttConnection::onPublish(mosquitto *, void *self, int mid)
{
    auto *c = static_cast<MqttConnection *>(self);
    if (c->inFlight > 0)
        --c->inFlight;
    if (EventSpool *spool = c->queue.spool()) {
        uint64_t seq = 0;
        {
            std::lock_guard<std::mutex> lock(c->drainMutex_);
            const auto it = c->spooledOfMid_.find(mid);
            if (it != c->spooledOfMid_.end()) {
                seq = it->second;
                c->spooledOfMid_.erase(it);
            }
        }
        if (seq != 0)
            spool->acknowledge(seq); // the broker has it: not sent again at a start
    }
    c->drain();
}

// What the bounds dropped: on <prefix>/dropped (retained) at every connection, so that a
// historian sees a hole it would not see otherwise, and in the log once for each new count.
void MqttConnection::tellDrops()
{
    const std::map<QString, size_t> drops = queue.droppedByKind();
    QStringList counts;
    for (const auto &[kind, n] : drops) {
        const auto told = dropsTold_.find(kind);
        const size_t before = told == dropsTold_.end() ? 0 : told->second;
        if (n > before)
            counts << QStringLiteral("%1 %2").arg(n - before).arg(kind);
    }
    const QByteArray json = DroppedPayload(drops);
    const QByteArray topic = DroppedTopic(settings.prefix).toUtf8();
    mosquitto_publish(mosq, nullptr, topic.constData(), int(json.size()), json.constData(), 1, true);
    if (!counts.isEmpty())
        tell(QStringLiteral("Messages dropped because the queue or the event spool was full (counts by kind since the "
                            "last report): %1. The totals are on %2.")
                 .arg(counts.join(QStringLiteral(", ")), DroppedTopic(settings.prefix)));
    dropsTold_ = drops;
}
