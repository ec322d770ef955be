#include "OneBlockPage.h"

#include "ChangeRules.h"
#include "Controls.h"
#include "Lamp.h"
#include "PageRefresh.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SelectorHandlers.h"
#include "ValueText.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Controls::indexed;
using namespace PLM_INC;
using namespace PageRefresh;

namespace {
constexpr int kValueColumnWidth = 112;
} // namespace

OneBlockPage::OneBlockPage(OneBlockControls &controls, SelectorHandlers &selectors, const LinkHealth &health, QObject *parent)
    : QObject(parent), ui(controls), m_selectors(selectors), m_health(health)
{
}

QWidget *OneBlockPage::build()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page2"));
    auto *layout = new QVBoxLayout(page);

    auto *frame = new QGroupBox(page);
    frame->setObjectName(indexed(QStringLiteral("Frame_Block1"), 3));
    ui.Frame_Block1_3 = frame;
    auto *grid = new QGridLayout(frame);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(4);

    ui.tb2_BName = Controls::selector(frame, QStringLiteral("tb2_BName"), QStringLiteral("Block"));
    ui.tb2_BName->setMinimumContentsLength(12);
    grid->addWidget(ui.tb2_BName, 0, 0);
    for (int i = 0; i < 3; ++i) {
        ui.tb2_Block_P[size_t(i)] = Controls::selector(frame, indexed(QStringLiteral("tb2_Block_P"), i),
                                                    QStringLiteral("Item of value column %1").arg(i + 1));
        // As wide as the column it heads; the open list shows the longest names whole, and the
        // chosen name stands in full in the tool tip.
        ui.tb2_Block_P[size_t(i)]->setMinimumContentsLength(8);
        ui.tb2_Block_P[size_t(i)]->setFixedWidth(kValueColumnWidth);
        ui.tb2_Block_P[size_t(i)]->view()->setMinimumWidth(340);
        QComboBox *list = ui.tb2_Block_P[size_t(i)];
        connect(list, &QComboBox::currentTextChanged, list, [list](const QString &text) { list->setToolTip(text); });
        grid->addWidget(ui.tb2_Block_P[size_t(i)], 0, 3 + i);
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
        ui.tb2_label[i] = Controls::caption(frame, indexed(QStringLiteral("tb2_label"), c), QString());
        ui.tb2_label[i]->setMinimumWidth(84);
        ui.tb2_PV[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_PV"), c), QString(), kValueColumnWidth);
        ui.tb2_SV[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_SV"), c), QString(), kValueColumnWidth);
        ui.tb2_Para1[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_Para1"), c), QString(), kValueColumnWidth);
        ui.tb2_Para2[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_Para2"), c), QString(), kValueColumnWidth);
        ui.tb2_Para3[i] = Controls::valueField(frame, indexed(QStringLiteral("tb2_Para3"), c), QString(), kValueColumnWidth);
        ui.Tab2_Label_CF[i] = Controls::caption(frame, indexed(QStringLiteral("Tab2_Label_CF"), c), QString());
        ui.Tab2_Label_CF[i]->setMinimumWidth(40);
        ui.tb2_OUT[i] = Controls::button(frame, indexed(QStringLiteral("tb2_OUT"), c), QStringLiteral("OFF"));
        ui.tb2_OUT[i]->setFixedWidth(46);
        ui.tb2_staCONT[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staCONT"), c), QString());
        ui.tb2_staA1[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staA1"), c), QString());
        ui.tb2_staA2[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staA2"), c), QString());
        ui.tb2_staHB[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staHB"), c), QString());
        ui.tb2_staLP[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staLP"), c), QString());
        ui.tb2_staSB[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staSB"), c), QString());
        ui.tb2_staAT[i] = Controls::lamp(frame, indexed(QStringLiteral("tb2_staAT"), c), QString());
        Controls::keepPlaceWhenHidden({ui.tb2_PV[i], ui.tb2_SV[i], ui.tb2_Para1[i], ui.tb2_Para2[i], ui.tb2_Para3[i], ui.Tab2_Label_CF[i], ui.tb2_OUT[i],
                                       ui.tb2_staCONT[i], ui.tb2_staA1[i], ui.tb2_staA2[i], ui.tb2_staHB[i], ui.tb2_staLP[i], ui.tb2_staSB[i],
                                       ui.tb2_staAT[i]});
        grid->addWidget(ui.tb2_label[i], row, 0);
        grid->addWidget(ui.tb2_PV[i], row, 1);
        grid->addWidget(ui.tb2_SV[i], row, 2);
        grid->addWidget(ui.tb2_Para1[i], row, 3);
        grid->addWidget(ui.tb2_Para2[i], row, 4);
        grid->addWidget(ui.tb2_Para3[i], row, 5);
        grid->addWidget(ui.Tab2_Label_CF[i], row, 6);
        grid->addWidget(ui.tb2_OUT[i], row, 7, Qt::AlignCenter);
        Lamp *lamps[7] = {ui.tb2_staCONT[i], ui.tb2_staA1[i], ui.tb2_staA2[i], ui.tb2_staHB[i], ui.tb2_staLP[i], ui.tb2_staSB[i], ui.tb2_staAT[i]};
        for (int l = 0; l < 7; ++l)
            grid->addWidget(lamps[l], row, 8 + l, Qt::AlignCenter);
    }
    grid->setRowStretch(22, 1);
    grid->setColumnStretch(15, 1);
    layout->addWidget(frame, 1);

    m_selectors.add(ui.tb2_BName, this, [this] { tb2_BName_Click(); });
    for (int i = 0; i < 3; ++i) {
        ui.tb2_Block_P[size_t(i)]->addItems(DisplayItemListTexts());
        m_selectors.add(ui.tb2_Block_P[size_t(i)], this, [this, i] { tb2_Block_P_Click(i); });
    }
    for (int row = 0; row < kChannelsPerBlock; ++row)
        connect(ui.tb2_OUT[size_t(row)], &QPushButton::clicked, this, [this, row] { tb2_OUT_Click(row); });
    return page;
}

void OneBlockPage::tb2_BName_Click()
{
    Prefs::set(QStringLiteral("tab2name"), ui.tb2_BName->currentIndex());
    layoutRows(ListIndexOrZero(ui.tb2_BName->currentIndex()));
}

void OneBlockPage::tb2_Block_P_Click(int Index)
{
    Prefs::set(QStringLiteral("tab2block") + QString::number(Index), ui.tb2_Block_P[size_t(Index)]->currentIndex());
}

// A pair of channels (c - 1, c), c odd, is decided by the odd channel: not connected disables
// both rows, a heating/cooling pair hides the odd row (its cooling side has no values).
void OneBlockPage::layoutRows(int block)
{
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int n = block * kChannelsPerBlock + c;
        const size_t k = size_t(c);
        const QString name = Prefs::channelName(n);
        const QString output = OutputOnOff[n] == 1 ? QStringLiteral("ON ") : QStringLiteral("OFF");
        ui.tb2_label[k]->setText(name);
        ui.tb2_OUT[k]->setText(output);
        ui.Tab2_Label_CF[k]->setText(unitOf(n));
        ui.tb2_PV[k]->setAccessibleName(QStringLiteral("Process value ") + name);
        ui.tb2_SV[k]->setAccessibleName(QStringLiteral("Main setting value ") + name);
        ui.tb2_Para1[k]->setAccessibleName(QStringLiteral("Column 1 value ") + name);
        ui.tb2_Para2[k]->setAccessibleName(QStringLiteral("Column 2 value ") + name);
        ui.tb2_Para3[k]->setAccessibleName(QStringLiteral("Column 3 value ") + name);
        ui.tb2_OUT[k]->setAccessibleName(QStringLiteral("Control ON/OFF ") + name);
        ui.tb2_staCONT[k]->setAccessibleName(QStringLiteral("Control lamp ") + name);
        ui.tb2_staA1[k]->setAccessibleName(QStringLiteral("Alarm 1 lamp ") + name);
        ui.tb2_staA2[k]->setAccessibleName(QStringLiteral("Alarm 2 lamp ") + name);
        ui.tb2_staHB[k]->setAccessibleName(QStringLiteral("Heater burnout lamp ") + name);
        ui.tb2_staLP[k]->setAccessibleName(QStringLiteral("Loop break lamp ") + name);
        ui.tb2_staSB[k]->setAccessibleName(QStringLiteral("Scale lamp ") + name);
        ui.tb2_staAT[k]->setAccessibleName(QStringLiteral("Auto-tuning lamp ") + name);
    }
    for (int c = 1; c < kChannelsPerBlock; c += 2) {
        const int n = block * kChannelsPerBlock + c;
        const bool connected = ChannelConnected[n] != 0;
        const bool pairHidden = isHeatCoolPair(n);
        for (int row : {c - 1, c}) {
            const size_t k = size_t(row);
            enableAll({ui.tb2_PV[k], ui.tb2_SV[k], ui.tb2_Para1[k], ui.tb2_Para2[k], ui.tb2_Para3[k], ui.tb2_OUT[k], ui.Tab2_Label_CF[k]},
                      connected);
        }
        const size_t k = size_t(c);
        showAll({ui.tb2_PV[k], ui.tb2_SV[k], ui.tb2_Para1[k], ui.tb2_Para2[k], ui.tb2_Para3[k], ui.tb2_OUT[k], ui.Tab2_Label_CF[k],
                 ui.tb2_staCONT[k], ui.tb2_staA1[k], ui.tb2_staA2[k], ui.tb2_staHB[k], ui.tb2_staLP[k], ui.tb2_staSB[k], ui.tb2_staAT[k]},
                !pairHidden);
    }
}

void OneBlockPage::refresh()
{
    std::array<int, 3> items{};
    for (int i = 0; i < 3; ++i)
        step([&] { items[size_t(i)] = selectionOf(need(ui.tb2_Block_P, i)); });
    for (int row = 0; row < kChannelsPerBlock; ++row) {
        int channel = row;
        step([&] { channel = selectionOf(ui.tb2_BName) * 20 + row; });
        const bool stale = blockStale(m_health, channel);
        step([&] { showValue(need(ui.tb2_PV, row), MakeItemText(0, channel), stale); });
        step([&] { showValue(need(ui.tb2_SV, row), MakeItemText(3, channel), stale); });
        step([&] { showValue(need(ui.tb2_Para1, row), MakeItemText(items[0], channel), stale); });
        step([&] { showValue(need(ui.tb2_Para2, row), MakeItemText(items[1], channel), stale); });
        step([&] { showValue(need(ui.tb2_Para3, row), MakeItemText(items[2], channel), stale); });
        step([&] { lampOn(need(ui.tb2_staCONT, row), hasStatus(channel, kStatusControl), Lamp::green()); });
        step([&] { lampOn(need(ui.tb2_staA1, row), hasStatus(channel, kStatusAlarm1), Lamp::red()); });
        step([&] { lampOn(need(ui.tb2_staA2, row), hasStatus(channel, kStatusAlarm2), Lamp::red()); });
        step([&] { lampOn(need(ui.tb2_staSB, row), hasStatus(channel, kStatusOverscale | kStatusUnderscale), Lamp::red()); });
        step([&] { lampOn(need(ui.tb2_staLP, row), hasStatus(channel, kStatusLoopBreak), Lamp::red()); });
        step([&] { lampOn(need(ui.tb2_staHB, row), hasStatus(channel, kStatusHeaterBurnout), Lamp::red()); });
        step([&] { lampOn(need(ui.tb2_staAT, row), hasStatus(channel, kStatusAutoTuning), Lamp::yellow()); });
    }
}

void OneBlockPage::tb2_OUT_Click(int row)
{
    if (ToggleOutputOnMonitorPage(ListIndexOrZero(ui.tb2_BName->currentIndex()) * kChannelsPerBlock + row))
        tb2_BName_Click();
}
