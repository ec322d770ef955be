// "Setting value Save / Load (Block)": the raw settings of a block's 20 channels copied into a
// work area, saved to or loaded from a block data file, and sent to any block by the block
// load transfer. Not modal.
#pragma once

#include "RecordFile.h"

#include <QDialog>
#include <array>
#include <vector>

class WindowHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class SubDisp_BlockSaveLoad : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_BlockSaveLoad(WindowHost &host);

    // The menu entry "Block(&B)": block and channel names refilled, shown.
    void mnuSave_BLK_Click();
    void Command1_Click(int Index);
    void setTransferRunning(bool running);

    const std::vector<PLM_INC::RawSettingRecord> &workData() const { return m_work; }

    std::array<QRadioButton *, 16> Block_Option1{};
    std::array<QPushButton *, 5> Command1{};
    std::array<QLineEdit *, 2> BlockNo_Text{}; // hidden: 0 the target block, 1 the source block
    QLabel *BlockName_Label = nullptr;
    QLabel *Msg_Label = nullptr;

private:
    int selectedBlock() const;
    void moveToWorkArea();
    void sendToBlock();
    void saveToFile();
    void loadFromFile();
    void closeWindow();
    void updateButtons();

    WindowHost &m_host;
    std::vector<PLM_INC::RawSettingRecord> m_work;
    bool m_workFilled = false;
    bool m_transferRunning = false;
};
