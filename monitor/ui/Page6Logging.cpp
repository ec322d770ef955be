// Page 6 "Data logging": the logging controls. Their behaviour comes with the data logger.
#include "Controls.h"
#include "MainDisp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Controls::indexed;

QWidget *MainDisp::buildPage6Logging()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page6"));
    auto *layout = new QVBoxLayout(page);

    Frame_logging = new QGroupBox(QStringLiteral("Logging setting"), page);
    Frame_logging->setObjectName(QStringLiteral("Frame_logging"));
    auto *grid = new QGridLayout(Frame_logging);

    grid->addWidget(Controls::caption(Frame_logging, QStringLiteral("Savename_caption"), QStringLiteral("Logging file")), 0, 0);
    Savename_text = Controls::valueField(Frame_logging, QStringLiteral("Savename_text"), QStringLiteral("Logging file"), 420);
    Savename_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Savename_text->setText(QStringLiteral("Not registered.(Please register.)"));
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
    for (int b = 0; b < 16; ++b) {
        log_Check1[size_t(b)] = Controls::checkBox(blocks, indexed(QStringLiteral("log_Check1"), b), QString());
        blockGrid->addWidget(log_Check1[size_t(b)], b % 8, b / 8);
    }
    grid->addWidget(blocks, 3, 0, 1, 5);
    grid->setColumnStretch(3, 1);
    layout->addWidget(Frame_logging);

    auto *buttons = new QHBoxLayout;
    Command1[0] = Controls::button(page, indexed(QStringLiteral("Command1"), 0), QStringLiteral("Start"), QStringLiteral("Start logging"));
    Command1[1] = Controls::button(page, indexed(QStringLiteral("Command1"), 1), QStringLiteral("Stop"), QStringLiteral("Stop logging"));
    buttons->addWidget(Command1[0]);
    buttons->addWidget(Command1[1]);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return page;
}
