// The setting writes: one item with read-back, the two-phase load transfers, the factory
// adjustment data.
#include "MonitorComm.h"

#include "ItemTable.h"
#include "PLM_INC.h"
#include "WriteData.h"

using namespace PLM_INC;

namespace {

// The order in which a load transfer writes a block's settings; the alarm values "0005" and
// "0006" follow in the second phase, after the action codes that convert them.
const char *const kTransferChain[] = {
    "0013", "0014", "0001", "0002", "0003", "0004", "0007", "0008", "000B", "000C", "000D", "000E", "000F",
    "0010", "0011", "0012", "0015", "0016", "0017", "0018", "0019", "001C", "001D", "001E", "001F", "0020",
};

bool validBlock(int block)
{
    return block >= 0 && block < kBlocks;
}

bool blockPresent(int block)
{
    return validBlock(block) && BlockAbsent[block] == 0;
}

} // namespace

// One write of an item's 20 values, classified. A value without a 16-bit device count
// sends nothing of the item: a half-converted block would overwrite the controller.
void MonitorComm::writeItem(int block, const QString &item)
{
    const auto data = WriteDataOf(item, block);
    if (!data) {
        qWarning("write of item %s to block %d skipped: a value has no device count", qPrintable(item), block);
        return;
    }
    transact(block, Command::Write, item, *data);
}

void MonitorComm::WriteOneItem()
{
    const int block = RequestBlock;
    const QString item = RequestItem;
    if (!blockPresent(block))
        return;
    if (IsCoolingItem(item) && BlockHasCooling[block] == 0)
        return;
    writeItem(block, item);
    blockRead(block, item); // whatever the write's reply was
}

void MonitorComm::writeChain(int block)
{
    for (const char *code : kTransferChain) {
        const QString item = QString::fromLatin1(code);
        if (!blockPresent(block))
            return;
        if (IsCoolingItem(item) && BlockHasCooling[block] == 0)
            continue;
        writeItem(block, item);
    }
}

void MonitorComm::backupAlarmValues()
{
    Alarm1Backup = Alarm1Value;
    Alarm2Backup = Alarm2Value;
}

void MonitorComm::restoreAlarmValues()
{
    Alarm1Value = Alarm1Backup;
    Alarm2Value = Alarm2Backup;
}

void MonitorComm::writeAlarmValues(int block)
{
    if (!blockPresent(block))
        return;
    writeItem(block, QStringLiteral("0005"));
    writeItem(block, QStringLiteral("0006"));
}

void MonitorComm::WriteBlockSetdata()
{
    backupAlarmValues();
    transferInProgress_ = true;
    writeChain(RequestBlock);
    timer3_[0].start();
}

void MonitorComm::WriteAllSetdata()
{
    backupAlarmValues();
    transferInProgress_ = true;
    for (int b = 0; b < kBlocks; ++b)
        writeChain(b);
    timer3_[1].start();
}

void MonitorComm::WriteBlockAlarmdata()
{
    restoreAlarmValues();
    writeAlarmValues(RequestBlock);
    transferInProgress_ = false;
    view_->transferFinished(false);
    view_->setTransferProgress(0, false);
    view_->setStatusPanel(4, QString());
}

void MonitorComm::WriteAllAlarmdata()
{
    restoreAlarmValues();
    for (int b = 0; b < kBlocks; ++b)
        writeAlarmValues(b);
    transferInProgress_ = false;
    view_->transferFinished(true);
    view_->setTransferProgress(0, false);
    view_->setStatusPanel(4, QString());
}

void MonitorComm::WriteFactoryAdj()
{
    const int block = RequestBlock;
    if (!blockPresent(block))
        return;
    transact(block, Command::Write, QStringLiteral("0040"), factoryAdjustText_);
}
