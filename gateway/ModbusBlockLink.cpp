#include "ModbusBlockLink.h"

#include "LinkHealth.h"
#include "PLM_INC.h"

modbus::BlockLink LinkOfBlock(int block, bool startedUp, const LinkHealth &health)
{
    if (!startedUp)
        return modbus::BlockLink::NoValues;
    if (PLM_INC::BlockAbsent[block] != 0)
        return modbus::BlockLink::Absent;
    return health.isStale(block) ? modbus::BlockLink::NoValues : modbus::BlockLink::Live;
}
