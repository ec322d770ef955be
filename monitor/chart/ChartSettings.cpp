#include "ChartSettings.h"

#include "Preferences.h"

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
