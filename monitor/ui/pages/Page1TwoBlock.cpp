// Page 1 "2-Block Disp": two blocks side by side, each with the process value and one chosen
// display item per channel, the output button and three alarm lamps.
#include "Controls.h"
#include "Lamp.h"
#include "MainDisp.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using Controls::indexed;

QWidget *MainDisp::buildPage1TwoBlock()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page1"));
    auto *layout = new QVBoxLayout(page);

    Frame_A3select = new QGroupBox(QStringLiteral("A3 select"), page);
    Frame_A3select->setObjectName(QStringLiteral("Frame_A3select"));
    auto *a3 = new QHBoxLayout(Frame_A3select);
    a3->setContentsMargins(8, 2, 8, 2);
    Option1 = new QRadioButton(QStringLiteral("HB"), Frame_A3select);
    Option2 = new QRadioButton(QStringLiteral("LP"), Frame_A3select);
    Option3 = new QRadioButton(QStringLiteral("SB"), Frame_A3select);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2->setObjectName(QStringLiteral("Option2"));
    Option3->setObjectName(QStringLiteral("Option3"));
    Option1->setAccessibleName(QStringLiteral("Third lamp shows heater burnout alarm"));
    Option2->setAccessibleName(QStringLiteral("Third lamp shows loop break alarm"));
    Option3->setAccessibleName(QStringLiteral("Third lamp shows over or under scale"));
    auto *group = new QButtonGroup(Frame_A3select);
    for (QRadioButton *o : {Option1, Option2, Option3}) {
        group->addButton(o);
        a3->addWidget(o);
    }
    auto *top = new QHBoxLayout;
    top->addWidget(Frame_A3select);
    top->addStretch(1);
    layout->addLayout(top);

    auto *halves = new QHBoxLayout;
    for (int h = 0; h < 2; ++h) {
        auto *frame = new QGroupBox(page);
        frame->setObjectName(indexed(QStringLiteral("Frame_Block1"), h));
        Frame_Block1[size_t(h)] = frame;
        auto *grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        grid->setHorizontalSpacing(4);

        tb1_BName[size_t(h)] = Controls::selector(frame, indexed(QStringLiteral("tb1_BName"), h),
                                                  h == 0 ? QStringLiteral("Left block") : QStringLiteral("Right block"));
        tb1_BName[size_t(h)]->setMinimumContentsLength(12);
        tb1_Block_P[size_t(h)] = Controls::selector(frame, indexed(QStringLiteral("tb1_Block_P"), h),
                                                    h == 0 ? QStringLiteral("Left block item") : QStringLiteral("Right block item"));
        tb1_Block_P[size_t(h)]->setMinimumContentsLength(18);
        grid->addWidget(tb1_BName[size_t(h)], 0, 0, 1, 2);
        grid->addWidget(tb1_Block_P[size_t(h)], 0, 2, 1, 6);

        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb1_head_PV"), h), QStringLiteral("PV")), 1, 1, Qt::AlignCenter);
        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb1_head_CONT"), h), QStringLiteral("Control ON/OFF")), 1, 3, 1, 2, Qt::AlignCenter);
        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb1_head_ALM"), h), QStringLiteral("Alarm status")), 1, 5, 1, 3, Qt::AlignCenter);

        for (int c = 0; c < 20; ++c) {
            const int k = 20 * h + c;
            const size_t i = size_t(k);
            const int row = c + 2;
            tb1_label[i] = Controls::caption(frame, indexed(QStringLiteral("tb1_label"), k), QString());
            tb1_label[i]->setMinimumWidth(84);
            tb1_PV[i] = Controls::valueField(frame, indexed(QStringLiteral("tb1_PV"), k), QString(), 62);
            tb1_Para[i] = Controls::valueField(frame, indexed(QStringLiteral("tb1_Para"), k), QString(), 62);
            QLabel *unit = Controls::caption(frame, indexed(h == 0 ? QStringLiteral("Tab1_Label_CF1") : QStringLiteral("Tab1_Label_CF2"), c), QString());
            unit->setMinimumWidth(40);
            (h == 0 ? Tab1_Label_CF1 : Tab1_Label_CF2)[size_t(c)] = unit;
            Comm_OUT[i] = Controls::button(frame, indexed(QStringLiteral("Comm_OUT"), k), QStringLiteral("OFF"));
            Comm_OUT[i]->setFixedWidth(46);
            tb1_staA1[i] = Controls::lamp(frame, indexed(QStringLiteral("tb1_staA1"), k), QString());
            tb1_staA2[i] = Controls::lamp(frame, indexed(QStringLiteral("tb1_staA2"), k), QString());
            tb1_staA3[i] = Controls::lamp(frame, indexed(QStringLiteral("tb1_staA3"), k), QString());
            Controls::keepPlaceWhenHidden({tb1_PV[i], tb1_Para[i], unit, Comm_OUT[i], tb1_staA1[i], tb1_staA2[i], tb1_staA3[i]});
            grid->addWidget(tb1_label[i], row, 0);
            grid->addWidget(tb1_PV[i], row, 1);
            grid->addWidget(tb1_Para[i], row, 2);
            grid->addWidget(unit, row, 3);
            grid->addWidget(Comm_OUT[i], row, 4);
            grid->addWidget(tb1_staA1[i], row, 5, Qt::AlignCenter);
            grid->addWidget(tb1_staA2[i], row, 6, Qt::AlignCenter);
            grid->addWidget(tb1_staA3[i], row, 7, Qt::AlignCenter);
        }
        grid->setRowStretch(22, 1);
        halves->addWidget(frame);
    }
    layout->addLayout(halves, 1);
    return page;
}
