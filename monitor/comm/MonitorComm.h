// The link driver of the monitor: the commands it sends to the controller, how their replies
// are decoded into the image, the poll cycle and the link requests, the setting writes and
// the port probe. Everything runs on the user-interface thread; the link timer Timer4 starts
// every transaction, one per tick, and a tick never runs inside another.
#pragma once

#include "LinkView.h"
#include "ReplyKind.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>

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

    // One tick of the link timer: the work LinkRequest names, then the notices.
    void Timer4_Timer();
    // One tick of the delay timer Index (0: block transfer, 1: all-blocks transfer).
    void Timer3_Timer(int Index);

    // "ok" when block 0 answered the probe on the stored port, else "".
    QString ConnectStoredPort();
    QString ProbePort(const QString &port, const QString &speed);
    // OK of the port dialog (which stores the keys itself): a later failure shows it again.
    void commDialogOk();

    void Setdata_read();    // the start-up read of every block (608 progress steps)
    void ReadPara_setflg(); // the re-read of block ReReadBlock
    void PollMonitorData(); // one poll step
    void statecomchk(int i);
    void ReadDataSet(const QString &tt);

    void WriteOneItem();
    void WriteBlockSetdata();
    void WriteAllSetdata();
    void WriteBlockAlarmdata();
    void WriteAllAlarmdata();
    void WriteFactoryAdj();
    void setFactoryAdjustText(const QString &text80);

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
    void writeItem(int block, const QString &item);
    void writeChain(int block);
    void writeAlarmValues(int block);
    void backupAlarmValues();
    void restoreAlarmValues();
    void clearLinkBuffers();
    void loadPresentationFields();
    void advancePoll();
    void runRequest();
    void linkTimerFired(); // Timer4's timeout: every other one runs a tick
    // A queued one-item write in place of this tick's work; false when none runs now.
    bool runQueuedWrite();
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
    bool wroteLastTick_ = false;
    bool yieldedBeforeTick_ = false;
    bool lineFailing_ = false;
    bool transferInProgress_ = false;
    int16_t portDialogShown_ = 0;
    QString factoryAdjustText_;
    int commErrorNoticeShown_ = -1; // -1: not told to the view yet
    int readingNoticeShown_ = -1;
};
