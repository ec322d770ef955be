#include "SubDisp_AllSaveLoad.h"

#include "ChannelChecks.h"
#include "Controls.h"
#include "DataFileKind.h"
#include "FileChoice.h"
#include "FileMessages.h"
#include "FileWindows.h"
#include "WindowHost.h"
#include "PLM_INC.h"
#include "Prompter.h"
#include "RecordFile.h"
#include "SettingFileIo.h"
#include "SettingSend.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {

// "Return" closes the window while a transfer runs; the transfer goes on without it.
constexpr int kReturnButton = 2;

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

SubDisp_AllSaveLoad::SubDisp_AllSaveLoad(WindowHost &host) : QDialog(host.hostWindow()), m_host(host)
{
    setObjectName(QStringLiteral("SubDisp_AllSaveLoad"));
    setWindowTitle(QStringLiteral("Setting value Save / Load (All channels)"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    Label_all = Controls::caption(this, QStringLiteral("Label_all"), QStringLiteral("All channels data"));
    Label_all->setFrameShape(QFrame::Panel);
    Label_all->setFrameShadow(QFrame::Sunken);
    Label_all->setAlignment(Qt::AlignCenter);
    Label_all->setMinimumSize(180, 48);
    row->addWidget(Label_all, 1);
    const char *buttonTexts[3] = {"Save-->", "<--Load", "Return"};
    const char *buttonRoles[3] = {"Save all channels to a file", "Load a file into all channels", "Return"};
    auto *buttons = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        Command1[size_t(i)] = Controls::button(this, Controls::indexed(QStringLiteral("Command1"), i), text(buttonTexts[i]),
                                               text(buttonRoles[i]));
        Command1[size_t(i)]->setMinimumWidth(90);
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    buttons->addWidget(Command1[0]);
    buttons->addWidget(Command1[1]);
    row->addLayout(buttons);
    layout->addLayout(row);
    Msg_Label = Controls::caption(this, QStringLiteral("Msg_Label"), QString());
    Msg_Label->setAccessibleName(QStringLiteral("Message"));
    Msg_Label->setWordWrap(true);
    Msg_Label->setMinimumWidth(320);
    Msg_Label->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    layout->addWidget(Msg_Label);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Command1[2]);
    layout->addLayout(bottom);
}

void SubDisp_AllSaveLoad::mnuSave_ALL_Click()
{
    show();
    raise();
    activateWindow();
}

void SubDisp_AllSaveLoad::Command1_Click(int Index)
{
    if (m_transferRunning && Index != kReturnButton)
        return;
    switch (Index) {
    case 0: saveToFile(); break;
    case 1: loadAndSend(); break;
    case 2: closeWindow(); break;
    default: break;
    }
}

void SubDisp_AllSaveLoad::setTransferRunning(bool running)
{
    m_transferRunning = running;
    for (size_t i = 0; i < Command1.size(); ++i)
        Command1[i]->setEnabled(!running || int(i) == kReturnButton);
}

void SubDisp_AllSaveLoad::saveToFile()
{
    if (AnyAutoTuning()) {
        prompter().message(text(FileMessages::kSaveDuringAutoTuning));
        return;
    }
    std::vector<RawSettingRecord> records;
    records.reserve(size_t(kChannels));
    for (int c = 0; c < kChannels; ++c)
        records.push_back(TakeRawRecord(c));
    const QString path = ChooseSaveFile();
    if (path.isEmpty())
        return;
    if (!SaveRecordFile(path, records)) {
        Msg_Label->setText(text(FileMessages::kFileNotSaved));
        return;
    }
    Msg_Label->clear();
}

void SubDisp_AllSaveLoad::loadAndSend()
{
    const QString path = ChooseOpenFile();
    if (path.isEmpty())
        return;
    std::vector<RawSettingRecord> records;
    const LoadStatus status = LoadRecordFile(path, kAllFileKind, kChannels, records);
    if (status == LoadStatus::WrongKind) {
        prompter().message(text(FileMessages::kNotAllFile));
        return;
    }
    if (AnyAutoTuning()) {
        prompter().message(text(FileMessages::kLoadDuringAutoTuning));
        return;
    }
    if (status == LoadStatus::Unreadable || status == LoadStatus::Utf16) {
        Msg_Label->setText(text(status == LoadStatus::Utf16 ? FileMessages::kFileUtf16 : FileMessages::kFileUnreadable));
        return;
    }
    const QString refusal = FileWindows::TransferRefusal();
    if (!refusal.isEmpty()) {
        Msg_Label->setText(refusal);
        return;
    }
    Msg_Label->clear();
    if (prompter().question(text(FileMessages::kSendToAll)) != Answer::Yes)
        return;
    ApplyAllRecords(records);
    m_host.startLoadTransfer(true, 0, PLM_INC::ChangeOrigin::AllChannelFile);
}

void SubDisp_AllSaveLoad::closeWindow()
{
    m_host.SetNameLists(2);
    hide();
}
