// "Broker": where the monitor publishes its values, alarms and link health. An empty host
// turns publishing off. Settings that cannot be used are refused with one message and the
// dialog stays open.
#pragma once

#include <QDialog>

class QLineEdit;

class SubDisp_Broker : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_Broker(QWidget *parent = nullptr);

    void openWindow(); // fills the fields from the preferences and shows the dialog
    void Command_OK_Click();

    QLineEdit *Text_Host = nullptr;
    QLineEdit *Text_Port = nullptr;
    QLineEdit *Text_Prefix = nullptr;
    QLineEdit *Text_User = nullptr;
    QLineEdit *Text_Password = nullptr;
    QLineEdit *Text_CAFile = nullptr;
    QLineEdit *Text_CertFile = nullptr;
    QLineEdit *Text_KeyFile = nullptr;

signals:
    void applied(); // new settings stored: publishing restarts with them
};
