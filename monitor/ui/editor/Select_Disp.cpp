#include "Select_Disp.h"

#include "ChangeRules.h"
#include "Controls.h"
#include "NameFieldCodePage.h"
#include "PLM_INC.h"
#include "SettingWrite.h"
#include "ValueText.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {

QStringList alarmNames()
{
    QStringList names;
    for (int code = 0; code <= 12; ++code)
        names << AlarmTypeName(code);
    return names;
}

} // namespace

template <size_t N>
QGroupBox *Select_Disp::optionFrame(const QString &name, const QString &caption, const QString &optionName,
                                    const QStringList &texts, std::array<QRadioButton *, N> &options, QButtonGroup *&group)
{
    auto *frame = new QGroupBox(caption, this);
    frame->setObjectName(name);
    auto *column = new QVBoxLayout(frame);
    group = new QButtonGroup(frame);
    for (size_t i = 0; i < N; ++i) {
        auto *option = new QRadioButton(texts[int(i)], frame);
        option->setObjectName(Controls::indexed(optionName, int(i)));
        option->setAccessibleName(texts[int(i)].trimmed());
        group->addButton(option, int(i));
        column->addWidget(option);
        options[i] = option;
    }
    return frame;
}

Select_Disp::Select_Disp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Select_Disp"));
    setWindowTitle(QStringLiteral("Setting item selection display"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    Select_alarm = optionFrame(QStringLiteral("Select_alarm"), QStringLiteral("Alarm action selection"),
                               QStringLiteral("Option_alarm"), alarmNames(), Option_alarm, alarmGroup_);
    Select_hc = optionFrame(QStringLiteral("Select_hc"), QStringLiteral("Heating/Cooling action designation"),
                            QStringLiteral("Option_hc"), {QStringLiteral("Heating"), QStringLiteral("Cooling")}, Option_hc,
                            hcGroup_);
    Select_cf = optionFrame(QStringLiteral("Select_cf"), QStringLiteral("deg.C/deg.F designation"),
                            QStringLiteral("Option_cf"), {QStringLiteral("deg.C"), QStringLiteral("deg.F")}, Option_cf,
                            cfGroup_);
    Select_cool = optionFrame(QStringLiteral("Select_cool"), QStringLiteral("Cooling action mode selection"),
                              QStringLiteral("Option_cool"),
                              {QStringLiteral("Air cooling"), QStringLiteral("Oil cooling"), QStringLiteral("Water cooling")},
                              Option_cool, coolGroup_);
    Select_dp = optionFrame(QStringLiteral("Select_dp"), QStringLiteral("Decimal point place selection"),
                            QStringLiteral("Option_dp"),
                            {QStringLiteral("XXXX ,"), QStringLiteral("XXXX. , X"), QStringLiteral("XX , XX "),
                             QStringLiteral("X , XXX "), QStringLiteral(", XXXX ")},
                            Option_dp, dpGroup_);
    Select_unit = new QGroupBox(QStringLiteral("Range unit selection"), this);
    Select_unit->setObjectName(QStringLiteral("Select_unit"));
    auto *unitLayout = new QVBoxLayout(Select_unit);
    Text_unit = new QLineEdit(Select_unit);
    Text_unit->setObjectName(QStringLiteral("Text_unit"));
    Text_unit->setAccessibleName(QStringLiteral("Range unit"));
    // The unit text goes into the setting files as the names do.
    RefuseCharactersOutsideFileCodePage(Text_unit);
    unitLayout->addWidget(Text_unit);
    for (QGroupBox *frame : {Select_alarm, Select_hc, Select_cf, Select_cool, Select_dp, Select_unit}) {
        frame->setMinimumWidth(320);
        layout->addWidget(frame);
        frame->hide();
    }

    Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("OK"));
    Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // the dialog fits the one frame it shows
    connect(Command1, &QPushButton::clicked, this, &Select_Disp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Select_Disp::Command2_Click);
}

QGroupBox *Select_Disp::frameOf(int settingItem) const
{
    switch (settingItem) {
    case 14: case 15: return Select_alarm;
    case 20: return Select_hc;
    case 21: return Select_cf;
    case 28: return Select_cool;
    case 34: return Select_dp;
    case 35: return Select_unit;
    default: return nullptr;
    }
}

QButtonGroup *Select_Disp::choicesOf(int settingItem) const
{
    switch (settingItem) {
    case 14: case 15: return alarmGroup_;
    case 20: return hcGroup_;
    case 21: return cfGroup_;
    case 28: return coolGroup_;
    case 34: return dpGroup_;
    default: return nullptr;
    }
}

void Select_Disp::selectOnly(QButtonGroup *group, int index)
{
    // An exclusive group cannot show "nothing chosen" otherwise.
    group->setExclusive(false);
    for (QAbstractButton *b : group->buttons())
        b->setChecked(group->id(b) == index);
    group->setExclusive(true);
}

void Select_Disp::openFor(int settingItem, int channel)
{
    item_ = settingItem;
    channel_ = channel;
    SelectedItem = int16_t(settingItem);
    SelectedChannel = int16_t(channel);
    for (QGroupBox *frame : {Select_alarm, Select_hc, Select_cf, Select_cool, Select_dp, Select_unit})
        frame->hide();
    if (QGroupBox *frame = frameOf(settingItem))
        frame->show();
    if (QButtonGroup *group = choicesOf(settingItem))
        selectOnly(group, SelectionIndexOf(settingItem, channel));
    if (settingItem == 35)
        Text_unit->setText(UnitText[channel]);
    adjustSize();
    show();
    raise();
    activateWindow();
}

void Select_Disp::Command1_Click()
{
    const QButtonGroup *group = choicesOf(item_);
    const int index = group ? group->checkedId() : -1;
    if (StoreSelection(item_, channel_, index, Text_unit->text()))
        RequestSettingWrite(item_, channel_, PLM_INC::ChangeOrigin::Selection);
    close();
}

void Select_Disp::Command2_Click()
{
    close();
}
