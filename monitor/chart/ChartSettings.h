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

// ": --", ": PV", ": SV", ": MV" for kinds 0..3; empty for any other.
QString PenKindSuffix(int kind);
// A pen's legend: the channel name and the kind's suffix ("Ch001: PV").
QString PenLegend(const QString &channelName, int kind);
// "Chart run" while the chart runs, "Chart standby", "Prot end" once the chart is full.
QString ChartStatusText(bool running, bool ended);
