#include "SubDisp_Block.h"

#include "Controls.h"
#include "WindowHost.h"
#include "NameFieldCodePage.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace PLM_INC;

namespace {

constexpr int kNameLength = 12;

QString instrumentNumber(int block)
{
    return block < 10 ? QString::number(block) : QStringLiteral("%1(%2)").arg(QChar('A' + block - 10)).arg(block);
}

} // namespace

SubDisp_Block::SubDisp_Block(WindowHost &host) : QDialog(host.hostWindow()), m_host(host)
{
    setObjectName(QStringLiteral("SubDisp_Block"));
    setWindowTitle(QStringLiteral("Block Name"));
    setModal(false);
    auto *grid = new QGridLayout(this);
    Label2 = Controls::caption(this, QStringLiteral("Label2"), QStringLiteral("HRV-600 instrument number"));
    Label3 = Controls::caption(this, QStringLiteral("Label3"), QStringLiteral("Block Name"));
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Label3, 0, 1);
    for (int b = 0; b < kBlocks; ++b) {
        Label1[size_t(b)] = Controls::caption(this, Controls::indexed(QStringLiteral("Label1"), b), instrumentNumber(b));
        Label1[size_t(b)]->setAlignment(Qt::AlignCenter);
        auto *field = new QLineEdit(this);
        field->setObjectName(Controls::indexed(QStringLiteral("DvtoN"), b));
        field->setAccessibleName(QStringLiteral("Name of block %1").arg(BlockDigits(b)));
        field->setMaxLength(kNameLength);
        RefuseCharactersOutsideFileCodePage(field);
        field->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('W')) * kNameLength / 2 + 24);
        DvtoN[size_t(b)] = field;
        grid->addWidget(Label1[size_t(b)], b + 1, 0);
        grid->addWidget(field, b + 1, 1);
    }
    DvOK = Controls::button(this, QStringLiteral("DvOK"), QStringLiteral("OK"));
    DvCan = Controls::button(this, QStringLiteral("DvCan"), QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(DvOK);
    buttons->addWidget(DvCan);
    grid->addLayout(buttons, kBlocks + 1, 0, 1, 2);
    connect(DvOK, &QPushButton::clicked, this, &SubDisp_Block::DvOK_Click);
    connect(DvCan, &QPushButton::clicked, this, &SubDisp_Block::DvCan_Click);
}

void SubDisp_Block::loadNames()
{
    for (int b = 0; b < kBlocks; ++b)
        DvtoN[size_t(b)]->setText(Prefs::blockName(b));
}

void SubDisp_Block::DvOK_Click()
{
    for (int b = 0; b < kBlocks; ++b)
        Prefs::set(QStringLiteral("DvtoN") + BlockDigits(b), DvtoN[size_t(b)]->text());
    m_host.showGroupBlockNames();
    m_host.SetNameLists(2);
    hide();
}

void SubDisp_Block::DvCan_Click()
{
    m_host.SetNameLists(0);
    hide();
}
