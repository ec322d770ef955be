#include "OneChannelPage.h"

#include "ChangeRules.h"
#include "Controls.h"
#include "Lamp.h"
#include "MV_BerGraph.h"
#include "PageRefresh.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SelectorHandlers.h"
#include "SettingDialogs.h"
#include "Setting_Disp.h"
#include "ValueText.h"

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

constexpr int kValueWidth = 84;
constexpr int kUnitWidth = 36;

// One "caption value unit" line of a frame; returns the value field. The field is named by
// what it shows (a screen reader says the caption once, then this name and the value).
// The line's caption, value and unit go into columns col .. col + 2, so the lines of two
// sets side by side share their rows.
ValueField *addValueLine(QGridLayout *grid, int row, int col, QWidget *frame, const QString &captionText, const QString &name,
                         const QString &accessible, QLabel *unit = nullptr, const QString &fixedUnit = QString())
{
    QLabel *caption = Controls::caption(frame, name + QStringLiteral("_caption"), captionText);
    grid->addWidget(caption, row, col);
    ValueField *value = Controls::valueField(frame, name, accessible, kValueWidth);
    value->setFixedWidth(kValueWidth);
    caption->setBuddy(value);
    grid->addWidget(value, row, col + 1);
    if (!unit && !fixedUnit.isEmpty())
        unit = Controls::caption(frame, name + QStringLiteral("_unit"), fixedUnit);
    if (unit) {
        unit->setMinimumWidth(kUnitWidth);
        grid->addWidget(unit, row, col + 2);
    }
    return value;
}

// Two sets of lines side by side in one grid: columns 0..2 and 4..6, a gap between.
void twoSets(QGridLayout *grid)
{
    grid->setColumnStretch(3, 0);
    grid->setColumnMinimumWidth(3, 24);
    grid->setColumnStretch(7, 1);
}

MV_BerGraph *makeBarGraph(QWidget *parent, const QString &name, const QString &accessible)
{
    auto *bar = new MV_BerGraph(parent);
    bar->setObjectName(name);
    bar->setAccessibleName(accessible);
    // Both bars one size, with room for the scale and its labels whatever the window size.
    bar->setFixedSize(bar->sizeHint());
    return bar;
}

// The panel of one bar graph: the bar and, right of it and level with it, the lamp of the
// output it shows. Every panel has room for a lamp, so the panels are of one width.
QFrame *barPanel(QWidget *parent, const QString &name, MV_BerGraph *bar, Lamp *lamp)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 6, 0);
    row->setSpacing(6);
    bar->setParent(panel);
    row->addWidget(bar, 0, Qt::AlignTop);
    auto *lampColumn = new QVBoxLayout;
    const int lampSide = 16;
    lampColumn->setContentsMargins(0, qMax(0, bar->frameRect().center().y() - lampSide / 2), 0, 0);
    if (lamp) {
        lamp->setParent(panel);
        lampColumn->addWidget(lamp);
    } else {
        auto *place = new QWidget(panel); // an empty place as big as a lamp
        place->setFixedSize(lampSide, lampSide);
        lampColumn->addWidget(place);
    }
    lampColumn->addStretch(1);
    row->addLayout(lampColumn);
    row->addStretch(1);
    panel->setFixedWidth(panel->sizeHint().width());
    return panel;
}

QGroupBox *newFrame(QWidget *page, int index, const QString &title, QGridLayout **grid)
{
    auto *frame = new QGroupBox(title, page);
    frame->setObjectName(QStringLiteral("Frame%1").arg(index));
    *grid = new QGridLayout(frame);
    (*grid)->setVerticalSpacing(4);
    (*grid)->setHorizontalSpacing(6);
    (*grid)->setColumnStretch(3, 1);
    return frame;
}

} // namespace

OneChannelPage::OneChannelPage(OneChannelControls &controls, SelectorHandlers &selectors, const LinkHealth &health,
                               SettingDialogs &dialogs, QObject *parent)
    : QObject(parent), ui(controls), m_selectors(selectors), m_health(health), m_dialogs(dialogs)
{
}

QWidget *OneChannelPage::build()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page3"));
    auto *layout = new QVBoxLayout(page);

    auto *top = new QHBoxLayout;
    QLabel *channelCaption = Controls::caption(page, QStringLiteral("tb3_CHName_caption"), QStringLiteral("Select channel name"));
    top->addWidget(channelCaption);
    ui.tb3_CHName = Controls::selector(page, QStringLiteral("tb3_CHName"), QStringLiteral("Select channel name"));
    channelCaption->setBuddy(ui.tb3_CHName);
    ui.tb3_CHName->setMinimumContentsLength(12);
    top->addWidget(ui.tb3_CHName);
    top->addStretch(1);
    layout->addLayout(top);

    ui.Label14[0] = Controls::caption(page, indexed(QStringLiteral("Label14"), 0), QStringLiteral("A channel PLM-870 is not connected with."));
    ui.Label14[1] = Controls::caption(page, indexed(QStringLiteral("Label14"), 1),
                                   QStringLiteral("As the PLM-870 of this channel is for the heating-cooling specification,this channel is ineffective."));
    for (QLabel *l : ui.Label14) {
        l->setWordWrap(true);
        l->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #a00000; }"));
        l->hide();
        layout->addWidget(l);
    }

    for (int i = 0; i < 11; ++i) {
        ui.Label_CF[size_t(i)] = Controls::caption(page, indexed(QStringLiteral("Label_CF"), i), QStringLiteral("deg.C"));
        ui.Label_CF[size_t(i)]->setMinimumWidth(40);
    }

    auto *columns = new QGridLayout;
    columns->setHorizontalSpacing(8);
    QGridLayout *g = nullptr;

    // Frame1: control
    ui.Frame[1] = newFrame(page, 1, QStringLiteral("Information of control"), &g);
    g->addWidget(Controls::caption(ui.Frame[1], QStringLiteral("Label11_caption"), QStringLiteral("Input range")), 0, 0);
    ui.Label11 = Controls::stateText(ui.Frame[1], QStringLiteral("Label11"), QStringLiteral("Input range of the channel"));
    g->addWidget(ui.Label11, 0, 1, 1, 4);
    ui.Text_PV = addValueLine(g, 1, 0, ui.Frame[1], QStringLiteral("PV"), QStringLiteral("Text_PV"), QStringLiteral("Process value"), ui.Label_CF[0]);
    ui.Lamp_up = Controls::lamp(ui.Frame[1], QStringLiteral("Lamp_up"), QStringLiteral("Overscale lamp"));
    ui.Lamp_down = Controls::lamp(ui.Frame[1], QStringLiteral("Lamp_down"), QStringLiteral("Underscale lamp"));
    auto *scale = new QHBoxLayout;
    scale->addWidget(ui.Lamp_up);
    scale->addWidget(Controls::caption(ui.Frame[1], QStringLiteral("Lamp_up_caption"), QStringLiteral("Over")));
    scale->addWidget(ui.Lamp_down);
    scale->addWidget(Controls::caption(ui.Frame[1], QStringLiteral("Lamp_down_caption"), QStringLiteral("Under")));
    g->addLayout(scale, 1, 3);
    ui.Text_SV = addValueLine(g, 2, 0, ui.Frame[1], QStringLiteral("SV"), QStringLiteral("Text_SV"), QStringLiteral("Main setting value"), ui.Label_CF[1]);
    ui.Command_1channe_sv = Controls::button(ui.Frame[1], QStringLiteral("Command_1channe_sv"), QStringLiteral("Change"),
                                          QStringLiteral("Change main setting value"));
    g->addWidget(ui.Command_1channe_sv, 2, 3, Qt::AlignLeft);
    ui.Label_HEETCOOL = Controls::stateText(ui.Frame[1], QStringLiteral("Label_HEETCOOL"), QStringLiteral("Control action"), QStringLiteral("Heating(reverse)"));
    ui.Label_OUTOFF = Controls::stateText(ui.Frame[1], QStringLiteral("Label_OUTOFF"), QStringLiteral("Control output"), QStringLiteral("Control output OFF"));
    g->addWidget(ui.Label_HEETCOOL, 3, 0, 1, 2);
    g->addWidget(ui.Label_OUTOFF, 4, 0, 1, 2);
    ui.tb3_OUTOFF = Controls::button(ui.Frame[1], QStringLiteral("tb3_OUTOFF"), QStringLiteral("Control ON/OFF"));
    g->addWidget(ui.tb3_OUTOFF, 4, 3, Qt::AlignLeft);
    ui.Lamp_CONT[0] = Controls::lamp(ui.Frame[1], indexed(QStringLiteral("Lamp_CONT"), 0), QStringLiteral("Control lamp"));
    ui.Lamp_AT = Controls::lamp(ui.Frame[1], QStringLiteral("Lamp_AT"), QStringLiteral("Auto-tuning lamp"));
    auto *lamps = new QHBoxLayout;
    lamps->addWidget(ui.Lamp_CONT[0]);
    lamps->addWidget(Controls::caption(ui.Frame[1], QStringLiteral("Lamp_CONT_0_caption"), QStringLiteral("Control")));
    lamps->addSpacing(12);
    lamps->addWidget(ui.Lamp_AT);
    lamps->addWidget(Controls::caption(ui.Frame[1], QStringLiteral("Lamp_AT_caption"), QStringLiteral("AT")));
    lamps->addStretch(1);
    g->addLayout(lamps, 3, 3);
    columns->addWidget(ui.Frame[1], 0, 0);

    // Frame2: output
    ui.Frame[2] = newFrame(page, 2, QStringLiteral("Information of output manipulating value"), &g);
    ui.Text_MV[0] = addValueLine(g, 0, 0, ui.Frame[2], QStringLiteral("Output"), QStringLiteral("Text_MV_0"), QStringLiteral("Output manipulating value"), nullptr, QStringLiteral("%"));
    ui.MV_BerGraph1 = makeBarGraph(ui.Frame[2], QStringLiteral("MV_BerGraph1"), QStringLiteral("Output bar"));
    QFrame *heatPanel = barPanel(ui.Frame[2], QStringLiteral("MV_panel_1"), ui.MV_BerGraph1, nullptr);
    g->addWidget(heatPanel, 0, 3, Qt::AlignLeft | Qt::AlignTop);
    ui.Text_HLIM = addValueLine(g, 1, 0, ui.Frame[2], QStringLiteral("Output high limit"), QStringLiteral("Text_HLIM"), QStringLiteral("Output high limit value"), nullptr, QStringLiteral("%"));
    ui.Text_LLIM = addValueLine(g, 2, 0, ui.Frame[2], QStringLiteral("Output low limit"), QStringLiteral("Text_LLIM"), QStringLiteral("Output low limit value"), nullptr, QStringLiteral("%"));
    ui.Label58 = Controls::caption(ui.Frame[2], QStringLiteral("Label58"), QStringLiteral("Cooling output manipulating value"));
    g->addWidget(ui.Label58, 3, 0);
    ui.Text_MV[1] = Controls::valueField(ui.Frame[2], QStringLiteral("Text_MV_1"), QStringLiteral("Cooling output value"), 84);
    ui.Label58->setBuddy(ui.Text_MV[1]);
    g->addWidget(ui.Text_MV[1], 3, 1);
    ui.Label59 = Controls::caption(ui.Frame[2], QStringLiteral("Label59"), QStringLiteral("%"));
    g->addWidget(ui.Label59, 3, 2);
    ui.Lamp_CONT[1] = Controls::lamp(ui.Frame[2], indexed(QStringLiteral("Lamp_CONT"), 1), QStringLiteral("Cooling control lamp"));
    ui.MV_BerGraph2 = makeBarGraph(ui.Frame[2], QStringLiteral("MV_BerGraph2"), QStringLiteral("Cooling output bar"));
    QFrame *coolPanel = barPanel(ui.Frame[2], QStringLiteral("MV_panel_2"), ui.MV_BerGraph2, ui.Lamp_CONT[1]);
    g->addWidget(coolPanel, 3, 3, Qt::AlignLeft | Qt::AlignTop);
    g->setColumnStretch(3, 0);
    g->setColumnStretch(4, 1);
    for (QWidget *w : {static_cast<QWidget *>(ui.Label58), static_cast<QWidget *>(ui.Label59), static_cast<QWidget *>(ui.Text_MV[1]),
                       static_cast<QWidget *>(ui.Lamp_CONT[1]), static_cast<QWidget *>(ui.MV_BerGraph2)})
        w->hide();
    coolPanel->hide(); // shown with its bar by the page refresh
    columns->addWidget(ui.Frame[2], 0, 1);

    // Frame3, Frame4: alarms
    auto alarmFrame = [&](int index, const QString &title, QLabel *&value, QLabel *&hys, QLabel *&act, Lamp *&lamp,
                          QLabel *unit, QLabel *hysUnit, const QString &n) {
        const QString subject = index == 3 ? QStringLiteral("Alarm 1") : QStringLiteral("Alarm 2");
        ui.Frame[size_t(index)] = newFrame(page, index, title, &g);
        value = addValueLine(g, 0, 0, ui.Frame[size_t(index)], QStringLiteral("Setting"), QStringLiteral("Text_") + n, subject + QStringLiteral(" setting value"), unit);
        hys = addValueLine(g, 1, 0, ui.Frame[size_t(index)], QStringLiteral("Hysteresis"), QStringLiteral("Text_") + n + QStringLiteral("HYS"),
                           subject + QStringLiteral(" hysteresis value"), hysUnit);
        g->addWidget(Controls::caption(ui.Frame[size_t(index)], QStringLiteral("Text_") + n + QStringLiteral("ACT_caption"), QStringLiteral("Action")), 2, 0);
        act = Controls::stateText(ui.Frame[size_t(index)], QStringLiteral("Text_") + n + QStringLiteral("ACT"), subject + QStringLiteral(" action"));
        g->addWidget(act, 2, 1, 1, 3);
        lamp = Controls::lamp(ui.Frame[size_t(index)], QStringLiteral("Lamp_") + n, title + QStringLiteral(" lamp"));
        g->addWidget(lamp, 0, 3, Qt::AlignLeft);
    };
    alarmFrame(3, QStringLiteral("Information of alarm 1"), ui.Text_A1, ui.Text_A1HYS, ui.Text_A1ACT, ui.Lamp_A1, ui.Label_CF[2], ui.Label_CF[3], QStringLiteral("A1"));
    columns->addWidget(ui.Frame[3], 1, 0);
    alarmFrame(4, QStringLiteral("Information of alarm 2"), ui.Text_A2, ui.Text_A2HYS, ui.Text_A2ACT, ui.Lamp_A2, ui.Label_CF[4], ui.Label_CF[5], QStringLiteral("A2"));
    columns->addWidget(ui.Frame[4], 1, 1);

    // Frame5: heater burnout
    ui.Frame[5] = newFrame(page, 5, QStringLiteral("Information of HB alarm"), &g);
    ui.Text_MHB = addValueLine(g, 0, 0, ui.Frame[5], QStringLiteral("Heater current"), QStringLiteral("Text_MHB"), QStringLiteral("Heater current value"), nullptr, QStringLiteral("A"));
    ui.Text_SHB = addValueLine(g, 1, 0, ui.Frame[5], QStringLiteral("HB alarm setting"), QStringLiteral("Text_SHB"), QStringLiteral("Heater burnout alarm setting value"), nullptr, QStringLiteral("A"));
    ui.Lamp_HB = Controls::lamp(ui.Frame[5], QStringLiteral("Lamp_HB"), QStringLiteral("Heater burnout alarm lamp"));
    g->addWidget(ui.Lamp_HB, 0, 3, Qt::AlignLeft);
    columns->addWidget(ui.Frame[5], 2, 0);

    // Frame6: loop break
    ui.Frame[6] = newFrame(page, 6, QStringLiteral("Information of loop break alarm"), &g);
    ui.Text_LPTIM = addValueLine(g, 0, 0, ui.Frame[6], QStringLiteral("Time"), QStringLiteral("Text_LPTIM"), QStringLiteral("Loop break alarm time value"), nullptr, QStringLiteral("min"));
    ui.Text_LPHYS = addValueLine(g, 1, 0, ui.Frame[6], QStringLiteral("Action span"), QStringLiteral("Text_LPHYS"), QStringLiteral("Loop break alarm action span value"), ui.Label_CF[6]);
    ui.Lamp_LP = Controls::lamp(ui.Frame[6], QStringLiteral("Lamp_LP"), QStringLiteral("Loop break alarm lamp"));
    g->addWidget(ui.Lamp_LP, 0, 3, Qt::AlignLeft);
    columns->addWidget(ui.Frame[6], 2, 1);

    // Frame7: other settings, two columns of lines
    ui.Frame[7] = newFrame(page, 7, QStringLiteral("Other informations"), &g);
    twoSets(g);
    {
        ui.Text_P = addValueLine(g, 0, 0, ui.Frame[7], QStringLiteral("Proportional band"), QStringLiteral("Text_P"), QStringLiteral("Proportional band value"), nullptr, QStringLiteral("%"));
        ui.Text_I = addValueLine(g, 1, 0, ui.Frame[7], QStringLiteral("Integral time"), QStringLiteral("Text_I"), QStringLiteral("Integral time value"), nullptr, QStringLiteral("sec"));
        ui.Text_D = addValueLine(g, 2, 0, ui.Frame[7], QStringLiteral("Derivative time"), QStringLiteral("Text_D"), QStringLiteral("Derivative time value"), nullptr, QStringLiteral("sec"));
        ui.Text_ARW = addValueLine(g, 3, 0, ui.Frame[7], QStringLiteral("Anti-reset windup"), QStringLiteral("Text_ARW"), QStringLiteral("Anti-reset windup value"), nullptr, QStringLiteral("%"));
        ui.Text_CYC = addValueLine(g, 4, 0, ui.Frame[7], QStringLiteral("Proportional cycle"), QStringLiteral("Text_CYC"), QStringLiteral("Proportional cycle value"), nullptr, QStringLiteral("sec"));
        ui.Text_PD = addValueLine(g, 0, 4, ui.Frame[7], QStringLiteral("PD-reset"), QStringLiteral("Text_PD"), QStringLiteral("PD-reset value"), ui.Label_CF[7]);
        ui.Text_HYS = addValueLine(g, 1, 4, ui.Frame[7], QStringLiteral("ON/OFF hysteresis"), QStringLiteral("Text_HYS"), QStringLiteral("ON/OFF hysteresis value"), ui.Label_CF[8]);
        ui.Text_FILT = addValueLine(g, 2, 4, ui.Frame[7], QStringLiteral("PV filter time"), QStringLiteral("Text_FILT"), QStringLiteral("PV filter time value"), nullptr, QStringLiteral("sec"));
        ui.Text_SO = addValueLine(g, 3, 4, ui.Frame[7], QStringLiteral("Sensor correction"), QStringLiteral("Text_SO"), QStringLiteral("Sensor correction value"), ui.Label_CF[9]);
    }
    g->setRowStretch(5, 1);
    columns->addWidget(ui.Frame[7], 3, 0);

    // Frame8: cooling settings
    ui.Frame[8] = newFrame(page, 8, QStringLiteral("Infomation of cooling output"), &g);
    twoSets(g);
    {
        ui.Cool[0] = addValueLine(g, 0, 0, ui.Frame[8], QStringLiteral("Proportional band"), QStringLiteral("Cool_0"), QStringLiteral("Cooling proportional band value"), nullptr, QStringLiteral("%"));
        ui.Cool[1] = addValueLine(g, 1, 0, ui.Frame[8], QStringLiteral("Proportional cycle"), QStringLiteral("Cool_1"), QStringLiteral("Cooling proportional cycle value"), nullptr, QStringLiteral("sec"));
        ui.Cool[2] = addValueLine(g, 2, 0, ui.Frame[8], QStringLiteral("Cooling action mode"), QStringLiteral("Cool_2"), QStringLiteral("Cooling action mode value"));
        ui.Cool[3] = addValueLine(g, 0, 4, ui.Frame[8], QStringLiteral("Overlap/Dead band"), QStringLiteral("Cool_3"), QStringLiteral("Overlap/Dead band value"), ui.Label_CF[10]);
        ui.Cool[4] = addValueLine(g, 1, 4, ui.Frame[8], QStringLiteral("ON/OFF hysteresis"), QStringLiteral("Cool_4"), QStringLiteral("Cooling ON/OFF hysteresis value"));
    }
    g->setRowStretch(5, 1); // lines at the top, level with those of the other settings
    ui.Frame[8]->hide();
    // Beside the other settings, so the page fits the window's default height.
    columns->addWidget(ui.Frame[8], 3, 1);

    layout->addLayout(columns);
    layout->addStretch(1);

    m_selectors.add(ui.tb3_CHName, this, [this] { tb3_CHName_Click(); });
    connect(ui.Command_1channe_sv, &QPushButton::clicked, this, &OneChannelPage::Command_1channe_sv_Click);
    connect(ui.tb3_OUTOFF, &QPushButton::clicked, this, &OneChannelPage::tb3_OUTOFF_Click);
    return page;
}

void OneChannelPage::tb3_CHName_Click()
{
    Prefs::set(QStringLiteral("tab3name"), ui.tb3_CHName->currentIndex());
}

void OneChannelPage::Command_1channe_sv_Click()
{
    const int channel = ListIndexOrZero(ui.tb3_CHName->currentIndex());
    if (!MainSettingEditorOpens(channel))
        return;
    m_dialogs.settingDialog().openFor(1, channel, ui.Text_SV->text());
}

void OneChannelPage::tb3_OUTOFF_Click()
{
    ToggleOutputOnMonitorPage(ListIndexOrZero(ui.tb3_CHName->currentIndex()));
}

void OneChannelPage::refresh()
{
    int ch = 0;
    step([&] { ch = selectionOf(ui.tb3_CHName); });
    const auto text = [&ch](int item) { return MakeItemText(item, ch); };

    // 1. Frames and the two messages. Shown frames cover both messages. The heater burnout
    // frame is decided by the option alone. Each frame is set once: showing a frame and hiding
    // it again in one refresh would lay out and repaint the page every time.
    step([&] {
        const bool connected = ChannelConnected[ch] != 0;
        const bool ineffective = connected && (OptionWord[ch] & kOptionHeatCool) != 0 && ch % 2 == 1;
        const bool hb = (OptionWord[ch] & kOptionHeaterBurnout) != 0;
        for (int f = 1; f <= 7; ++f)
            step([&] { showIf(need(ui.Frame, f), f == 5 ? hb : connected && !ineffective); });
        step([&] { showIf(need(ui.Label14, 0), !connected); });
        step([&] { showIf(need(ui.Label14, 1), ineffective); });
    });
    // 2. Unit labels.
    for (int i = 0; i <= 10; ++i)
        step([&] { setText(need(ui.Label_CF, i), unitOf(ch)); });
    // 3. Range, PV, SV, scale lamps.
    step([&] { setText(ui.Label11, MakeRange(ch)); });
    const bool stale = blockStale(m_health, ch);
    step([&] { showValue(ui.Text_PV, text(0), stale); });
    step([&] { showValue(ui.Text_SV, text(3), stale); });
    step([&] { lampOn(ui.Lamp_up, hasStatus(ch, kStatusOverscale), Lamp::red()); });
    step([&] { lampOn(ui.Lamp_down, hasStatus(ch, kStatusUnderscale), Lamp::red()); });
    // 4. Output.
    step([&] { showValue(need(ui.Text_MV, 0), text(1), stale); });
    step([&] { need(ui.MV_BerGraph1)->setMvValue(OutputValue[ch]); });
    step([&] { setText(ui.Text_HLIM, text(18)); });
    step([&] { setText(ui.Text_LLIM, text(19)); });
    // 5. Control state.
    step([&] {
        setText(ui.Label_HEETCOOL, HeatCoolAction[ch] != 0 ? QStringLiteral("Cooling(direct)") : QStringLiteral("Heating(reverse)"));
    });
    step([&] {
        setText(ui.Label_OUTOFF, hasStatus(ch, kStatusOutputOn) ? QStringLiteral("Control output ON") : QStringLiteral("Control output OFF"));
    });
    step([&] { lampOn(need(ui.Lamp_CONT, 0), hasStatus(ch, kStatusControl), Lamp::green()); });
    step([&] { lampOn(ui.Lamp_AT, hasStatus(ch, kStatusAutoTuning), Lamp::yellow()); });
    // 6. Cooling output of a heating/cooling pair: the odd partner's output and control bit.
    step([&] {
        const bool cooling = (OptionWord[ch] & kOptionHeatCool) != 0;
        step([&] { showIf(ui.Label58, cooling); });
        step([&] { showIf(ui.Label59, cooling); });
        step([&] { showIf(need(ui.Text_MV, 1), cooling); });
        step([&] { showIf(need(ui.Lamp_CONT, 1), cooling); });
        step([&] { showIf(ui.MV_BerGraph2, cooling); });
        step([&] { showIf(need(ui.MV_BerGraph2)->parentWidget(), cooling); }); // the bar's panel
        step([&] { need(ui.Text_MV, 1)->setStale(stale); });
        if (!cooling)
            return;
        step([&] { showValue(need(ui.Text_MV, 1), MakeItemText(1, ch + 1), stale); });
        step([&] { lampOn(need(ui.Lamp_CONT, 1), hasStatus(ch + 1, kStatusControl), Lamp::yellow()); });
        step([&] { need(ui.MV_BerGraph2)->setMvColor(Lamp::yellow()); });
        step([&] { need(ui.MV_BerGraph2)->setMvValue(OutputValue[ch + 1]); });
    });
    // 7. Alarms.
    step([&] { setText(ui.Text_A1, text(4)); });
    step([&] { setText(ui.Text_A1HYS, text(14)); });
    step([&] { setText(ui.Text_A1ACT, AlarmTypeName(Alarm1Action[ch])); });
    step([&] { lampOn(ui.Lamp_A1, hasStatus(ch, kStatusAlarm1), Lamp::red()); });
    step([&] { setText(ui.Text_A2, text(5)); });
    step([&] { setText(ui.Text_A2HYS, text(15)); });
    step([&] { setText(ui.Text_A2ACT, AlarmTypeName(Alarm2Action[ch])); });
    step([&] { lampOn(ui.Lamp_A2, hasStatus(ch, kStatusAlarm2), Lamp::red()); });
    // 8. Heater burnout (its frame is set in 1).
    step([&] {
        if ((OptionWord[ch] & kOptionHeaterBurnout) == 0)
            return;
        step([&] { setText(ui.Text_MHB, text(2)); });
        step([&] { setText(ui.Text_SHB, text(6)); });
        step([&] { lampOn(ui.Lamp_HB, hasStatus(ch, kStatusHeaterBurnout), Lamp::red()); });
    });
    // 9. Loop break.
    step([&] { setText(ui.Text_LPTIM, text(24)); });
    step([&] { setText(ui.Text_LPHYS, text(25)); });
    step([&] { lampOn(ui.Lamp_LP, hasStatus(ch, kStatusLoopBreak), Lamp::red()); });
    // 10. Other settings.
    const std::pair<QLabel *, int> others[] = {{ui.Text_P, 7},    {ui.Text_I, 8},   {ui.Text_D, 9},
                                               {ui.Text_ARW, 10}, {ui.Text_CYC, 11}, {ui.Text_PD, 12},
                                               {ui.Text_HYS, 13}, {ui.Text_FILT, 20}, {ui.Text_SO, 21}};
    for (const auto &field : others)
        step([&] { setText(field.first, text(field.second)); });
    // 11. Cooling settings, on the even (controlling) channel of a pair only.
    step([&] {
        const bool coolingSettings = (OptionWord[ch] & kOptionHeatCool) != 0 && ch % 2 == 0;
        showIf(need(ui.Frame, 8), coolingSettings);
        if (!coolingSettings)
            return;
        const int coolItems[5] = {26, 27, 29, 28, 30};
        for (int i = 0; i < 5; ++i)
            step([&] { setText(need(ui.Cool, i), text(coolItems[i])); });
    });
}
