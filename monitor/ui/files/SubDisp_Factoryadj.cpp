#include "SubDisp_Factoryadj.h"

#include "ChannelChecks.h"
#include "Controls.h"
#include "FactoryAdjData.h"
#include "FileMessages.h"
#include "FileWindows.h"
#include "WindowHost.h"
#include "MonitorComm.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "Prompter.h"
#include "ValueText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// One unit of the block picture: a raised box with the unit's name.
QFrame *unitPicture(QWidget *parent, const QString &objectName, const QString &name, int height)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);
    frame->setFixedSize(70, height);
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: #d8dce4; }").arg(objectName));
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 6, 2, 6);
    auto *label = new QLabel(name, frame);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addStretch(1);
    return frame;
}

} // namespace

SubDisp_Factoryadj::SubDisp_Factoryadj(WindowHost &host) : QDialog(host.hostWindow()), m_host(host)
{
    setObjectName(QStringLiteral("SubDisp_Factoryadj"));
    setWindowTitle(QStringLiteral("Factory adjsusted value"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    top->addWidget(Controls::caption(this, QStringLiteral("Label_block"), QStringLiteral("Block name")));
    Factory_Bname = Controls::selector(this, QStringLiteral("Factory_Bname"), QStringLiteral("Block to initialise"));
    Factory_Bname->setMinimumContentsLength(12);
    m_host.nameListPeers().Factory_Bname = Factory_Bname;
    top->addWidget(Factory_Bname);
    top->addStretch(1);
    layout->addLayout(top);
    Label_instruction = Controls::caption(this, QStringLiteral("Label_instruction"),
                                          QStringLiteral("Check the PLM-870 to return to the factory adjusted value."));
    layout->addWidget(Label_instruction);

    // The block as it stands in the cabinet: the HRV-600 communication unit, then the ten
    // PLM-870 units, each with its box underneath.
    auto *picture = new QHBoxLayout;
    picture->setSpacing(4);
    auto *hrvColumn = new QVBoxLayout;
    hrvColumn->addWidget(unitPicture(this, QStringLiteral("Picture_HRV"), QStringLiteral("HRV-600"), 96));
    hrvColumn->addStretch(1);
    picture->addLayout(hrvColumn);
    for (int u = 0; u < kFactoryUnits; ++u) {
        auto *column = new QVBoxLayout;
        // Unit u serves channels 2u + 1 and 2u + 2 of the block.
        const QString name = QStringLiteral("PLM-870\n\nCh%1\nCh%2").arg(BlockDigits(2 * u)).arg(BlockDigits(2 * u + 1));
        column->addWidget(unitPicture(this, Controls::indexed(QStringLiteral("Picture_PLM"), u), name, 96));
        Check1[size_t(u)] = Controls::checkBox(this, Controls::indexed(QStringLiteral("Check1"), u), QStringLiteral("initial"));
        Check1[size_t(u)]->setAccessibleName(QStringLiteral("Initialise PLM-870 unit %1").arg(u + 1));
        column->addWidget(Check1[size_t(u)], 0, Qt::AlignHCenter);
        picture->addLayout(column);
        connect(Check1[size_t(u)], &QCheckBox::clicked, this, [this, u] { Check1_Click(u); });
    }
    picture->addStretch(1);
    layout->addLayout(picture);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1[0] = Controls::button(this, QStringLiteral("Command1_0"), QStringLiteral("Set the factory adjusted value."));
    Command1[1] = Controls::button(this, QStringLiteral("Command1_1"), QStringLiteral("Return"));
    for (int i = 0; i < 2; ++i) {
        buttons->addWidget(Command1[size_t(i)]);
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    layout->addLayout(buttons);
}

void SubDisp_Factoryadj::mnuFactory_Click()
{
    m_host.SetNameLists(0);
    Factory_Bname->setCurrentIndex(0);
    show();
    raise();
    activateWindow();
    Form_Activate();
}

void SubDisp_Factoryadj::Form_Activate()
{
    ResetFactoryAdjData();
    for (QCheckBox *box : Check1)
        box->setChecked(false);
}

void SubDisp_Factoryadj::Check1_Click(int Index)
{
    if (Index < 0 || Index >= kFactoryUnits)
        return;
    SetFactoryAdjUnit(Index, Check1[size_t(Index)]->isChecked());
}

void SubDisp_Factoryadj::Command1_Click(int Index)
{
    if (Index == 0)
        setFactoryValues();
    else if (Index == 1)
        hide();
}

void SubDisp_Factoryadj::setFactoryValues()
{
    const int b = ListIndexOrZero(Factory_Bname->currentIndex());
    if (BlockAutoTuningSet(b)) {
        prompter().message(text(FileMessages::kFactoryAutoTuning));
        return;
    }
    const QString refusal = FileWindows::TransferRefusal();
    if (!refusal.isEmpty()) {
        prompter().message(refusal);
        return;
    }
    if (prompter().titledQuestion(text(FileMessages::kFactoryQuestion), text(FileMessages::kFactoryQuestionTitle))
        != Answer::Yes)
        return;
    // The data confirmed now is what the link driver sends, even if the window is opened
    // again before its next tick.
    PendingRequests.push(FactoryAdjustRequest(b, FactoryAdjData));
    hide();
}
