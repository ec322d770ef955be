#include "SubDisp_BlockSaveLoad.h"

#include "ChannelChecks.h"
#include "Controls.h"
#include "DataFileKind.h"
#include "FileChoice.h"
#include "FileMessages.h"
#include "FileWindows.h"
#include "WindowHost.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"
#include "SettingFileIo.h"
#include "SettingSend.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

SubDisp_BlockSaveLoad::SubDisp_BlockSaveLoad(WindowHost &host)
    : QDialog(host.hostWindow()), m_host(host), m_work(static_cast<size_t>(kChannelsPerBlock))
{
    setObjectName(QStringLiteral("SubDisp_BlockSaveLoad"));
    setWindowTitle(QStringLiteral("Setting value Save / Load (Block)"));
    setModal(false);
    auto *layout = new QHBoxLayout(this);

    auto *blocks = new QGroupBox(QStringLiteral("Block nama selection"), this);
    blocks->setObjectName(QStringLiteral("Frame_blocks"));
    auto *blockGrid = new QGridLayout(blocks);
    blockGrid->setVerticalSpacing(2);
    auto *group = new QButtonGroup(this);
    for (int b = 0; b < kBlocks; ++b) {
        auto *option = new QRadioButton(Prefs::blockName(b), blocks);
        option->setObjectName(Controls::indexed(QStringLiteral("Block_Option1"), b));
        option->setAccessibleName(QStringLiteral("Block %1").arg(BlockDigits(b)));
        group->addButton(option, b);
        Block_Option1[size_t(b)] = option;
        m_host.nameListPeers().Block_Option1[size_t(b)] = option;
        blockGrid->addWidget(option, b % 8, b / 8);
    }
    Block_Option1[0]->setChecked(true);
    layout->addWidget(blocks);

    const char *buttonTexts[5] = {"Move-->", "<---Move", "Save-->", "<--Load", "Return"};
    const char *buttonRoles[5] = {"Copy the block's settings to the work area", "Send the work area to the block",
                                  "Save the work area to a file", "Load a file into the work area", "Return"};
    for (int i = 0; i < 5; ++i) {
        Command1[size_t(i)] = Controls::button(this, Controls::indexed(QStringLiteral("Command1"), i), text(buttonTexts[i]),
                                               text(buttonRoles[i]));
        Command1[size_t(i)]->setMinimumWidth(90);
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    auto *moveButtons = new QVBoxLayout;
    moveButtons->addStretch(1);
    moveButtons->addWidget(Command1[0]);
    moveButtons->addWidget(Command1[1]);
    moveButtons->addStretch(1);
    layout->addLayout(moveButtons);

    auto *right = new QVBoxLayout;
    auto *work = new QGroupBox(QStringLiteral("Work area"), this);
    work->setObjectName(QStringLiteral("Frame_work"));
    auto *workLayout = new QHBoxLayout(work);
    auto *workText = new QVBoxLayout;
    BlockName_Label = Controls::caption(work, QStringLiteral("BlockName_Label"), QString());
    BlockName_Label->setAccessibleName(QStringLiteral("Contents of the work area"));
    BlockName_Label->setFrameShape(QFrame::Panel);
    BlockName_Label->setFrameShadow(QFrame::Sunken);
    BlockName_Label->setMinimumWidth(180);
    BlockName_Label->setFixedHeight(24);
    workText->addWidget(BlockName_Label);
    auto *note = Controls::caption(work, QStringLiteral("Label_note"),
                                   QStringLiteral("The data indicated on the work area can be saved or copied."));
    note->setWordWrap(true);
    workText->addWidget(note);
    for (int i = 0; i < 2; ++i) {
        BlockNo_Text[size_t(i)] = new QLineEdit(QStringLiteral("0"), work);
        BlockNo_Text[size_t(i)]->setObjectName(Controls::indexed(QStringLiteral("BlockNo_Text"), i));
        BlockNo_Text[size_t(i)]->hide();
    }
    workLayout->addLayout(workText, 1);
    auto *fileButtons = new QVBoxLayout;
    fileButtons->addWidget(Command1[2]);
    fileButtons->addWidget(Command1[3]);
    workLayout->addLayout(fileButtons);
    right->addStretch(1);
    right->addWidget(work);
    right->addStretch(1);
    Msg_Label = Controls::caption(this, QStringLiteral("Msg_Label"), QString());
    Msg_Label->setAccessibleName(QStringLiteral("Message"));
    Msg_Label->setWordWrap(true);
    Msg_Label->setMinimumWidth(320);
    Msg_Label->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    right->addWidget(Msg_Label);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Command1[4]);
    right->addLayout(bottom);
    layout->addLayout(right, 1);
    updateButtons();
}

int SubDisp_BlockSaveLoad::selectedBlock() const
{
    for (int b = 0; b < kBlocks; ++b)
        if (Block_Option1[size_t(b)]->isChecked())
            return b;
    return 0;
}

void SubDisp_BlockSaveLoad::mnuSave_BLK_Click()
{
    m_host.SetNameLists(2);
    show();
    raise();
    activateWindow();
}

void SubDisp_BlockSaveLoad::Command1_Click(int Index)
{
    if (m_transferRunning && Index != FileWindows::kWorkAreaReturnButton)
        return;
    switch (Index) {
    case 0: moveToWorkArea(); break;
    case 1: sendToBlock(); break;
    case 2: saveToFile(); break;
    case 3: loadFromFile(); break;
    case 4: closeWindow(); break;
    default: break;
    }
}

void SubDisp_BlockSaveLoad::setTransferRunning(bool running)
{
    m_transferRunning = running;
    updateButtons();
}

void SubDisp_BlockSaveLoad::updateButtons()
{
    FileWindows::EnableWorkAreaButtons(Command1, m_transferRunning, m_workFilled);
}

void SubDisp_BlockSaveLoad::moveToWorkArea()
{
    const int b = selectedBlock();
    if (BlockAbsent[b] == 1) {
        Msg_Label->setText(text(FileMessages::kBlockAbsentCopy));
        return;
    }
    Msg_Label->clear();
    BlockName_Label->setText(Block_Option1[size_t(b)]->text());
    BlockNo_Text[1]->setText(QString::number(b));
    for (int i = 0; i < kChannelsPerBlock; ++i)
        m_work[size_t(i)] = TakeRawRecord(b * kChannelsPerBlock + i);
    m_workFilled = true;
    updateButtons();
}

void SubDisp_BlockSaveLoad::sendToBlock()
{
    const int b = selectedBlock();
    if (BlockAbsent[b] == 1) {
        Msg_Label->setText(text(FileMessages::kBlockAbsentSend));
        return;
    }
    const QString refusal = FileWindows::TransferRefusal();
    if (!refusal.isEmpty()) {
        Msg_Label->setText(refusal);
        return;
    }
    Msg_Label->clear();
    BlockNo_Text[0]->setText(QString::number(b));
    if (prompter().question(text(FileMessages::kSendToBlock)) != Answer::Yes)
        return;
    if (BlockAutoTuning(b)) {
        prompter().message(text(FileMessages::kLoadDuringAutoTuning));
        return;
    }
    ApplyBlockRecords(m_work, b);
    m_host.startLoadTransfer(false, b, PLM_INC::ChangeOrigin::BlockSend);
}

void SubDisp_BlockSaveLoad::saveToFile()
{
    const int source = qBound(0, BlockNo_Text[1]->text().toInt(), kBlocks - 1);
    if (BlockAutoTuning(source)) {
        prompter().message(text(FileMessages::kSaveDuringAutoTuning));
        return;
    }
    const QString path = ChooseSaveFile();
    if (path.isEmpty())
        return;
    if (!SaveRecordFile(path, m_work)) {
        Msg_Label->setText(text(FileMessages::kFileNotSaved));
        return;
    }
    Msg_Label->clear();
}

void SubDisp_BlockSaveLoad::loadFromFile()
{
    const QString path = ChooseOpenFile();
    if (path.isEmpty())
        return;
    std::vector<RawSettingRecord> records;
    switch (LoadRecordFile(path, kBlockFileKind, kChannelsPerBlock, records)) {
    case LoadStatus::WrongKind:
        prompter().message(text(FileMessages::kNotBlockFile));
        return;
    case LoadStatus::Unreadable:
        Msg_Label->setText(text(FileMessages::kFileUnreadable));
        return;
    case LoadStatus::Utf16:
        Msg_Label->setText(text(FileMessages::kFileUtf16));
        return;
    case LoadStatus::Ok:
        break;
    }
    Msg_Label->clear();
    m_work = std::move(records);
    BlockName_Label->setText(QFileInfo(path).fileName());
    m_workFilled = true;
    updateButtons();
}

void SubDisp_BlockSaveLoad::closeWindow()
{
    m_host.SetNameLists(2);
    hide();
}
