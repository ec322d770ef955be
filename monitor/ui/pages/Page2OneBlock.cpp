// Page 2 "1 Block Disp": the 20 channels of one block with PV, SV, three chosen display items,
// the output button and seven lamps.
#include "Controls.h"
#include "Lamp.h"
#include "MainDisp.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Controls::indexed;

namespace {
constexpr int kValueColumnWidth = 112;
} // namespace

QWidget *MainDisp::buildPage2OneBlock()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page2"));
    auto *layout = new QVBoxLayout(page);

    auto *frame = new QGroupBox(page);
    frame->setObjectName(indexed(QStringLiteral("Frame_Block1"), 3));
    Frame_Block1[3] = frame;
    auto *grid = new QGridLayout(frame);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(4);

    tb2_BName = Controls::selector(frame, QStringLiteral("tb2_BName"), QStringLiteral("Block"));
    tb2_BName->setMinimumContentsLength(12);
    grid->addWidget(tb2_BName, 0, 0);
    for (int i = 0; i < 3; ++i) {
        tb2_Block_P[size_t(i)] = Controls::selector(frame, indexed(QStringLiteral("tb2_Block_P"), i),
                                                    QStringLiteral("Item of value column %1").arg(i + 1));
        // As wide as the column it heads; the open list shows the longest names whole, and the
        // chosen name stands in full in the tool tip.
        tb2_Block_P[size_t(i)]->setMinimumContentsLength(8);
        tb2_Block_P[size_t(i)]->setFixedWidth(kValueColumnWidth);
        tb2_Block_P[size_t(i)]->view()->setMinimumWidth(340);
        QComboBox *list = tb2_Block_P[size_t(i)];
        connect(list, &QComboBox::currentTextChanged, list, [list](const QString &text) { list->setToolTip(text); });
        grid->addWidget(tb2_Block_P[size_t(i)], 0, 3 + i);
    }
    // The five value columns of one width, the seven lamp columns of one width.
    for (int c = 1; c <= 5; ++c)
        grid->setColumnMinimumWidth(c, kValueColumnWidth);
    int lampColumn = 0;
    for (const char *head : {"CON", "AL1", "AL2", "HB", "LP", "SB", "AT"})
        lampColumn = qMax(lampColumn, frame->fontMetrics().horizontalAdvance(QString::fromLatin1(head)));
    lampColumn += 10;
    for (int c = 8; c <= 14; ++c)
        grid->setColumnMinimumWidth(c, lampColumn);

    const char *heads[] = {"PV", "SV"};
    grid->addWidget(Controls::caption(frame, QStringLiteral("tb2_head_PV"), QString::fromLatin1(heads[0])), 1, 1, Qt::AlignCenter);
    grid->addWidget(Controls::caption(frame, QStringLiteral("tb2_head_SV"), QString::fromLatin1(heads[1])), 1, 2, Qt::AlignCenter);
    grid->addWidget(Controls::caption(frame, QStringLiteral("tb2_head_OUT"), QStringLiteral("Control ON/OFF")), 1, 7, Qt::AlignCenter);
    const char *lampHeads[7] = {"CON", "AL1", "AL2", "HB", "LP", "SB", "AT"};
    for (int i = 0; i < 7; ++i)
        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb2_head_lamp"), i), QString::fromLatin1(lampHeads[i])),
                        1, 8 + i, Qt::AlignCenter);

    for (int c = 0; c < 20; ++c) {
        const size_t i = size_t(c);
        const int row = c + 2;
        tb2_label[i] = Controls::caption(frame, indexed(QStringLiteral("tb2_label"), c), QString());
        tb2_label[i]->setMinimumWidth(84);
        tb2_PV[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_PV"), c), QString(), kValueColumnWidth);
        tb2_SV[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_SV"), c), QString(), kValueColumnWidth);
        tb2_Para1[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_Para1"), c), QString(), kValueColumnWidth);
        tb2_Para2[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_Para2"), c), QString(), kValueColumnWidth);
        tb2_Para3[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_Para3"), c), QString(), kValueColumnWidth);
        Tab2_Label_CF[i] = Controls::caption(frame, indexed(QStringLiteral("Tab2_Label_CF"), c), QString());
        Tab2_Label_CF[i]->setMinimumWidth(40);
        tb2_OUT[i] = Controls::button(frame, indexed(QStringLiteral("tb2_OUT"), c), QStringLiteral("OFF"));
        tb2_OUT[i]->setFixedWidth(46);
        tb2_staCONT[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staCONT"), c), QString());
        tb2_staA1[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staA1"), c), QString());
        tb2_staA2[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staA2"), c), QString());
        tb2_staHB[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staHB"), c), QString());
        tb2_staLP[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staLP"), c), QString());
        tb2_staSB[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staSB"), c), QString());
        tb2_staAT[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staAT"), c), QString());
        Controls::keepPlaceWhenHidden({tb2_PV[i], tb2_SV[i], tb2_Para1[i], tb2_Para2[i], tb2_Para3[i], Tab2_Label_CF[i], tb2_OUT[i],
                                       tb2_staCONT[i], tb2_staA1[i], tb2_staA2[i], tb2_staHB[i], tb2_staLP[i], tb2_staSB[i],
                                       tb2_staAT[i]});
        grid->addWidget(tb2_label[i], row, 0);
        grid->addWidget(tb2_PV[i], row, 1);
        grid->addWidget(tb2_SV[i], row, 2);
        grid->addWidget(tb2_Para1[i], row, 3);
        grid->addWidget(tb2_Para2[i], row, 4);
        grid->addWidget(tb2_Para3[i], row, 5);
        grid->addWidget(Tab2_Label_CF[i], row, 6);
        grid->addWidget(tb2_OUT[i], row, 7, Qt::AlignCenter);
        Lamp *lamps[7] = {tb2_staCONT[i], tb2_staA1[i], tb2_staA2[i], tb2_staHB[i], tb2_staLP[i], tb2_staSB[i], tb2_staAT[i]};
        for (int l = 0; l < 7; ++l)
            grid->addWidget(lamps[l], row, 8 + l, Qt::AlignCenter);
    }
    grid->setRowStretch(22, 1);
    grid->setColumnStretch(15, 1);
    layout->addWidget(frame, 1);
    return page;
}
