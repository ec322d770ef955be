// "Factory adjsusted value": returns chosen PLM-870 units of a block to their factory-adjusted
// values. One box per unit; the request goes to the link driver after a confirmation.
#pragma once

#include <QDialog>
#include <array>

class WindowHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class SubDisp_Factoryadj : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_Factoryadj(WindowHost &host);

    // The menu entry "Factory adjusted value(&K)": block lists refilled, the first block
    // chosen, shown and brought to the front.
    void mnuFactory_Click();
    // The window comes to the front: no unit chosen.
    void Form_Activate();
    void Check1_Click(int Index);
    void Command1_Click(int Index);

    QComboBox *Factory_Bname = nullptr;
    std::array<QCheckBox *, 10> Check1{};
    std::array<QPushButton *, 2> Command1{};
    QLabel *Label_instruction = nullptr;

private:
    void setFactoryValues();

    WindowHost &m_host;
};
