#include "ModbusServer.h"

#include "QuietLog.h"

#include "ModbusReplier.h"
#include "PeerClosed.h"

#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <modbus/modbus.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace modbus {

namespace {

constexpr int kDeadlineCheckMs = 500;
constexpr int kRefusalReportMs = 60000;

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

// The peer's address and port, numeric.
std::pair<QString, QString> peerOf(int socket)
{
    sockaddr_storage addr{};
    socklen_t length = sizeof addr;
    char host[NI_MAXHOST] = "?";
    char port[NI_MAXSERV] = "?";
    if (::getpeername(socket, reinterpret_cast<sockaddr *>(&addr), &length) == 0)
        ::getnameinfo(reinterpret_cast<sockaddr *>(&addr), length, host, sizeof host, port, sizeof port,
                      NI_NUMERICHOST | NI_NUMERICSERV);
    return {QString::fromLatin1(host), QString::fromLatin1(port)};
}

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

ModbusServer::ModbusServer(BlockLinkOf linkOf, QObject *parent)
    : QObject(parent), linkOf_(std::move(linkOf)), nowMs_(steadyMs)
{
    deadlines_.setInterval(kDeadlineCheckMs);
    connect(&deadlines_, &QTimer::timeout, this, &ModbusServer::dropOverdueClients);
    turn_.setInterval(kTurnMs);
    turn_.setTimerType(Qt::PreciseTimer);
    connect(&turn_, &QTimer::timeout, this, &ModbusServer::resumeClients);
}

ModbusServer::~ModbusServer()
{
    close();
}

bool ModbusServer::listen(const ModbusListen &where, QString *error)
{
    close();
    const QByteArray host = where.host.toUtf8();
    const QByteArray port = QByteArray::number(where.port);
    // libmodbus reports a name it cannot resolve as a refused connection: asked here first.
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int resolved = ::getaddrinfo(host.isEmpty() ? nullptr : host.constData(), port.constData(), &hints, &found);
    if (resolved != 0) {
        *error = QStringLiteral("Modbus TCP cannot listen on %1: %2.").arg(where.text(), QString::fromLocal8Bit(::gai_strerror(resolved)));
        return false;
    }
    ::freeaddrinfo(found);
    ctx_ = modbus_new_tcp_pi(host.isEmpty() ? nullptr : host.constData(), port.constData());
    if (ctx_)
        listenSocket_ = modbus_tcp_pi_listen(ctx_, kMaxClients);
    if (listenSocket_ < 0) {
        const int reason = errno;
        QString hint;
        if (reason == EACCES && where.port < 1024)
            hint = QStringLiteral(" (a port below 1024 needs root or CAP_NET_BIND_SERVICE; see plm870-gateway(1))");
        *error = QStringLiteral("Modbus TCP cannot listen on %1: %2%3.")
                     .arg(where.text(), QString::fromLocal8Bit(modbus_strerror(reason)), hint);
        close();
        return false;
    }
    ::fcntl(listenSocket_, F_SETFL, ::fcntl(listenSocket_, F_GETFL) | O_NONBLOCK);
    replier_ = std::make_unique<ModbusReplier>(ctx_);
    listenNotifier_ = std::make_unique<QSocketNotifier>(listenSocket_, QSocketNotifier::Read);
    connect(listenNotifier_.get(), &QSocketNotifier::activated, this, &ModbusServer::acceptClients);
    say(QStringLiteral("Modbus TCP: listening on %1 (unit id 1..16 = block 01..16, read-only)").arg(where.text()));
    return true;
}

void ModbusServer::close()
{
    while (!clients_.empty())
        dropClient(clients_.begin()->first, QString());
    listenNotifier_.reset();
    replier_.reset();
    if (listenSocket_ >= 0)
        ::close(listenSocket_);
    listenSocket_ = -1;
    if (ctx_)
        modbus_free(ctx_);
    ctx_ = nullptr;
    deadlines_.stop();
}

void ModbusServer::setClock(std::function<qint64()> nowMs)
{
    nowMs_ = nowMs ? std::move(nowMs) : std::function<qint64()>(steadyMs);
}

QString ModbusServer::refusal(const QString &address) const
{
    const auto fromAddress = std::count_if(clients_.begin(), clients_.end(),
                                           [&address](const auto &entry) { return entry.second.address == address; });
    return kLimits.refusal(address, clients(), int(fromAddress));
}

void ModbusServer::dropClosedClients()
{
    std::vector<int> closed;
    for (const auto &[socket, c] : clients_)
        if (net::PeerClosed(socket))
            closed.push_back(socket);
    for (int socket : closed)
        dropClient(socket, QString());
}

void ModbusServer::acceptClients()
{
    for (;;) {
        const int socket = ::accept4(listenSocket_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0)
            return; // EAGAIN: every waiting connection is taken
        const auto [address, port] = peerOf(socket);
        // A client that has closed may not have been read yet (it waits for its turn, or its
        // end is in the same batch of events as this connection): its slot is free now.
        QString why = refusal(address);
        if (!why.isEmpty()) {
            dropClosedClients();
            why = refusal(address);
        }
        if (!why.isEmpty()) {
            // Refused at once rather than queued: a waiting client would only time out later.
            ::close(socket);
            ++refused_;
            sayRefused(why);
            continue;
        }
        Client &c = clients_[socket];
        c.address = address;
        c.peer = QStringLiteral("%1 port %2").arg(address, port);
        c.lastRequestMs = nowMs_();
        c.notifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        connect(c.notifier.get(), &QSocketNotifier::activated, this, [this, socket] { readClient(socket); });
        if (!deadlines_.isActive())
            deadlines_.start();
    }
}

void ModbusServer::sayRefused(const QString &why)
{
    const qint64 now = nowMs_();
    if (refusalToldMs_ >= 0 && now - refusalToldMs_ < kRefusalReportMs)
        return;
    refusalToldMs_ = now;
    PLM_INC::quietLog().tell(QStringLiteral("modbus client refused"),
                             QStringLiteral("Modbus TCP: a client was refused: %1 (%2 refused so far)").arg(why).arg(refused_));
}

void ModbusServer::readClient(int socket)
{
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    uint8_t bytes[4096];
    const ssize_t n = ::recv(socket, bytes, sizeof bytes, 0);
    if (n == 0) {
        dropClient(socket, QString()); // the client closed the connection
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            dropClient(socket, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    Client &c = it->second;
    const qint64 now = nowMs_();
    received_ += quint64(n);
    const bool wasMidFrame = c.framer.midFrame();
    const quint64 answeredBefore = answered_;
    c.framer.append(bytes, size_t(n));
    if (!answerFrames(socket, c))
        return;
    if (answered_ != answeredBefore)
        c.lastRequestMs = now;
    // The limit runs from a request's first byte: a client cannot hold its slot by trickling.
    if (c.framer.midFrame() && (!wasMidFrame || answered_ != answeredBefore))
        c.frameStartMs = now;
    if (!c.framer.midFrame()) {
        c.notifier->setEnabled(false);
        if (!turn_.isActive())
            turn_.start();
    }
}

void ModbusServer::resumeClients()
{
    turn_.stop();
    for (auto &[socket, c] : clients_)
        c.notifier->setEnabled(true);
}

bool ModbusServer::answerFrames(int socket, Client &client)
{
    std::vector<uint8_t> frame;
    for (;;) {
        switch (client.framer.next(frame)) {
        case ModbusFramer::Status::Incomplete:
            return true;
        case ModbusFramer::Status::Garbage:
            dropClient(socket, QStringLiteral("it sent bytes that are not Modbus TCP"));
            return false;
        case ModbusFramer::Status::Frame:
            break;
        }
        const Answer answer = AnswerRequest(frame.data(), int(frame.size()), linkOf_);
        if (!replier_->reply(socket, frame, answer)) {
            dropClient(socket, QStringLiteral("its answer could not be sent: %1")
                                   .arg(QString::fromLocal8Bit(modbus_strerror(errno))));
            return false;
        }
        ++answered_;
    }
}

void ModbusServer::dropClient(int socket, const QString &why)
{
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    if (!why.isEmpty())
        PLM_INC::quietLog().tell(QStringLiteral("modbus client dropped"),
                                 QStringLiteral("Modbus TCP: client %1 dropped: %2").arg(it->second.peer, why));
    it->second.notifier.reset();
    ::close(socket);
    clients_.erase(it);
    if (clients_.empty()) {
        deadlines_.stop();
        turn_.stop();
    }
}

void ModbusServer::dropOverdueClients()
{
    const qint64 now = nowMs_();
    std::vector<std::pair<int, QString>> overdue;
    for (const auto &[socket, c] : clients_) {
        const QString why = kLimits.overdue(c.framer.midFrame(), c.frameStartMs, c.lastRequestMs, now);
        if (!why.isEmpty())
            overdue.emplace_back(socket, why);
    }
    for (const auto &[socket, why] : overdue)
        dropClient(socket, why);
}

} // namespace modbus
