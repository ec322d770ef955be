#include "TwoBlockPage.h"

#include "ChangeRules.h"
#include "Controls.h"
#include "Lamp.h"
#include "PageRefresh.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SelectorHandlers.h"
#include "ValueText.h"

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
using namespace PLM_INC;
using namespace PageRefresh;

TwoBlockPage::TwoBlockPage(TwoBlockControls &controls, SelectorHandlers &selectors, const LinkHealth &health, QObject *parent)
    : QObject(parent), ui(controls), m_selectors(selectors), m_health(health)
{
}

QWidget *TwoBlockPage::build()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page1"));
    auto *layout = new QVBoxLayout(page);

    ui.Frame_A3select = new QGroupBox(QStringLiteral("A3 select"), page);
    ui.Frame_A3select->setObjectName(QStringLiteral("Frame_A3select"));
    auto *a3 = new QHBoxLayout(ui.Frame_A3select);
    a3->setContentsMargins(8, 2, 8, 2);
    ui.Option1 = new QRadioButton(QStringLiteral("HB"), ui.Frame_A3select);
    ui.Option2 = new QRadioButton(QStringLiteral("LP"), ui.Frame_A3select);
    ui.Option3 = new QRadioButton(QStringLiteral("SB"), ui.Frame_A3select);
    ui.Option1->setObjectName(QStringLiteral("Option1"));
    ui.Option2->setObjectName(QStringLiteral("Option2"));
    ui.Option3->setObjectName(QStringLiteral("Option3"));
    ui.Option1->setAccessibleName(QStringLiteral("Third lamp shows heater burnout alarm"));
    ui.Option2->setAccessibleName(QStringLiteral("Third lamp shows loop break alarm"));
    ui.Option3->setAccessibleName(QStringLiteral("Third lamp shows over or under scale"));
    auto *group = new QButtonGroup(ui.Frame_A3select);
    for (QRadioButton *o : {ui.Option1, ui.Option2, ui.Option3}) {
        group->addButton(o);
        a3->addWidget(o);
    }
    auto *top = new QHBoxLayout;
    top->addWidget(ui.Frame_A3select);
    top->addStretch(1);
    layout->addLayout(top);

    auto *halves = new QHBoxLayout;
    for (int h = 0; h < 2; ++h) {
        auto *frame = new QGroupBox(page);
        frame->setObjectName(indexed(QStringLiteral("Frame_Block1"), h));
        ui.Frame_Block1[size_t(h)] = frame;
        auto *grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        grid->setHorizontalSpacing(4);

        ui.tb1_BName[size_t(h)] = Controls::selector(frame, indexed(QStringLiteral("tb1_BName"), h),
                                                  h == 0 ? QStringLiteral("Left block") : QStringLiteral("Right block"));
        ui.tb1_BName[size_t(h)]->setMinimumContentsLength(12);
        ui.tb1_Block_P[size_t(h)] = Controls::selector(frame, indexed(QStringLiteral("tb1_Block_P"), h),
                                                    h == 0 ? QStringLiteral("Left block item") : QStringLiteral("Right block item"));
        ui.tb1_Block_P[size_t(h)]->setMinimumContentsLength(18);
        grid->addWidget(ui.tb1_BName[size_t(h)], 0, 0, 1, 2);
        grid->addWidget(ui.tb1_Block_P[size_t(h)], 0, 2, 1, 6);

        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb1_head_PV"), h), QStringLiteral("PV")), 1, 1, Qt::AlignCenter);
        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb1_head_CONT"), h), QStringLiteral("Control ON/OFF")), 1, 3, 1, 2, Qt::AlignCenter);
        grid->addWidget(Controls::caption(frame, indexed(QStringLiteral("tb1_head_ALM"), h), QStringLiteral("Alarm status")), 1, 5, 1, 3, Qt::AlignCenter);

        for (int c = 0; c < 20; ++c) {
            const int k = 20 * h + c;
            const size_t i = size_t(k);
            const int row = c + 2;
            ui.tb1_label[i] = Controls::caption(frame, indexed(QStringLiteral("tb1_label"), k), QString());
            ui.tb1_label[i]->setMinimumWidth(84);
            ui.tb1_PV[i] = Controls::valueField(frame, indexed(QStringLiteral("tb1_PV"), k), QString(), 62);
            ui.tb1_Para[i] = Controls::valueField(frame, indexed(QStringLiteral("tb1_Para"), k), QString(), 62);
            QLabel *unit = Controls::caption(frame, indexed(h == 0 ? QStringLiteral("Tab1_Label_CF1") : QStringLiteral("Tab1_Label_CF2"), c), QString());
            unit->setMinimumWidth(40);
            (h == 0 ? ui.Tab1_Label_CF1 : ui.Tab1_Label_CF2)[size_t(c)] = unit;
            ui.Comm_OUT[i] = Controls::button(frame, indexed(QStringLiteral("Comm_OUT"), k), QStringLiteral("OFF"));
            ui.Comm_OUT[i]->setFixedWidth(46);
            ui.tb1_staA1[i] = Controls::lamp(frame, indexed(QStringLiteral("tb1_staA1"), k), QString());
            ui.tb1_staA2[i] = Controls::lamp(frame, indexed(QStringLiteral("tb1_staA2"), k), QString());
            ui.tb1_staA3[i] = Controls::lamp(frame, indexed(QStringLiteral("tb1_staA3"), k), QString());
            Controls::keepPlaceWhenHidden({ui.tb1_PV[i], ui.tb1_Para[i], unit, ui.Comm_OUT[i], ui.tb1_staA1[i], ui.tb1_staA2[i], ui.tb1_staA3[i]});
            grid->addWidget(ui.tb1_label[i], row, 0);
            grid->addWidget(ui.tb1_PV[i], row, 1);
            grid->addWidget(ui.tb1_Para[i], row, 2);
            grid->addWidget(unit, row, 3);
            grid->addWidget(ui.Comm_OUT[i], row, 4);
            grid->addWidget(ui.tb1_staA1[i], row, 5, Qt::AlignCenter);
            grid->addWidget(ui.tb1_staA2[i], row, 6, Qt::AlignCenter);
            grid->addWidget(ui.tb1_staA3[i], row, 7, Qt::AlignCenter);
        }
        grid->setRowStretch(22, 1);
        halves->addWidget(frame);
    }
    layout->addLayout(halves, 1);

    for (int i = 0; i < 2; ++i) {
        ui.tb1_Block_P[size_t(i)]->addItems(DisplayItemListTexts());
        m_selectors.add(ui.tb1_BName[size_t(i)], this, [this, i] { tb1_BName_Click(i); });
        m_selectors.add(ui.tb1_Block_P[size_t(i)], this, [this, i] { tb1_Block_P_Click(i); });
    }
    for (int k = 0; k < 2 * kChannelsPerBlock; ++k)
        connect(ui.Comm_OUT[size_t(k)], &QPushButton::clicked, this, [this, k] { Comm_OUT_Click(k); });
    return page;
}

void TwoBlockPage::tb1_BName_Click(int Index)
{
    Prefs::set(QStringLiteral("tab1name") + QString::number(Index), ui.tb1_BName[size_t(Index)]->currentIndex());
    layoutRows(ListIndexOrZero(ui.tb1_BName[size_t(Index)]->currentIndex()), 20 * Index);
}

void TwoBlockPage::tb1_Block_P_Click(int Index)
{
    Prefs::set(QStringLiteral("tab1block") + QString::number(Index), ui.tb1_Block_P[size_t(Index)]->currentIndex());
}

// A pair of channels (c - 1, c), c odd, is decided by the odd channel: not connected disables
// both rows, a heating/cooling pair hides the odd row (its cooling side has no values).
void TwoBlockPage::layoutRows(int block, int rowOffset)
{
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int n = block * kChannelsPerBlock + c;
        const size_t k = size_t(rowOffset + c);
        const QString name = Prefs::channelName(n);
        const QString output = OutputOnOff[n] == 1 ? QStringLiteral("ON ") : QStringLiteral("OFF");
        ui.tb1_label[k]->setText(name);
        ui.Comm_OUT[k]->setText(output);
        ui.tb1UnitLabel(int(k))->setText(unitOf(n));
        ui.tb1_PV[k]->setAccessibleName(QStringLiteral("Process value ") + name);
        ui.tb1_Para[k]->setAccessibleName(QStringLiteral("Item value ") + name);
        ui.Comm_OUT[k]->setAccessibleName(QStringLiteral("Control ON/OFF ") + name);
        ui.tb1_staA1[k]->setAccessibleName(QStringLiteral("Alarm 1 lamp ") + name);
        ui.tb1_staA2[k]->setAccessibleName(QStringLiteral("Alarm 2 lamp ") + name);
        ui.tb1_staA3[k]->setAccessibleName(QStringLiteral("Third alarm lamp ") + name);
    }
    for (int c = 1; c < kChannelsPerBlock; c += 2) {
        const int n = block * kChannelsPerBlock + c;
        const bool connected = ChannelConnected[n] != 0;
        const bool pairHidden = isHeatCoolPair(n);
        for (int row : {rowOffset + c - 1, rowOffset + c}) {
            const size_t k = size_t(row);
            enableAll({ui.tb1_PV[k], ui.tb1_Para[k], ui.Comm_OUT[k], ui.tb1UnitLabel(row)}, connected);
        }
        const size_t k = size_t(rowOffset + c);
        showAll({ui.tb1_PV[k], ui.tb1_Para[k], ui.Comm_OUT[k], ui.tb1UnitLabel(rowOffset + c), ui.tb1_staA1[k], ui.tb1_staA2[k],
                 ui.tb1_staA3[k]},
                !pairHidden);
    }
}

void TwoBlockPage::refresh()
{
    // Which state the third lamp shows, "SB" before "LP" before "HB"; none keeps its colour.
    int thirdLampBits = 0;
    step([&] {
        if (need(ui.Option3)->isChecked())
            thirdLampBits = kStatusOverscale | kStatusUnderscale;
        else if (need(ui.Option2)->isChecked())
            thirdLampBits = kStatusLoopBreak;
        else if (need(ui.Option1)->isChecked())
            thirdLampBits = kStatusHeaterBurnout;
    });
    for (int row = 0; row < kChannelsPerBlock; ++row) {
        for (int h = 0; h < 2; ++h) {
            const int k = row + 20 * h;
            int channel = row;
            int item = 0;
            step([&] { channel = selectionOf(need(ui.tb1_BName, h)) * 20 + row; });
            step([&] { item = selectionOf(need(ui.tb1_Block_P, h)); });
            const bool stale = blockStale(m_health, channel);
            step([&] { showValue(need(ui.tb1_PV, k), MakeItemText(0, channel), stale); });
            step([&] { showValue(need(ui.tb1_Para, k), MakeItemText(item, channel), stale); });
            step([&] { lampOn(need(ui.tb1_staA1, k), hasStatus(channel, kStatusAlarm1), Lamp::red()); });
            step([&] { lampOn(need(ui.tb1_staA2, k), hasStatus(channel, kStatusAlarm2), Lamp::red()); });
            if (thirdLampBits != 0)
                step([&] { lampOn(need(ui.tb1_staA3, k), hasStatus(channel, thirdLampBits), Lamp::red()); });
        }
    }
}

void TwoBlockPage::Comm_OUT_Click(int k)
{
    const int half = k < kChannelsPerBlock ? 0 : 1;
    const int block = ListIndexOrZero(ui.tb1_BName[size_t(half)]->currentIndex());
    if (ToggleOutputOnMonitorPage(block * kChannelsPerBlock + k - kChannelsPerBlock * half)) {
        tb1_BName_Click(0);
        tb1_BName_Click(1);
    }
}
