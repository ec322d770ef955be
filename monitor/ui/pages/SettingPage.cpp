#include "SettingPage.h"

#include "Controls.h"
#include "ItemTable.h"
#include "Lamp.h"
#include "PageRefresh.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SelectorHandlers.h"
#include "ValueText.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

using Controls::indexed;
using namespace PLM_INC;
using namespace PageRefresh;

namespace {

constexpr int kRowHeight = 24;
constexpr int kRowSpacing = 1;

QVBoxLayout *rowColumn(QWidget *w)
{
    auto *v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(kRowSpacing);
    return v;
}

// A row of one sub-frame, as high as every other row of the page so the columns line up.
QHBoxLayout *subRow(QVBoxLayout *column, QWidget *frame, const QString &name)
{
    auto *row = new QWidget(frame);
    row->setObjectName(name);
    row->setFixedHeight(kRowHeight);
    auto *h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    column->addWidget(row);
    return h;
}

QToolBar *settingToolbar(QWidget *parent, const QString &name, const QStringList &texts, int firstSettingItem,
                         const std::vector<int> &settingItems, QAction **buttons)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setAccessibleName(QStringLiteral("Setting items"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setStyleSheet(QStringLiteral("QToolButton { padding: 1px 2px; border: 1px solid #a0a0a0; border-radius: 2px; margin: 0px; }"
                                    "QToolButton:checked { background: #2a6fb0; color: white; border-color: #1d4f80; }"));
    for (int i = 0; i < texts.size(); ++i) {
        QAction *a = bar->addAction(texts[i]);
        a->setObjectName(indexed(name + QStringLiteral("_Button"), i + 1));
        a->setCheckable(true); // the chosen setting item stays marked
        const int item = settingItems.empty() ? firstSettingItem + i : settingItems[size_t(i)];
        if (const PLM_INC::ItemInfo *info = PLM_INC::ItemBySetting(item))
            a->setToolTip(info->caption);
        buttons[i + 1] = a;
    }
    return bar;
}

// Setting items whose row value is a choice, shown in the selection field of the row.
bool isSelectionItem(int settingItem)
{
    switch (settingItem) {
    case 14: case 15: case 20: case 21: case 28: case 34: case 35:
        return true;
    default:
        return false;
    }
}

// The note beside a row of the setting page: why the channel cannot take the item, if so.
QString settabilityNote(int settingItem, int channel, int row)
{
    QString note;
    const bool heatCool = (OptionWord[channel] & kOptionHeatCool) != 0;
    if (settingItem == 2 && Alarm1Action[channel] == 0)
        note = QStringLiteral("Unsettable: No alarm action");
    else if (settingItem == 3 && Alarm2Action[channel] == 0)
        note = QStringLiteral("Unsettable: No alarm action");
    else if (settingItem == 4 && (OptionWord[channel] & kOptionHeaterBurnout) == 0)
        note = QStringLiteral("Unsettable:Option HB not applied");
    else if (settingItem >= 25 && settingItem <= 29 && !heatCool)
        note = QStringLiteral("Unsettable:No Heating-Cooling");
    else if (settingItem >= 25 && settingItem <= 29 && row % 2 == 1)
        note = QStringLiteral("Unsettable");
    else if (settingItem >= 32 && settingItem <= 35 && InputType[channel] < 10)
        note = QStringLiteral("Unsettable:Input specification is not correct.");
    if (hasStatus(channel, kStatusAutoTuning))
        note = QStringLiteral("Unsettable: During auto-tuning");
    if (ChannelConnected[channel] == 0)
        note = QStringLiteral("Not connected");
    return note;
}

} // namespace

SettingPage::SettingPage(SettingControls &controls, SelectorHandlers &selectors, QObject *parent)
    : QObject(parent), ui(controls), m_selectors(selectors)
{
}

QWidget *SettingPage::build()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page4"));
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(3);

    ui.Toolbar2 = settingToolbar(page, QStringLiteral("Toolbar2"),
                              {QStringLiteral("SV"), QStringLiteral("AL1"), QStringLiteral("AL2"), QStringLiteral("HB"),
                               QStringLiteral("P"), QStringLiteral("I"), QStringLiteral("D"), QStringLiteral("ARW"),
                               QStringLiteral("CYC"), QStringLiteral("PD"), QStringLiteral("HYS"), QStringLiteral("A1HY"),
                               QStringLiteral("A2HY"), QStringLiteral("A1MD"), QStringLiteral("A2MD"), QStringLiteral("OH"),
                               QStringLiteral("OL"), QStringLiteral("FILT"), QStringLiteral("SO"), QStringLiteral("H/C"),
                               QStringLiteral("C/F"), QStringLiteral("LPT"), QStringLiteral("LPS"), QStringLiteral("OUT/AT")},
                              1, {}, ui.Toolbar2_Button.data());
    ui.Toolbar4 = settingToolbar(page, QStringLiteral("Toolbar4"),
                              {QStringLiteral("C-P"), QStringLiteral("C-CYC"), QStringLiteral("DB"), QStringLiteral("C-MD"),
                               QStringLiteral("C-HYS"), QStringLiteral("SC-H"), QStringLiteral("SC-L"), QStringLiteral("DP"),
                               QStringLiteral("UNIT")},
                              0, {25, 26, 27, 28, 29, 32, 33, 34, 35}, ui.Toolbar4_Button.data());
    ui.Toolbar3 = settingToolbar(page, QStringLiteral("Toolbar3"), {QStringLiteral("LP2T"), QStringLiteral("LP2S")}, 30, {},
                              ui.Toolbar3_Button.data());
    layout->addWidget(ui.Toolbar2);
    auto *second = new QHBoxLayout;
    second->addWidget(ui.Toolbar4);
    second->addSpacing(16);
    second->addWidget(ui.Toolbar3);
    second->addStretch(1);
    second->addWidget(Controls::caption(page, QStringLiteral("tb4_BName_caption"), QStringLiteral("Block")));
    ui.tb4_BName = Controls::selector(page, QStringLiteral("tb4_BName"), QStringLiteral("Block of the setting page"));
    ui.tb4_BName->setMinimumContentsLength(12);
    second->addWidget(ui.tb4_BName);
    layout->addLayout(second);

    ui.Frame_main = new QGroupBox(page);
    ui.Frame_main->setObjectName(QStringLiteral("Frame_main"));
    auto *mainLayout = new QVBoxLayout(ui.Frame_main);
    mainLayout->setSpacing(6);

    for (int half = 0; half < 2; ++half) {
        auto *block = new QWidget(ui.Frame_main);
        block->setObjectName(indexed(QStringLiteral("Frame_main_rows"), half));
        auto *grid = new QGridLayout(block);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(8);

        auto *names = new QWidget(block);
        auto *namesColumn = rowColumn(names);
        auto *notes = new QWidget(block);
        auto *notesColumn = rowColumn(notes);
        std::array<QWidget *, 3> &subs = half == 0 ? ui.Frame_sub1 : ui.Frame_sub2;
        const QString subName = half == 0 ? QStringLiteral("Frame_sub1") : QStringLiteral("Frame_sub2");
        std::array<QVBoxLayout *, 3> subColumns{};
        for (int f = 0; f < 3; ++f) {
            subs[size_t(f)] = new QWidget(block);
            subs[size_t(f)]->setObjectName(indexed(subName, f));
            subColumns[size_t(f)] = rowColumn(subs[size_t(f)]);
            grid->addWidget(subs[size_t(f)], 0, 1, Qt::AlignTop | Qt::AlignLeft);
        }
        for (int r = 0; r < 10; ++r) {
            const int c = half * 10 + r;
            const size_t i = size_t(c);
            ui.label_setdata[i] = Controls::caption(names, indexed(QStringLiteral("label_setdata"), c), QString());
            ui.label_setdata[i]->setFixedHeight(kRowHeight);
            // Both halves as wide as the longest name (12 characters), so their columns line up.
            ui.label_setdata[i]->setFixedWidth(ui.label_setdata[i]->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('W'))) + 6);
            namesColumn->addWidget(ui.label_setdata[i]);

            QHBoxLayout *h0 = subRow(subColumns[0], subs[0], indexed(subName + QStringLiteral("_0_row"), c));
            ui.Setdata_Para[i] = Controls::valueField(subs[0], indexed(QStringLiteral("Setdata_Para"), c), QString(), 90);
            ui.Command_change[i] = Controls::button(subs[0], indexed(QStringLiteral("Command_change"), c), QStringLiteral("Change"));
            h0->addWidget(ui.Setdata_Para[i]);
            h0->addWidget(ui.Command_change[i]);
            h0->addStretch(1);

            QHBoxLayout *h1 = subRow(subColumns[1], subs[1], indexed(subName + QStringLiteral("_1_row"), c));
            ui.Select_comand[i] = Controls::valueField(subs[1], indexed(QStringLiteral("Select_comand"), c), QString(), 270);
            ui.Select_comand[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            ui.Command_change2[i] = Controls::button(subs[1], indexed(QStringLiteral("Command_change2"), c), QStringLiteral("Change"));
            h1->addWidget(ui.Select_comand[i]);
            h1->addWidget(ui.Command_change2[i]);
            h1->addStretch(1);

            QHBoxLayout *h2 = subRow(subColumns[2], subs[2], indexed(subName + QStringLiteral("_2_row"), c));
            ui.Command_OUT[i] = Controls::button(subs[2], indexed(QStringLiteral("Command_OUT"), c), QStringLiteral("Control ON/OFF"));
            ui.Shape_OUT[i] = Controls::lamp(subs[2], indexed(QStringLiteral("Shape_OUT"), c), QString());
            ui.Command_AT[i] = Controls::button(subs[2], indexed(QStringLiteral("Command_AT"), c), QStringLiteral("AT ON/OFF"));
            ui.Shape_AT[i] = Controls::lamp(subs[2], indexed(QStringLiteral("Shape_AT"), c), QString());
            h2->addWidget(ui.Command_OUT[i]);
            h2->addWidget(ui.Shape_OUT[i]);
            h2->addSpacing(12);
            h2->addWidget(ui.Command_AT[i]);
            h2->addWidget(ui.Shape_AT[i]);
            h2->addStretch(1);

            ui.settin_inf[i] = Controls::caption(notes, indexed(QStringLiteral("settin_inf"), c), QString());
            ui.settin_inf[i]->setFixedHeight(kRowHeight);
            ui.settin_inf[i]->setMinimumWidth(300);
            // A hidden note keeps its place, so the notes below stay beside their rows.
            QSizePolicy keepPlace = ui.settin_inf[i]->sizePolicy();
            keepPlace.setRetainSizeWhenHidden(true);
            ui.settin_inf[i]->setSizePolicy(keepPlace);
            notesColumn->addWidget(ui.settin_inf[i]);
        }
        grid->addWidget(names, 0, 0, Qt::AlignTop);
        grid->addWidget(notes, 0, 2, Qt::AlignTop);
        grid->setColumnMinimumWidth(1, 370);
        grid->setColumnStretch(3, 1);
        subs[1]->hide();
        subs[2]->hide();
        mainLayout->addWidget(block);
    }
    mainLayout->addStretch(1);
    layout->addWidget(ui.Frame_main, 1);

    m_selectors.add(ui.tb4_BName, this, [this] { tb4_BName_Click(); });
    return page;
}

// Page 4: each row uses its own channel's connection flag; cooling items hide the rows of
// channels without cooling, and the odd channel of a heating/cooling pair has no settings.
void SettingPage::tb4_BName_Click()
{
    const int block = ListIndexOrZero(ui.tb4_BName->currentIndex());
    const int s = SelectedItem;
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int n = block * kChannelsPerBlock + c;
        const size_t i = size_t(c);
        const QString name = Prefs::channelName(n);
        ui.label_setdata[i]->setText(name);
        ui.Setdata_Para[i]->setAccessibleName(QStringLiteral("Setting value ") + name);
        ui.Command_change[i]->setAccessibleName(QStringLiteral("Change ") + name);
        ui.Select_comand[i]->setAccessibleName(QStringLiteral("Selection ") + name);
        ui.Command_change2[i]->setAccessibleName(QStringLiteral("Change selection ") + name);
        ui.settin_inf[i]->setAccessibleName(QStringLiteral("Note ") + name);
        ui.Command_OUT[i]->setAccessibleName(QStringLiteral("Control ON/OFF ") + name);
        ui.Command_AT[i]->setAccessibleName(QStringLiteral("AT ON/OFF ") + name);
        ui.Shape_OUT[i]->setAccessibleName(QStringLiteral("Control output lamp ") + name);
        ui.Shape_AT[i]->setAccessibleName(QStringLiteral("Auto-tuning lamp ") + name);

        const bool connected = ChannelConnected[n] != 0;
        enableAll({ui.Setdata_Para[i], ui.Command_change[i], ui.Select_comand[i], ui.Command_change2[i], ui.Command_OUT[i], ui.Command_AT[i]},
                   connected);
        const std::initializer_list<QWidget *> nine = {ui.Select_comand[i], ui.Command_change2[i], ui.Setdata_Para[i], ui.Command_change[i],
                                                      ui.settin_inf[i], ui.Command_OUT[i], ui.Command_AT[i], ui.Shape_OUT[i], ui.Shape_AT[i]};
        showAll(nine, true);
        const bool heatCool = isHeatCoolPair(n);
        const bool odd = (c % 2) == 1;
        if (!heatCool && s >= 25 && s <= 29)
            showAll(nine, false);
        else if (heatCool && odd)
            showAll(nine, false);
        if (s == 21 && odd)
            showAll({ui.Select_comand[i], ui.Command_change2[i]}, false);
        if (s >= 32 && s <= 35 && InputType[n] <= 9)
            showAll(nine, false);
    }
}

void SettingPage::refresh()
{
    int base = 0;
    step([&] { base = selectionOf(ui.tb4_BName) * 20; });
    const int s = SelectedItem;
    const ItemInfo *info = (s >= 1 && s <= 35 && s != 21 && s != 24) ? ItemBySetting(s) : nullptr;

    // 1. The item's value in each row.
    if (info) {
        for (int row = 0; row < kChannelsPerBlock; ++row) {
            step([&] {
                const int channel = base + row;
                QString value;
                if (s == 14)
                    value = AlarmTypeName(Alarm1Action[channel]);
                else if (s == 15)
                    value = AlarmTypeName(Alarm2Action[channel]);
                else
                    value = MakeItemText(info->displayItem, channel);
                setText(need(isSelectionItem(s) ? ui.Select_comand : ui.Setdata_Para, row), value);
            });
        }
    }
    // 2. Display unit: the pair shares one, so only the even rows show it.
    if (s == 21) {
        for (int row = 0; row < kChannelsPerBlock; row += 2)
            step([&] {
                setText(need(ui.Select_comand, row),
                        DisplayUnit[base + row] != 0 ? QStringLiteral("deg.F") : QStringLiteral("deg.C"));
            });
    }
    // 3. Control output and auto-tuning lamps.
    if (s == 24) {
        for (int row = 0; row < kChannelsPerBlock; ++row) {
            step([&] { lampOn(need(ui.Shape_OUT, row), hasStatus(base + row, kStatusOutputOn), Lamp::green()); });
            step([&] { lampOn(need(ui.Shape_AT, row), hasStatus(base + row, kStatusAutoTuning), Lamp::yellow()); });
        }
    }
    // 4. Settability notes.
    for (int row = 0; row < kChannelsPerBlock; ++row)
        step([&] { setText(need(ui.settin_inf, row), settabilityNote(s, base + row, row)); });
}
