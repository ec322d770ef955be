#include "SubDisp_SaveLoad.h"

#include "ChannelChecks.h"
#include "Controls.h"
#include "FileChoice.h"
#include "FileMessages.h"
#include "FileWindows.h"
#include "WindowHost.h"
#include "PLM_INC.h"
#include "Prompter.h"
#include "SettingFileIo.h"
#include "SettingSend.h"
#include "ValueText.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace PLM_INC;

namespace {

constexpr int kGroupFirstRow[4] = {0, kFirstCoolingRow, kFirstDcInputRow, kChannelRows};
constexpr int kRowHeight = 22;

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

SubDisp_SaveLoad::SubDisp_SaveLoad(WindowHost &host) : QDialog(host.hostWindow()), m_host(host)
{
    setObjectName(QStringLiteral("SubDisp_SaveLoad"));
    setWindowTitle(QStringLiteral("Setting value Save / Load (Channel)"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    top->addWidget(Controls::caption(this, QStringLiteral("Label_channel"), QStringLiteral("Channel name")));
    SaveLoad_CHname = Controls::selector(this, QStringLiteral("SaveLoad_CHname"), QStringLiteral("Channel of the current values"));
    SaveLoad_CHname->setMinimumContentsLength(12);
    m_host.nameListPeers().SaveLoad_CHname = SaveLoad_CHname;
    top->addWidget(SaveLoad_CHname);
    top->addSpacing(24);
    auto *options = new QButtonGroup(this);
    const char *optionTexts[3] = {"Standard item", "Heating/Cooling control item", "DC input item"};
    for (int i = 0; i < 3; ++i) {
        auto *option = new QRadioButton(text(optionTexts[i]), this);
        option->setObjectName(Controls::indexed(QStringLiteral("Option1"), i));
        option->setAccessibleName(text(optionTexts[i]));
        options->addButton(option, i);
        Option1[size_t(i)] = option;
        top->addWidget(option);
    }
    Option1[0]->setChecked(true);
    top->addStretch(1);
    layout->addLayout(top);

    // Wide enough for the longest alarm action name in both columns.
    const int fieldWidth = fontMetrics().horizontalAdvance(AlarmTypeName(8)) + 16;
    m_nowStack = new QStackedWidget(this);
    m_workStack = new QStackedWidget(this);
    for (int g = 0; g < 3; ++g) {
        auto *now = new QGroupBox(QStringLiteral("Current value"), m_nowStack);
        now->setObjectName(Controls::indexed(QStringLiteral("Frame_now"), g));
        auto *work = new QGroupBox(QStringLiteral("Work area"), m_workStack);
        work->setObjectName(Controls::indexed(QStringLiteral("Frame_work"), g));
        auto *nowGrid = new QGridLayout(now);
        auto *workGrid = new QGridLayout(work);
        for (auto *grid : {nowGrid, workGrid}) {
            grid->setVerticalSpacing(2);
            grid->setAlignment(Qt::AlignTop);
        }
        for (int r = kGroupFirstRow[g]; r < kGroupFirstRow[g + 1]; ++r) {
            const QString caption = ChannelRowLabel(r);
            Label_item[size_t(r)] = Controls::caption(now, Controls::indexed(QStringLiteral("Label_item"), r), caption);
            Label_item[size_t(r)]->setFixedHeight(kRowHeight);
            Labeldata[size_t(r)] = Controls::valueField(now, Controls::indexed(QStringLiteral("Labeldata"), r),
                                                        QStringLiteral("Current ") + caption.trimmed(), fieldWidth);
            Labeldata_work[size_t(r)] = Controls::valueField(work, Controls::indexed(QStringLiteral("Labeldata_work"), r),
                                                             QStringLiteral("Work area ") + caption.trimmed(), fieldWidth);
            for (QLabel *field : {Labeldata[size_t(r)], Labeldata_work[size_t(r)]})
                field->setFixedHeight(kRowHeight);
            const int line = r - kGroupFirstRow[g];
            nowGrid->addWidget(Label_item[size_t(r)], line, 0);
            nowGrid->addWidget(Labeldata[size_t(r)], line, 1);
            workGrid->addWidget(Labeldata_work[size_t(r)], line, 0);
        }
        Frame_now[size_t(g)] = now;
        Frame_work[size_t(g)] = work;
        m_nowStack->addWidget(now);
        m_workStack->addWidget(work);
    }

    const char *buttonTexts[5] = {"Move-->", "<---Move", "Save-->", "<--Load", "Return"};
    const char *buttonRoles[5] = {"Copy the current values to the work area", "Send the work area to the channel",
                                  "Save the work area to a file", "Load a file into the work area", "Return"};
    for (int i = 0; i < 5; ++i) {
        Command1[size_t(i)] = Controls::button(this, Controls::indexed(QStringLiteral("Command1"), i), text(buttonTexts[i]),
                                               text(buttonRoles[i]));
        Command1[size_t(i)]->setMinimumWidth(90);
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_nowStack, 1);
    auto *moveButtons = new QVBoxLayout;
    moveButtons->addStretch(1);
    moveButtons->addWidget(Command1[0]);
    moveButtons->addWidget(Command1[1]);
    moveButtons->addStretch(1);
    middle->addLayout(moveButtons);
    middle->addWidget(m_workStack, 1);
    auto *fileButtons = new QVBoxLayout;
    fileButtons->addStretch(1);
    fileButtons->addWidget(Command1[2]);
    fileButtons->addWidget(Command1[3]);
    fileButtons->addStretch(1);
    middle->addLayout(fileButtons);
    layout->addLayout(middle, 1);

    auto *bottom = new QHBoxLayout;
    Msg_Label = Controls::caption(this, QStringLiteral("Msg_Label"), QString());
    Msg_Label->setAccessibleName(QStringLiteral("Message"));
    Msg_Label->setWordWrap(true);
    Msg_Label->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    bottom->addWidget(Msg_Label, 1);
    bottom->addWidget(Command1[4]);
    layout->addLayout(bottom);

    connect(SaveLoad_CHname, &QComboBox::activated, this, &SubDisp_SaveLoad::SaveLoad_CHname_Click);
    connect(options, &QButtonGroup::idClicked, this, &SubDisp_SaveLoad::Option1_Click);
    updateButtons();
}

int SubDisp_SaveLoad::channel() const
{
    return ListIndexOrZero(SaveLoad_CHname->currentIndex());
}

void SubDisp_SaveLoad::mnuSave_CH_Click()
{
    m_host.SetNameLists(1);
    SaveLoad_CHname->setCurrentIndex(0);
    show();
    raise();
    activateWindow();
    Form_Activate();
}

void SubDisp_SaveLoad::Form_Activate()
{
    SaveLoad_CHname_Click();
    Option1[0]->setChecked(true);
    Option1_Click(0);
}

void SubDisp_SaveLoad::SaveLoad_CHname_Click()
{
    const int c = channel();
    for (int r = 0; r < kChannelRows; ++r)
        Labeldata[size_t(r)]->setText(ChannelRowText(r, c));
    Option1[1]->setEnabled((OptionWord[c] & kOptionHeatCool) != 0);
    Option1[2]->setEnabled(InputType[c] >= 10);
    if (!Option1[1]->isEnabled() || !Option1[2]->isEnabled()) {
        Option1[0]->setChecked(true);
        Option1_Click(0);
    }
}

void SubDisp_SaveLoad::Option1_Click(int Index)
{
    if (Index < 0 || Index > 2)
        return;
    m_nowStack->setCurrentIndex(Index);
    m_workStack->setCurrentIndex(Index);
}

void SubDisp_SaveLoad::Command1_Click(int Index)
{
    if (m_transferRunning && Index != FileWindows::kWorkAreaReturnButton)
        return;
    switch (Index) {
    case 0: moveToWorkArea(); break;
    case 1: sendToChannel(); break;
    case 2: saveToFile(); break;
    case 3: loadFromFile(); break;
    case 4: closeWindow(); break;
    default: break;
    }
}

void SubDisp_SaveLoad::setTransferRunning(bool running)
{
    m_transferRunning = running;
    updateButtons();
}

void SubDisp_SaveLoad::updateButtons()
{
    FileWindows::EnableWorkAreaButtons(Command1, m_transferRunning, m_workFilled);
}

void SubDisp_SaveLoad::showWorkArea()
{
    for (int r = 0; r < kChannelRows; ++r)
        Labeldata_work[size_t(r)]->setText(WorkData[size_t(r)]);
    m_workFilled = true;
    updateButtons();
}

void SubDisp_SaveLoad::moveToWorkArea()
{
    const int c = channel();
    if (ChannelConnected[c] == 0) {
        Msg_Label->setText(text(FileMessages::kChannelNotFittedCopy));
        return;
    }
    for (int r = 0; r < kChannelRows; ++r)
        WorkData[size_t(r)] = Labeldata[size_t(r)]->text();
    Msg_Label->clear();
    showWorkArea();
}

void SubDisp_SaveLoad::saveToFile()
{
    if (ChannelAutoTuning(channel())) {
        prompter().message(text(FileMessages::kSaveDuringAutoTuning));
        return;
    }
    const QString path = ChooseSaveFile();
    if (path.isEmpty())
        return;
    if (!SaveChannelFile(path, WorkData)) {
        Msg_Label->setText(text(FileMessages::kFileNotSaved));
        return;
    }
    Msg_Label->clear();
}

void SubDisp_SaveLoad::loadFromFile()
{
    const QString path = ChooseOpenFile();
    if (path.isEmpty())
        return;
    ChannelRows rows;
    switch (LoadChannelFile(path, rows)) {
    case LoadStatus::WrongKind:
        prompter().message(text(FileMessages::kNotChannelFile));
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
    WorkData = rows;
    showWorkArea();
}

void SubDisp_SaveLoad::sendToChannel()
{
    const int c = channel();
    if (ChannelConnected[c] == 0) {
        Msg_Label->setText(text(FileMessages::kChannelNotFittedSend));
        return;
    }
    if (ChannelAutoTuning(c)) {
        prompter().message(text(FileMessages::kLoadDuringAutoTuning));
        return;
    }
    const QString refusal = FileWindows::TransferRefusal();
    if (!refusal.isEmpty()) {
        Msg_Label->setText(refusal);
        return;
    }
    Msg_Label->clear();
    if (prompter().question(text(FileMessages::kSendToChannel)) != Answer::Yes)
        return;
    if (!StoreChannelRows(WorkData, c)) {
        Msg_Label->setText(text(FileMessages::kValueDoesNotFit));
        return;
    }
    for (int r = 0; r < kChannelRows; ++r)
        Labeldata[size_t(r)]->setText(WorkData[size_t(r)]); // what is being sent
    m_host.startLoadTransfer(false, c / kChannelsPerBlock, PLM_INC::ChangeOrigin::ChannelFile);
}

void SubDisp_SaveLoad::closeWindow()
{
    m_host.SetNameLists(2);
    hide();
}
