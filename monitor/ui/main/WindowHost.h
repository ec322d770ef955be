// What the setting file windows, the name dialogs, the chart and logging pages and the chart
// setup need of the main window: the name lists they take part in, the transfer they start and
// the status bar panel they write. The main window implements it; a window holds a reference
// to it and never the main window itself.
#pragma once

#include "ChangeOrigin.h"

#include <QPointer>
#include <array>

class QAbstractButton;
class QComboBox;
class QString;
class QWidget;

// The lists and buttons of other windows that show block and channel names; each window puts
// its own in here when it is built, and SetNameLists fills them again with the rest.
struct NameListPeers {
    QPointer<QComboBox> SaveLoad_CHname;
    QPointer<QComboBox> Factory_Bname;
    std::array<QPointer<QComboBox>, 4> Chart_CHName;
    std::array<QPointer<QAbstractButton>, 16> Block_Option1;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // The main window, as the parent of the windows (they stay over it).
    virtual QWidget *hostWindow() = 0;
    // Fills every list, caption and row label that shows the names again from the stored
    // names: 0 the block names, 1 the channel names, 2 both.
    virtual void SetNameLists(int mode) = 0;
    virtual NameListPeers &nameListPeers() = 0;
    // The four-block page's frame captions (block names) and the 80 channel captions of its
    // group, after the names were saved.
    virtual void showGroupBlockNames() = 0;
    virtual void showGroupChannelNames() = 0;
    // Disables the buttons of the three file windows, shows the progress bar at 0 and "Data
    // changing now." in status panel 4, and asks the link driver for the transfer of the
    // image's values of the block (or of all blocks).
    virtual void startLoadTransfer(bool allBlocks, int block, PLM_INC::ChangeOrigin origin) = 0;
    // Status bar panel 1..4: the logging page writes panel 2, the chart page panel 3.
    virtual void setStatusPanel(int panel, const QString &text) = 0;
};
