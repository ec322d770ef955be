#include "HttpServer.h"

#include "PeerClosed.h"
#include "QuietLog.h"

#include <QHostInfo>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace http {

namespace {

constexpr int kDeadlineCheckMs = 500;
constexpr int kRefusalReportMs = 60000;
// Answers a client has not taken yet: beyond this its next request waits.
constexpr qint64 kMaxUnsentBytes = 4 * 1024 * 1024;

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QHostAddress hostAddress(const QString &host)
{
    if (host.isEmpty())
        return QHostAddress(QHostAddress::AnyIPv4);
    QHostAddress address(host);
    if (!address.isNull())
        return address;
    const QList<QHostAddress> found = QHostInfo::fromName(host).addresses();
    return found.isEmpty() ? QHostAddress() : found.first();
}

// Hands every connection over as a QSslSocket whose handshake has begun: it is one of the
// server's clients from its first byte, so a client that never finishes the handshake is held
// to the same limits as one that never finishes its request.
class TlsTcpServer : public QTcpServer {
public:
    TlsTcpServer(const QSslConfiguration &configuration, QObject *parent) : QTcpServer(parent), configuration_(configuration) {}
    void setConfiguration(const QSslConfiguration &configuration) { configuration_ = configuration; }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setSslConfiguration(configuration_);
        addPendingConnection(socket);
        socket->startServerEncryption();
    }

private:
    QSslConfiguration configuration_;
};

} // namespace

bool ParseHttpListen(const QString &text, net::ListenAddress *out, QString *error)
{
    return net::ParseListenAddress(text, {"HTTP", 0, "127.0.0.1"}, out, error);
}

HttpServer::HttpServer(Pages pages, QObject *parent) : QObject(parent), pages_(std::move(pages)), nowMs_(steadyMs)
{
    deadlines_.setInterval(kDeadlineCheckMs);
    connect(&deadlines_, &QTimer::timeout, this, &HttpServer::dropOverdueClients);
    turn_.setInterval(kTurnMs);
    turn_.setTimerType(Qt::PreciseTimer);
    connect(&turn_, &QTimer::timeout, this, &HttpServer::resumeClients);
}

HttpServer::~HttpServer()
{
    close();
}

void HttpServer::setSecurity(const HttpSecurity &security)
{
    security_ = security;
    auth_ = security.passwordAsked ? std::make_unique<BasicAuth>(security.passwords) : nullptr;
    if (auto *tls = dynamic_cast<TlsTcpServer *>(server_); tls && security.tls)
        tls->setConfiguration(security.tlsConfiguration);
}

bool HttpServer::listen(const net::ListenAddress &where, QString *error)
{
    close();
    const QHostAddress address = hostAddress(where.host);
    if (address.isNull()) {
        *error = QStringLiteral("HTTP cannot listen on %1: the host is not known.").arg(where.text());
        return false;
    }
    server_ = security_.tls ? new TlsTcpServer(security_.tlsConfiguration, this) : new QTcpServer(this);
    if (!server_->listen(address, quint16(where.port))) {
        QString hint;
        if (server_->serverError() == QAbstractSocket::SocketAccessError && where.port < 1024)
            hint = QStringLiteral(" (a port below 1024 needs root or CAP_NET_BIND_SERVICE; see plm870-gateway(1))");
        *error = QStringLiteral("HTTP cannot listen on %1: %2%3.").arg(where.text(), server_->errorString(), hint);
        close();
        return false;
    }
    connect(server_, &QTcpServer::newConnection, this, &HttpServer::acceptClients);
    QStringList paths;
    for (const auto &[path, page] : pages_)
        paths << QString::fromLatin1(path);
    for (const auto &[path, stream] : streams_)
        paths << QString::fromLatin1(path);
    const char *guard = security_.tls ? (auth_ ? "TLS, password asked" : "TLS") : "plain HTTP";
    std::fprintf(stderr, "HTTP: listening on %s, %s (read-only: %s)\n", qPrintable(where.text()), guard,
                 qPrintable(paths.join(QStringLiteral(", "))));
    std::fflush(stderr);
    return true;
}

void HttpServer::close()
{
    while (!clients_.empty())
        dropClient(clients_.begin()->first, QString());
    delete server_;
    server_ = nullptr;
    deadlines_.stop();
    turn_.stop();
}

quint16 HttpServer::port() const
{
    return server_ ? server_->serverPort() : 0;
}

void HttpServer::setClock(std::function<qint64()> nowMs)
{
    nowMs_ = nowMs ? std::move(nowMs) : std::function<qint64()>(steadyMs);
}

QString HttpServer::refusal(const QString &address)
{
    const auto count = [&] {
        return int(std::count_if(clients_.begin(), clients_.end(), [&address](const auto &e) { return e.second.address == address; }));
    };
    QString why = kLimits.refusal(address, clients(), count());
    if (why.isEmpty())
        return why;
    // A client that has closed may not have been read yet: its slot is free now.
    std::vector<QTcpSocket *> closed;
    for (const auto &[socket, c] : clients_)
        if (net::PeerClosed(int(socket->socketDescriptor())))
            closed.push_back(socket);
    for (QTcpSocket *socket : closed)
        dropClient(socket, QString());
    return kLimits.refusal(address, clients(), count());
}

void HttpServer::acceptClients()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        const QString address = socket->peerAddress().toString();
        const QString why = refusal(address);
        if (!why.isEmpty()) {
            // Refused at once rather than queued: a waiting client would only time out later.
            socket->abort();
            socket->deleteLater();
            ++refused_;
            sayRefused(why);
            continue;
        }
        Client &c = clients_[socket];
        c.address = address;
        c.peer = QStringLiteral("%1 port %2").arg(address).arg(socket->peerPort());
        c.lastRequestMs = nowMs_();
        if (auto *tls = qobject_cast<QSslSocket *>(socket); tls && !tls->isEncrypted()) {
            c.handshaking = true;
            c.requestStartMs = c.lastRequestMs;
            connect(tls, &QSslSocket::encrypted, this, [this, socket] {
                if (auto it = clients_.find(socket); it != clients_.end())
                    it->second.handshaking = false;
            });
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { serve(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { dropClient(socket, QString()); });
        if (!deadlines_.isActive())
            deadlines_.start();
    }
}

void HttpServer::sayRefused(const QString &why)
{
    const qint64 now = nowMs_();
    if (refusalToldMs_ >= 0 && now - refusalToldMs_ < kRefusalReportMs)
        return;
    refusalToldMs_ = now;
    PLM_INC::quietLog().tell(QStringLiteral("http client refused"),
                             QStringLiteral("HTTP: a client was refused: %1 (%2 refused so far)").arg(why).arg(refused_));
}

void HttpServer::readClient(QTcpSocket *socket)
{
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    Client &c = it->second;
    const QByteArray bytes = socket->readAll();
    if (c.closing || !c.stream.isEmpty() || bytes.isEmpty())
        return; // what follows a last answer, or a stream's request, is not read
    // The limit runs from a request's first byte: a client cannot hold its slot by trickling.
    if (!midRequest(socket, c))
        c.requestStartMs = nowMs_();
    c.buffer += bytes;
    serve(socket);
}

bool HttpServer::midRequest(QTcpSocket *socket, const Client &c) const
{
    return !c.buffer.isEmpty() || socket->bytesToWrite() > 0 || c.closing || c.handshaking;
}

void HttpServer::serve(QTcpSocket *socket)
{
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    Client &c = it->second;
    if (c.closing || c.waiting || !c.stream.isEmpty() || socket->bytesToWrite() > kMaxUnsentBytes)
        return;
    TakenHead taken = TakeRequestHead(c.buffer);
    if (taken.status == TakenHead::Incomplete)
        return;
    const bool bad = taken.status == TakenHead::Bad;
    Reply reply;
    if (bad) {
        reply = ErrorReply(taken.badStatus);
    } else if (!refusedByPassword(taken.head, c, &reply)) {
        if (openStream(socket, c, taken.head))
            return; // a stream is asked for with the password of a page
        reply = AnswerRequest(taken.head, pages_);
    }
    // A request with a body is answered without reading it, so the connection ends after it.
    const bool keepAlive = !bad && taken.head.keepAlive;
    socket->write(ReplyBytes(reply, keepAlive, !bad && taken.head.method == "HEAD"));
    ++answered_;
    const qint64 now = nowMs_();
    c.lastRequestMs = now;
    if (!keepAlive) {
        c.closing = true;
        c.buffer.clear();
        socket->disconnectFromHost(); // once the answer is written
        return;
    }
    if (!c.buffer.isEmpty())
        c.requestStartMs = now;
    c.waiting = true;
    if (!turn_.isActive())
        turn_.start();
}

bool HttpServer::refusedByPassword(const RequestHead &head, const Client &c, Reply *reply)
{
    if (!auth_)
        return false;
    switch (auth_->judge(head.authorization, c.address, nowMs_())) {
    case BasicAuth::Verdict::Allowed:
        return false;
    case BasicAuth::Verdict::TooSoon:
        *reply = TooSoonReply(int(BasicAuth::kRetryMs / 1000));
        return true;
    case BasicAuth::Verdict::Refused:
        if (!head.authorization.isEmpty())
            PLM_INC::quietLog().tell(QStringLiteral("http password refused"),
                                     QStringLiteral("HTTP: a wrong user or password came from %1").arg(c.address));
        *reply = PasswordAskedReply();
        return true;
    }
    return false;
}

void HttpServer::resumeClients()
{
    turn_.stop();
    std::vector<QTcpSocket *> waiting;
    for (auto &[socket, c] : clients_)
        if (c.waiting) {
            c.waiting = false;
            waiting.push_back(socket);
        }
    for (QTcpSocket *socket : waiting)
        serve(socket);
}

void HttpServer::dropClient(QTcpSocket *socket, const QString &why)
{
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    if (!why.isEmpty())
        PLM_INC::quietLog().tell(QStringLiteral("http client dropped"),
                                 QStringLiteral("HTTP: client %1 dropped: %2").arg(it->second.peer, why));
    clients_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    if (clients_.empty()) {
        deadlines_.stop();
        turn_.stop();
    }
}

void HttpServer::dropOverdueClients()
{
    const qint64 now = nowMs_();
    std::vector<std::pair<QTcpSocket *, QString>> overdue;
    for (const auto &[socket, c] : clients_) {
        if (!c.stream.isEmpty())
            continue; // held while it takes its bytes (sendToStreams)
        const QString why = kLimits.overdue(midRequest(socket, c), c.requestStartMs, c.lastRequestMs, now);
        if (!why.isEmpty())
            overdue.emplace_back(socket, why);
    }
    for (const auto &[socket, why] : overdue)
        dropClient(socket, why);
}

// Streams: a GET of a stream's path is answered with the stream's head and opening bytes, and the
// client then takes what sendToStreams pushes until it goes.

void HttpServer::setStreams(Streams streams, qint64 maxStreamUnsent)
{
    streams_ = std::move(streams);
    maxStreamUnsent_ = maxStreamUnsent;
}

bool HttpServer::openStream(QTcpSocket *socket, Client &c, const RequestHead &head)
{
    const auto stream = streams_.find(head.path);
    // Other methods and requests with a body are refused as for a page.
    if (stream == streams_.end() || head.hasBody || (head.method != "GET" && head.method != "HEAD"))
        return false;
    socket->write(StreamHeadBytes(stream->second));
    ++answered_;
    c.buffer.clear();
    if (head.method == "HEAD") {
        c.closing = true;
        socket->disconnectFromHost();
        return true;
    }
    // The opening may send what was gathered to the streams open already: this one starts after it.
    if (stream->second.opening)
        socket->write(stream->second.opening());
    c.stream = head.path;
    return true;
}

void HttpServer::sendToStreams(const QByteArray &path, const QByteArray &bytes)
{
    std::vector<QTcpSocket *> behind;
    for (const auto &[socket, c] : clients_) {
        if (c.stream != path)
            continue;
        if (socket->bytesToWrite() > maxStreamUnsent_)
            behind.push_back(socket);
        else
            socket->write(bytes); // made once, for every client alike
    }
    for (QTcpSocket *socket : behind)
        dropClient(socket, QStringLiteral("it left more than %1 kB of its stream untaken").arg(maxStreamUnsent_ / 1024));
}

int HttpServer::streamClients() const
{
    int n = 0;
    for (const auto &[socket, c] : clients_)
        n += c.stream.isEmpty() ? 0 : 1;
    return n;
}

} // namespace http
