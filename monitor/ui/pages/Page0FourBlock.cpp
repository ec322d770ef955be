// Page 0 "4-Block Disp": one display item for the 80 channels of a group of four blocks.
#include "Controls.h"
#include "MainDisp.h"
#include "PLM_INC.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

using Controls::indexed;
using PLM_INC::GroupIndex;

QWidget *MainDisp::buildPage0FourBlock()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page0"));
    auto *layout = new QVBoxLayout(page);

    auto *top = new QHBoxLayout;
    QLabel *caption = Controls::caption(page, QStringLiteral("Combo1_caption"), QStringLiteral("Monitoring and setting items"));
    top->addWidget(caption);
    Combo1 = Controls::selector(page, QStringLiteral("Combo1"), QStringLiteral("Monitoring and setting items"));
    caption->setBuddy(Combo1);
    Combo1->setMinimumContentsLength(34);
    top->addWidget(Combo1);
    top->addSpacing(24);

    Toolbar1 = new QToolBar(page);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(QStringLiteral("Block group"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Toolbar1->setStyleSheet(QStringLiteral("QToolButton { padding: 2px 6px; border: 1px solid #a0a0a0; border-radius: 3px; margin: 0px 2px; }"
                                           "QToolButton:checked { background: #cfe0f8; border-color: #4060a0; }"));
    auto *groupButtons = new QActionGroup(Toolbar1);
    groupButtons->setExclusive(true);
    const char *texts[4] = {"Block 0-3", "Block 4-7", "Block 8-B", "Block C-F"};
    const char *tips[4] = {"HRV-600 Instrument number 0 to 3", "HRV-600 Instrument number 4 to 7",
                           "HRV-600 Instrument number 8 to B(11)", "HRV-600 Instrument number C(12) to F(15)"};
    for (int k = 1; k <= 4; ++k) {
        QAction *a = Toolbar1->addAction(QString::fromLatin1(texts[k - 1]));
        a->setObjectName(indexed(QStringLiteral("Toolbar1_Button"), k));
        a->setToolTip(QString::fromLatin1(tips[k - 1]));
        a->setCheckable(true);
        a->setChecked(k == 1);
        groupButtons->addAction(a);
        connect(a, &QAction::triggered, this, [this, k] { Toolbar1_ButtonClick(k); });
        // The page follows the checked button however it was checked: a shortcut, code, or a
        // screen reader's toggle action (which checks the tool button alone). A click runs the
        // handler through both signals; it is idempotent.
        connect(a, &QAction::toggled, this, [this, k](bool checked) {
            if (checked && GroupIndex != k - 1)
                Toolbar1_ButtonClick(k);
        });
        if (auto *button = qobject_cast<QAbstractButton *>(Toolbar1->widgetForAction(a)))
            connect(button, &QAbstractButton::toggled, a, [a](bool checked) {
                if (checked && !a->isChecked())
                    a->setChecked(true);
            });
        Toolbar1_Button[size_t(k)] = a;
    }
    top->addWidget(Toolbar1);
    top->addStretch(1);
    layout->addLayout(top);

    auto *frames = new QHBoxLayout;
    for (int f = 0; f < 4; ++f) {
        auto *frame = new QGroupBox(PLM_INC::BlockDigits(f), page);
        frame->setObjectName(indexed(QStringLiteral("Frame_Block"), f));
        auto *grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        grid->setHorizontalSpacing(4);
        for (int r = 0; r < 20; ++r) {
            const int k = f * 20 + r;
            Label1[size_t(k)] = Controls::caption(frame, indexed(QStringLiteral("Label1"), k), QString());
            Label1[size_t(k)]->setMinimumWidth(84);
            Para_Text[size_t(k)] = Controls::valueField(frame, indexed(QStringLiteral("Para_Text"), k),
                                                        QStringLiteral("Value of group channel %1").arg(k + 1), 72);
            Controls::keepPlaceWhenHidden({Para_Text[size_t(k)]});
            grid->addWidget(Label1[size_t(k)], r, 0);
            grid->addWidget(Para_Text[size_t(k)], r, 1);
        }
        grid->setRowStretch(20, 1);
        Frame_Block[size_t(f)] = frame;
        frames->addWidget(frame);
    }
    layout->addLayout(frames, 1);
    return page;
}
