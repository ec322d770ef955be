// The gateway's Modbus TCP server. It lives on the thread that owns the controller image and
// answers from the image there, between the link driver's steps: sockets are non-blocking and
// watched by socket notifiers, a request is answered as soon as its frame is whole, and no
// call ever waits for a client, so the poll cycle never waits for the server.
#pragma once

#include "ModbusFramer.h"
#include "ModbusListen.h"
#include "ModbusRequest.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
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
    // Part of a frame waits this long for the rest; a silent client is closed after kIdleMs.
    static constexpr int kMidFrameMs = 3000;
    static constexpr int kIdleMs = 60000;
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

private:
    struct Client {
        std::unique_ptr<QSocketNotifier> notifier;
        ModbusFramer framer;
        QString peer;
        qint64 lastByteMs = 0;
    };

    void acceptClients();
    void readClient(int socket);
    // false when the client is to be dropped.
    bool answerFrames(int socket, Client &client);
    void dropClient(int socket, const QString &why);
    void dropOverdueClients();
    void resumeClients();
    void sayRefused();

    BlockLinkOf linkOf_;
    modbus_t *ctx_ = nullptr;
    int listenSocket_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::unique_ptr<ModbusReplier> replier_;
    std::map<int, Client> clients_;
    QTimer deadlines_;
    QTimer turn_;
    QElapsedTimer clock_;
    quint64 answered_ = 0;
    quint64 refused_ = 0;
    qint64 refusalToldMs_ = -1;
};

} // namespace modbus
