#include "SubDisp_Chname.h"

#include "Controls.h"
#include "WindowHost.h"
#include "NameFieldCodePage.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"
#include "ValueText.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {
constexpr int kNameLength = 12;
}

SubDisp_Chname::SubDisp_Chname(WindowHost &host) : QDialog(host.hostWindow()), m_host(host)
{
    setObjectName(QStringLiteral("SubDisp_Chname"));
    setWindowTitle(QStringLiteral("Channel Name"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    QLabel *blockCaption = Controls::caption(this, QStringLiteral("Block_Name_caption"), QStringLiteral("Block Name"));
    top->addWidget(blockCaption);
    Block_Name = Controls::selector(this, QStringLiteral("Block_Name"), QStringLiteral("Block of the channel names"));
    blockCaption->setBuddy(Block_Name);
    Block_Name->setMinimumContentsLength(kNameLength);
    top->addWidget(Block_Name);
    top->addStretch(1);
    layout->addLayout(top);
    Label_hint = Controls::caption(this, QStringLiteral("Label_hint"), QStringLiteral("Input the channel name within 12 characters."));
    layout->addWidget(Label_hint);

    // Two columns of ten rows, channels 01..10 and 11..20.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < kChannelsPerBlock; ++i) {
        Label1[size_t(i)] = Controls::caption(this, Controls::indexed(QStringLiteral("Label1"), i), BlockDigits(i));
        auto *field = new QLineEdit(this);
        field->setObjectName(Controls::indexed(QStringLiteral("ChName"), i));
        field->setAccessibleName(QStringLiteral("Name of channel %1 of the block").arg(BlockDigits(i)));
        field->setMaxLength(kNameLength);
        RefuseCharactersOutsideFileCodePage(field);
        field->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('W')) * kNameLength / 2 + 24);
        ChName[size_t(i)] = field;
        const int column = (i / 10) * 2;
        grid->addWidget(Label1[size_t(i)], i % 10, column);
        grid->addWidget(field, i % 10, column + 1);
    }
    grid->setColumnMinimumWidth(2, 40);
    layout->addLayout(grid);

    Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("OK"));
    Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);

    // The list comes after the fields in the tab order, so opening the dialog starts in the
    // first name field and reaching the list is always a move away from the fields.
    setTabOrder(ChName[19], Block_Name);
    setTabOrder(Block_Name, Command1);
    Block_Name->installEventFilter(this);
    connect(Block_Name, &QComboBox::activated, this, &SubDisp_Chname::Block_Name_Click);
    connect(Command1, &QPushButton::clicked, this, &SubDisp_Chname::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SubDisp_Chname::Command2_Click);
}

void SubDisp_Chname::loadNames()
{
    {
        const QSignalBlocker blocker(Block_Name);
        Block_Name->clear();
        for (int b = 0; b < kBlocks; ++b)
            Block_Name->addItem(Prefs::blockName(b));
        Block_Name->setCurrentIndex(0);
    }
    Block_Name_Click();
    ChName[0]->setFocus(Qt::OtherFocusReason);
}

void SubDisp_Chname::Block_Name_Click()
{
    const int base = ListIndexOrZero(Block_Name->currentIndex()) * kChannelsPerBlock;
    for (int i = 0; i < kChannelsPerBlock; ++i)
        ChName[size_t(i)]->setText(Prefs::channelName(base + i));
}

void SubDisp_Chname::Block_Name_GotFocus()
{
    prompter().message(QStringLiteral("Registers the channel name."));
    saveNames();
}

void SubDisp_Chname::saveNames()
{
    const int base = ListIndexOrZero(Block_Name->currentIndex()) * kChannelsPerBlock;
    for (int i = 0; i < kChannelsPerBlock; ++i)
        Prefs::set(QStringLiteral("Chname") + ChannelDigits(base + i), ChName[size_t(i)]->text());
}

void SubDisp_Chname::Command1_Click()
{
    prompter().message(QStringLiteral("Registers the channel name."));
    saveNames();
    m_host.showGroupChannelNames();
    m_host.SetNameLists(2);
    hide();
}

void SubDisp_Chname::Command2_Click()
{
    m_host.SetNameLists(1);
    hide();
}

bool SubDisp_Chname::eventFilter(QObject *watched, QEvent *event)
{
    // The operator moving to the list, by mouse or keyboard. Focus coming back when the window
    // is activated again or a popup (the notice itself, the list's drop-down) closes is not a
    // move away from the fields.
    if (watched == Block_Name && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Block_Name_GotFocus();
    }
    return QDialog::eventFilter(watched, event);
}
