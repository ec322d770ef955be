// The selection dialog for the coded settings: alarm action types, heating/cooling action,
// temperature unit, cooling action mode, decimal point place and unit text. One frame is
// shown, with the channel's current choice selected. Not modal; a second change button
// re-targets it, and OK stores into the item and channel it was opened for.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Select_Disp : public QDialog {
    Q_OBJECT
public:
    explicit Select_Disp(QWidget *parent = nullptr);

    void openFor(int settingItem, int channel);
    void Command1_Click(); // OK
    void Command2_Click(); // Cancel

    int settingItem() const { return item_; }
    int channel() const { return channel_; }
    // The shown frame's radio buttons, or nullptr for items without choices.
    QButtonGroup *choicesOf(int settingItem) const;

    QGroupBox *Select_alarm = nullptr;
    QGroupBox *Select_hc = nullptr;
    QGroupBox *Select_cf = nullptr;
    QGroupBox *Select_cool = nullptr;
    QGroupBox *Select_dp = nullptr;
    QGroupBox *Select_unit = nullptr;
    std::array<QRadioButton *, 13> Option_alarm{};
    std::array<QRadioButton *, 2> Option_hc{};
    std::array<QRadioButton *, 2> Option_cf{};
    std::array<QRadioButton *, 3> Option_cool{};
    std::array<QRadioButton *, 5> Option_dp{};
    QLineEdit *Text_unit = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

private:
    QGroupBox *frameOf(int settingItem) const;
    template <size_t N>
    QGroupBox *optionFrame(const QString &name, const QString &caption, const QString &optionName,
                           const QStringList &texts, std::array<QRadioButton *, N> &options, QButtonGroup *&group);
    static void selectOnly(QButtonGroup *group, int index);

    QButtonGroup *alarmGroup_ = nullptr;
    QButtonGroup *hcGroup_ = nullptr;
    QButtonGroup *cfGroup_ = nullptr;
    QButtonGroup *coolGroup_ = nullptr;
    QButtonGroup *dpGroup_ = nullptr;
    int item_ = 0;
    int channel_ = 0;
};
