// Page 1 "2-Block Disp": two blocks side by side, each with the process value and one chosen
// display item per channel, the output button and three alarm lamps.
#pragma once

#include "ValueField.h"

#include <QObject>
#include <array>

class Lamp;
class LinkHealth;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class SelectorHandlers;

// The page's controls, by their control names (row k = 20 * half + channel).
struct TwoBlockControls {
    std::array<QGroupBox *, 2> Frame_Block1{};
    std::array<QComboBox *, 2> tb1_BName{};
    std::array<QComboBox *, 2> tb1_Block_P{};
    std::array<QLabel *, 40> tb1_label{};
    std::array<ValueField *, 40> tb1_PV{};
    std::array<ValueField *, 40> tb1_Para{};
    std::array<QLabel *, 20> Tab1_Label_CF1{}; // unit labels of half 0, by channel
    std::array<QLabel *, 20> Tab1_Label_CF2{}; // unit labels of half 1, by channel
    std::array<QPushButton *, 40> Comm_OUT{};
    std::array<Lamp *, 40> tb1_staA1{};
    std::array<Lamp *, 40> tb1_staA2{};
    std::array<Lamp *, 40> tb1_staA3{};
    QGroupBox *Frame_A3select = nullptr; // "A3 select"
    QRadioButton *Option1 = nullptr;     // "HB"
    QRadioButton *Option2 = nullptr;     // "LP"
    QRadioButton *Option3 = nullptr;     // "SB"
    QLabel *tb1UnitLabel(int k) const { return k < 20 ? Tab1_Label_CF1[size_t(k)] : Tab1_Label_CF2[size_t(k - 20)]; }
};

class TwoBlockPage : public QObject {
    Q_OBJECT
public:
    // `ui` is filled by build().
    TwoBlockPage(TwoBlockControls &ui, SelectorHandlers &selectors, const LinkHealth &health, QObject *parent);

    // Makes the page and its controls; the caller puts it into the tabs.
    QWidget *build();
    // The values and lamps of both blocks, after every poll step while the page is in front.
    void refresh();

    // The block of half 0 or 1: stored, and its rows laid out.
    void tb1_BName_Click(int Index);
    // The display item of half 0 or 1: stored.
    void tb1_Block_P_Click(int Index);
    // The output button of row k: the output switched, both halves laid out again.
    void Comm_OUT_Click(int k);

private:
    // Rows rowOffset + channel (rowOffset 0 or 20) for the channels of the block: names, output
    // button captions, units, enabled and visible state.
    void layoutRows(int block, int rowOffset);

    TwoBlockControls &ui;
    SelectorHandlers &m_selectors;
    const LinkHealth &m_health;
};
