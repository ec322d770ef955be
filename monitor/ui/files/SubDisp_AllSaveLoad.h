// "Setting value Save / Load (All channels)": saves the raw settings of all 320 channels
// straight from the image, and loads an all-channel file straight into the image and the
// controller by the all-blocks load transfer. Not modal.
#pragma once

#include <QDialog>
#include <array>

class WindowHost;
class QLabel;
class QPushButton;

class SubDisp_AllSaveLoad : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_AllSaveLoad(WindowHost &host);

    // The menu entry "All channels(&A)".
    void mnuSave_ALL_Click();
    void Command1_Click(int Index);
    void setTransferRunning(bool running);

    std::array<QPushButton *, 3> Command1{};
    QLabel *Label_all = nullptr;
    QLabel *Msg_Label = nullptr;

private:
    void saveToFile();
    void loadAndSend();
    void closeWindow();

    WindowHost &m_host;
    bool m_transferRunning = false;
};
