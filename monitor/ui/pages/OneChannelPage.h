// Page 3 "1 Channel Disp": everything about one channel, in eight frames.
#pragma once

#include "ValueField.h"

#include <QObject>
#include <array>

class Lamp;
class LinkHealth;
class MV_BerGraph;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class SelectorHandlers;
class SettingDialogs;

// The page's controls, by their control names.
struct OneChannelControls {
    QComboBox *tb3_CHName = nullptr;
    std::array<QGroupBox *, 9> Frame{}; // Frame1..Frame8 at 1..8
    std::array<QLabel *, 2> Label14{};
    std::array<QLabel *, 11> Label_CF{};
    QLabel *Label11 = nullptr;
    ValueField *Text_PV = nullptr;
    ValueField *Text_SV = nullptr;
    Lamp *Lamp_up = nullptr;
    Lamp *Lamp_down = nullptr;
    std::array<ValueField *, 2> Text_MV{};
    MV_BerGraph *MV_BerGraph1 = nullptr;
    MV_BerGraph *MV_BerGraph2 = nullptr;
    QLabel *Text_HLIM = nullptr;
    QLabel *Text_LLIM = nullptr;
    QLabel *Label_HEETCOOL = nullptr;
    QLabel *Label_OUTOFF = nullptr;
    std::array<Lamp *, 2> Lamp_CONT{};
    Lamp *Lamp_AT = nullptr;
    QLabel *Label58 = nullptr;
    QLabel *Label59 = nullptr;
    QLabel *Text_A1 = nullptr;
    QLabel *Text_A1HYS = nullptr;
    QLabel *Text_A1ACT = nullptr;
    Lamp *Lamp_A1 = nullptr;
    QLabel *Text_A2 = nullptr;
    QLabel *Text_A2HYS = nullptr;
    QLabel *Text_A2ACT = nullptr;
    Lamp *Lamp_A2 = nullptr;
    QLabel *Text_MHB = nullptr;
    QLabel *Text_SHB = nullptr;
    Lamp *Lamp_HB = nullptr;
    QLabel *Text_LPTIM = nullptr;
    QLabel *Text_LPHYS = nullptr;
    Lamp *Lamp_LP = nullptr;
    QLabel *Text_P = nullptr;
    QLabel *Text_I = nullptr;
    QLabel *Text_D = nullptr;
    QLabel *Text_ARW = nullptr;
    QLabel *Text_CYC = nullptr;
    QLabel *Text_PD = nullptr;
    QLabel *Text_HYS = nullptr;
    QLabel *Text_FILT = nullptr;
    QLabel *Text_SO = nullptr;
    std::array<QLabel *, 5> Cool{};
    QPushButton *Command_1channe_sv = nullptr;
    QPushButton *tb3_OUTOFF = nullptr;
};

class OneChannelPage : public QObject {
    Q_OBJECT
public:
    // `ui` is filled by build(); the main setting button opens the numeric dialog of `dialogs`.
    OneChannelPage(OneChannelControls &ui, SelectorHandlers &selectors, const LinkHealth &health, SettingDialogs &dialogs,
                   QObject *parent);

    // Makes the page and its controls; the caller puts it into the tabs.
    QWidget *build();
    // Frames, values, lamps and settings of the channel, after every poll step while the page
    // is in front.
    void refresh();

    // The channel: stored.
    void tb3_CHName_Click();
    // "Change" beside the main setting value: the numeric dialog for it.
    void Command_1channe_sv_Click();
    // The output button: the output switched.
    void tb3_OUTOFF_Click();

private:
    OneChannelControls &ui;
    SelectorHandlers &m_selectors;
    const LinkHealth &m_health;
    SettingDialogs &m_dialogs;
};
