// Block and channel names in every list, caption and row label that shows them, rebuilt from
// the stored names. Every list keeps its selection across a rebuild.
#include "MainDisp.h"
#include "ChartPage.h"
#include "LoggingPage.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SubDisp_Block.h"
#include "SubDisp_Chname.h"
#include "ValueText.h"

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
void refill(QComboBox *list, const QStringList &entries)
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

MainDisp::ChartPen MainDisp::storedChartPen(int pen)
{
    return {Prefs::getInt(QStringLiteral("Chart_PrNo") + QString::number(pen)),
            Prefs::getInt(QStringLiteral("Chart_PrVis") + QString::number(pen))};
}

void MainDisp::SetNameLists(int mode)
{
    if (mode < 0 || mode > 2)
        return;
    const bool blocks = mode == 0 || mode == 2;
    const bool channels = mode == 1 || mode == 2;

    std::vector<std::pair<QComboBox *, int>> remembered;
    if (blocks)
        for (QComboBox *list : {tb1_BName[0], tb1_BName[1], tb2_BName, tb4_BName})
            remembered.emplace_back(list, list->currentIndex());
    if (channels)
        remembered.emplace_back(tb3_CHName, tb3_CHName->currentIndex());

    if (blocks) {
        const QStringList names = blockNames();
        for (QComboBox *list : {tb1_BName[0], tb1_BName[1], tb2_BName, tb4_BName, nameListPeers().Factory_Bname.data()})
            refill(list, names);
        for (int b = 0; b < kBlocks; ++b) {
            loggingPage->log_Check1[size_t(b)]->setText(names[b]);
            if (QAbstractButton *option = nameListPeers().Block_Option1[size_t(b)])
                option->setText(names[b]);
        }
    }
    if (channels) {
        const QStringList names = channelNames();
        refill(tb3_CHName, names);
        refill(nameListPeers().SaveLoad_CHname, names);
        for (const QPointer<QComboBox> &list : nameListPeers().Chart_CHName)
            refill(list, names);
    }

    // Selecting from code runs the list's handler, as picking the entry would. A list that had
    // no selection (the first fill at start-up) stays without one and stores nothing.
    for (const auto &[list, index] : remembered) {
        if (index >= 0 && index < list->count()) {
            setListIndex(list, index);
        } else if (index < 0) {
            const QSignalBlocker blocker(list); // refilling selected the first entry by itself
            list->setCurrentIndex(-1);
        }
    }

    if (channels)
        setPenLegends();
    setRowLabels();
}

void MainDisp::setPenLegends()
{
    for (int k = 0; k < 4; ++k) {
        try {
            const ChartPen pen = chartPen ? chartPen(k) : storedChartPen(k);
            QString name = Prefs::channelName(pen.channel);
            if (QComboBox *list = nameListPeers().Chart_CHName[size_t(k)]) {
                const QSignalBlocker blocker(list);
                list->setCurrentIndex(pen.channel);
                name = list->currentText();
            }
            const QString kind = pen.item >= 0 && pen.item <= 3 ? QString::fromLatin1(kPenKinds[pen.item]) : QString();
            chartPage->Label_protname[size_t(k)]->setText(name + kind);
        } catch (const std::exception &) {
        }
    }
}

void MainDisp::setRowLabels()
{
    const int left = ListIndexOrZero(tb1_BName[0]->currentIndex());
    const int right = ListIndexOrZero(tb1_BName[1]->currentIndex());
    const int setting = ListIndexOrZero(tb4_BName->currentIndex());
    const int single = ListIndexOrZero(tb2_BName->currentIndex());
    for (int r = 0; r < kChannelsPerBlock; ++r) {
        tb1_label[size_t(r)]->setText(Prefs::channelName(left * 20 + r));
        tb1_label[size_t(r + 20)]->setText(Prefs::channelName(right * 20 + r));
        label_setdata[size_t(r)]->setText(Prefs::channelName(setting * 20 + r));
        tb2_label[size_t(r)]->setText(Prefs::channelName(single * 20 + r));
    }
}

void MainDisp::mnuDevno_Click()
{
    subDispBlock->loadNames();
    subDispBlock->show();
    subDispBlock->raise();
}

void MainDisp::mnuCHname_Click()
{
    subDispChname->loadNames();
    subDispChname->show();
    subDispChname->raise();
}
