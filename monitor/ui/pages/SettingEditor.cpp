#include "SettingEditor.h"

#include "ChangeRules.h"
#include "ItemTable.h"
#include "PLM_INC.h"
#include "SettingDialogs.h"
#include "SettingPage.h"
#include "Select_Disp.h"
#include "Setting_Disp.h"
#include "ValueText.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

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

SettingEditor::SettingEditor(SettingControls &controls, SettingPage &page, SettingDialogs &dialogs,
                             std::function<void()> refreshPageInFront, QObject *parent)
    : QObject(parent), ui(controls), m_page(page), m_dialogs(dialogs), m_refreshPageInFront(std::move(refreshPageInFront))
{
    connectButtons();
}

void SettingEditor::markChosenItem(int settingItem)
{
    const auto mark = [settingItem](auto &buttons, int count, auto itemOf) {
        for (int i = 1; i <= count; ++i)
            buttons[size_t(i)]->setChecked(itemOf(i) == settingItem);
    };
    mark(ui.Toolbar2_Button, 24, [](int i) { return i; });
    mark(ui.Toolbar3_Button, 2, [](int i) { return 29 + i; });
    mark(ui.Toolbar4_Button, 9, [](int i) { return i <= 5 ? 24 + i : 26 + i; });
}

void SettingEditor::reset()
{
    for (size_t f = 0; f < 3; ++f) {
        ui.Frame_sub1[f]->hide();
        ui.Frame_sub2[f]->hide();
    }
    ui.Frame_sub1[0]->show();
    ui.Frame_sub2[0]->show();
    SelectedItem = 0;
    markChosenItem(0);
    ui.Frame_main->setTitle(QString());
    for (size_t r = 0; r < 20; ++r) {
        ui.Setdata_Para[r]->clear();
        ui.settin_inf[r]->clear();
    }
}

void SettingEditor::connectButtons()
{
    for (int i = 1; i <= 24; ++i)
        connect(ui.Toolbar2_Button[size_t(i)], &QAction::triggered, this, [this, i] { Toolbar2_ButtonClick(i); });
    for (int i = 1; i <= 2; ++i)
        connect(ui.Toolbar3_Button[size_t(i)], &QAction::triggered, this, [this, i] { Toolbar3_ButtonClick(i); });
    for (int i = 1; i <= 9; ++i)
        connect(ui.Toolbar4_Button[size_t(i)], &QAction::triggered, this, [this, i] { Toolbar4_ButtonClick(i); });
    for (int row = 0; row < kChannelsPerBlock; ++row) {
        const size_t r = size_t(row);
        connect(ui.Command_change[r], &QPushButton::clicked, this, [this, row] { Command_change_Click(row); });
        connect(ui.Command_change2[r], &QPushButton::clicked, this, [this, row] { Command_change2_Click(row); });
        connect(ui.Command_OUT[r], &QPushButton::clicked, this, [this, row] { Command_OUT_Click(row); });
        connect(ui.Command_AT[r], &QPushButton::clicked, this, [this, row] { Command_AT_Click(row); });
    }
}

Setting_Disp &SettingEditor::settingDialog()
{
    return m_dialogs.settingDialog();
}

Select_Disp &SettingEditor::selectDialog()
{
    return m_dialogs.selectDialog();
}

bool SettingEditor::settingDialogOpen() const
{
    return m_dialogs.settingDialogOpen();
}

bool SettingEditor::selectDialogOpen() const
{
    return m_dialogs.selectDialogOpen();
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
    for (size_t f = 0; f < 3; ++f) {
        ui.Frame_sub1[f]->hide();
        ui.Frame_sub2[f]->hide();
    }
    SelectedItem = int16_t(settingItem);
    const size_t f = size_t(frameIndexOf(settingItem));
    ui.Frame_sub1[f]->show();
    ui.Frame_sub2[f]->show();
    const ItemInfo *info = ItemBySetting(settingItem);
    // "&" in a caption ("Control ON/OFF & Auto-tuning ...") is text, not a shortcut mark.
    ui.Frame_main->setTitle(info ? QString(info->caption).replace(QLatin1Char('&'), QStringLiteral("&&")) : QString());
    markChosenItem(settingItem);
    m_page.tb4_BName_Click();
    m_refreshPageInFront();
}

int SettingEditor::settingPageChannel(int row) const
{
    return ListIndexOrZero(ui.tb4_BName->currentIndex()) * kChannelsPerBlock + row;
}

void SettingEditor::Command_change_Click(int row)
{
    const int channel = settingPageChannel(row);
    const int item = SelectedItem;
    if (!NumericEditorOpens(item, channel))
        return;
    settingDialog().openFor(item, channel, ui.Setdata_Para[size_t(row)]->text());
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
