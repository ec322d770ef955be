// What the Modbus server may say of a block, from what the gateway knows of the line.
#pragma once

#include "ModbusRequest.h"

class LinkHealth;

// Absent when the start-up read found no block there; no values before the start-up read has
// finished and while the block is stale (three poll cycles missed); live otherwise.
modbus::BlockLink LinkOfBlock(int block, bool startedUp, const LinkHealth &health);
