// What the link driver's commands (the reads, the writes, the port probe) need of the driver:
// steps after the step that runs, transactions and other work on the line, the view, and where
// they tell what they found. The driver implements it; every call comes from a step of the
// driver on the window's thread.
#pragma once

#include "LinkService.h"
#include "LinkView.h"
#include "ReplyKind.h"

#include <QString>
#include <functional>

namespace PLM_INC {
struct LinkRequestJob;
struct SettingChange;
} // namespace PLM_INC

class CommandHost {
public:
    enum class Command : char { Read = 0x22, Write = 0x52 };
    using ReplyHandler = std::function<void(const QString &reply)>;

    // The link's reply time-out, set when the port is opened.
    static constexpr int kReplyTimeOutMs = 300;

    virtual ~CommandHost() = default;

    // Inside a step: runs right after it. Otherwise: after all that waits.
    virtual void addStep(std::function<void()> step) = 0;
    // The transaction procedure: one attempt, CommError 0, the reply classified (status
    // panel, history entry or the communication error notice); a read's ACK is decoded. The
    // last act of the step that calls it; `then` runs with the reply ("" for a reply of
    // another request).
    virtual void transact(int block, Command command, const QString &item, const QString &data,
                          ReplyHandler then) = 0;
    // One attempt whose reply nobody classifies (the start-up "00A1" read, the probe);
    // "" when the link raised an error.
    virtual void sendUnclassified(int block, Command command, const QString &item, const QString &data,
                                  ReplyHandler then) = 0;
    // Work on the link that carries no frame (buffers, opening, closing), as one step.
    virtual void lineWork(LinkService::Work work, std::function<void(const LinkOutcome &)> then = {}) = 0;
    // Both buffers of the link emptied, as one step.
    virtual void clearLinkBuffers() = 0;
    // After a reply that answers another request: the line is left to go quiet, then emptied.
    virtual void resyncLine() = 0;
    virtual LinkView &view() = 0;

    // True while the line raises errors instead of carrying transactions.
    virtual bool lineFailing() const = 0;
    // The block's requests wait until a poll finds it answering.
    virtual void holdBlock(int block) = 0;
    // Panel 1 is blanked once a reply's time-out has passed without the poll's transaction
    // being answered.
    virtual void blankPanelOneUnlessAnswered() = 0;

    // What the commands found: a line of the change record, a poll step's outcome, a write
    // given up after its last try, a transfer cut for a block.
    virtual void tellSettingChanged(const PLM_INC::SettingChange &change) = 0;
    virtual void tellBlockPolled(int block, int valueKind, ReplyKind kind) = 0;
    virtual void tellWriteGivenUp(int block, const QString &item) = 0;
    virtual void tellTransferCut(int block) = 0;

    // The transfers: a request run at once (the waiting second phase of an earlier transfer),
    // the running request ended, the pause between the two phases started or stopped.
    virtual void runRequestNow(const PLM_INC::LinkRequestJob &request) = 0;
    virtual void endRunningRequest() = 0;
    virtual bool transferInProgress() const = 0;
    virtual void startTransferPause(int index) = 0;
    virtual void stopTransferPause(int index) = 0;
};
