// Decoding of a read reply into the controller image.
#pragma once

#include <QString>

// Stores the 20 values of an acknowledged read reply at the block its address names, with
// the item's conversion, the alarm check for status words and the unit copy after "0011"; after
// an alarm action code, the channel's alarm value as that code reads the controller's count.
// A reply that is not an ACK, names no block 0..15, or whose 20 fields are not all four hex
// digits is dropped whole. A value whose conversion has no 16-bit result is skipped; the
// other channels are stored. Returns false when the reply was dropped. `confirms`: the reply
// answers the request in progress, so its settings are the controller's counts now; a late
// reply's may be older than what a write has put there since.
bool StoreReadReply(const QString &tt, bool confirms = true);
