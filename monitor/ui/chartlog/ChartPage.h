// Page 5 "Chart": the trend chart, its Start, Stop and setup buttons, the four pen legends and
// the sampling timer. The chart sampling (ChartSampling) decides; this page shows it.
#pragma once

#include "ChartSampling.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QTimer;
class SubDisp_Chartset;
class Tobrel_ChartCtl;
class WindowHost;

class ChartPage : public QWidget, public ChartView {
    Q_OBJECT
public:
    explicit ChartPage(WindowHost &host);

    // Start (0), Stop (1), the setup window (2).
    void ChartStart_Click(int Index);
    // One sample.
    void Timer2_Timer();
    // At program entry: the stored settings and legends.
    void LoadChartSettings();
    // After the first poll of the run: a chart that ran at the last close starts again.
    void resume();

    ChartSampling &sampling() { return m_sampling; }

    std::array<QPushButton *, 3> ChartStart{};
    std::array<QLabel *, 4> Label_protname{};
    QLabel *Label_protend = nullptr;
    Tobrel_ChartCtl *Tobrel_ChartCtl1 = nullptr;
    QTimer *Timer2 = nullptr;
    SubDisp_Chartset *subDispChartset = nullptr;

    // --- ChartView ---
    void startChart(const ChartSettings &settings, const QString &startTime) override;
    void stopChart() override;
    void plotPoint(const PenValues &values, int point) override;
    void setLegend(int pen, const QString &text) override;
    void setLegendEnabled(int pen, bool enabled) override;
    void setChartButtonEnabled(int index, bool enabled) override;
    void setProtEndVisible(bool visible) override;
    void setSampling(bool on, int intervalMs) override;
    void setChartStatus(const QString &text) override;

private:
    WindowHost &m_host;
    ChartSampling m_sampling;
};
