// Cost of SelectDispItem on each of the tabs 0..4, as a share of one block read at 9600 baud
// (102 characters x 10 bits / 9600 = 106.25 ms, the time the line takes between two
// refreshes), in three cases:
//   steady     nothing changed since the last refresh (a poll of a block the page does not
//              show, or values that held still): goal, nothing is set and nothing repainted;
//   one block  each refresh follows the poll of one block of sixteen in turn, as the poll
//              cycle runs (a quarter of them change a fifth of page 0);
//   all        every value, lamp and output on the page changed.
// Goal for tab 0 (80 values): under 1 %. The repaint that follows a refresh is measured apart:
// the event loop does it later.
// PLM870_BENCH_REFRESHES sets the refreshes of each case (default 400); PLM870_BENCH_ONLY=
// <case>:<tab> ("steady:0") runs one case of one tab, for refresh_instructions.sh.
#include "BenchSupport.h"
#include "MainDisp.h"
#include "PLM_INC.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace PLM_INC;

namespace {

constexpr double kBlockReadNs = bench::blockReadSeconds(9600) * 1e9;

// Every channel fitted, a mix of inputs and options, alarms set on some channels.
void fillImage()
{
    const int divisors[] = {1, 10, 100, 1000, 10000};
    for (int n = 0; n < kChannels; ++n) {
        ChannelConnected[n] = 1;
        InputType[n] = int16_t(n % 14);
        DecimalDivisor[n] = int16_t(divisors[n % 5]);
        UnitText[n] = QStringLiteral("%RH");
        OptionWord[n] = int16_t((n / 20) % 3 == 0 ? kOptionHeatCool | kOptionHeaterBurnout : kOptionHeaterBurnout);
        Alarm1Action[n] = int16_t(n % 13);
        MainSetting[n] = int16_t(1000 + n);
        ScaleHigh[n] = 2000;
        ScaleLow[n] = -500;
    }
}

// What a poll step changes in one channel: process value, output, current and status bits.
void pollChannel(int n, int step)
{
    ProcessValue[n] = int16_t((n * 37 + step * 11) % 3000 - 500);
    OutputValue[n] = int16_t((n * 13 + step * 7) % 1100 - 50);
    HeaterCurrent[n] = int16_t((n + step) % 500);
    StatusWord[n] = int16_t(((n + step) % 7 == 0 ? kStatusAlarm1 : 0) | ((n + step) % 5 == 0 ? kStatusAutoTuning : 0) |
                            ((n + step) % 3 == 0 ? kStatusControl | kStatusOutputOn : 0));
}

enum class Case { Steady, OneBlock, All };
const char *const kCaseNames[] = {"steady", "one block", "all"};

void changeForStep(Case c, int step)
{
    switch (c) {
    case Case::Steady:
        break;
    case Case::OneBlock: {
        const int block = step % kBlocks;
        for (int row = 0; row < kChannelsPerBlock; ++row)
            pollChannel(block * kChannelsPerBlock + row, step);
        break;
    }
    case Case::All:
        for (int n = 0; n < kChannels; ++n)
            pollChannel(n, step);
        break;
    }
}

// The work that refresh_instructions.sh counts under callgrind (--toggle-collect): one refresh
// and the repaint that follows it.
Q_NEVER_INLINE qint64 refreshAndRepaint(MainDisp &window, qint64 *repaintNs)
{
    QElapsedTimer timer;
    timer.start();
    window.SelectDispItem();
    const qint64 refreshNs = timer.nsecsElapsed();
    timer.start();
    QCoreApplication::processEvents();
    *repaintNs = timer.nsecsElapsed();
    return refreshNs;
}

struct Figures {
    double medianNs;
    double meanNs;
    double repaintNs;
};

Figures measure(MainDisp &window, int tab, Case c, int refreshes)
{
    window.SSTab1->setCurrentIndex(tab);
    // The page shown once with these values, and nothing left to lay out or paint: a layout
    // request climbs one parent per pass of the event loop.
    window.SelectDispItem();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    std::vector<qint64> samples;
    samples.reserve(size_t(refreshes));
    qint64 repaint = 0;
    for (int i = 0; i < refreshes; ++i) {
        changeForStep(c, i + 1);
        qint64 repaintNs = 0;
        samples.push_back(refreshAndRepaint(window, &repaintNs));
        repaint += repaintNs;
    }
    double sum = 0;
    for (qint64 s : samples)
        sum += double(s);
    std::sort(samples.begin(), samples.end());
    return {double(samples[samples.size() / 2]), sum / double(refreshes), double(repaint) / refreshes};
}

void setUpPages(MainDisp &window)
{
    window.SetNameLists(2);
    for (QComboBox *list : {window.tb1_BName[0], window.tb1_BName[1], window.tb2_BName, window.tb4_BName})
        window.setListIndex(list, 0);
    window.setListIndex(window.tb1_BName[1], 1);
    window.setListIndex(window.tb3_CHName, 0); // the even channel of a heating/cooling pair
    window.setListIndex(window.Combo1, 0);
    window.setListIndex(window.tb1_Block_P[0], 1);
    window.setListIndex(window.tb1_Block_P[1], 3);
    window.setListIndex(window.tb2_Block_P[0], 1);
    window.setListIndex(window.tb2_Block_P[1], 2);
    window.setListIndex(window.tb2_Block_P[2], 16);
    SelectedItem = 2;
    window.resize(1280, 900);
    window.show();
    QCoreApplication::processEvents();
}

// "steady:0" -> the case and the tab; false when the text names neither.
bool parseOnly(const QString &text, Case *c, int *tab)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return false;
    bool ok = false;
    *tab = parts[1].toInt(&ok);
    for (int i = 0; i < 3; ++i)
        if (parts[0] == QString::fromLatin1(kCaseNames[i]).remove(QLatin1Char(' '))) {
            *c = Case(i);
            return ok && *tab >= 0 && *tab <= 4;
        }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    ResetImage();
    FillItemCodeTable();
    fillImage();
    changeForStep(Case::All, 0);

    MainDisp window;
    setUpPages(window);

    const int refreshes = bench::setting("PLM870_BENCH_REFRESHES", 400);
    const QString only = qEnvironmentVariable("PLM870_BENCH_ONLY");
    if (!only.isEmpty()) {
        Case c = Case::Steady;
        int tab = 0;
        if (!parseOnly(only, &c, &tab)) {
            std::fprintf(stderr, "PLM870_BENCH_ONLY: expected steady|oneblock|all:0..4, got %s\n", qPrintable(only));
            return 2;
        }
        measure(window, tab, c, refreshes);
        return 0;
    }

    std::printf("SelectDispItem per tab, offscreen (%d refreshes each)\n", refreshes);
    std::printf("ratio = share of one 9600-baud block read (106.25 ms); goal tab 0 < 0.0100\n");
    const char *names[] = {"tab 0, 80 values", "tab 1, 40 rows", "tab 2, 20 rows", "tab 3, one channel", "tab 4, setting item 2"};
    for (Case c : {Case::Steady, Case::OneBlock, Case::All}) {
        std::printf("%s:\n", kCaseNames[int(c)]);
        for (int tab = 0; tab <= 4; ++tab) {
            const Figures f = measure(window, tab, c, refreshes);
            std::printf("  %-22s median %7.1f us = %.4f   mean %7.1f us = %.4f   repaint after it %7.1f us = %.4f\n",
                        names[tab], f.medianNs / 1000, f.medianNs / kBlockReadNs, f.meanNs / 1000,
                        f.meanNs / kBlockReadNs, f.repaintNs / 1000, f.repaintNs / kBlockReadNs);
        }
    }
    return 0;
}
