// The page refresh: after every poll step the page in front gets the current values, lamps
// and notes from the controller image. Each assignment is one step; a step that fails (a
// channel beyond 319, a control the page does not have) is passed over and the next one runs,
// so one bad row never blanks the rest of the page.
#include "ItemTable.h"
#include "Lamp.h"
#include "MainDisp.h"
#include "MV_BerGraph.h"
#include "PLM_INC.h"
#include "ValueText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <stdexcept>

using namespace PLM_INC;

namespace {

struct MissingControl : std::runtime_error {
    MissingControl() : std::runtime_error("control not on this page") {}
};

template <typename Step>
void step(Step &&s)
{
    try {
        s();
    } catch (const std::exception &) {
    }
}

// The control itself, or MissingControl when the page has none at that place.
template <typename W>
W *need(W *w)
{
    if (!w)
        throw MissingControl();
    return w;
}

template <typename W, size_t N>
W *need(const std::array<W *, N> &controls, int index)
{
    if (index < 0 || size_t(index) >= N)
        throw MissingControl();
    return need(controls[size_t(index)]);
}

int selectionOf(const QComboBox *list)
{
    return ListIndexOrZero(need(list)->currentIndex());
}

bool hasStatus(int channel, int bits)
{
    return (StatusWord[channel] & bits) != 0;
}

void lampOn(Lamp *lamp, bool on, const QColor &color)
{
    need(lamp)->setFillColor(on ? color : Lamp::white());
}

void setText(QLabel *label, const QString &text)
{
    need(label)->setText(text);
}

// A value of a polled block: its text, greyed while the block does not answer. A field whose
// text and mark are as they were is left alone (QLabel::setText compares the text).
void showValue(ValueField *field, const QString &text, bool stale)
{
    need(field)->setText(text);
    field->setStale(stale);
}

void showIf(QWidget *w, bool visible)
{
    need(w)->setVisible(visible);
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

QString unitOf(int channel)
{
    if (InputType[channel] <= 9)
        return DisplayUnit[channel] != 0 ? QStringLiteral("deg.F") : QStringLiteral("deg.C");
    return UnitText[channel];
}

} // namespace

void MainDisp::SelectDispItem()
{
    if (!SSTab1)
        return;
    switch (SSTab1->currentIndex()) {
    case 0:
        refreshFourBlockPage();
        break;
    case 1:
        refreshTwoBlockPage();
        break;
    case 2:
        refreshOneBlockPage();
        break;
    case 3:
        refreshOneChannelPage();
        break;
    case 4:
        refreshSettingPage();
        break;
    default:
        break; // the chart and logging pages draw themselves
    }
}

void MainDisp::refreshFourBlockPage()
{
    int group = 0;
    int item = 0;
    step([&] { group = GroupIndex; });
    step([&] { item = selectionOf(Combo1); });
    for (int row = 0; row < 80; ++row) {
        const int channel = group * 80 + row;
        step([&] { showValue(need(Para_Text, row), MakeItemText(item, channel), blockStale(channel)); });
    }
}

void MainDisp::refreshTwoBlockPage()
{
    // Which state the third lamp shows, "SB" before "LP" before "HB"; none keeps its colour.
    int thirdLampBits = 0;
    step([&] {
        if (need(Option3)->isChecked())
            thirdLampBits = kStatusOverscale | kStatusUnderscale;
        else if (need(Option2)->isChecked())
            thirdLampBits = kStatusLoopBreak;
        else if (need(Option1)->isChecked())
            thirdLampBits = kStatusHeaterBurnout;
    });
    for (int row = 0; row < kChannelsPerBlock; ++row) {
        for (int h = 0; h < 2; ++h) {
            const int k = row + 20 * h;
            int channel = row;
            int item = 0;
            step([&] { channel = selectionOf(need(tb1_BName, h)) * 20 + row; });
            step([&] { item = selectionOf(need(tb1_Block_P, h)); });
            const bool stale = blockStale(channel);
            step([&] { showValue(need(tb1_PV, k), MakeItemText(0, channel), stale); });
            step([&] { showValue(need(tb1_Para, k), MakeItemText(item, channel), stale); });
            step([&] { lampOn(need(tb1_staA1, k), hasStatus(channel, kStatusAlarm1), Lamp::red()); });
            step([&] { lampOn(need(tb1_staA2, k), hasStatus(channel, kStatusAlarm2), Lamp::red()); });
            if (thirdLampBits != 0)
                step([&] { lampOn(need(tb1_staA3, k), hasStatus(channel, thirdLampBits), Lamp::red()); });
        }
    }
}

void MainDisp::refreshOneBlockPage()
{
    std::array<int, 3> items{};
    for (int i = 0; i < 3; ++i)
        step([&] { items[size_t(i)] = selectionOf(need(tb2_Block_P, i)); });
    for (int row = 0; row < kChannelsPerBlock; ++row) {
        int channel = row;
        step([&] { channel = selectionOf(tb2_BName) * 20 + row; });
        const bool stale = blockStale(channel);
        step([&] { showValue(need(tb2_PV, row), MakeItemText(0, channel), stale); });
        step([&] { showValue(need(tb2_SV, row), MakeItemText(3, channel), stale); });
        step([&] { showValue(need(tb2_Para1, row), MakeItemText(items[0], channel), stale); });
        step([&] { showValue(need(tb2_Para2, row), MakeItemText(items[1], channel), stale); });
        step([&] { showValue(need(tb2_Para3, row), MakeItemText(items[2], channel), stale); });
        step([&] { lampOn(need(tb2_staCONT, row), hasStatus(channel, kStatusControl), Lamp::green()); });
        step([&] { lampOn(need(tb2_staA1, row), hasStatus(channel, kStatusAlarm1), Lamp::red()); });
        step([&] { lampOn(need(tb2_staA2, row), hasStatus(channel, kStatusAlarm2), Lamp::red()); });
        step([&] { lampOn(need(tb2_staSB, row), hasStatus(channel, kStatusOverscale | kStatusUnderscale), Lamp::red()); });
        step([&] { lampOn(need(tb2_staLP, row), hasStatus(channel, kStatusLoopBreak), Lamp::red()); });
        step([&] { lampOn(need(tb2_staHB, row), hasStatus(channel, kStatusHeaterBurnout), Lamp::red()); });
        step([&] { lampOn(need(tb2_staAT, row), hasStatus(channel, kStatusAutoTuning), Lamp::yellow()); });
    }
}

void MainDisp::refreshOneChannelPage()
{
    int ch = 0;
    step([&] { ch = selectionOf(tb3_CHName); });
    const auto text = [&ch](int item) { return MakeItemText(item, ch); };

    // 1. Frames and the two messages. Shown frames cover both messages. The heater burnout
    // frame is decided by the option alone. Each frame is set once: showing a frame and hiding
    // it again in one refresh would lay out and repaint the page every time.
    step([&] {
        const bool connected = ChannelConnected[ch] != 0;
        const bool ineffective = connected && (OptionWord[ch] & kOptionHeatCool) != 0 && ch % 2 == 1;
        const bool hb = (OptionWord[ch] & kOptionHeaterBurnout) != 0;
        for (int f = 1; f <= 7; ++f)
            step([&] { showIf(need(Frame, f), f == 5 ? hb : connected && !ineffective); });
        step([&] { showIf(need(Label14, 0), !connected); });
        step([&] { showIf(need(Label14, 1), ineffective); });
    });
    // 2. Unit labels.
    for (int i = 0; i <= 10; ++i)
        step([&] { setText(need(Label_CF, i), unitOf(ch)); });
    // 3. Range, PV, SV, scale lamps.
    step([&] { setText(Label11, MakeRange(ch)); });
    const bool stale = blockStale(ch);
    step([&] { showValue(Text_PV, text(0), stale); });
    step([&] { showValue(Text_SV, text(3), stale); });
    step([&] { lampOn(Lamp_up, hasStatus(ch, kStatusOverscale), Lamp::red()); });
    step([&] { lampOn(Lamp_down, hasStatus(ch, kStatusUnderscale), Lamp::red()); });
    // 4. Output.
    step([&] { showValue(need(Text_MV, 0), text(1), stale); });
    step([&] { need(MV_BerGraph1)->setMvValue(OutputValue[ch]); });
    step([&] { setText(Text_HLIM, text(18)); });
    step([&] { setText(Text_LLIM, text(19)); });
    // 5. Control state.
    step([&] {
        setText(Label_HEETCOOL, HeatCoolAction[ch] != 0 ? QStringLiteral("Cooling(direct)") : QStringLiteral("Heating(reverse)"));
    });
    step([&] {
        setText(Label_OUTOFF, hasStatus(ch, kStatusOutputOn) ? QStringLiteral("Control output ON") : QStringLiteral("Control output OFF"));
    });
    step([&] { lampOn(need(Lamp_CONT, 0), hasStatus(ch, kStatusControl), Lamp::green()); });
    step([&] { lampOn(Lamp_AT, hasStatus(ch, kStatusAutoTuning), Lamp::yellow()); });
    // 6. Cooling output of a heating/cooling pair: the odd partner's output and control bit.
    step([&] {
        const bool cooling = (OptionWord[ch] & kOptionHeatCool) != 0;
        step([&] { showIf(Label58, cooling); });
        step([&] { showIf(Label59, cooling); });
        step([&] { showIf(need(Text_MV, 1), cooling); });
        step([&] { showIf(need(Lamp_CONT, 1), cooling); });
        step([&] { showIf(MV_BerGraph2, cooling); });
        step([&] { showIf(need(MV_BerGraph2)->parentWidget(), cooling); }); // the bar's panel
        step([&] { need(Text_MV, 1)->setStale(stale); });
        if (!cooling)
            return;
        step([&] { showValue(need(Text_MV, 1), MakeItemText(1, ch + 1), stale); });
        step([&] { lampOn(need(Lamp_CONT, 1), hasStatus(ch + 1, kStatusControl), Lamp::yellow()); });
        step([&] { need(MV_BerGraph2)->setMvColor(Lamp::yellow()); });
        step([&] { need(MV_BerGraph2)->setMvValue(OutputValue[ch + 1]); });
    });
    // 7. Alarms.
    step([&] { setText(Text_A1, text(4)); });
    step([&] { setText(Text_A1HYS, text(14)); });
    step([&] { setText(Text_A1ACT, AlarmTypeName(Alarm1Action[ch])); });
    step([&] { lampOn(Lamp_A1, hasStatus(ch, kStatusAlarm1), Lamp::red()); });
    step([&] { setText(Text_A2, text(5)); });
    step([&] { setText(Text_A2HYS, text(15)); });
    step([&] { setText(Text_A2ACT, AlarmTypeName(Alarm2Action[ch])); });
    step([&] { lampOn(Lamp_A2, hasStatus(ch, kStatusAlarm2), Lamp::red()); });
    // 8. Heater burnout (its frame is set in 1).
    step([&] {
        if ((OptionWord[ch] & kOptionHeaterBurnout) == 0)
            return;
        step([&] { setText(Text_MHB, text(2)); });
        step([&] { setText(Text_SHB, text(6)); });
        step([&] { lampOn(Lamp_HB, hasStatus(ch, kStatusHeaterBurnout), Lamp::red()); });
    });
    // 9. Loop break.
    step([&] { setText(Text_LPTIM, text(24)); });
    step([&] { setText(Text_LPHYS, text(25)); });
    step([&] { lampOn(Lamp_LP, hasStatus(ch, kStatusLoopBreak), Lamp::red()); });
    // 10. Other settings.
    const std::pair<QLabel *, int> others[] = {{Text_P, 7},    {Text_I, 8},   {Text_D, 9},
                                               {Text_ARW, 10}, {Text_CYC, 11}, {Text_PD, 12},
                                               {Text_HYS, 13}, {Text_FILT, 20}, {Text_SO, 21}};
    for (const auto &field : others)
        step([&] { setText(field.first, text(field.second)); });
    // 11. Cooling settings, on the even (controlling) channel of a pair only.
    step([&] {
        const bool coolingSettings = (OptionWord[ch] & kOptionHeatCool) != 0 && ch % 2 == 0;
        showIf(need(Frame, 8), coolingSettings);
        if (!coolingSettings)
            return;
        const int coolItems[5] = {26, 27, 29, 28, 30};
        for (int i = 0; i < 5; ++i)
            step([&] { setText(need(Cool, i), text(coolItems[i])); });
    });
}

void MainDisp::refreshSettingPage()
{
    int base = 0;
    step([&] { base = selectionOf(tb4_BName) * 20; });
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
                setText(need(isSelectionItem(s) ? Select_comand : Setdata_Para, row), value);
            });
        }
    }
    // 2. Display unit: the pair shares one, so only the even rows show it.
    if (s == 21) {
        for (int row = 0; row < kChannelsPerBlock; row += 2)
            step([&] {
                setText(need(Select_comand, row),
                        DisplayUnit[base + row] != 0 ? QStringLiteral("deg.F") : QStringLiteral("deg.C"));
            });
    }
    // 3. Control output and auto-tuning lamps.
    if (s == 24) {
        for (int row = 0; row < kChannelsPerBlock; ++row) {
            step([&] { lampOn(need(Shape_OUT, row), hasStatus(base + row, kStatusOutputOn), Lamp::green()); });
            step([&] { lampOn(need(Shape_AT, row), hasStatus(base + row, kStatusAutoTuning), Lamp::yellow()); });
        }
    }
    // 4. Settability notes.
    for (int row = 0; row < kChannelsPerBlock; ++row)
        step([&] { setText(need(settin_inf, row), settabilityNote(s, base + row, row)); });
}
