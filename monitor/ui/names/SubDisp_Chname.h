// "Channel Name": the names of the 20 channels of one block at a time. Moving to the block
// list stores the names typed so far (after the notice), so picking another block never
// loses them; OK stores and rebuilds every list, Cancel rebuilds the channel lists only.
// Not modal.
#pragma once

#include <QDialog>
#include <array>

class WindowHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SubDisp_Chname : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_Chname(WindowHost &host);

    // The block list filled and set to the first block, its 20 names in the fields.
    void loadNames();

    void Block_Name_Click();
    void Block_Name_GotFocus();
    void Command1_Click();
    void Command2_Click();

    QComboBox *Block_Name = nullptr;
    std::array<QLineEdit *, 20> ChName{};
    std::array<QLabel *, 20> Label1{}; // row labels "01".."20"
    QLabel *Label_hint = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Stores the 20 fields as the names of the channels of the selected block.
    void saveNames();

    WindowHost &m_host;
};
