#include "NameLists.h"

#include "ChartPage.h"
#include "LoggingPage.h"
#include "OneBlockPage.h"
#include "OneChannelPage.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SelectorHandlers.h"
#include "SettingPage.h"
#include "TwoBlockPage.h"
#include "ValueText.h"
#include "WindowHost.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <exception>

using namespace PLM_INC;

namespace {

QStringList blockNames()
{
    QStringList names;
    names.reserve(kBlocks);
    for (int b = 0; b < kBlocks; ++b)
        names << Prefs::blockName(b);
    return names;
}

QStringList channelNames()
{
    QStringList names;
    names.reserve(kChannels);
    for (int n = 0; n < kChannels; ++n)
        names << Prefs::channelName(n);
    return names;
}

// Empties a list and fills it again, quietly: its handlers see nothing of the rebuild, and
// the entry the operator chose stays chosen (by index: the texts are what changes). A window
// behind the list still acts on the channel or block it shows.
void refillList(QComboBox *list, const QStringList &entries)
{
    if (!list)
        return;
    const QSignalBlocker blocker(list);
    const int chosen = list->currentIndex();
    list->clear();
    list->addItems(entries);
    if (chosen >= 0 && chosen < list->count())
        list->setCurrentIndex(chosen);
}

const char *const kPenKinds[] = {": --", ": PV", ": SV", ": MV"};

} // namespace

NameLists::NameLists(TwoBlockControls &twoBlock, OneBlockControls &oneBlock, OneChannelControls &oneChannel,
                     SettingControls &setting, LoggingPage &logging, ChartPage &chart, NameListPeers &peers,
                     SelectorHandlers &selectors, const std::function<ChartPen(int pen)> &chartPen)
    : m_twoBlock(twoBlock), m_oneBlock(oneBlock), m_oneChannel(oneChannel), m_setting(setting), m_logging(logging),
      m_chart(chart), m_peers(peers), m_selectors(selectors), m_chartPen(chartPen)
{
}

ChartPen NameLists::storedChartPen(int pen)
{
    return {Prefs::getInt(QStringLiteral("Chart_PrNo") + QString::number(pen)),
            Prefs::getInt(QStringLiteral("Chart_PrVis") + QString::number(pen))};
}

void NameLists::refill(int mode)
{
    if (mode < 0 || mode > 2)
        return;
    const bool blocks = mode == 0 || mode == 2;
    const bool channels = mode == 1 || mode == 2;

    std::vector<std::pair<QComboBox *, int>> remembered;
    if (blocks)
        for (QComboBox *list : {m_twoBlock.tb1_BName[0], m_twoBlock.tb1_BName[1], m_oneBlock.tb2_BName, m_setting.tb4_BName})
            remembered.emplace_back(list, list->currentIndex());
    if (channels)
        remembered.emplace_back(m_oneChannel.tb3_CHName, m_oneChannel.tb3_CHName->currentIndex());

    if (blocks) {
        const QStringList names = blockNames();
        for (QComboBox *list : {m_twoBlock.tb1_BName[0], m_twoBlock.tb1_BName[1], m_oneBlock.tb2_BName, m_setting.tb4_BName,
                                 m_peers.Factory_Bname.data()})
            refillList(list, names);
        for (int b = 0; b < kBlocks; ++b) {
            m_logging.log_Check1[size_t(b)]->setText(names[b]);
            if (QAbstractButton *option = m_peers.Block_Option1[size_t(b)])
                option->setText(names[b]);
        }
    }
    if (channels) {
        const QStringList names = channelNames();
        refillList(m_oneChannel.tb3_CHName, names);
        refillList(m_peers.SaveLoad_CHname, names);
        for (const QPointer<QComboBox> &list : m_peers.Chart_CHName)
            refillList(list, names);
    }

    // Selecting from code runs the list's handler, as picking the entry would. A list that had
    // no selection (the first fill at start-up) stays without one and stores nothing.
    for (const auto &[list, index] : remembered) {
        if (index >= 0 && index < list->count()) {
            m_selectors.setListIndex(list, index);
        } else if (index < 0) {
            const QSignalBlocker blocker(list); // refilling selected the first entry by itself
            list->setCurrentIndex(-1);
        }
    }

    if (channels)
        setPenLegends();
    setRowLabels();
}

void NameLists::setPenLegends()
{
    for (int k = 0; k < 4; ++k) {
        try {
            const ChartPen pen = m_chartPen ? m_chartPen(k) : storedChartPen(k);
            QString name = Prefs::channelName(pen.channel);
            if (QComboBox *list = m_peers.Chart_CHName[size_t(k)]) {
                const QSignalBlocker blocker(list);
                list->setCurrentIndex(pen.channel);
                name = list->currentText();
            }
            const QString kind = pen.item >= 0 && pen.item <= 3 ? QString::fromLatin1(kPenKinds[pen.item]) : QString();
            m_chart.Label_protname[size_t(k)]->setText(name + kind);
        } catch (const std::exception &) {
        }
    }
}

void NameLists::setRowLabels()
{
    const int left = ListIndexOrZero(m_twoBlock.tb1_BName[0]->currentIndex());
    const int right = ListIndexOrZero(m_twoBlock.tb1_BName[1]->currentIndex());
    const int setting = ListIndexOrZero(m_setting.tb4_BName->currentIndex());
    const int single = ListIndexOrZero(m_oneBlock.tb2_BName->currentIndex());
    for (int r = 0; r < kChannelsPerBlock; ++r) {
        m_twoBlock.tb1_label[size_t(r)]->setText(Prefs::channelName(left * 20 + r));
        m_twoBlock.tb1_label[size_t(r + 20)]->setText(Prefs::channelName(right * 20 + r));
        m_setting.label_setdata[size_t(r)]->setText(Prefs::channelName(setting * 20 + r));
        m_oneBlock.tb2_label[size_t(r)]->setText(Prefs::channelName(single * 20 + r));
    }
}
