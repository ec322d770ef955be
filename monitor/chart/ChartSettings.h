// The trend chart's settings: the value range, the seconds per sample and, for each of the
// four pens, a channel and the kind of value it plots. Kept in the stored preferences.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

constexpr int kChartPens = 4;

// Data kinds of a pen.
enum ChartPenKind : uint8_t { PenHidden = 0, PenProcessValue = 1, PenMainSetting = 2, PenOutputValue = 3 };

struct ChartSettings {
    int16_t ChartMin = 0;
    int16_t ChartMax = 400;
    int16_t ChartTime = 5; // seconds per sample, 1..30
    std::array<int16_t, kChartPens> ChartPenChannel{0, 1, 2, 3};
    std::array<uint8_t, kChartPens> ChartPenItem{1, 1, 1, 1};

    bool operator==(const ChartSettings &o) const
    {
        return ChartMin == o.ChartMin && ChartMax == o.ChartMax && ChartTime == o.ChartTime
            && ChartPenChannel == o.ChartPenChannel && ChartPenItem == o.ChartPenItem;
    }
};

// The stored settings. A stored value outside its range (a seconds per sample outside 1..30,
// a channel outside 0..319, a kind outside 0..3, a range end that is no 16-bit number) is
// taken as its default: only an edited preference file can hold one.
ChartSettings LoadChartSettings();
// Stores the settings and the legend texts of the four pens.
void StoreChartSettings(const ChartSettings &settings, const std::array<QString, kChartPens> &legends);
// The stored legend texts ("Chart_PrName0".."Chart_PrName3").
std::array<QString, kChartPens> StoredPenLegends();

// The setup window's range and plot time controls: bottom and top each -400..3400 in steps
// of 100, the plot time 1..30 seconds.
constexpr int kChartRangeLowest = -400;
constexpr int kChartRangeHighest = 3400;
constexpr int kChartRangeStep = 100;
constexpr int kChartTimeLowest = 1;
constexpr int kChartTimeHighest = 30;

struct ChartRange {
    int bottom;
    int top;
    bool operator==(const ChartRange &o) const { return bottom == o.bottom && top == o.top; }
};
// The range after the bottom (index 0) or the top (index 1) was changed: a top moved down to
// the bottom or below goes back to bottom + 100; a bottom moved up to the top or above goes
// back to top - 100. Where that would leave the controls' limits, the other end gives way,
// so the top stays at least 100 above the bottom.
ChartRange KeepRangeOpen(int changedIndex, ChartRange range);

// ": --", ": PV", ": SV", ": MV" for kinds 0..3; empty for any other.
QString PenKindSuffix(int kind);
// A pen's legend: the channel name and the kind's suffix ("Ch001: PV").
QString PenLegend(const QString &channelName, int kind);
// "Chart run" while the chart runs, "Chart standby", "Prot end" once the chart is full.
QString ChartStatusText(bool running, bool ended);
