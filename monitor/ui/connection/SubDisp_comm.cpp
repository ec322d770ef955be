#include "SubDisp_comm.h"

#include "Controls.h"
#include "PortChoices.h"
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
    // Device names can be long: the list opens as wide as its longest entry.
    Combo_Port->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Label2 = Controls::caption(this, QStringLiteral("Label2"), QStringLiteral("Transfer rate selection"));
    Combo_Rate = Controls::selector(this, QStringLiteral("Combo_Rate"), QStringLiteral("Transfer rate selection"));
    Combo_Rate->addItems({QStringLiteral("9600"), QStringLiteral("19200")});
    Label1->setBuddy(Combo_Port);
    Label2->setBuddy(Combo_Rate);
    Combo_Rate->setMinimumContentsLength(6);
    Label_portstate = Controls::stateText(this, QStringLiteral("Label_portstate"), QStringLiteral("Port state"));
    Label_portstate->setWordWrap(true);
    Label_portstate->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));
    Label_portstate->hide();
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
    grid->addWidget(Label_portstate, 2, 0, 1, 2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    setSelection(QStringLiteral("COM1"), QStringLiteral("9600"));
    connect(Command1, &QPushButton::clicked, this, &SubDisp_comm::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &SubDisp_comm::Command3_Click);
}

void SubDisp_comm::setSelection(const QString &port, const QString &speed)
{
    Combo_Port->clear();
    for (const PortChoice &choice : PortChoicesOnThisMachine(port))
        Combo_Port->addItem(choice.text, choice.value);
    // A stored text that names no port selects nothing; OK then stores nothing usable and the
    // next attempt repairs it to COM1.
    Combo_Port->setCurrentIndex(Combo_Port->findData(port));
    Combo_Rate->setCurrentIndex(Combo_Rate->findText(speed));
}

QString SubDisp_comm::selectedPort() const
{
    return Combo_Port->currentIndex() < 0 ? QString() : Combo_Port->currentData().toString();
}

void SubDisp_comm::setProblem(const QString &text)
{
    Label_portstate->setText(text);
    Label_portstate->setVisible(!text.isEmpty());
    // The dialog grows to show the whole line and shrinks again without it.
    layout()->activate();
    resize(width(), sizeHint().height());
}

void SubDisp_comm::Command1_Click()
{
    emit okPressed();
    Prefs::set(QStringLiteral("Port"), selectedPort());
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
