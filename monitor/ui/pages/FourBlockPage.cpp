#include "FourBlockPage.h"

#include "Controls.h"
#include "PageRefresh.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SelectorHandlers.h"
#include "ValueText.h"

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
using namespace PLM_INC;
using namespace PageRefresh;

FourBlockPage::FourBlockPage(FourBlockControls &controls, SelectorHandlers &selectors, const LinkHealth &health, QObject *parent)
    : QObject(parent), ui(controls), m_selectors(selectors), m_health(health)
{
}

QWidget *FourBlockPage::build()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page0"));
    auto *layout = new QVBoxLayout(page);

    auto *top = new QHBoxLayout;
    QLabel *caption = Controls::caption(page, QStringLiteral("Combo1_caption"), QStringLiteral("Monitoring and setting items"));
    top->addWidget(caption);
    ui.Combo1 = Controls::selector(page, QStringLiteral("Combo1"), QStringLiteral("Monitoring and setting items"));
    caption->setBuddy(ui.Combo1);
    ui.Combo1->setMinimumContentsLength(34);
    top->addWidget(ui.Combo1);
    top->addSpacing(24);

    ui.Toolbar1 = new QToolBar(page);
    ui.Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    ui.Toolbar1->setAccessibleName(QStringLiteral("Block group"));
    ui.Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ui.Toolbar1->setStyleSheet(QStringLiteral("QToolButton { padding: 2px 6px; border: 1px solid #a0a0a0; border-radius: 3px; margin: 0px 2px; }"
                                              "QToolButton:checked { background: #cfe0f8; border-color: #4060a0; }"));
    auto *groupButtons = new QActionGroup(ui.Toolbar1);
    groupButtons->setExclusive(true);
    const char *texts[4] = {"Block 0-3", "Block 4-7", "Block 8-B", "Block C-F"};
    const char *tips[4] = {"HRV-600 Instrument number 0 to 3", "HRV-600 Instrument number 4 to 7",
                           "HRV-600 Instrument number 8 to B(11)", "HRV-600 Instrument number C(12) to F(15)"};
    for (int k = 1; k <= 4; ++k) {
        QAction *a = ui.Toolbar1->addAction(QString::fromLatin1(texts[k - 1]));
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
        if (auto *button = qobject_cast<QAbstractButton *>(ui.Toolbar1->widgetForAction(a)))
            connect(button, &QAbstractButton::toggled, a, [a](bool checked) {
                if (checked && !a->isChecked())
                    a->setChecked(true);
            });
        ui.Toolbar1_Button[size_t(k)] = a;
    }
    top->addWidget(ui.Toolbar1);
    top->addStretch(1);
    layout->addLayout(top);

    auto *frames = new QHBoxLayout;
    for (int f = 0; f < 4; ++f) {
        auto *frame = new QGroupBox(BlockDigits(f), page);
        frame->setObjectName(indexed(QStringLiteral("Frame_Block"), f));
        auto *grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        grid->setHorizontalSpacing(4);
        for (int r = 0; r < 20; ++r) {
            const int k = f * 20 + r;
            ui.Label1[size_t(k)] = Controls::caption(frame, indexed(QStringLiteral("Label1"), k), QString());
            ui.Label1[size_t(k)]->setMinimumWidth(84);
            ui.Para_Text[size_t(k)] = Controls::valueField(frame, indexed(QStringLiteral("Para_Text"), k),
                                                           QStringLiteral("Value of group channel %1").arg(k + 1), 72);
            Controls::keepPlaceWhenHidden({ui.Para_Text[size_t(k)]});
            grid->addWidget(ui.Label1[size_t(k)], r, 0);
            grid->addWidget(ui.Para_Text[size_t(k)], r, 1);
        }
        grid->setRowStretch(20, 1);
        ui.Frame_Block[size_t(f)] = frame;
        frames->addWidget(frame);
    }
    layout->addLayout(frames, 1);

    ui.Combo1->addItems(DisplayItemListTexts());
    m_selectors.add(ui.Combo1, this, [this] { Combo1_Click(); });
    return page;
}

void FourBlockPage::showGroupBlockNames()
{
    for (int k = 0; k < 4; ++k)
        ui.Frame_Block[size_t(k)]->setTitle(Prefs::blockName(GroupIndex * 4 + k));
}

void FourBlockPage::showGroupChannelNames()
{
    for (int n = 0; n < 80; ++n) {
        const QString name = Prefs::channelName(GroupIndex * 80 + n);
        ui.Label1[size_t(n)]->setText(name);
        ui.Para_Text[size_t(n)]->setAccessibleName(QStringLiteral("Value ") + name);
    }
}

void FourBlockPage::Toolbar1_ButtonClick(int index)
{
    if (index >= 1 && index <= 4)
        GroupIndex = int16_t(index - 1);
    if (GroupIndex >= 0 && GroupIndex < 4)
        ui.Toolbar1_Button[size_t(GroupIndex + 1)]->setChecked(true);
    showGroupBlockNames();
    showGroupChannelNames();
    Combo1_Click();
}

void FourBlockPage::Combo1_Click()
{
    Prefs::set(QStringLiteral("tab0block"), ui.Combo1->currentIndex());
    for (int c = 1; c < 80; c += 2) {
        const int n = GroupIndex * 80 + c;
        const bool connected = ChannelConnected[n] != 0;
        ui.Para_Text[size_t(c - 1)]->setEnabled(connected);
        ui.Para_Text[size_t(c)]->setEnabled(connected);
        ui.Para_Text[size_t(c)]->setVisible(!isHeatCoolPair(n));
    }
}

void FourBlockPage::refresh()
{
    int group = 0;
    int item = 0;
    step([&] { group = GroupIndex; });
    step([&] { item = selectionOf(ui.Combo1); });
    for (int row = 0; row < 80; ++row) {
        const int channel = group * 80 + row;
        step([&] { showValue(need(ui.Para_Text, row), MakeItemText(item, channel), blockStale(m_health, channel)); });
    }
}
