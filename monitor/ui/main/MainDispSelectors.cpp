// The selectors of pages 0..4: their handlers store the choice and lay out the rows of the
// chosen block (names, output button captions, units, enabled and visible state).
#include "Lamp.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "ValueText.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace PLM_INC;

namespace {

bool isHeatCoolPair(int channel)
{
    return (OptionWord[channel] & kOptionHeatCool) != 0;
}

QString unitTextOf(int channel)
{
    if (InputType[channel] < 10)
        return DisplayUnit[channel] == 0 ? QStringLiteral("deg.C") : QStringLiteral("deg.F");
    return UnitText[channel];
}

void enableAll(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

void showAll(std::initializer_list<QWidget *> widgets, bool visible)
{
    for (QWidget *w : widgets)
        w->setVisible(visible);
}

} // namespace

void MainDisp::connectSelectors()
{
    const QStringList items = DisplayItemListTexts();
    for (QComboBox *list : {Combo1, tb1_Block_P[0], tb1_Block_P[1], tb2_Block_P[0], tb2_Block_P[1], tb2_Block_P[2]})
        list->addItems(items);

    m_selectorHandlers[Combo1] = [this] { Combo1_Click(); };
    for (int i = 0; i < 2; ++i) {
        m_selectorHandlers[tb1_BName[size_t(i)]] = [this, i] { tb1_BName_Click(i); };
        m_selectorHandlers[tb1_Block_P[size_t(i)]] = [this, i] { tb1_Block_P_Click(i); };
    }
    m_selectorHandlers[tb2_BName] = [this] { tb2_BName_Click(); };
    for (int i = 0; i < 3; ++i)
        m_selectorHandlers[tb2_Block_P[size_t(i)]] = [this, i] { tb2_Block_P_Click(i); };
    m_selectorHandlers[tb3_CHName] = [this] { tb3_CHName_Click(); };
    m_selectorHandlers[tb4_BName] = [this] { tb4_BName_Click(); };
    for (auto &entry : m_selectorHandlers) {
        const std::function<void()> handler = entry.second;
        connect(entry.first, &QComboBox::activated, this, [handler] { handler(); });
    }
}

void MainDisp::setListIndex(QComboBox *list, int index)
{
    {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index);
    }
    const auto handler = m_selectorHandlers.find(list);
    if (handler != m_selectorHandlers.end())
        handler->second();
}

void MainDisp::Form_Activate()
{
    Combo1_Click();
    tb1_BName_Click(0);
    tb1_BName_Click(1);
    tb2_BName_Click();
}

void MainDisp::showGroupBlockNames()
{
    for (int k = 0; k < 4; ++k)
        Frame_Block[size_t(k)]->setTitle(Prefs::blockName(GroupIndex * 4 + k));
}

void MainDisp::showGroupChannelNames()
{
    for (int n = 0; n < 80; ++n) {
        const QString name = Prefs::channelName(GroupIndex * 80 + n);
        Label1[size_t(n)]->setText(name);
        Para_Text[size_t(n)]->setAccessibleName(QStringLiteral("Value ") + name);
    }
}

void MainDisp::Toolbar1_ButtonClick(int index)
{
    if (index >= 1 && index <= 4)
        GroupIndex = int16_t(index - 1);
    if (GroupIndex >= 0 && GroupIndex < 4)
        Toolbar1_Button[size_t(GroupIndex + 1)]->setChecked(true);
    showGroupBlockNames();
    showGroupChannelNames();
    Combo1_Click();
}

void MainDisp::Combo1_Click()
{
    Prefs::set(QStringLiteral("tab0block"), Combo1->currentIndex());
    for (int c = 1; c < 80; c += 2) {
        const int n = GroupIndex * 80 + c;
        const bool connected = ChannelConnected[n] != 0;
        Para_Text[size_t(c - 1)]->setEnabled(connected);
        Para_Text[size_t(c)]->setEnabled(connected);
        Para_Text[size_t(c)]->setVisible(!isHeatCoolPair(n));
    }
}

void MainDisp::tb1_Block_P_Click(int Index)
{
    Prefs::set(QStringLiteral("tab1block") + QString::number(Index), tb1_Block_P[size_t(Index)]->currentIndex());
}

void MainDisp::tb2_Block_P_Click(int Index)
{
    Prefs::set(QStringLiteral("tab2block") + QString::number(Index), tb2_Block_P[size_t(Index)]->currentIndex());
}

void MainDisp::tb3_CHName_Click()
{
    Prefs::set(QStringLiteral("tab3name"), tb3_CHName->currentIndex());
}

void MainDisp::tb1_BName_Click(int Index)
{
    Prefs::set(QStringLiteral("tab1name") + QString::number(Index), tb1_BName[size_t(Index)]->currentIndex());
    layoutBlockRows(ListIndexOrZero(tb1_BName[size_t(Index)]->currentIndex()), 20 * Index, false);
}

void MainDisp::tb2_BName_Click()
{
    Prefs::set(QStringLiteral("tab2name"), tb2_BName->currentIndex());
    layoutBlockRows(ListIndexOrZero(tb2_BName->currentIndex()), 0, true);
}

// Rows r + c of page 1 (onePage false, r = 0 or 20) or page 2 for the channels of block b.
// A pair of channels (c - 1, c), c odd, is decided by the odd channel: not connected disables
// both rows, a heating/cooling pair hides the odd row (its cooling side has no values).
void MainDisp::layoutBlockRows(int block, int rowOffset, bool onePage)
{
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int n = block * kChannelsPerBlock + c;
        const size_t k = size_t(rowOffset + c);
        const QString name = Prefs::channelName(n);
        const QString output = OutputOnOff[n] == 1 ? QStringLiteral("ON ") : QStringLiteral("OFF");
        if (onePage) {
            tb2_label[k]->setText(name);
            tb2_OUT[k]->setText(output);
            Tab2_Label_CF[k]->setText(unitTextOf(n));
            tb2_PV[k]->setAccessibleName(QStringLiteral("Process value ") + name);
            tb2_SV[k]->setAccessibleName(QStringLiteral("Main setting value ") + name);
            tb2_Para1[k]->setAccessibleName(QStringLiteral("Column 1 value ") + name);
            tb2_Para2[k]->setAccessibleName(QStringLiteral("Column 2 value ") + name);
            tb2_Para3[k]->setAccessibleName(QStringLiteral("Column 3 value ") + name);
            tb2_OUT[k]->setAccessibleName(QStringLiteral("Control ON/OFF ") + name);
            tb2_staCONT[k]->setAccessibleName(QStringLiteral("Control lamp ") + name);
            tb2_staA1[k]->setAccessibleName(QStringLiteral("Alarm 1 lamp ") + name);
            tb2_staA2[k]->setAccessibleName(QStringLiteral("Alarm 2 lamp ") + name);
            tb2_staHB[k]->setAccessibleName(QStringLiteral("Heater burnout lamp ") + name);
            tb2_staLP[k]->setAccessibleName(QStringLiteral("Loop break lamp ") + name);
            tb2_staSB[k]->setAccessibleName(QStringLiteral("Scale lamp ") + name);
            tb2_staAT[k]->setAccessibleName(QStringLiteral("Auto-tuning lamp ") + name);
        } else {
            tb1_label[k]->setText(name);
            Comm_OUT[k]->setText(output);
            tb1UnitLabel(int(k))->setText(unitTextOf(n));
            tb1_PV[k]->setAccessibleName(QStringLiteral("Process value ") + name);
            tb1_Para[k]->setAccessibleName(QStringLiteral("Item value ") + name);
            Comm_OUT[k]->setAccessibleName(QStringLiteral("Control ON/OFF ") + name);
            tb1_staA1[k]->setAccessibleName(QStringLiteral("Alarm 1 lamp ") + name);
            tb1_staA2[k]->setAccessibleName(QStringLiteral("Alarm 2 lamp ") + name);
            tb1_staA3[k]->setAccessibleName(QStringLiteral("Third alarm lamp ") + name);
        }
    }
    for (int c = 1; c < kChannelsPerBlock; c += 2) {
        const int n = block * kChannelsPerBlock + c;
        const bool connected = ChannelConnected[n] != 0;
        const bool pairHidden = isHeatCoolPair(n);
        for (int row : {rowOffset + c - 1, rowOffset + c}) {
            const size_t k = size_t(row);
            if (onePage)
                enableAll({tb2_PV[k], tb2_SV[k], tb2_Para1[k], tb2_Para2[k], tb2_Para3[k], tb2_OUT[k], Tab2_Label_CF[k]}, connected);
            else
                enableAll({tb1_PV[k], tb1_Para[k], Comm_OUT[k], tb1UnitLabel(row)}, connected);
        }
        const size_t k = size_t(rowOffset + c);
        if (onePage)
            showAll({tb2_PV[k], tb2_SV[k], tb2_Para1[k], tb2_Para2[k], tb2_Para3[k], tb2_OUT[k], Tab2_Label_CF[k],
                        tb2_staCONT[k], tb2_staA1[k], tb2_staA2[k], tb2_staHB[k], tb2_staLP[k], tb2_staSB[k], tb2_staAT[k]},
                       !pairHidden);
        else
            showAll({tb1_PV[k], tb1_Para[k], Comm_OUT[k], tb1UnitLabel(rowOffset + c), tb1_staA1[k], tb1_staA2[k], tb1_staA3[k]},
                       !pairHidden);
    }
}

// Page 4: each row uses its own channel's connection flag; cooling items hide the rows of
// channels without cooling, and the odd channel of a heating/cooling pair has no settings.
void MainDisp::tb4_BName_Click()
{
    const int block = ListIndexOrZero(tb4_BName->currentIndex());
    const int s = SelectedItem;
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int n = block * kChannelsPerBlock + c;
        const size_t i = size_t(c);
        const QString name = Prefs::channelName(n);
        label_setdata[i]->setText(name);
        Setdata_Para[i]->setAccessibleName(QStringLiteral("Setting value ") + name);
        Command_change[i]->setAccessibleName(QStringLiteral("Change ") + name);
        Select_comand[i]->setAccessibleName(QStringLiteral("Selection ") + name);
        Command_change2[i]->setAccessibleName(QStringLiteral("Change selection ") + name);
        settin_inf[i]->setAccessibleName(QStringLiteral("Note ") + name);
        Command_OUT[i]->setAccessibleName(QStringLiteral("Control ON/OFF ") + name);
        Command_AT[i]->setAccessibleName(QStringLiteral("AT ON/OFF ") + name);
        Shape_OUT[i]->setAccessibleName(QStringLiteral("Control output lamp ") + name);
        Shape_AT[i]->setAccessibleName(QStringLiteral("Auto-tuning lamp ") + name);

        const bool connected = ChannelConnected[n] != 0;
        enableAll({Setdata_Para[i], Command_change[i], Select_comand[i], Command_change2[i], Command_OUT[i], Command_AT[i]},
                   connected);
        const std::initializer_list<QWidget *> nine = {Select_comand[i], Command_change2[i], Setdata_Para[i], Command_change[i],
                                                      settin_inf[i], Command_OUT[i], Command_AT[i], Shape_OUT[i], Shape_AT[i]};
        showAll(nine, true);
        const bool heatCool = isHeatCoolPair(n);
        const bool odd = (c % 2) == 1;
        if (!heatCool && s >= 25 && s <= 29)
            showAll(nine, false);
        else if (heatCool && odd)
            showAll(nine, false);
        if (s == 21 && odd)
            showAll({Select_comand[i], Command_change2[i]}, false);
        if (s >= 32 && s <= 35 && InputType[n] <= 9)
            showAll(nine, false);
    }
}
