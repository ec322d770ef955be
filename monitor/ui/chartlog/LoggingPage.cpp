#include "LoggingPage.h"

#include "Controls.h"
#include "LogFile.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "WindowHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using Controls::indexed;

namespace {
constexpr int kLineTimerMs = 200;
}

LoggingPage::LoggingPage(WindowHost &host) : m_host(host), m_logger(*this)
{
    setObjectName(QStringLiteral("Page6"));
    auto *layout = new QVBoxLayout(this);

    Frame_logging = new QGroupBox(QStringLiteral("Logging setting"), this);
    Frame_logging->setObjectName(QStringLiteral("Frame_logging"));
    auto *grid = new QGridLayout(Frame_logging);

    grid->addWidget(Controls::caption(Frame_logging, QStringLiteral("Savename_caption"), QStringLiteral("Logging file")), 0, 0);
    Savename_text = Controls::valueField(Frame_logging, QStringLiteral("Savename_text"), QStringLiteral("Logging file"), 420);
    Savename_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Savename_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Savename_text->setText(LogNotRegisteredText());
    grid->addWidget(Savename_text, 0, 1, 1, 3);
    Command1[2] = Controls::button(Frame_logging, indexed(QStringLiteral("Command1"), 2), QStringLiteral("Browse.."),
                                   QStringLiteral("Browse for the logging file"));
    grid->addWidget(Command1[2], 0, 4);

    Check1 = Controls::checkBox(Frame_logging, QStringLiteral("Check1"), QStringLiteral("Continue to save data "));
    grid->addWidget(Check1, 1, 1, 1, 2);

    grid->addWidget(Controls::caption(Frame_logging, QStringLiteral("Logging_time_caption"), QStringLiteral("Logging interval")), 2, 0);
    Logging_time = Controls::selector(Frame_logging, QStringLiteral("Logging_time"), QStringLiteral("Logging interval"));
    Logging_time->addItems({QStringLiteral("10 sec"), QStringLiteral("30 sec"), QStringLiteral("1 min"), QStringLiteral("5 min"),
                            QStringLiteral("10 min"), QStringLiteral("15 min"), QStringLiteral("30 min"), QStringLiteral("1 h")});
    grid->addWidget(Logging_time, 2, 1);

    auto *blocks = new QGroupBox(QStringLiteral("Logging blocks"), Frame_logging);
    blocks->setObjectName(QStringLiteral("Frame_logblocks"));
    auto *blockGrid = new QGridLayout(blocks);
    for (int b = 0; b < PLM_INC::kBlocks; ++b) {
        log_Check1[size_t(b)] = Controls::checkBox(blocks, indexed(QStringLiteral("log_Check1"), b), QString());
        blockGrid->addWidget(log_Check1[size_t(b)], b % 8, b / 8);
    }
    grid->addWidget(blocks, 3, 0, 1, 5);
    grid->setColumnStretch(3, 1);
    layout->addWidget(Frame_logging);

    auto *buttons = new QHBoxLayout;
    Command1[0] = Controls::button(this, indexed(QStringLiteral("Command1"), 0), QStringLiteral("Start"), QStringLiteral("Start logging"));
    Command1[1] = Controls::button(this, indexed(QStringLiteral("Command1"), 1), QStringLiteral("Stop"), QStringLiteral("Stop logging"));
    buttons->addWidget(Command1[0]);
    buttons->addWidget(Command1[1]);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kLineTimerMs);
    connect(Timer1, &QTimer::timeout, this, &LoggingPage::Timer1_Timer);
    for (int i = 0; i < 3; ++i)
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    // Only the operator's click stores the choice; setting the box from the preferences does not.
    connect(Check1, &QCheckBox::clicked, this, &LoggingPage::Check1_Click);
}

void LoggingPage::Command1_Click(int Index)
{
    switch (Index) {
    case 0:
        m_logger.start();
        break;
    case 1:
        m_logger.stop();
        break;
    case 2:
        m_logger.browse();
        break;
    default:
        break;
    }
}

void LoggingPage::Check1_Click()
{
    m_logger.continueClicked(Check1->isChecked());
}

void LoggingPage::Timer1_Timer()
{
    m_logger.lineWriterTick();
}

void LoggingPage::restoreChoices()
{
    setIntervalIndex(Prefs::getInt(QStringLiteral("Logtim")));
    for (int i = 0; i < PLM_INC::kBlocks; ++i)
        log_Check1[size_t(i)]->setChecked(Prefs::getInt(QStringLiteral("LogBlock ") + QString::number(i)) == 1);
}

void LoggingPage::saveChoices()
{
    Prefs::set(QStringLiteral("Logtim"), Logging_time->currentIndex());
    for (int i = 0; i < PLM_INC::kBlocks; ++i)
        Prefs::set(QStringLiteral("LogBlock ") + QString::number(i), log_Check1[size_t(i)]->isChecked() ? 1 : 0);
}

void LoggingPage::loadContinueChoice()
{
    Check1->setChecked(Prefs::getInt(QStringLiteral("log_restart")) == 1);
}

void LoggingPage::resume()
{
    m_logger.resume();
}

// --- LoggingView ---

QString LoggingPage::fileName() const
{
    return Savename_text->text();
}

void LoggingPage::setFileName(const QString &path)
{
    Savename_text->setText(path);
    Savename_text->setToolTip(path);
}

bool LoggingPage::continueFile() const
{
    return Check1->isChecked();
}

int LoggingPage::intervalIndex() const
{
    return Logging_time->currentIndex();
}

void LoggingPage::setIntervalIndex(int index)
{
    Logging_time->setCurrentIndex(RepairLogIntervalIndex(index));
}

LoggedBlocks LoggingPage::loggedBlocks() const
{
    LoggedBlocks blocks{};
    for (size_t b = 0; b < blocks.size(); ++b)
        blocks[b] = log_Check1[b]->isChecked();
    return blocks;
}

void LoggingPage::setRunning(bool running)
{
    if (running)
        Timer1->start();
    else
        Timer1->stop();
    Command1[0]->setEnabled(!running);
    Frame_logging->setEnabled(!running);
}

void LoggingPage::setLoggingStatus(const QString &text)
{
    m_host.setStatusPanel(2, text);
}
