// Page 3 "1 Channel Disp": everything about one channel, in eight frames.
#include "Controls.h"
#include "Lamp.h"
#include "MainDisp.h"
#include "MV_BerGraph.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Controls::indexed;

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

QWidget *MainDisp::buildPage3OneChannel()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page3"));
    auto *layout = new QVBoxLayout(page);

    auto *top = new QHBoxLayout;
    QLabel *channelCaption = Controls::caption(page, QStringLiteral("tb3_CHName_caption"), QStringLiteral("Select channel name"));
    top->addWidget(channelCaption);
    tb3_CHName = Controls::selector(page, QStringLiteral("tb3_CHName"), QStringLiteral("Select channel name"));
    channelCaption->setBuddy(tb3_CHName);
    tb3_CHName->setMinimumContentsLength(12);
    top->addWidget(tb3_CHName);
    top->addStretch(1);
    layout->addLayout(top);

    Label14[0] = Controls::caption(page, indexed(QStringLiteral("Label14"), 0), QStringLiteral("A channel PLM-870 is not connected with."));
    Label14[1] = Controls::caption(page, indexed(QStringLiteral("Label14"), 1),
                                   QStringLiteral("As the PLM-870 of this channel is for the heating-cooling specification,this channel is ineffective."));
    for (QLabel *l : Label14) {
        l->setWordWrap(true);
        l->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #a00000; }"));
        l->hide();
        layout->addWidget(l);
    }

    for (int i = 0; i < 11; ++i) {
        Label_CF[size_t(i)] = Controls::caption(page, indexed(QStringLiteral("Label_CF"), i), QStringLiteral("deg.C"));
        Label_CF[size_t(i)]->setMinimumWidth(40);
    }

    auto *columns = new QGridLayout;
    columns->setHorizontalSpacing(8);
    QGridLayout *g = nullptr;

    // Frame1: control
    Frame[1] = newFrame(page, 1, QStringLiteral("Information of control"), &g);
    g->addWidget(Controls::caption(Frame[1], QStringLiteral("Label11_caption"), QStringLiteral("Input range")), 0, 0);
    Label11 = Controls::stateText(Frame[1], QStringLiteral("Label11"), QStringLiteral("Input range of the channel"));
    g->addWidget(Label11, 0, 1, 1, 4);
    Text_PV = addValueLine(g, 1, 0, Frame[1], QStringLiteral("PV"), QStringLiteral("Text_PV"), QStringLiteral("Process value"), Label_CF[0]);
    Lamp_up = Controls::lamp(Frame[1], QStringLiteral("Lamp_up"), QStringLiteral("Overscale lamp"));
    Lamp_down = Controls::lamp(Frame[1], QStringLiteral("Lamp_down"), QStringLiteral("Underscale lamp"));
    auto *scale = new QHBoxLayout;
    scale->addWidget(Lamp_up);
    scale->addWidget(Controls::caption(Frame[1], QStringLiteral("Lamp_up_caption"), QStringLiteral("Over")));
    scale->addWidget(Lamp_down);
    scale->addWidget(Controls::caption(Frame[1], QStringLiteral("Lamp_down_caption"), QStringLiteral("Under")));
    g->addLayout(scale, 1, 3);
    Text_SV = addValueLine(g, 2, 0, Frame[1], QStringLiteral("SV"), QStringLiteral("Text_SV"), QStringLiteral("Main setting value"), Label_CF[1]);
    Command_1channe_sv = Controls::button(Frame[1], QStringLiteral("Command_1channe_sv"), QStringLiteral("Change"),
                                          QStringLiteral("Change main setting value"));
    g->addWidget(Command_1channe_sv, 2, 3, Qt::AlignLeft);
    Label_HEETCOOL = Controls::stateText(Frame[1], QStringLiteral("Label_HEETCOOL"), QStringLiteral("Control action"), QStringLiteral("Heating(reverse)"));
    Label_OUTOFF = Controls::stateText(Frame[1], QStringLiteral("Label_OUTOFF"), QStringLiteral("Control output"), QStringLiteral("Control output OFF"));
    g->addWidget(Label_HEETCOOL, 3, 0, 1, 2);
    g->addWidget(Label_OUTOFF, 4, 0, 1, 2);
    tb3_OUTOFF = Controls::button(Frame[1], QStringLiteral("tb3_OUTOFF"), QStringLiteral("Control ON/OFF"));
    g->addWidget(tb3_OUTOFF, 4, 3, Qt::AlignLeft);
    Lamp_CONT[0] = Controls::lamp(Frame[1], indexed(QStringLiteral("Lamp_CONT"), 0), QStringLiteral("Control lamp"));
    Lamp_AT = Controls::lamp(Frame[1], QStringLiteral("Lamp_AT"), QStringLiteral("Auto-tuning lamp"));
    auto *lamps = new QHBoxLayout;
    lamps->addWidget(Lamp_CONT[0]);
    lamps->addWidget(Controls::caption(Frame[1], QStringLiteral("Lamp_CONT_0_caption"), QStringLiteral("Control")));
    lamps->addSpacing(12);
    lamps->addWidget(Lamp_AT);
    lamps->addWidget(Controls::caption(Frame[1], QStringLiteral("Lamp_AT_caption"), QStringLiteral("AT")));
    lamps->addStretch(1);
    g->addLayout(lamps, 3, 3);
    columns->addWidget(Frame[1], 0, 0);

    // Frame2: output
    Frame[2] = newFrame(page, 2, QStringLiteral("Information of output manipulating value"), &g);
    Text_MV[0] = addValueLine(g, 0, 0, Frame[2], QStringLiteral("Output"), QStringLiteral("Text_MV_0"), QStringLiteral("Output manipulating value"), nullptr, QStringLiteral("%"));
    MV_BerGraph1 = makeBarGraph(Frame[2], QStringLiteral("MV_BerGraph1"), QStringLiteral("Output bar"));
    QFrame *heatPanel = barPanel(Frame[2], QStringLiteral("MV_panel_1"), MV_BerGraph1, nullptr);
    g->addWidget(heatPanel, 0, 3, Qt::AlignLeft | Qt::AlignTop);
    Text_HLIM = addValueLine(g, 1, 0, Frame[2], QStringLiteral("Output high limit"), QStringLiteral("Text_HLIM"), QStringLiteral("Output high limit value"), nullptr, QStringLiteral("%"));
    Text_LLIM = addValueLine(g, 2, 0, Frame[2], QStringLiteral("Output low limit"), QStringLiteral("Text_LLIM"), QStringLiteral("Output low limit value"), nullptr, QStringLiteral("%"));
    Label58 = Controls::caption(Frame[2], QStringLiteral("Label58"), QStringLiteral("Cooling output manipulating value"));
    g->addWidget(Label58, 3, 0);
    Text_MV[1] = Controls::valueField(Frame[2], QStringLiteral("Text_MV_1"), QStringLiteral("Cooling output value"), 84);
    Label58->setBuddy(Text_MV[1]);
    g->addWidget(Text_MV[1], 3, 1);
    Label59 = Controls::caption(Frame[2], QStringLiteral("Label59"), QStringLiteral("%"));
    g->addWidget(Label59, 3, 2);
    Lamp_CONT[1] = Controls::lamp(Frame[2], indexed(QStringLiteral("Lamp_CONT"), 1), QStringLiteral("Cooling control lamp"));
    MV_BerGraph2 = makeBarGraph(Frame[2], QStringLiteral("MV_BerGraph2"), QStringLiteral("Cooling output bar"));
    QFrame *coolPanel = barPanel(Frame[2], QStringLiteral("MV_panel_2"), MV_BerGraph2, Lamp_CONT[1]);
    g->addWidget(coolPanel, 3, 3, Qt::AlignLeft | Qt::AlignTop);
    g->setColumnStretch(3, 0);
    g->setColumnStretch(4, 1);
    for (QWidget *w : {static_cast<QWidget *>(Label58), static_cast<QWidget *>(Label59), static_cast<QWidget *>(Text_MV[1]),
                       static_cast<QWidget *>(Lamp_CONT[1]), static_cast<QWidget *>(MV_BerGraph2)})
        w->hide();
    coolPanel->hide(); // shown with its bar by the page refresh
    columns->addWidget(Frame[2], 0, 1);

    // Frame3, Frame4: alarms
    auto alarmFrame = [&](int index, const QString &title, QLabel *&value, QLabel *&hys, QLabel *&act, Lamp *&lamp,
                          QLabel *unit, QLabel *hysUnit, const QString &n) {
        const QString subject = index == 3 ? QStringLiteral("Alarm 1") : QStringLiteral("Alarm 2");
        Frame[size_t(index)] = newFrame(page, index, title, &g);
        value = addValueLine(g, 0, 0, Frame[size_t(index)], QStringLiteral("Setting"), QStringLiteral("Text_") + n, subject + QStringLiteral(" setting value"), unit);
        hys = addValueLine(g, 1, 0, Frame[size_t(index)], QStringLiteral("Hysteresis"), QStringLiteral("Text_") + n + QStringLiteral("HYS"),
                           subject + QStringLiteral(" hysteresis value"), hysUnit);
        g->addWidget(Controls::caption(Frame[size_t(index)], QStringLiteral("Text_") + n + QStringLiteral("ACT_caption"), QStringLiteral("Action")), 2, 0);
        act = Controls::stateText(Frame[size_t(index)], QStringLiteral("Text_") + n + QStringLiteral("ACT"), subject + QStringLiteral(" action"));
        g->addWidget(act, 2, 1, 1, 3);
        lamp = Controls::lamp(Frame[size_t(index)], QStringLiteral("Lamp_") + n, title + QStringLiteral(" lamp"));
        g->addWidget(lamp, 0, 3, Qt::AlignLeft);
    };
    alarmFrame(3, QStringLiteral("Information of alarm 1"), Text_A1, Text_A1HYS, Text_A1ACT, Lamp_A1, Label_CF[2], Label_CF[3], QStringLiteral("A1"));
    columns->addWidget(Frame[3], 1, 0);
    alarmFrame(4, QStringLiteral("Information of alarm 2"), Text_A2, Text_A2HYS, Text_A2ACT, Lamp_A2, Label_CF[4], Label_CF[5], QStringLiteral("A2"));
    columns->addWidget(Frame[4], 1, 1);

    // Frame5: heater burnout
    Frame[5] = newFrame(page, 5, QStringLiteral("Information of HB alarm"), &g);
    Text_MHB = addValueLine(g, 0, 0, Frame[5], QStringLiteral("Heater current"), QStringLiteral("Text_MHB"), QStringLiteral("Heater current value"), nullptr, QStringLiteral("A"));
    Text_SHB = addValueLine(g, 1, 0, Frame[5], QStringLiteral("HB alarm setting"), QStringLiteral("Text_SHB"), QStringLiteral("Heater burnout alarm setting value"), nullptr, QStringLiteral("A"));
    Lamp_HB = Controls::lamp(Frame[5], QStringLiteral("Lamp_HB"), QStringLiteral("Heater burnout alarm lamp"));
    g->addWidget(Lamp_HB, 0, 3, Qt::AlignLeft);
    columns->addWidget(Frame[5], 2, 0);

    // Frame6: loop break
    Frame[6] = newFrame(page, 6, QStringLiteral("Information of loop break alarm"), &g);
    Text_LPTIM = addValueLine(g, 0, 0, Frame[6], QStringLiteral("Time"), QStringLiteral("Text_LPTIM"), QStringLiteral("Loop break alarm time value"), nullptr, QStringLiteral("min"));
    Text_LPHYS = addValueLine(g, 1, 0, Frame[6], QStringLiteral("Action span"), QStringLiteral("Text_LPHYS"), QStringLiteral("Loop break alarm action span value"), Label_CF[6]);
    Lamp_LP = Controls::lamp(Frame[6], QStringLiteral("Lamp_LP"), QStringLiteral("Loop break alarm lamp"));
    g->addWidget(Lamp_LP, 0, 3, Qt::AlignLeft);
    columns->addWidget(Frame[6], 2, 1);

    // Frame7: other settings, two columns of lines
    Frame[7] = newFrame(page, 7, QStringLiteral("Other informations"), &g);
    twoSets(g);
    {
        Text_P = addValueLine(g, 0, 0, Frame[7], QStringLiteral("Proportional band"), QStringLiteral("Text_P"), QStringLiteral("Proportional band value"), nullptr, QStringLiteral("%"));
        Text_I = addValueLine(g, 1, 0, Frame[7], QStringLiteral("Integral time"), QStringLiteral("Text_I"), QStringLiteral("Integral time value"), nullptr, QStringLiteral("sec"));
        Text_D = addValueLine(g, 2, 0, Frame[7], QStringLiteral("Derivative time"), QStringLiteral("Text_D"), QStringLiteral("Derivative time value"), nullptr, QStringLiteral("sec"));
        Text_ARW = addValueLine(g, 3, 0, Frame[7], QStringLiteral("Anti-reset windup"), QStringLiteral("Text_ARW"), QStringLiteral("Anti-reset windup value"), nullptr, QStringLiteral("%"));
        Text_CYC = addValueLine(g, 4, 0, Frame[7], QStringLiteral("Proportional cycle"), QStringLiteral("Text_CYC"), QStringLiteral("Proportional cycle value"), nullptr, QStringLiteral("sec"));
        Text_PD = addValueLine(g, 0, 4, Frame[7], QStringLiteral("PD-reset"), QStringLiteral("Text_PD"), QStringLiteral("PD-reset value"), Label_CF[7]);
        Text_HYS = addValueLine(g, 1, 4, Frame[7], QStringLiteral("ON/OFF hysteresis"), QStringLiteral("Text_HYS"), QStringLiteral("ON/OFF hysteresis value"), Label_CF[8]);
        Text_FILT = addValueLine(g, 2, 4, Frame[7], QStringLiteral("PV filter time"), QStringLiteral("Text_FILT"), QStringLiteral("PV filter time value"), nullptr, QStringLiteral("sec"));
        Text_SO = addValueLine(g, 3, 4, Frame[7], QStringLiteral("Sensor correction"), QStringLiteral("Text_SO"), QStringLiteral("Sensor correction value"), Label_CF[9]);
    }
    g->setRowStretch(5, 1);
    columns->addWidget(Frame[7], 3, 0);

    // Frame8: cooling settings
    Frame[8] = newFrame(page, 8, QStringLiteral("Infomation of cooling output"), &g);
    twoSets(g);
    {
        Cool[0] = addValueLine(g, 0, 0, Frame[8], QStringLiteral("Proportional band"), QStringLiteral("Cool_0"), QStringLiteral("Cooling proportional band value"), nullptr, QStringLiteral("%"));
        Cool[1] = addValueLine(g, 1, 0, Frame[8], QStringLiteral("Proportional cycle"), QStringLiteral("Cool_1"), QStringLiteral("Cooling proportional cycle value"), nullptr, QStringLiteral("sec"));
        Cool[2] = addValueLine(g, 2, 0, Frame[8], QStringLiteral("Cooling action mode"), QStringLiteral("Cool_2"), QStringLiteral("Cooling action mode value"));
        Cool[3] = addValueLine(g, 0, 4, Frame[8], QStringLiteral("Overlap/Dead band"), QStringLiteral("Cool_3"), QStringLiteral("Overlap/Dead band value"), Label_CF[10]);
        Cool[4] = addValueLine(g, 1, 4, Frame[8], QStringLiteral("ON/OFF hysteresis"), QStringLiteral("Cool_4"), QStringLiteral("Cooling ON/OFF hysteresis value"));
    }
    g->setRowStretch(5, 1); // lines at the top, level with those of the other settings
    Frame[8]->hide();
    // Beside the other settings, so the page fits the window's default height.
    columns->addWidget(Frame[8], 3, 1);

    layout->addLayout(columns);
    layout->addStretch(1);
    return page;
}
