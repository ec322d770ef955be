#include "ChartSettings.h"

#include "Preferences.h"

#include <algorithm>
#include <limits>

namespace {

QString key(const char *name, int pen = -1)
{
    return pen < 0 ? QString::fromLatin1(name) : QString::fromLatin1(name) + QString::number(pen);
}

// The stored value when it lies in [low, high], else the key's default.
int storedWithin(const QString &key, int low, int high)
{
    const int value = Prefs::getInt(key);
    return value >= low && value <= high ? value : Prefs::defaultFor(key).toInt();
}

} // namespace

ChartSettings LoadChartSettings()
{
    constexpr int kShortMin = std::numeric_limits<int16_t>::min();
    constexpr int kShortMax = std::numeric_limits<int16_t>::max();
    ChartSettings s;
    s.ChartMin = int16_t(storedWithin(key("Chart_Min"), kShortMin, kShortMax));
    s.ChartMax = int16_t(storedWithin(key("Chart_Max"), kShortMin, kShortMax));
    s.ChartTime = int16_t(storedWithin(key("Chart_Tim"), 1, 30));
    for (int k = 0; k < kChartPens; ++k) {
        s.ChartPenChannel[size_t(k)] = int16_t(storedWithin(key("Chart_PrNo", k), 0, 319));
        s.ChartPenItem[size_t(k)] = uint8_t(storedWithin(key("Chart_PrVis", k), 0, 3));
    }
    return s;
}

void StoreChartSettings(const ChartSettings &s, const std::array<QString, kChartPens> &legends)
{
    Prefs::set(key("Chart_Min"), s.ChartMin);
    Prefs::set(key("Chart_Max"), s.ChartMax);
    Prefs::set(key("Chart_Tim"), s.ChartTime);
    for (int k = 0; k < kChartPens; ++k) {
        Prefs::set(key("Chart_PrNo", k), s.ChartPenChannel[size_t(k)]);
        Prefs::set(key("Chart_PrVis", k), s.ChartPenItem[size_t(k)]);
        Prefs::set(key("Chart_PrName", k), legends[size_t(k)]);
    }
}

std::array<QString, kChartPens> StoredPenLegends()
{
    std::array<QString, kChartPens> legends;
    for (int k = 0; k < kChartPens; ++k)
        legends[size_t(k)] = Prefs::get(key("Chart_PrName", k));
    return legends;
}

ChartRange KeepRangeOpen(int changedIndex, ChartRange r)
{
    if (changedIndex == 1 && r.top <= r.bottom)
        r.top = r.bottom + kChartRangeStep;
    else if (changedIndex == 0 && r.bottom >= r.top)
        r.bottom = r.top - kChartRangeStep;
    if (r.top - r.bottom < kChartRangeStep) {
        // A typed value between the steps: the end that was not changed gives way.
        if (changedIndex == 1)
            r.bottom = r.top - kChartRangeStep;
        else
            r.top = r.bottom + kChartRangeStep;
    }
    if (r.top > kChartRangeHighest) {
        r.top = kChartRangeHighest;
        r.bottom = std::min(r.bottom, r.top - kChartRangeStep);
    }
    if (r.bottom < kChartRangeLowest) {
        r.bottom = kChartRangeLowest;
        r.top = std::max(r.top, r.bottom + kChartRangeStep);
    }
    return r;
}

QString PenKindSuffix(int kind)
{
    static const char *const suffixes[] = {": --", ": PV", ": SV", ": MV"};
    return kind >= 0 && kind <= 3 ? QString::fromLatin1(suffixes[kind]) : QString();
}

QString PenLegend(const QString &channelName, int kind)
{
    return channelName + PenKindSuffix(kind);
}

QString ChartStatusText(bool running, bool ended)
{
    if (ended)
        return QStringLiteral("Prot end");
    return running ? QStringLiteral("Chart run") : QStringLiteral("Chart standby");
}
