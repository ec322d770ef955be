// The link driver of the monitor: the commands it sends to the controller, how their replies
// are decoded into the image, the poll cycle and the link requests, the setting writes and
// the port probe. The driver and the controller image live on the window's thread; every
// transaction is handed to the line (a line thread of its own in the program) as one step, and
// the driver carries on when its reply or its time-out comes back. The link timer Timer4
// starts a tick when the tick before it has ended; a tick never runs inside another.
#pragma once

#include "EngineClock.h"
#include "LinkRequests.h"
#include "LinkService.h"
#include "LinkView.h"
#include "PacedTimer.h"
#include "ReplyKind.h"
#include "SettingChanges.h"
#include "StepRunner.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tobrel {
class Line;
class STDComm;
}

class MonitorComm : public QObject {
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
    void connectStoredPort(std::function<void(const QString &)> done);
    void probePort(const QString &port, const QString &speed, std::function<void(const QString &)> done);
    QString ConnectStoredPort();
    QString ProbePort(const QString &port, const QString &speed);
    // OK of the port dialog (which stores the keys itself): a later failure shows it again.
    void commDialogOk();

    void Setdata_read();              // the start-up read of every block (608 progress steps)
    void ReadPara_setflg(int block);  // the re-read of a block whose settings changed
    void reRead(const PLM_INC::LinkRequestJob &request);
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
    // A request taken from the queue is running (its reads or writes not all done).
    bool requestRunning() const { return runningRequest_.has_value(); }

    // --- state a window or a test may look at ---
    // The engine's time: what the link health and the driver's timers follow.
    const EngineClock &engineClock() const { return *clock_; }
    PacedTimer &timer4() { return timer4_; }
    PacedTimer &timer3(int index);
    int16_t portDialogShown() const { return portDialogShown_; }
    bool heaterMvTurn() const { return heaterMvTurn_; }
    // True while the line raises errors instead of carrying transactions (a vanished device,
    // a port that will not open); cleared by the next transaction the line carries.
    bool lineFailing() const { return lineFailing_; }
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
    enum class Command : char { Read = 0x22, Write = 0x52 };
    using ReplyHandler = std::function<void(const QString &reply)>;

    // The transaction procedure: one attempt, CommError 0, the reply classified (status
    // panel, history entry or the communication error notice); a read's ACK is decoded. Each
    // of these is the last act of the step that calls it; `then` runs with the reply.
    void transact(int block, Command command, const QString &item, const QString &data, ReplyHandler then = {});
    // One attempt whose reply nobody classifies (the start-up "00A1" read, the probe);
    // "" when the link raised an error.
    void sendUnclassified(int block, Command command, const QString &item, const QString &data, ReplyHandler then);
    // Work on the link that carries no frame (buffers, opening, closing), as one step.
    void lineWork(LinkService::Work work, std::function<void(const LinkOutcome &)> then = {});
    // Adds a step that reads one item of a block.
    void blockRead(int block, const QString &item);
    // From inside a step: reads an item of a block; a setting the read finds changed that the
    // program neither read nor sent is told as changed at the unit.
    void readItem(int block, const QString &item, ReplyHandler then = {});
    enum class WriteOutcome { Taken, Refused, NoReply, NotSent };
    // Adds a step that writes an item with the request's values of it that no later ask has
    // replaced; `oneItem`: a one-item write (tried again when unanswered, read back after).
    void writeItem(int block, const QString &item, std::shared_ptr<const PLM_INC::LinkRequestJob> request,
                   std::function<void(WriteOutcome)> then, bool oneItem = false);
    // The change record's lines of a write: the channels it asked to change, with its outcome.
    void recordWrite(const QString &item, int block, const std::vector<PLM_INC::FieldValue> &asked,
                     const BlockCounts &before, PLM_INC::ChangeOrigin origin, WriteOutcome outcome);
    void recordFactoryData(const PLM_INC::LinkRequestJob &request, ReplyKind kind);
    void writeChain(int block, std::shared_ptr<const PLM_INC::LinkRequestJob> send);
    void writeAlarmValues(int block, std::shared_ptr<const PLM_INC::LinkRequestJob> alarms);
    // A write of the running transfer phase: unanswered ones cut the block, refused ones are
    // told once at the end of the phase.
    void noteTransferWrite(int block, const QString &item, WriteOutcome outcome);
    void tellTransferRefused();
    void beginTransfer(int index, const PLM_INC::LinkRequestJob &send);
    void endFirstPhase(int index);
    // A one-item write or factory data that got no reply: tried again after a poll step has
    // found its block answering, up to its last try.
    void retryLater(PLM_INC::LinkRequestJob request);
    void holdBlock(int block);
    // A reply that answers another request: the line is left to go quiet, then emptied.
    void resyncLine();
    void tellWriteProblem(const QString &text);
    // The blocks that left a write of the running transfer phase unanswered; told once.
    PLM_INC::BlockMask unansweredBlocks() const;
    void tellTransferCut(PLM_INC::BlockMask cut, bool secondPhase);
    void endTransfer(bool allBlocks);
    void clearLinkBuffers();
    void loadPresentationFields();
    void advancePoll();
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
    void noteLineError(const char *where, const QString &error);
    void showLinkMessages(const QStringList &messages);
    void showWaitingMessages();

    std::unique_ptr<EngineClock> clock_;
    std::unique_ptr<LinkService> service_;
    StepRunner runner_;
    std::function<void(const QString &)> messageHandler_;
    QStringList messagesToShow_;
    std::unique_ptr<EngineTimer> messageTimer_;
    NullLinkView nullView_;
    LinkView *view_ = &nullView_;
    PacedTimer timer4_;
    std::array<std::unique_ptr<PacedTimer>, 2> timer3_;
    int timer3Count_ = 0;
    bool heaterMvTurn_ = false;
    bool inTick_ = false;
    bool wroteLastTick_ = false; // a one-item write went on the line in the last tick
    quint64 transactionCount_ = 0;
    bool lineFailing_ = false;
    // Blocks that left a write unanswered: their requests wait until a poll finds them answering.
    PLM_INC::BlockMask heldBlocks_ = 0;
    // Writes of the running first phase that got no reply, per block.
    std::array<int, 16> unansweredInPhase_{};
    // Items of the running transfer phase the blocks refused, per block.
    std::map<int, QStringList> refusedInPhase_;
    // The link's reply time-out, set when the port is opened.
    static constexpr int kReplyTimeOutMs = 300;
    std::unique_ptr<EngineTimer> quietTimer_;
    // A poll blanks panel 1 once it has waited a reply's time-out: one answered in time leaves
    // the panel as it was until its result, so healthy polling does not flicker it.
    std::unique_ptr<EngineTimer> panelOneBlank_;
    // The kind of the request whose steps are running, if any.
    std::optional<PLM_INC::RequestKind> runningRequest_;
    int16_t portDialogShown_ = 0;
    bool portProblemTold_ = false; // the dialog's line says why the last probe failed
    int commErrorNoticeShown_ = -1; // -1: not told to the view yet
    int readingNoticeShown_ = -1;
    int waitingNoticeShown_ = -1;
    PLM_INC::BlockMask waitingBlocksShown_ = 0;
};
