#include "LocalBroker.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port the system has just handed out on 127.0.0.1.
int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool accepting(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

} // namespace

LocalBroker::LocalBroker()
{
    mosquitto_lib_init();
    port_ = freeLoopbackPort();
}

LocalBroker::~LocalBroker()
{
    stop();
}

QString LocalBroker::program()
{
    QString p = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (p.isEmpty())
        p = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return p;
}

bool LocalBroker::start()
{
    const QString conf = dir_.filePath(QStringLiteral("mosquitto.conf"));
    QFile f(conf);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence true\npersistence_location %2/\n"
                           "log_dest none\nmax_queued_messages 100000\n%3\n")
                .arg(port_)
                .arg(dir_.path(), listenerOptions_)
                .toLocal8Bit());
    f.close();
    process_.setProgram(program());
    process_.setArguments({QStringLiteral("-c"), conf});
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted(10000)) {
        error_ = process_.errorString();
        return false;
    }
    // Ready when it accepts connections; bounded so that a broker that never comes fails the test.
    const bool up = QTest::qWaitFor([this] { return accepting(port_) || process_.state() != QProcess::Running; }, 20000);
    if (!up || process_.state() != QProcess::Running) {
        error_ = QStringLiteral("mosquitto did not start on port %1").arg(port_);
        return false;
    }
    return true;
}

void LocalBroker::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(15000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

Subscriber::Subscriber(int port, const QString &filter, const QByteArray &clientId) : filter_(filter.toUtf8())
{
    mosquitto_lib_init();
    mosq_ = mosquitto_new(clientId.constData(), false, this);
    mosquitto_connect_callback_set(mosq_, &Subscriber::onConnect);
    mosquitto_subscribe_callback_set(mosq_, &Subscriber::onSubscribe);
    mosquitto_message_callback_set(mosq_, &Subscriber::onMessage);
    mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
    mosquitto_connect_async(mosq_, "127.0.0.1", port, 30);
    mosquitto_loop_start(mosq_);
}

Subscriber::~Subscriber()
{
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
}

void Subscriber::onConnect(mosquitto *mosq, void *self, int rc)
{
    if (rc == 0)
        mosquitto_subscribe(mosq, nullptr, static_cast<Subscriber *>(self)->filter_.constData(), 1);
}

void Subscriber::onSubscribe(mosquitto *, void *self, int, int, const int *)
{
    auto *s = static_cast<Subscriber *>(self);
    std::lock_guard<std::mutex> lock(s->mutex_);
    s->subscribed_ = true;
    ++s->subscriptions_;
}

void Subscriber::onMessage(mosquitto *, void *self, const mosquitto_message *m)
{
    auto *s = static_cast<Subscriber *>(self);
    std::lock_guard<std::mutex> lock(s->mutex_);
    s->messages_.append({QString::fromUtf8(m->topic),
                         QByteArray(static_cast<const char *>(m->payload), m->payloadlen), m->retain});
}

bool Subscriber::waitSubscribed(int timeoutMs)
{
    return QTest::qWaitFor([this] {
        std::lock_guard<std::mutex> lock(mutex_);
        return subscribed_;
    }, timeoutMs);
}

QList<ReceivedMessage> Subscriber::messages() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

QList<ReceivedMessage> Subscriber::on(const QString &topic) const
{
    QList<ReceivedMessage> out;
    for (const ReceivedMessage &m : messages())
        if (m.topic == topic)
            out << m;
    return out;
}

bool Subscriber::waitFor(const std::function<bool(const QList<ReceivedMessage> &)> &done, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return done(messages()); }, timeoutMs);
}

int Subscriber::subscriptions() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return subscriptions_;
}
