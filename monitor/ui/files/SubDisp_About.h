// "Version information": the program's version, and the option box whose access code shows
// the loop break alarm 2 toolbar of the setting page for this run.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class SubDisp_About : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_About(QWidget *parent = nullptr);

    // The menu entry "Version information(&V)".
    void numabout_Click();
    // Every change of the option text: the toolbar shows exactly while the text is the code.
    void corvade_option_Change();
    void Command1_Click();

    // Shows or hides Toolbar3 of the main window.
    std::function<void(bool visible)> showToolbar3;

    QLabel *Label_version = nullptr; // "Version"
    QLabel *Label_ver = nullptr;     // "2.05"
    QLabel *Label_option = nullptr;  // "Option N"
    QLineEdit *corvade_option = nullptr;
    QPushButton *Command1 = nullptr;
};
