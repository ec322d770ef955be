// "Setting value Save / Load (Channel)": the 32 settings of one channel as text, copied into
// a work area, saved to or loaded from a channel data file, and sent to any channel by the
// block load transfer. Not modal.
#pragma once

#include "ChannelFile.h"

#include <QDialog>
#include <array>

class WindowHost;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;

class SubDisp_SaveLoad : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_SaveLoad(WindowHost &host);

    // The menu entry "Channel(&C)": channel lists refilled, the first channel chosen, shown.
    void mnuSave_CH_Click();
    // The window comes to the front: the chosen channel's values, the standard items.
    void Form_Activate();
    void SaveLoad_CHname_Click();
    void Option1_Click(int Index);
    void Command1_Click(int Index);
    // While a load transfer runs every button is disabled.
    void setTransferRunning(bool running);

    const PLM_INC::ChannelRows &workData() const { return WorkData; }

    QComboBox *SaveLoad_CHname = nullptr;
    std::array<QRadioButton *, 3> Option1{};
    std::array<QPushButton *, 5> Command1{};
    QLabel *Msg_Label = nullptr;
    std::array<QLabel *, PLM_INC::kChannelRows> Label_item{}; // row captions
    std::array<QLabel *, PLM_INC::kChannelRows> Labeldata{};
    std::array<QLabel *, PLM_INC::kChannelRows> Labeldata_work{};
    std::array<QGroupBox *, 3> Frame_now{};  // current values of each group
    std::array<QGroupBox *, 3> Frame_work{}; // "Work area" of each group

private:
    int channel() const;
    void moveToWorkArea();
    void sendToChannel();
    void saveToFile();
    void loadFromFile();
    void closeWindow();
    void showWorkArea();
    void updateButtons();

    WindowHost &m_host;
    PLM_INC::ChannelRows WorkData;
    bool m_workFilled = false;
    bool m_transferRunning = false;
    QStackedWidget *m_nowStack = nullptr;
    QStackedWidget *m_workStack = nullptr;
};
