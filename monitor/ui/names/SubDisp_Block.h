// "Block Name": the 16 block names, one field per instrument number. OK stores them all and
// rebuilds every list; Cancel stores nothing. Not modal.
#pragma once

#include <QDialog>
#include <array>

class WindowHost;
class QLabel;
class QLineEdit;
class QPushButton;

class SubDisp_Block : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_Block(WindowHost &host);

    // Fills the fields with the stored block names.
    void loadNames();

    void DvOK_Click();
    void DvCan_Click();

    std::array<QLineEdit *, 16> DvtoN{};
    std::array<QLabel *, 16> Label1{};
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *DvOK = nullptr;
    QPushButton *DvCan = nullptr;

private:
    WindowHost &m_host;
};
