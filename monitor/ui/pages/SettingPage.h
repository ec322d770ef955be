// Page 4 "Setting Disp": one setting item for the 20 channels of a block. The toolbars choose
// the item; rows 0..9 sit in Frame_sub1 and rows 10..19 in Frame_sub2, each in three variants
// (0 numeric entry, 1 selection, 2 control output and auto-tuning) of which one is shown. The
// editing is SettingEditor's.
#pragma once

#include "ValueField.h"

#include <QObject>
#include <array>

class Lamp;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolBar;
class QWidget;
class SelectorHandlers;

// The page's controls, by their control names.
struct SettingControls {
    QToolBar *Toolbar2 = nullptr;
    QToolBar *Toolbar3 = nullptr;
    QToolBar *Toolbar4 = nullptr;
    std::array<QAction *, 25> Toolbar2_Button{}; // buttons 1..24
    std::array<QAction *, 3> Toolbar3_Button{};  // buttons 1..2
    std::array<QAction *, 10> Toolbar4_Button{}; // buttons 1..9
    QComboBox *tb4_BName = nullptr;
    QGroupBox *Frame_main = nullptr;
    std::array<QWidget *, 3> Frame_sub1{}; // rows 0..9: 0 numeric entry, 1 selection, 2 control/AT
    std::array<QWidget *, 3> Frame_sub2{}; // rows 10..19
    std::array<QLabel *, 20> label_setdata{};
    std::array<QLabel *, 20> Setdata_Para{};
    std::array<QPushButton *, 20> Command_change{};
    std::array<QLabel *, 20> Select_comand{};
    std::array<QPushButton *, 20> Command_change2{};
    std::array<QLabel *, 20> settin_inf{};
    std::array<QPushButton *, 20> Command_OUT{};
    std::array<QPushButton *, 20> Command_AT{};
    std::array<Lamp *, 20> Shape_OUT{};
    std::array<Lamp *, 20> Shape_AT{};
};

class SettingPage : public QObject {
    Q_OBJECT
public:
    // `ui` is filled by build().
    SettingPage(SettingControls &ui, SelectorHandlers &selectors, QObject *parent);

    // Makes the page and its controls; the caller puts it into the tabs.
    QWidget *build();
    // The chosen item's values, lamps and notes, after every poll step while the page is in
    // front.
    void refresh();

    // The block: its rows laid out for the chosen item (names, enabled and visible state).
    void tb4_BName_Click();

private:
    SettingControls &ui;
    SelectorHandlers &m_selectors;
};
