// The factory adjustment data: 80 characters, ten groups of 8, group u for PLM-870 unit u
// of the block. "0001" then "0000" returns the unit to its factory-adjusted values; eight
// zeros leaves it as it is.
#pragma once

#include <QString>

namespace PLM_INC {

constexpr int kFactoryUnits = 10;

inline QString FactoryAdjData = QString(80, QLatin1Char('0'));

// Eighty zeros: no unit chosen.
void ResetFactoryAdjData();
// Chooses (or no longer chooses) unit 0..9; other numbers change nothing.
void SetFactoryAdjUnit(int unit, bool initialise);

} // namespace PLM_INC
