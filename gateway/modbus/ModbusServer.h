// The gateway's Modbus TCP server. It lives on the thread that owns the controller image and
// answers from the image there, between the link driver's steps: sockets are non-blocking and
// watched by socket notifiers, a request is answered as soon as its frame is whole, and no
// call ever waits for a client, so the poll cycle never waits for the server.
#pragma once

#include "ClientLimits.h"
#include "ModbusFramer.h"
#include "ModbusListen.h"
#include "ModbusRequest.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
typedef struct _modbus modbus_t;

namespace modbus {

class ModbusReplier;

class ModbusServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 8;
    // A request must be whole 3 s after its first byte; a client that asks nothing for 60 s
    // (from its last whole request, or its connection) is closed.
    static constexpr net::ClientLimits kLimits{kMaxClients, 3000, 60000};
    // A client answered waits this long before its next request is read: clients that ask in a
    // tight loop get about a thousand answers a second each, and the poll cycle, which shares
    // the thread and the machine, keeps its pace.
    static constexpr int kTurnMs = 1;

    explicit ModbusServer(BlockLinkOf linkOf, QObject *parent = nullptr);
    ~ModbusServer() override;

    // false with the system's reason when the address cannot be listened on.
    bool listen(const ModbusListen &where, QString *error);
    void close();
    int clients() const { return int(clients_.size()); }
    quint64 requestsAnswered() const { return answered_; }
    quint64 bytesReceived() const { return received_; }
    // Milliseconds of a clock that never goes back, for the client limits; a steady clock
    // unless a test gives another.
    void setClock(std::function<qint64()> nowMs);
    // Closes the clients past their limits; runs every half second while clients are connected.
    void dropOverdueClients();

private:
    struct Client {
        std::unique_ptr<QSocketNotifier> notifier;
        ModbusFramer framer;
        QString peer;    // "address port n"
        QString address; // the peer's address alone
        qint64 frameStartMs = 0; // the first byte of the request in the framer
        qint64 lastRequestMs = 0;
    };

    void acceptClients();
    void readClient(int socket);
    // false when the client is to be dropped.
    bool answerFrames(int socket, Client &client);
    void dropClient(int socket, const QString &why);
    // Clients whose peer has closed (seen before their turn comes): their slots are free.
    void dropClosedClients();
    // Empty when a client from `address` may connect; otherwise why not.
    QString refusal(const QString &address) const;
    void resumeClients();
    void sayRefused(const QString &why);

    BlockLinkOf linkOf_;
    modbus_t *ctx_ = nullptr;
    int listenSocket_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::unique_ptr<ModbusReplier> replier_;
    std::map<int, Client> clients_;
    QTimer deadlines_;
    QTimer turn_;
    std::function<qint64()> nowMs_;
    quint64 answered_ = 0;
    quint64 received_ = 0;
    quint64 refused_ = 0;
    qint64 refusalToldMs_ = -1;
};

} // namespace modbus
