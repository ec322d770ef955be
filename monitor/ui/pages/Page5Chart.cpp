// Page 5 "Chart": the trend chart page is a class of its own.
#include "ChartPage.h"
#include "MainDisp.h"

QWidget *MainDisp::buildPage5Chart()
{
    chartPage = new ChartPage(*this);
    resumeChart = [this] { chartPage->resume(); };
    chartPen = [this](int pen) {
        const ChartSettings &settings = chartPage->sampling().settings;
        return ChartPen{settings.ChartPenChannel.at(size_t(pen)), settings.ChartPenItem.at(size_t(pen))};
    };
    return chartPage;
}
