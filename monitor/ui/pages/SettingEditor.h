// The setting page's editing: the item toolbars and the frame switching of the page, the change
// buttons that open the numeric and the selection dialogs, and the output and auto-tuning
// buttons of its rows. The main window holds one of these; the controls stay on the page.
#pragma once

#include <QObject>
#include <functional>

class Select_Disp;
class Setting_Disp;
class SettingDialogs;
class SettingPage;
struct SettingControls;

class SettingEditor : public QObject {
    Q_OBJECT
public:
    // `refreshPageInFront` is the page refresh of the main window, run after an item is chosen.
    SettingEditor(SettingControls &ui, SettingPage &page, SettingDialogs &dialogs, std::function<void()> refreshPageInFront,
                  QObject *parent);

    // Toolbar buttons (1-based): Toolbar2 1..24 -> items 1..24, Toolbar4 1..5 -> 25..29 and
    // 6..9 -> 32..35, Toolbar3 1..2 -> 30..31.
    void Toolbar2_ButtonClick(int index);
    void Toolbar3_ButtonClick(int index);
    void Toolbar4_ButtonClick(int index);
    // Shows the frames of the item, puts its caption on Frame_main and lays the page out.
    void selectSettingItem(int settingItem);
    // Marks the toolbar button of the chosen item (0: none).
    void markChosenItem(int settingItem);
    // After the block re-read: no item chosen, the numeric entry frames shown and empty.
    void reset();

    void Command_change_Click(int row);
    void Command_change2_Click(int row);
    void Command_OUT_Click(int row);
    void Command_AT_Click(int row);

    // The dialogs, created on first use.
    Setting_Disp &settingDialog();
    Select_Disp &selectDialog();
    bool settingDialogOpen() const;
    bool selectDialogOpen() const;

private:
    void connectButtons();
    int settingPageChannel(int row) const;

    SettingControls &ui;
    SettingPage &m_page;
    SettingDialogs &m_dialogs;
    std::function<void()> m_refreshPageInFront;
};
