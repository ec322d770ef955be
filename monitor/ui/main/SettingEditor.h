// The setting page's editing and the command buttons of every page: the item toolbars and
// the frame switching of the setting page, the change buttons that open the numeric and the
// selection dialogs, and the output and auto-tuning buttons of tabs 1 to 4. MainDisp holds
// one of these; the controls stay on the pages that show them.
#pragma once

#include <QObject>

class MainDisp;
class Select_Disp;
class Setting_Disp;

class SettingEditor : public QObject {
    Q_OBJECT
public:
    explicit SettingEditor(MainDisp &main);

    // Toolbar buttons (1-based): Toolbar2 1..24 -> items 1..24, Toolbar4 1..5 -> 25..29 and
    // 6..9 -> 32..35, Toolbar3 1..2 -> 30..31.
    void Toolbar2_ButtonClick(int index);
    void Toolbar3_ButtonClick(int index);
    void Toolbar4_ButtonClick(int index);
    // Shows the frames of the item, puts its caption on Frame_main and lays the page out.
    void selectSettingItem(int settingItem);
    // Marks the toolbar button of the chosen item (0: none).
    void markChosenItem(int settingItem);

    void Command_change_Click(int row);
    void Command_change2_Click(int row);
    void Command_OUT_Click(int row);
    void Command_AT_Click(int row);
    void Command_1channe_sv_Click();
    void tb3_OUTOFF_Click();
    void tb2_OUT_Click(int row);
    void Comm_OUT_Click(int k);

    // The dialogs, created on first use.
    Setting_Disp &settingDialog();
    Select_Disp &selectDialog();
    bool settingDialogOpen() const;
    bool selectDialogOpen() const;

private:
    void connectButtons();
    int settingPageChannel(int row) const;

    MainDisp &m_main;
    Setting_Disp *m_settingDisp = nullptr;
    Select_Disp *m_selectDisp = nullptr;
};
