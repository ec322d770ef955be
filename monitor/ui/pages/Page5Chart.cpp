// Page 5 "Chart": the trend chart page is a class of its own.
#include "ChartPage.h"
#include "MainDisp.h"

QWidget *MainDisp::buildPage5Chart()
{
    chartPage = new ChartPage(*this);
    return chartPage;
}
