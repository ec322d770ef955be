#include "Setting_Disp.h"

#include "Controls.h"
#include "EntryText.h"
#include "PLM_INC.h"
#include "Prompter.h"
#include "SettingRange.h"
#include "SettingWrite.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {

const QString kOutOfRange = QStringLiteral("It is out of the setting range.");

QString scalingMessage()
{
    return QStringLiteral("This software has a scaling function.")
        + QStringLiteral("If high and low scaling limits are changed, errors may be generated between the PLM-870 setting value")
        + QStringLiteral("and each setting value; main setting, Alarm 1 setting, Alarm 2 setting, Alarm 1 hysteresis, Alarm 2 hysteresis,")
        + QStringLiteral("Loop break alarm 1 action span, Loop break alarm 2 action span, Sensor correction, Main output ON/OFF")
        + QStringLiteral("action hysteresis, PD action manual reset, Overlap band/Dead band, Cooling output ON/OFF action hysteresis.")
        + QStringLiteral("It is recommended that the high and low scaling limit values be set initially.")
        + QStringLiteral("When any one of the setting values is changed, reset each value described above.");
}

QLabel *boxedValue(QWidget *parent, const QString &name, const QString &accessible)
{
    QLabel *l = Controls::valueField(parent, name, accessible, 180);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

Setting_Disp::Setting_Disp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Setting_Disp"));
    setWindowTitle(QStringLiteral("Setting value changing display"));
    setModal(false);

    auto *layout = new QVBoxLayout(this);
    auto *values = new QGridLayout;
    values->addWidget(Controls::caption(this, QStringLiteral("Label1"), QStringLiteral("Setting value")), 0, 0);
    Now_data = boxedValue(this, QStringLiteral("Now_data"), QStringLiteral("Setting value"));
    values->addWidget(Now_data, 0, 1);
    values->addWidget(Controls::caption(this, QStringLiteral("Label2"), QStringLiteral("Setting range")), 1, 0);
    Limit_data = boxedValue(this, QStringLiteral("Limit_data"), QStringLiteral("Setting range"));
    values->addWidget(Limit_data, 1, 1);
    values->addWidget(Controls::caption(this, QStringLiteral("Label3"), QStringLiteral("New value")), 2, 0);
    Disp_setdata = new QLineEdit(this);
    Disp_setdata->setObjectName(QStringLiteral("Disp_setdata"));
    Disp_setdata->setAccessibleName(QStringLiteral("New value"));
    Disp_setdata->setAlignment(Qt::AlignRight);
    Disp_setdata->setReadOnly(true); // only the key rules write it
    Disp_setdata->installEventFilter(this);
    QFont big = Disp_setdata->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    Disp_setdata->setFont(big);
    values->addWidget(Disp_setdata, 2, 1);
    change_data = new QLabel(this);
    change_data->setObjectName(QStringLiteral("change_data"));
    change_data->hide();
    layout->addLayout(values);

    auto *keys = new QGridLayout;
    keys->setSpacing(4);
    for (int d = 0; d <= 9; ++d) {
        QPushButton *b = Controls::button(this, Controls::indexed(QStringLiteral("Ten_key"), d), QString::number(d),
                                          QStringLiteral("Digit %1").arg(d));
        b->setMinimumSize(52, 36);
        b->setFocusPolicy(Qt::NoFocus); // the entry field keeps the keyboard
        Ten_key[size_t(d)] = b;
        connect(b, &QPushButton::clicked, this, [this, d] { Ten_key_Click(d); });
    }
    // A telephone-style pad: 7 8 9 / 4 5 6 / 1 2 3 / 0 +/- CE
    for (int d = 1; d <= 9; ++d)
        keys->addWidget(Ten_key[size_t(d)], 2 - (d - 1) / 3, (d - 1) % 3);
    keys->addWidget(Ten_key[0], 3, 0);
    Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("+/-"), QStringLiteral("Change the sign"));
    Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("CE"), QStringLiteral("Clear the entry"));
    for (QPushButton *b : {Command1, Command2}) {
        b->setMinimumSize(52, 36);
        b->setFocusPolicy(Qt::NoFocus);
    }
    keys->addWidget(Command1, 3, 1);
    keys->addWidget(Command2, 3, 2);
    Command3 = Controls::button(this, QStringLiteral("Command3"), QStringLiteral("OK"));
    Command4 = Controls::button(this, QStringLiteral("Command4"), QStringLiteral("Cancel"));
    Command3->setAutoDefault(false);
    Command4->setAutoDefault(false);
    for (QPushButton *b : {Command3, Command4})
        b->setMinimumHeight(36);
    keys->addWidget(Command3, 0, 3, 2, 1);
    keys->addWidget(Command4, 2, 3, 2, 1);
    layout->addLayout(keys);

    connect(Command1, &QPushButton::clicked, this, &Setting_Disp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Setting_Disp::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Setting_Disp::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Setting_Disp::Command4_Click);
}

void Setting_Disp::openFor(int settingItem, int channel, const QString &currentText)
{
    item_ = settingItem;
    channel_ = channel;
    SelectedItem = int16_t(settingItem);
    SelectedChannel = int16_t(channel);
    MakeSetRange(currentText);
    // A re-targeted dialog starts from an empty entry too, so OK never stores a value that
    // was typed for another channel.
    entry_.clear();
    change_data->clear();
    Disp_setdata->clear();
    show();
    raise();
    activateWindow();
    Disp_setdata->setFocus();
}

void Setting_Disp::MakeSetRange(const QString &currentText)
{
    // An item without a range of its own keeps the range of the last opening.
    if (const std::optional<SettingRange> r = SettingRangeOf(item_, channel_)) {
        RangeLow = r->low;
        RangeHigh = r->high;
        ShowTenths = r->showTenths;
    }
    entry_.setRange(RangeLow, RangeHigh);
    Now_data->setText(currentText);
    const std::optional<QString> low = DialogValueText(item_, channel_, RangeLow, ShowTenths);
    const std::optional<QString> high = DialogValueText(item_, channel_, RangeHigh, ShowTenths);
    if (low && high)
        Limit_data->setText(*low + QStringLiteral(" to ") + *high);
}

void Setting_Disp::showEntry()
{
    change_data->setText(entry_.text());
    if (entry_.isEmpty()) {
        Disp_setdata->clear();
        return;
    }
    if (const std::optional<QString> text = DialogValueText(item_, channel_, double(entry_.value()), ShowTenths, entry_.text()))
        Disp_setdata->setText(*text);
}

void Setting_Disp::afterKey(SettingEntry::Outcome outcome)
{
    if (outcome == SettingEntry::Outcome::OutOfRange)
        prompter().message(kOutOfRange);
    showEntry();
}

void Setting_Disp::Ten_key_Click(int index)
{
    afterKey(entry_.digit(index));
}

void Setting_Disp::Command1_Click()
{
    afterKey(entry_.toggleSign());
}

void Setting_Disp::Command2_Click()
{
    entry_.clear();
    showEntry();
}

void Setting_Disp::Command3_Click()
{
    if (Disp_setdata->text().isEmpty()) {
        QApplication::beep();
        prompter().message(QStringLiteral("Check the Input value."));
        QApplication::beep();
        return;
    }
    // A value that only led towards the range, or one that cannot be a 16-bit value, is not
    // stored: the controller would get a value outside its range, or a wrapped one.
    if (!entry_.inRange() || !StoreSettingValue(item_, channel_, entry_.value())) {
        prompter().message(kOutOfRange);
        return;
    }
    RequestSettingWrite(item_, channel_);
    if (item_ == 32 || item_ == 33)
        prompter().message(scalingMessage());
    close();
}

void Setting_Disp::Command4_Click()
{
    close();
}

bool Setting_Disp::Disp_setdata_KeyPress(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        Ten_key_Click(key - Qt::Key_0);
        return true;
    }
    switch (key) {
    case Qt::Key_Minus:
        Command1_Click();
        return true;
    case Qt::Key_Backspace:
        Command2_Click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Command3_Click();
        return true;
    default:
        return false;
    }
}

bool Setting_Disp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Disp_setdata && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (Disp_setdata_KeyPress(key->key()))
            return true;
        // Escape and Tab keep their dialog meaning; nothing else edits the field.
        return key->key() != Qt::Key_Escape && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab;
    }
    return QDialog::eventFilter(watched, event);
}
