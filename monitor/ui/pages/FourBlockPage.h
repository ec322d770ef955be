// Page 0 "4-Block Disp": one display item for the 80 channels of a group of four blocks.
#pragma once

#include "ValueField.h"

#include <QObject>
#include <array>

class LinkHealth;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QToolBar;
class QWidget;
class SelectorHandlers;

// The page's controls, by their control names.
struct FourBlockControls {
    QComboBox *Combo1 = nullptr;
    QToolBar *Toolbar1 = nullptr;
    std::array<QAction *, 5> Toolbar1_Button{}; // buttons 1..4
    std::array<QGroupBox *, 4> Frame_Block{};
    std::array<QLabel *, 80> Label1{};
    std::array<ValueField *, 80> Para_Text{};
};

class FourBlockPage : public QObject {
    Q_OBJECT
public:
    // `ui` is filled by build().
    FourBlockPage(FourBlockControls &ui, SelectorHandlers &selectors, const LinkHealth &health, QObject *parent);

    // Makes the page and its controls; the caller puts it into the tabs.
    QWidget *build();
    // The values of the group's channels, after every poll step while the page is in front.
    void refresh();

    // A group button (1..4): the group's block names, channel names and fields.
    void Toolbar1_ButtonClick(int index);
    // The display item: stored, and the fields of the group's channels enabled and shown.
    void Combo1_Click();
    // The frame captions (block names) and the 80 channel captions of the group.
    void showGroupBlockNames();
    void showGroupChannelNames();

private:
    FourBlockControls &ui;
    SelectorHandlers &m_selectors;
    const LinkHealth &m_health;
};
