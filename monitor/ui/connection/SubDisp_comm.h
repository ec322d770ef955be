// "Communication environment setting display": the port and speed offered after a failed
// probe. Not modal; the link keeps retrying while it is open.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class SubDisp_comm : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_comm(QWidget *parent = nullptr);

    // Lists the ports this machine has (each COMn with its device, the adapters present) and
    // selects the stored port and speed.
    void setSelection(const QString &port, const QString &speed);
    // The port to store: "COM1".."COM8" or a device name; "" when nothing is selected.
    QString selectedPort() const;
    // Why the last attempt failed, in one line; "" hides the line.
    void setProblem(const QString &text);

    void Command1_Click(); // OK: stores "Port" and "Speed", closes
    void Command3_Click(); // Shut down: the message, then the program ends

    QLabel *Label1 = nullptr;
    QComboBox *Combo_Port = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *Combo_Rate = nullptr;
    QLabel *Label_portstate = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command3 = nullptr;

signals:
    void okPressed();
    void shutDownPressed();

protected:
    // Escape and the window's close button leave the dialog open: while no controller answers
    // it is the operator's only way to another port or to shutting down.
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
};
