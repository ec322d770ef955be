// Putting a work area or a file's records into the image before a load transfer sends the
// block. Values sent from a file keep their scaling: the PC-side scaling fields of every
// changed channel are saved as preferences, as the setting editor does, so the next start
// converts the controller's values with the scaling that was sent.
#pragma once

#include "ChannelFile.h"
#include "RecordFile.h"

#include <vector>

namespace PLM_INC {

// Stores the rows into the channel: the decimal point place (row 30) first, then rows 0..31
// in row order, each through StoreItemText, so every value is converted with the rows' own
// decimal point place. All or nothing: when a value does not fit 16 bits the channel is left
// exactly as it was and false is returned.
bool StoreChannelRows(const ChannelRows &rows, int channel);

// The 20 records into the channels of the block (records of unfitted channels leave their
// channel unchanged); the number of channels changed.
int ApplyBlockRecords(const std::vector<RawSettingRecord> &records, int block);
// The 320 records into every channel, likewise.
int ApplyAllRecords(const std::vector<RawSettingRecord> &records);

} // namespace PLM_INC
