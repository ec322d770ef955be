// The texts of a block's row in the "Communication status" window.
#pragma once

#include "LinkHealth.h"

#include <QStringList>

// Column captions, then the row of one block: block, state, replies, time-outs, NAKs,
// checksum errors, answered share over the last minute, last good reply.
QStringList LinkHealthCaptions();
QStringList LinkHealthRowTexts(const LinkHealth &health, int block, bool present);
