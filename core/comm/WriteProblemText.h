// What the operator is told when a setting write did not arrive or could not be sent.
#pragma once

#include "LinkRequests.h"

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// Blocks as the program numbers them: "02", "02, 05".
QString BlockListText(PLM_INC::BlockMask blocks);
// A one-item write (or factory data) that stayed unanswered after its last try.
QString WriteGivenUpText(int block, const QString &item, int tries);
// A transfer whose writes to these blocks got no reply: their alarm values are not sent.
QString TransferCutText(PLM_INC::BlockMask blocks, bool secondPhase);
// A value that has no 16-bit device count: nothing of the item goes to the block. `readBack`:
// the item is read again, so the page shows the controller's values.
QString ValueRefusedText(int channel, const QString &item, int block, const QString &why, bool readBack);
// Channels as the pages name them: "Ch021", "Ch021, Ch025", "Ch021-Ch040" for a whole block.
QString ChannelListText(const std::vector<int> &channels);
// A one-item write (or factory data: item 0040) the block answered with a refusal (NAK).
QString WriteRefusedText(int block, const QString &item, const std::vector<int> &channels);
// The writes of a transfer's phase that blocks refused, per block the items; told once a phase.
QString TransferRefusedText(const std::map<int, QStringList> &itemsOfBlock);
