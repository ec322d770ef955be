// The link driver of the monitor: the link timer's tick, the link requests and the
// transaction procedure that decodes replies into the image. The commands it runs (the reads
// and the poll cycle, the setting writes, the port probe) are classes of their own that get
// what they need of the driver through CommandHost. The driver and the controller image live
// on the window's thread; every transaction is handed to the line (a line thread of its own
// in the program) as one step, and the driver carries on when its reply or its time-out comes
// back. The link timer Timer4 starts a tick when the tick before it has ended; a tick never
// runs inside another.
#pragma once

#include "CommandHost.h"
#include "EngineClock.h"
#include "LinkMessages.h"
#include "LinkRequests.h"
#include "LinkService.h"
#include "LinkView.h"
#include "PacedTimer.h"
#include "PortConnection.h"
#include "ReadCommands.h"
#include "ReplyKind.h"
#include "SettingChanges.h"
#include "StepRunner.h"
#include "TransferPause.h"
#include "WriteCommands.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace tobrel {
class Line;
class STDComm;
}

class MonitorComm : public QObject, private CommandHost {
    Q_OBJECT
public:
    // The program's driver: the serial port named by the stored port, on a line thread, and
    // the steady clock. Creates the link object, fills ItemCodeTable, PollBlock = PollItem = 0.
    explicit MonitorComm(QObject *parent = nullptr);
    // The link over a line of the caller's (a test's pseudo-terminal or mock line), carried on
    // the caller's own thread: each operation has sent its frames when it returns. nullptr:
    // the serial port.
    explicit MonitorComm(std::unique_ptr<tobrel::Line> line, QObject *parent = nullptr);
    // Time and line given from outside (a simulated installation in simulated time).
    MonitorComm(std::unique_ptr<LinkService> service, std::unique_ptr<EngineClock> clock, QObject *parent = nullptr);
    ~MonitorComm() override;

    // The link itself, where it lives on this thread (the line-of-the-caller constructor).
    tobrel::STDComm &PLMCom();
    // Runs f on the link after the work handed over before it, on the thread that owns the
    // link (set-up of tests and tools: a clock, a time-out); then `done` on this thread.
    void configureLink(std::function<void(tobrel::STDComm &)> f, std::function<void()> done = {});
    void setView(LinkView *view); // nullptr: a view that shows nothing
    // Where the link's own messages go (the port refusal); shown after the step that raised
    // them, never inside it. Without one they go to the log.
    void setMessageHandler(std::function<void(const QString &)> handler);

    // The main loop's start: open the stored port (LinkRequest 0 when the controller answered,
    // else 9), then start Timer4. The Qt event loop is the loop itself.
    void communicate();

    // One tick of the link timer: in the start-up and port states their work, otherwise the
    // oldest waiting request or one poll step; then the notices. Ignored while a tick runs.
    void Timer4_Timer();
    // One tick of the delay timer Index (0: block transfer, 1: all-blocks transfer).
    void Timer3_Timer(int Index);

    // The probe of the stored port (repaired first) and of a given one; `done` gets "ok" when
    // block 0 answered, else "". The returning forms give the result where the link lives on
    // this thread, "" otherwise.
    void connectStoredPort(std::function<void(const QString &)> done) { port_.connectStoredPort(std::move(done)); }
    void probePort(const QString &port, const QString &speed, std::function<void(const QString &)> done)
    {
        port_.probePort(port, speed, std::move(done));
    }
    QString ConnectStoredPort();
    QString ProbePort(const QString &port, const QString &speed);
    // OK of the port dialog (which stores the keys itself): a later failure shows it again.
    void commDialogOk() { port_.commDialogOk(); }

    void Setdata_read() { reads_.startupRead(); } // the start-up read of every block (608 progress steps)
    // The re-read of a block whose settings changed.
    void ReadPara_setflg(int block) { reads_.reRead(PLM_INC::ReReadRequest(block)); }
    void reRead(const PLM_INC::LinkRequestJob &request) { reads_.reRead(request); }
    void PollMonitorData() { reads_.poll(); } // one poll step
    void statecomchk(int i) { reads_.checkSettingsChanged(i); }
    void ReadDataSet(const QString &tt);

    // The requests of PendingRequests, each with the block, item and values it carries.
    void WriteOneItem(const PLM_INC::LinkRequestJob &request) { writes_.writeOneItem(request); }
    void WriteBlockSetdata(const PLM_INC::LinkRequestJob &request) { writes_.blockSend(request); }
    void WriteAllSetdata(const PLM_INC::LinkRequestJob &request) { writes_.allSend(request); }
    void WriteBlockAlarmdata(const PLM_INC::LinkRequestJob &request) { writes_.blockAlarms(request); }
    void WriteAllAlarmdata(const PLM_INC::LinkRequestJob &request) { writes_.allAlarms(request); }
    void WriteFactoryAdj(const PLM_INC::LinkRequestJob &request) { writes_.factoryAdjust(request); }

    void closePort(); // PortClose at the end of the program
    // From the first phase of a load transfer until its second phase has run.
    bool transferInProgress() const override;
    // A request taken from the queue is running (its reads or writes not all done).
    bool requestRunning() const { return runningRequest_.has_value(); }

    // --- state a window or a test may look at ---
    // The engine's time: what the link health and the driver's timers follow.
    const EngineClock &engineClock() const { return *clock_; }
    PacedTimer &timer4() { return timer4_; }
    PacedTimer &timer3(int index) { return pause_.timer(index); }
    int16_t portDialogShown() const { return port_.portDialogShown(); }
    bool heaterMvTurn() const { return reads_.heaterMvTurn(); }
    // True while the line raises errors instead of carrying transactions (a vanished device,
    // a port that will not open); cleared by the next transaction the line carries.
    bool lineFailing() const override { return lineFailing_; }
    // Blocks whose writes wait for a poll that finds them answering.
    PLM_INC::BlockMask heldBlocks() const { return heldBlocks_; }
    // True while the driver's own code runs (a step or a reply being taken in): anything the
    // window's thread handles then would run inside the driver.
    bool insideStep() const { return runner_.insideStep(); }
    // Work waiting or on the line.
    bool busy() const { return runner_.busy(); }

signals:
    void quitRequested();
    // Every classified transaction with a block, and every poll step's outcome: the link health
    // and the publisher follow the line through these.
    // A reply of another request counts as no reply for this block (and not for the other).
    void transactionDone(int block, ReplyKind kind);
    // valueKind: what the step read, 0 process values, 1 status words, 2 output values,
    // 3 heater currents.
    void blockPolled(int block, int valueKind, ReplyKind kind);
    // A tick has ended (its transactions are done and the notices are up to date).
    void tickEnded();
    // The last step has ended and nothing is on the line.
    void idle();
    // A one-item write (or factory data) stayed unanswered after its last try and was dropped.
    void writeGivenUp(int block, const QString &item);
    // A write of a transfer to this block got no reply: its second phase is not sent there.
    void transferCut(int block);
    // A line of the change record: a setting written (taken, refused or unanswered at last) or
    // changed at the unit, as a re-read found it.
    void settingChanged(const PLM_INC::SettingChange &change);

private:
    // --- what the commands get of the driver ---
    void addStep(std::function<void()> step) override;
    void transact(int block, Command command, const QString &item, const QString &data, ReplyHandler then) override;
    void sendUnclassified(int block, Command command, const QString &item, const QString &data,
                          ReplyHandler then) override;
    void lineWork(LinkService::Work work, std::function<void(const LinkOutcome &)> then) override;
    void clearLinkBuffers() override;
    LinkView &view() override { return *view_; }
    void holdBlock(int block) override { heldBlocks_ |= PLM_INC::BlockBit(block); }
    void blankPanelOneUnlessAnswered() override { panelOneBlank_->start(kReplyTimeOutMs); }
    void tellSettingChanged(const PLM_INC::SettingChange &change) override { emit settingChanged(change); }
    void tellBlockPolled(int block, int valueKind, ReplyKind kind) override { emit blockPolled(block, valueKind, kind); }
    void tellWriteGivenUp(int block, const QString &item) override { emit writeGivenUp(block, item); }
    void tellTransferCut(int block) override { emit transferCut(block); }
    void runRequestNow(const PLM_INC::LinkRequestJob &request) override { runJob(request); }
    void endRunningRequest() override { runningRequest_.reset(); }
    void startTransferPause(int index) override { pause_.start(index); }
    void stopTransferPause(int index) override { pause_.stop(index); }
    void resyncLine() override;

    void noteLineError(const char *where, const QString &error);
    void runRequest();
    void endTick();
    void linkTimerFired();
    // The request this tick carries out in place of a poll step, if any.
    std::optional<PLM_INC::LinkRequestJob> takeRequest();
    void runJob(const PLM_INC::LinkRequestJob &request);
    // LinkRequest shows the request waiting first (2..8), or 1.
    void showWaitingRequest();
    void updateNotices();
    void setCommErrorNotice(bool visible);
    void setReadingNotice(bool visible);
    void paceLinkTimer();

    std::unique_ptr<EngineClock> clock_;
    std::unique_ptr<LinkService> service_;
    StepRunner runner_;
    std::unique_ptr<LinkMessages> messages_;
    NullLinkView nullView_;
    LinkView *view_ = &nullView_;
    PacedTimer timer4_;
    TransferPause pause_;
    bool inTick_ = false;
    bool wroteLastTick_ = false; // a one-item write went on the line in the last tick
    quint64 transactionCount_ = 0;
    bool lineFailing_ = false;
    // Blocks that left a write unanswered: their requests wait until a poll finds them answering.
    PLM_INC::BlockMask heldBlocks_ = 0;
    std::unique_ptr<EngineTimer> quietTimer_;
    // A poll blanks panel 1 once it has waited a reply's time-out: one answered in time leaves
    // the panel as it was until its result, so healthy polling does not flicker it.
    std::unique_ptr<EngineTimer> panelOneBlank_;
    // The kind of the request whose steps are running, if any.
    std::optional<PLM_INC::RequestKind> runningRequest_;
    int commErrorNoticeShown_ = -1; // -1: not told to the view yet
    int readingNoticeShown_ = -1;
    int waitingNoticeShown_ = -1;
    PLM_INC::BlockMask waitingBlocksShown_ = 0;
    // The commands, run by the steps of this driver.
    ReadCommands reads_{*this};
    WriteCommands writes_{*this, reads_};
    PortConnection port_{*this};
};
