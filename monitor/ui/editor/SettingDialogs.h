// The numeric and the selection dialogs of the setting editor, made on first use over the main
// window and kept from then on. The setting page's change buttons and the one-channel page's
// main setting button open the same two.
#pragma once

class QWidget;
class Select_Disp;
class Setting_Disp;

class SettingDialogs {
public:
    explicit SettingDialogs(QWidget *parent) : m_parent(parent) {}

    Setting_Disp &settingDialog();
    Select_Disp &selectDialog();
    bool settingDialogOpen() const;
    bool selectDialogOpen() const;

private:
    QWidget *m_parent;
    Setting_Disp *m_settingDisp = nullptr;
    Select_Disp *m_selectDisp = nullptr;
};
