// Page 2 "1 Block Disp": the 20 channels of one block with PV, SV, three chosen display items,
// the output button and seven lamps.
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
class QWidget;
class SelectorHandlers;

// The page's controls, by their control names.
struct OneBlockControls {
    QGroupBox *Frame_Block1_3 = nullptr;
    QComboBox *tb2_BName = nullptr;
    std::array<QComboBox *, 3> tb2_Block_P{};
    std::array<QLabel *, 20> tb2_label{};
    std::array<ValueField *, 20> tb2_PV{};
    std::array<ValueField *, 20> tb2_SV{};
    std::array<ValueField *, 20> tb2_Para1{};
    std::array<ValueField *, 20> tb2_Para2{};
    std::array<ValueField *, 20> tb2_Para3{};
    std::array<QLabel *, 20> Tab2_Label_CF{};
    std::array<QPushButton *, 20> tb2_OUT{};
    std::array<Lamp *, 20> tb2_staCONT{};
    std::array<Lamp *, 20> tb2_staA1{};
    std::array<Lamp *, 20> tb2_staA2{};
    std::array<Lamp *, 20> tb2_staHB{};
    std::array<Lamp *, 20> tb2_staLP{};
    std::array<Lamp *, 20> tb2_staSB{};
    std::array<Lamp *, 20> tb2_staAT{};
};

class OneBlockPage : public QObject {
    Q_OBJECT
public:
    // `ui` is filled by build().
    OneBlockPage(OneBlockControls &ui, SelectorHandlers &selectors, const LinkHealth &health, QObject *parent);

    // Makes the page and its controls; the caller puts it into the tabs.
    QWidget *build();
    // The values and lamps of the block, after every poll step while the page is in front.
    void refresh();

    // The block: stored, and its rows laid out.
    void tb2_BName_Click();
    // The display item of value column 0..2: stored.
    void tb2_Block_P_Click(int Index);
    // The output button of a row: the output switched, the rows laid out again.
    void tb2_OUT_Click(int row);

private:
    // The rows of the block's channels: names, output button captions, units, enabled and
    // visible state.
    void layoutRows(int block);

    OneBlockControls &ui;
    SelectorHandlers &m_selectors;
    const LinkHealth &m_health;
};
