// The read commands: the block read, the start-up read of every block, the block re-read and
// the poll step. Each adds its steps to the driver's and hands its transactions to the line
// through the driver; what a read finds changed at the unit it tells the driver.
#pragma once

#include "CommandHost.h"

#include <QString>
#include <memory>

namespace PLM_INC {
struct LinkRequestJob;
}

class ReadCommands {
public:
    explicit ReadCommands(CommandHost &host);

    // Adds a step that reads one item of a block.
    void blockRead(int block, const QString &item);
    // Adds a step that reads an item (back after a write, or at the start-up); one that gets no
    // answer is asked again as a re-read of the item (three tries in all).
    void readOrAskAgain(int block, const QString &item);
    // The start-up read of every block (608 progress steps).
    void startupRead();
    // The reads of a re-read request: the whole block, or the items a write left unknown.
    void reRead(const PLM_INC::LinkRequestJob &request);
    // One poll step.
    void poll();
    // A block whose status words say its settings changed at the unit gets a re-read request.
    void checkSettingsChanged(int block);
    // Whether the third poll item reads output values (true) or heater currents this turn.
    bool heaterMvTurn() const { return heaterMvTurn_; }

private:
    // From inside a step: reads an item of a block; a setting the read finds changed that the
    // program neither read nor sent is told as changed at the unit.
    void readItem(int block, const QString &item, CommandHost::ReplyHandler then = {});
    void loadPresentationFields();
    void readConfiguration(int block, std::shared_ptr<int> progress, bool again);
    void advancePoll();

    CommandHost &host_;
    bool heaterMvTurn_ = false;
};
