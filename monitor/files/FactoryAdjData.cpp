#include "FactoryAdjData.h"

namespace PLM_INC {

void ResetFactoryAdjData()
{
    FactoryAdjData = QString(80, QLatin1Char('0'));
}

void SetFactoryAdjUnit(int unit, bool initialise)
{
    if (unit < 0 || unit >= kFactoryUnits)
        return;
    if (FactoryAdjData.size() != 80)
        ResetFactoryAdjData();
    FactoryAdjData.replace(unit * 8, 4, initialise ? QStringLiteral("0001") : QStringLiteral("0000"));
}

} // namespace PLM_INC
