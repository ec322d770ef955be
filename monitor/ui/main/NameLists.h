// Block and channel names in every list, caption and row label that shows them, rebuilt from
// the stored names. Every list keeps its selection across a rebuild.
#pragma once

#include <functional>

class ChartPage;
class LoggingPage;
class SelectorHandlers;
struct NameListPeers;
struct OneBlockControls;
struct OneChannelControls;
struct SettingControls;
struct TwoBlockControls;

// Channel 0..319 and data kind 0..3 (none, PV, SV, MV) of a chart pen, for its legend.
struct ChartPen {
    int channel;
    int item;
};

class NameLists {
public:
    // The lists of the pages and of the windows in `peers`, the logging page's block boxes and
    // the chart page's pen legends. `chartPen` gives the pens of the legends; while it is
    // empty, the stored pens are shown.
    NameLists(TwoBlockControls &twoBlock, OneBlockControls &oneBlock, OneChannelControls &oneChannel, SettingControls &setting,
              LoggingPage &logging, ChartPage &chart, NameListPeers &peers, SelectorHandlers &selectors,
              const std::function<ChartPen(int pen)> &chartPen);

    // Refills the block (mode 0), channel (1) or both name lists (2) and the row labels.
    void refill(int mode);

private:
    static ChartPen storedChartPen(int pen);
    void setPenLegends();
    void setRowLabels();

    TwoBlockControls &m_twoBlock;
    OneBlockControls &m_oneBlock;
    OneChannelControls &m_oneChannel;
    SettingControls &m_setting;
    LoggingPage &m_logging;
    ChartPage &m_chart;
    NameListPeers &m_peers;
    SelectorHandlers &m_selectors;
    const std::function<ChartPen(int pen)> &m_chartPen;
};
