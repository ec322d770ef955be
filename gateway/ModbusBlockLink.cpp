#include "ModbusBlockLink.h"

#include "LinkHealth.h"
#include "PLM_INC.h"

#include <algorithm>

modbus::BlockState LinkOfBlock(int block, bool startedUp, const LinkHealth &health)
{
    if (startedUp && PLM_INC::BlockAbsent[block] != 0)
        return modbus::BlockLink::Absent;
    modbus::BlockState s;
    const qint64 ageMs = health.valuesAgeMs(block);
    s.ageSeconds = ageMs < 0 ? modbus::kAgeUnknown : uint16_t(std::min<qint64>(ageMs / 1000, modbus::kAgeUnknown));
    if (!startedUp)
        return s; // no values, quality none
    switch (health.quality(block)) {
    case ValuesQuality::Good:
        s.link = modbus::BlockLink::Live;
        s.quality = modbus::kQualityGood;
        break;
    case ValuesQuality::Stale: s.quality = modbus::kQualityStale; break;
    case ValuesQuality::Returning: s.quality = modbus::kQualityReturning; break;
    case ValuesQuality::None: break;
    }
    return s;
}
