#include "SubDisp_comm.h"

#include "Controls.h"
#include "Preferences.h"
#include "Prompter.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

SubDisp_comm::SubDisp_comm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SubDisp_comm"));
    setWindowTitle(QStringLiteral("Communication environment setting display"));
    setModal(false);
    auto *grid = new QGridLayout(this);
    Label1 = Controls::caption(this, QStringLiteral("Label1"), QStringLiteral("Communication port selection"));
    Combo_Port = Controls::selector(this, QStringLiteral("Combo_Port"), QStringLiteral("Communication port selection"));
    Combo_Port->addItems({QStringLiteral("COM1"), QStringLiteral("COM2")});
    Label2 = Controls::caption(this, QStringLiteral("Label2"), QStringLiteral("Transfer rate selection"));
    Combo_Rate = Controls::selector(this, QStringLiteral("Combo_Rate"), QStringLiteral("Transfer rate selection"));
    Combo_Rate->addItems({QStringLiteral("9600"), QStringLiteral("19200")});
    Label1->setBuddy(Combo_Port);
    Label2->setBuddy(Combo_Rate);
    Combo_Port->setMinimumContentsLength(6);
    Combo_Rate->setMinimumContentsLength(6);
    Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("OK"));
    Command3 = Controls::button(this, QStringLiteral("Command3"), QStringLiteral("Shut down"));
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Combo_Port, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Combo_Rate, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    grid->addLayout(buttons, 2, 0, 1, 2);
    connect(Command1, &QPushButton::clicked, this, &SubDisp_comm::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &SubDisp_comm::Command3_Click);
}

void SubDisp_comm::setSelection(const QString &port, const QString &speed)
{
    // Like the original combo boxes, a text outside the list is still shown as the text.
    Combo_Port->setCurrentIndex(Combo_Port->findText(port));
    Combo_Rate->setCurrentIndex(Combo_Rate->findText(speed));
}

void SubDisp_comm::Command1_Click()
{
    emit okPressed();
    Prefs::set(QStringLiteral("Port"), Combo_Port->currentText());
    Prefs::set(QStringLiteral("Speed"), Combo_Rate->currentText());
    Prefs::sync();
    hide();
}

void SubDisp_comm::Command3_Click()
{
    PLM_INC::prompter().message(QStringLiteral("Shuts down the software."));
    hide();
    emit shutDownPressed();
}

void SubDisp_comm::reject()
{
}

void SubDisp_comm::closeEvent(QCloseEvent *event)
{
    event->ignore();
}
