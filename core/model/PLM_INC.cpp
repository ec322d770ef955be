#include "PLM_INC.h"

#include <vector>

namespace PLM_INC {

namespace {

std::vector<std::function<void()>> &besideImage()
{
    static std::vector<std::function<void()>> forget;
    return forget;
}

} // namespace

void AddImageReset(std::function<void()> forget)
{
    besideImage().push_back(std::move(forget));
}

void FillItemCodeTable()
{
    ItemCodeTable[0] = QStringLiteral("00A0");
    ItemCodeTable[1] = QStringLiteral("00A1");
    ItemCodeTable[2] = QStringLiteral("0080");
    ItemCodeTable[3] = QStringLiteral("0081");
    ItemCodeTable[4] = QStringLiteral("0082");
    ItemCodeTable[5] = QStringLiteral("0083");
    for (int code = 1; code <= 0x20; ++code)
        ItemCodeTable[static_cast<size_t>(code + 5)] = QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
}

void ResetImage()
{
    for (ChannelTable *t : {&ProcessValue, &OutputValue, &HeaterCurrent, &StatusWord, &ChannelConnected,
                            &InputType, &OptionWord, &MainSetting, &Alarm1Value, &Alarm2Value,
                            &HeaterBurnoutValue, &ProportionalBand, &IntegralTime, &DerivativeTime,
                            &AntiResetWindup, &ProportionalCycle, &PdReset, &OnOffHysteresis,
                            &Alarm1Hysteresis, &Alarm2Hysteresis, &Alarm1Action, &Alarm2Action,
                            &OutputHighLimit, &OutputLowLimit, &PvFilterTime, &SensorCorrection,
                            &HeatCoolAction, &UnitSelect, &LoopBreakTime, &LoopBreakSpan, &OutputOnOff,
                            &AutoTuning, &CoolProportionalBand, &CoolProportionalCycle, &OverlapDeadBand,
                            &CoolActionMode, &CoolOnOffHysteresis, &LoopBreak2Time, &LoopBreak2Span,
                            &ScaleHigh, &ScaleLow, &DecimalDivisor, &DisplayUnit, &Alarm1Backup,
                            &Alarm2Backup})
        t->fill(0);
    UnitText.fill(QString());
    BlockHasCooling.fill(0);
    BlockAbsent.fill(0);
    for (auto &memory : AlarmMemory.v)
        memory.fill(0);
    for (auto &row : HistoryBuffer.v)
        row.fill(QString());
    HistoryFileName.clear();
    RangeHigh = RangeLow = 0;
    LinkRequest = RequestBlock = CommError = PollBlock = PollItem = ReReadBlock = 0;
    GroupIndex = SelectedItem = SelectedChannel = 0;
    RequestItem.clear();
    ShowTenths = false;
    HistoryRow = 1;
    for (const std::function<void()> &forget : besideImage())
        forget();
}

bool AnyBlockPresent()
{
    for (int b = 0; b < kBlocks; ++b)
        if (BlockAbsent[b] == 0)
            return true;
    return false;
}

QString ChannelDigits(int channel)
{
    return QString::number(channel + 10001).right(3);
}

QString BlockDigits(int block)
{
    return QString::number(block + 1001).right(2);
}

} // namespace PLM_INC
