// Starting, stopping and sampling the trend chart, the setup's OK and the resume after a
// restart. The chart control, its buttons and legends stay in the window, which does what
// the sampling decides through ChartView.
#pragma once

#include "ChartSettings.h"

#include <QString>
#include <optional>

using PenValues = std::array<std::optional<int16_t>, kChartPens>;

class ChartView {
public:
    virtual ~ChartView() = default;
    // The chart control: range, pen visibility (the pen's kind), start time "hh:mm", seconds
    // per sample, then started (cleared, scale drawn).
    virtual void startChart(const ChartSettings &settings, const QString &startTime) = 0;
    // The chart control stops; the picture stays.
    virtual void stopChart() = 0;
    // The values of the pens that plot (none for a hidden pen), then the point number.
    virtual void plotPoint(const PenValues &values, int point) = 0;
    virtual void setLegend(int pen, const QString &text) = 0;
    virtual void setLegendEnabled(int pen, bool enabled) = 0;
    // `ChartStart` index 0 Start, 1 Stop, 2 setup.
    virtual void setChartButtonEnabled(int index, bool enabled) = 0;
    // "Prot end" beside the chart.
    virtual void setProtEndVisible(bool visible) = 0;
    // The sampling timer `Timer2`: on with this interval, or off.
    virtual void setSampling(bool on, int intervalMs) = 0;
    // Status panel 3.
    virtual void setChartStatus(const QString &text) = 0;
};

// v / 10 rounded to the nearest whole number, halves to even (655 -> 66, 645 -> 64).
int16_t TenthsRounded(int value);
// The value a pen plots for a channel: the process value or main setting (tenths divided
// away on inputs of type 6 and up), the output always divided by 10; none for a hidden pen.
std::optional<int16_t> PenSample(int kind, int channel);

class ChartSampling {
public:
    static constexpr int kLastPoint = 999;

    explicit ChartSampling(ChartView &view);

    ChartSettings settings;
    int16_t ChartPoint = 0;
    bool running() const { return m_running; }
    bool ended() const { return m_ended; }

    // At program entry: the stored settings and the stored legend texts.
    void load();
    // `ChartStart` index 0: the chart starts from point 0 and takes its first sample at once.
    void start();
    // `ChartStart` index 1: sampling stops, the picture stays.
    void stop();
    // The `Timer2` tick.
    void sample();
    // The setup's OK: new settings and legends, stored; Start and Stop become available.
    void confirm(const ChartSettings &chosen, const std::array<QString, kChartPens> &channelNames);
    // After the first poll of a run: a chart that ran at the last close starts again.
    void resume();

private:
    ChartView &m_view;
    bool m_running = false;
    bool m_ended = false;
};
