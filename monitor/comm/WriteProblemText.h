// What the operator is told when a setting write did not arrive or could not be sent.
#pragma once

#include "LinkRequests.h"

#include <QString>

// Blocks as the program numbers them: "02", "02, 05".
QString BlockListText(PLM_INC::BlockMask blocks);
// A one-item write (or factory data) that stayed unanswered after its last try.
QString WriteGivenUpText(int block, const QString &item, int tries);
// A transfer whose writes to these blocks got no reply: their alarm values are not sent.
QString TransferCutText(PLM_INC::BlockMask blocks, bool secondPhase);
// A value that has no 16-bit device count: nothing of the item goes to the block.
QString ValueRefusedText(int channel, const QString &item, int block, const QString &why);
