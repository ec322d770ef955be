// What the Modbus server may say of a block, from what the gateway knows of the line.
#pragma once

#include "ModbusRequest.h"

class LinkHealth;

// Absent when the start-up read found no block there; no values before the start-up read has
// finished and while the block's values are stale or it is returning (LinkHealth's rule);
// live otherwise. The age and quality registers come with it.
modbus::BlockState LinkOfBlock(int block, bool startedUp, const LinkHealth &health);
