#include "SettingEditor.h"

#include "ChangeRules.h"
#include "ItemTable.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Select_Disp.h"
#include "Setting_Disp.h"
#include "ValueText.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>

using namespace PLM_INC;

namespace {

// The row-control frame of a setting item: 0 numeric entry, 1 selection, 2 output/auto-tuning.
int frameIndexOf(int settingItem)
{
    switch (settingItem) {
    case 14: case 15: case 20: case 21: case 28: case 34: case 35:
        return 1;
    case 24:
        return 2;
    default:
        return 0;
    }
}

} // namespace

SettingEditor::SettingEditor(MainDisp &main) : QObject(&main), m_main(main)
{
    connectButtons();
}

void SettingEditor::markChosenItem(int settingItem)
{
    MainDisp &w = m_main;
    const auto mark = [settingItem](auto &buttons, int count, auto itemOf) {
        for (int i = 1; i <= count; ++i)
            buttons[size_t(i)]->setChecked(itemOf(i) == settingItem);
    };
    mark(w.Toolbar2_Button, 24, [](int i) { return i; });
    mark(w.Toolbar3_Button, 2, [](int i) { return 29 + i; });
    mark(w.Toolbar4_Button, 9, [](int i) { return i <= 5 ? 24 + i : 26 + i; });
}

void SettingEditor::connectButtons()
{
    MainDisp &w = m_main;
    for (int i = 1; i <= 24; ++i)
        connect(w.Toolbar2_Button[size_t(i)], &QAction::triggered, this, [this, i] { Toolbar2_ButtonClick(i); });
    for (int i = 1; i <= 2; ++i)
        connect(w.Toolbar3_Button[size_t(i)], &QAction::triggered, this, [this, i] { Toolbar3_ButtonClick(i); });
    for (int i = 1; i <= 9; ++i)
        connect(w.Toolbar4_Button[size_t(i)], &QAction::triggered, this, [this, i] { Toolbar4_ButtonClick(i); });
    for (int row = 0; row < kChannelsPerBlock; ++row) {
        const size_t r = size_t(row);
        connect(w.Command_change[r], &QPushButton::clicked, this, [this, row] { Command_change_Click(row); });
        connect(w.Command_change2[r], &QPushButton::clicked, this, [this, row] { Command_change2_Click(row); });
        connect(w.Command_OUT[r], &QPushButton::clicked, this, [this, row] { Command_OUT_Click(row); });
        connect(w.Command_AT[r], &QPushButton::clicked, this, [this, row] { Command_AT_Click(row); });
        connect(w.tb2_OUT[r], &QPushButton::clicked, this, [this, row] { tb2_OUT_Click(row); });
    }
    for (int k = 0; k < 2 * kChannelsPerBlock; ++k)
        connect(w.Comm_OUT[size_t(k)], &QPushButton::clicked, this, [this, k] { Comm_OUT_Click(k); });
    connect(w.Command_1channe_sv, &QPushButton::clicked, this, &SettingEditor::Command_1channe_sv_Click);
    connect(w.tb3_OUTOFF, &QPushButton::clicked, this, &SettingEditor::tb3_OUTOFF_Click);
}

Setting_Disp &SettingEditor::settingDialog()
{
    if (!m_settingDisp)
        m_settingDisp = new Setting_Disp(&m_main);
    return *m_settingDisp;
}

Select_Disp &SettingEditor::selectDialog()
{
    if (!m_selectDisp)
        m_selectDisp = new Select_Disp(&m_main);
    return *m_selectDisp;
}

bool SettingEditor::settingDialogOpen() const
{
    return m_settingDisp && m_settingDisp->isVisible();
}

bool SettingEditor::selectDialogOpen() const
{
    return m_selectDisp && m_selectDisp->isVisible();
}

void SettingEditor::Toolbar2_ButtonClick(int index)
{
    if (index >= 1 && index <= 24)
        selectSettingItem(index);
}

void SettingEditor::Toolbar3_ButtonClick(int index)
{
    if (index >= 1 && index <= 2)
        selectSettingItem(29 + index);
}

void SettingEditor::Toolbar4_ButtonClick(int index)
{
    if (index >= 1 && index <= 5)
        selectSettingItem(24 + index);
    else if (index >= 6 && index <= 9)
        selectSettingItem(26 + index);
}

void SettingEditor::selectSettingItem(int settingItem)
{
    MainDisp &w = m_main;
    for (size_t f = 0; f < 3; ++f) {
        w.Frame_sub1[f]->hide();
        w.Frame_sub2[f]->hide();
    }
    SelectedItem = int16_t(settingItem);
    const size_t f = size_t(frameIndexOf(settingItem));
    w.Frame_sub1[f]->show();
    w.Frame_sub2[f]->show();
    const ItemInfo *info = ItemBySetting(settingItem);
    // "&" in a caption ("Control ON/OFF & Auto-tuning ...") is text, not a shortcut mark.
    w.Frame_main->setTitle(info ? QString(info->caption).replace(QLatin1Char('&'), QStringLiteral("&&")) : QString());
    markChosenItem(settingItem);
    w.tb4_BName_Click();
    w.SelectDispItem();
}

int SettingEditor::settingPageChannel(int row) const
{
    return ListIndexOrZero(m_main.tb4_BName->currentIndex()) * kChannelsPerBlock + row;
}

void SettingEditor::Command_change_Click(int row)
{
    const int channel = settingPageChannel(row);
    const int item = SelectedItem;
    if (!NumericEditorOpens(item, channel))
        return;
    settingDialog().openFor(item, channel, m_main.Setdata_Para[size_t(row)]->text());
}

void SettingEditor::Command_1channe_sv_Click()
{
    const int channel = ListIndexOrZero(m_main.tb3_CHName->currentIndex());
    if (!MainSettingEditorOpens(channel))
        return;
    settingDialog().openFor(1, channel, m_main.Text_SV->text());
}

void SettingEditor::Command_change2_Click(int row)
{
    const int channel = settingPageChannel(row);
    if (!SelectionOpens(SelectedItem, channel))
        return;
    selectDialog().openFor(SelectedItem, channel);
}

void SettingEditor::Command_OUT_Click(int row)
{
    ToggleOutputOnSettingPage(settingPageChannel(row));
}

void SettingEditor::Command_AT_Click(int row)
{
    ToggleAutoTuning(settingPageChannel(row));
}

void SettingEditor::tb3_OUTOFF_Click()
{
    ToggleOutputOnMonitorPage(ListIndexOrZero(m_main.tb3_CHName->currentIndex()));
}

void SettingEditor::tb2_OUT_Click(int row)
{
    if (ToggleOutputOnMonitorPage(ListIndexOrZero(m_main.tb2_BName->currentIndex()) * kChannelsPerBlock + row))
        m_main.tb2_BName_Click();
}

void SettingEditor::Comm_OUT_Click(int k)
{
    const int half = k < kChannelsPerBlock ? 0 : 1;
    const int block = ListIndexOrZero(m_main.tb1_BName[size_t(half)]->currentIndex());
    if (ToggleOutputOnMonitorPage(block * kChannelsPerBlock + k - kChannelsPerBlock * half)) {
        m_main.tb1_BName_Click(0);
        m_main.tb1_BName_Click(1);
    }
}
