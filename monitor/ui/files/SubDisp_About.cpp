#include "SubDisp_About.h"

#include "Controls.h"
#include "ProgramVersion.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kAccessCode = QStringLiteral("plimsor");
} // namespace

SubDisp_About::SubDisp_About(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SubDisp_About"));
    setWindowTitle(QStringLiteral("Version information"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    auto *title = Controls::caption(this, QStringLiteral("Label_title"), QStringLiteral("PLM-870 Monitoring software"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
    layout->addWidget(title);
    auto *grid = new QGridLayout;
    Label_version = Controls::caption(this, QStringLiteral("Label_version"), QStringLiteral("Version"));
    Label_ver = Controls::caption(this, QStringLiteral("Label_ver"), PLM_INC::ProgramVersion());
    Label_ver->setAccessibleName(QStringLiteral("Version number"));
    Label_option = Controls::caption(this, QStringLiteral("Label_option"), QStringLiteral("Option N"));
    corvade_option = new QLineEdit(this);
    corvade_option->setObjectName(QStringLiteral("corvade_option"));
    corvade_option->setAccessibleName(QStringLiteral("Option"));
    grid->addWidget(Label_version, 0, 0);
    grid->addWidget(Label_ver, 0, 1);
    grid->addWidget(Label_option, 1, 0);
    grid->addWidget(corvade_option, 1, 1);
    layout->addLayout(grid);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("OK"));
    buttons->addWidget(Command1);
    layout->addLayout(buttons);
    connect(corvade_option, &QLineEdit::textChanged, this, &SubDisp_About::corvade_option_Change);
    connect(Command1, &QPushButton::clicked, this, &SubDisp_About::Command1_Click);
}

void SubDisp_About::numabout_Click()
{
    show();
    raise();
    activateWindow();
}

void SubDisp_About::corvade_option_Change()
{
    if (showToolbar3)
        showToolbar3(corvade_option->text() == kAccessCode);
}

void SubDisp_About::Command1_Click()
{
    hide();
}
