#include "ChartSampling.h"

#include "Clock.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <cmath>

int16_t TenthsRounded(int value)
{
    return int16_t(std::lrint(value / 10.0));
}

std::optional<int16_t> PenSample(int kind, int channel)
{
    using namespace PLM_INC;
    switch (kind) {
    case PenProcessValue:
        return InputType[channel] >= 6 ? TenthsRounded(ProcessValue[channel]) : ProcessValue[channel];
    case PenMainSetting:
        return InputType[channel] >= 6 ? TenthsRounded(MainSetting[channel]) : MainSetting[channel];
    case PenOutputValue:
        return TenthsRounded(OutputValue[channel]);
    default:
        return std::nullopt;
    }
}

ChartSampling::ChartSampling(ChartView &view) : m_view(view) {}

void ChartSampling::load()
{
    settings = LoadChartSettings();
    const auto legends = StoredPenLegends();
    for (int k = 0; k < kChartPens; ++k)
        m_view.setLegend(k, legends[size_t(k)]);
}

void ChartSampling::start()
{
    m_view.startChart(settings, PLM_INC::clock().now().toString(QStringLiteral("HH:mm")));
    for (int k = 0; k < kChartPens; ++k)
        m_view.setLegendEnabled(k, settings.ChartPenItem[size_t(k)] != PenHidden);
    ChartPoint = 0;
    m_ended = false;
    m_view.setProtEndVisible(false);
    m_view.setChartButtonEnabled(0, false);
    m_view.setChartButtonEnabled(2, false);
    Prefs::set(QStringLiteral("Chart_start"), 1);
    m_running = true;
    m_view.setSampling(true, settings.ChartTime * 1000);
    m_view.setChartStatus(ChartStatusText(true, false));
    sample();
}

void ChartSampling::stop()
{
    m_view.stopChart();
    m_view.setChartButtonEnabled(0, true);
    m_view.setChartButtonEnabled(2, true);
    Prefs::set(QStringLiteral("Chart_start"), 0);
    m_running = false;
    m_view.setSampling(false, 0);
    m_view.setChartStatus(ChartStatusText(false, false));
}

void ChartSampling::sample()
{
    PenValues values;
    for (int k = 0; k < kChartPens; ++k) {
        try {
            values[size_t(k)] = PenSample(settings.ChartPenItem[size_t(k)], settings.ChartPenChannel[size_t(k)]);
        } catch (const std::out_of_range &) {
            // A channel outside the image plots nothing; the other pens go on.
        }
    }
    m_view.plotPoint(values, ChartPoint);
    ++ChartPoint;
    if (ChartPoint > kLastPoint) {
        // The control ignores a repeated point number, so later ticks draw nothing more.
        ChartPoint = kLastPoint;
        if (!m_ended) {
            m_ended = true;
            m_view.setProtEndVisible(true);
            m_view.setChartStatus(ChartStatusText(true, true));
        }
    }
}

void ChartSampling::confirm(const ChartSettings &chosen, const std::array<QString, kChartPens> &channelNames)
{
    settings = chosen;
    std::array<QString, kChartPens> legends;
    for (int k = 0; k < kChartPens; ++k) {
        legends[size_t(k)] = PenLegend(channelNames[size_t(k)], chosen.ChartPenItem[size_t(k)]);
        m_view.setLegend(k, legends[size_t(k)]);
    }
    // A running chart keeps Start disabled: a second Start would draw over the running chart.
    m_view.setChartButtonEnabled(0, !m_running);
    m_view.setChartButtonEnabled(1, true);
    StoreChartSettings(chosen, legends);
}

void ChartSampling::resume()
{
    if (Prefs::getInt(QStringLiteral("Chart_start")) != 1)
        return;
    start();
    m_view.setChartButtonEnabled(1, true);
}
