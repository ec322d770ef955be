// The numeric entry dialog: the current value, the permitted range, a ten-key, "+/-", "CE",
// OK and Cancel. Not modal: the poll goes on while it is open, and a second change button
// re-targets it. OK stores into the item and channel the dialog was opened for, with the
// range computed then, whatever the setting page's toolbar shows by the time of OK.
#pragma once

#include "SettingEntry.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

class Setting_Disp : public QDialog {
    Q_OBJECT
public:
    explicit Setting_Disp(QWidget *parent = nullptr);

    // MakeSetRange for the item and channel, an empty entry, the dialog shown and raised.
    void openFor(int settingItem, int channel, const QString &currentText);

    void Ten_key_Click(int index);
    void Command1_Click(); // +/-
    void Command2_Click(); // CE
    void Command3_Click(); // OK
    void Command4_Click(); // Cancel
    // A key typed into the entry field; true when the field took it.
    bool Disp_setdata_KeyPress(int key);

    int settingItem() const { return item_; }
    int channel() const { return channel_; }

    QLabel *Now_data = nullptr;
    QLabel *Limit_data = nullptr;
    QLabel *change_data = nullptr;
    QLineEdit *Disp_setdata = nullptr;
    std::array<QPushButton *, 10> Ten_key{};
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void MakeSetRange(const QString &currentText);
    void afterKey(PLM_INC::SettingEntry::Outcome outcome);
    void showEntry();

    PLM_INC::SettingEntry entry_;
    int item_ = 0;
    int channel_ = 0;
};
