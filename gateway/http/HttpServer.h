// The gateway's HTTP server: read-only pages from the thread that owns the controller image,
// made at each request between the link driver's steps. No call waits for a client: sockets
// are Qt's, answered when a request head is whole, written as the client takes them.
#pragma once

#include "BasicAuth.h"
#include "ClientLimits.h"
#include "HttpReply.h"
#include "HttpStream.h"
#include "HttpSecurity.h"
#include "ListenAddress.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace http {

inline const char *const kHttpListenKey = "HTTP_Listen"; // the preference key

// A port alone listens on 127.0.0.1 only; a port must be given.
bool ParseHttpListen(const QString &text, net::ListenAddress *out, QString *error);

class HttpServer : public QObject {
    Q_OBJECT
public:
    // A request must be whole, and its answer taken, 5 s after its first byte; a client that
    // asks nothing for 60 s is closed. Room for 50 browsers of the live view, each with its
    // stream and the connections that loaded the page, besides Prometheus and scripts.
    static constexpr net::ClientLimits kLimits{128, 5000, 60000};
    // A client answered waits this long before its next request is read, as the Modbus
    // server's clients do: the poll cycle keeps its pace whatever a client asks.
    static constexpr int kTurnMs = 1;

    explicit HttpServer(Pages pages, QObject *parent = nullptr);
    ~HttpServer() override;

    // TLS and the password for the connections accepted from now on (SIGHUP gives them again);
    // whether the server speaks TLS is settled by the first listen.
    void setSecurity(const HttpSecurity &security);
    // false with the system's reason when the address cannot be listened on.
    bool listen(const net::ListenAddress &where, QString *error);
    void close();
    quint16 port() const;
    bool tls() const { return security_.tls; }
    int clients() const { return int(clients_.size()); }
    quint64 requestsAnswered() const { return answered_; }
    // Milliseconds of a clock that never goes back, for the client limits.
    void setClock(std::function<qint64()> nowMs);
    // Closes the clients past their limits; runs every half second while clients are connected.
    void dropOverdueClients();

    // Paths answered with a stream (HttpServerStreams.cpp). A stream's client counts towards
    // the client limits but not their deadlines: it is held until it goes, or until it leaves
    // more than maxStreamUnsent bytes untaken.
    void setStreams(Streams streams, qint64 maxStreamUnsent = kMaxStreamUnsentBytes);
    // The same bytes to every client of the stream at `path`.
    void sendToStreams(const QByteArray &path, const QByteArray &bytes);
    int streamClients() const;

private:
    struct Client {
        QByteArray buffer;
        QString address;
        QString peer;
        qint64 requestStartMs = 0; // the first byte of the request in the buffer
        qint64 lastRequestMs = 0;
        bool closing = false;      // answered for the last time
        bool waiting = false;      // for its turn
        QByteArray stream;         // the path of the stream it follows; empty: it asks for pages
        bool handshaking = false;  // TLS: not encrypted yet, within the request's limit
    };

    void acceptClients();
    // The password's verdict on a request as its answer; none when it may be read.
    bool refusedByPassword(const RequestHead &head, const Client &c, Reply *reply);
    void readClient(QTcpSocket *socket);
    void serve(QTcpSocket *socket);
    void resumeClients();
    void dropClient(QTcpSocket *socket, const QString &why);
    bool midRequest(QTcpSocket *socket, const Client &c) const;
    bool openStream(QTcpSocket *socket, Client &c, const RequestHead &head);
    QString refusal(const QString &address);
    void sayRefused(const QString &why);

    Pages pages_;
    Streams streams_;
    qint64 maxStreamUnsent_ = kMaxStreamUnsentBytes;
    HttpSecurity security_;
    std::unique_ptr<BasicAuth> auth_; // null: no password asked
    QTcpServer *server_ = nullptr;
    std::map<QTcpSocket *, Client> clients_;
    QTimer deadlines_;
    QTimer turn_;
    std::function<qint64()> nowMs_;
    quint64 answered_ = 0;
    quint64 refused_ = 0;
    qint64 refusalToldMs_ = -1;
};

} // namespace http
