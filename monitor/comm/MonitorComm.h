// The link driver of the monitor: the commands it sends to the controller, how their replies
// are decoded into the image, the poll cycle and the link requests, the setting writes and
// the port probe. Everything runs on the user-interface thread; the link timer Timer4 starts
// every transaction, one per tick, and a tick never runs inside another.
#pragma once

#include "LinkRequests.h"
#include "LinkView.h"
#include "ReplyKind.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace tobrel {
class Line;
class STDComm;
}

class MonitorComm : public QObject {
    Q_OBJECT
public:
    // Creates the link object PLMCom, fills ItemCodeTable, PollBlock = PollItem = 0.
    explicit MonitorComm(QObject *parent = nullptr);
    // The same over a line of the caller's (a test's in-process controller); nullptr: the
    // serial port named by the stored port.
    explicit MonitorComm(std::unique_ptr<tobrel::Line> line, QObject *parent = nullptr);
    ~MonitorComm() override;

    tobrel::STDComm &PLMCom();
    void setView(LinkView *view); // nullptr: a view that shows nothing

    // The main loop's start: EventsCheck true, open the stored port (LinkRequest 0 when the
    // controller answered, else 9) and start Timer4. The Qt event loop is the loop itself.
    void communicate();

    // One tick of the link timer: in the start-up and port states their work, otherwise the
    // oldest waiting request or one poll step; then the notices.
    void Timer4_Timer();
    // One tick of the delay timer Index (0: block transfer, 1: all-blocks transfer).
    void Timer3_Timer(int Index);

    // "ok" when block 0 answered the probe on the stored port, else "".
    QString ConnectStoredPort();
    QString ProbePort(const QString &port, const QString &speed);
    // OK of the port dialog (which stores the keys itself): a later failure shows it again.
    void commDialogOk();

    void Setdata_read();              // the start-up read of every block (608 progress steps)
    void ReadPara_setflg(int block);  // the re-read of a block whose settings changed
    void PollMonitorData();           // one poll step
    void statecomchk(int i);
    void ReadDataSet(const QString &tt);

    // The requests of PendingRequests, each with the block, item and values it carries.
    void WriteOneItem(const PLM_INC::LinkRequestJob &request);
    void WriteBlockSetdata(const PLM_INC::LinkRequestJob &request);
    void WriteAllSetdata(const PLM_INC::LinkRequestJob &request);
    void WriteBlockAlarmdata(const PLM_INC::LinkRequestJob &request);
    void WriteAllAlarmdata(const PLM_INC::LinkRequestJob &request);
    void WriteFactoryAdj(const PLM_INC::LinkRequestJob &request);

    void closePort(); // PortClose at the end of the program
    // From the first phase of a load transfer until its second phase has run.
    bool transferInProgress() const;

    // --- state a window or a test may look at ---
    QTimer &timer4() { return timer4_; }
    QTimer &timer3(int index);
    int16_t portDialogShown() const { return portDialogShown_; }
    bool heaterMvTurn() const { return heaterMvTurn_; }
    // True while the line raises errors instead of carrying transactions (a vanished device,
    // a port that will not open); cleared by the next transaction the line carries.
    bool lineFailing() const { return lineFailing_; }

signals:
    void quitRequested();
    // Every classified transaction with a block, and every poll step's outcome: the link health
    // and the publisher follow the line through these.
    void transactionDone(int block, ReplyKind kind);
    void blockPolled(int block, int pollItem, ReplyKind kind);

private:
    enum class Command : char { Read = 0x22, Write = 0x52 };

    // The transaction procedure: one attempt, CommError 0, the reply classified (status
    // panel, history entry or the communication error notice); a read's ACK is decoded.
    QString transact(int block, Command command, const QString &item, const QString &data = QString());
    // One attempt whose reply nobody classifies (the start-up "00A1" read, the probe);
    // "" when the link raised an error.
    QString sendUnclassified(int block, Command command, const QString &item, const QString &data = QString());
    void blockRead(int block, const QString &item);
    // The write's reply kind; NoReply also when nothing was sent (a value without a count).
    ReplyKind writeItem(int block, const QString &item);
    void writeChain(int block);
    void writeAlarmValues(int block);
    void startTransferPause(int index, const PLM_INC::LinkRequestJob &send);
    void endTransfer(bool allBlocks);
    void clearLinkBuffers();
    void loadPresentationFields();
    void advancePoll();
    void runRequest();
    void linkTimerFired(); // Timer4's timeout: every other one runs a tick
    // The request this tick carries out in place of a poll step, if any.
    std::optional<PLM_INC::LinkRequestJob> takeRequest();
    void runJob(const PLM_INC::LinkRequestJob &request);
    // LinkRequest shows the request waiting first (2..8), or 1.
    void showWaitingRequest();
    void updateNotices();
    void setCommErrorNotice(bool visible);
    void setReadingNotice(bool visible);
    void paceLinkTimer();
    void noteLineError(const char *where, const std::exception &e);

    std::unique_ptr<tobrel::STDComm> link_;
    NullLinkView nullView_;
    LinkView *view_ = &nullView_;
    QTimer timer4_;
    std::array<QTimer, 2> timer3_;
    int timer3Count_ = 0;
    bool heaterMvTurn_ = false;
    bool inTick_ = false;
    bool wroteLastTick_ = false; // a one-item write went on the line in the last tick
    quint64 transactionCount_ = 0;
    bool yieldedBeforeTick_ = false;
    bool lineFailing_ = false;
    // A write could not reach the controller (no port, a failing line, no reply): writes wait.
    bool writesHeld_ = false;
    // The second phase of each delay timer's transfer, made with the first phase.
    std::array<std::optional<PLM_INC::LinkRequestJob>, 2> pausedTransfer_;
    int16_t portDialogShown_ = 0;
    int commErrorNoticeShown_ = -1; // -1: not told to the view yet
    int readingNoticeShown_ = -1;
    int waitingNoticeShown_ = -1;
};
