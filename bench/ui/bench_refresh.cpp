// Cost of SelectDispItem on each of the tabs 0..4 with values that change between refreshes,
// as a share of one block read at 9600 baud (102 characters x 10 bits / 9600 = 106.25 ms),
// the time the line takes between two refreshes. Goal for tab 0 (80 values): under 1 %.
// The repaint that follows a refresh is measured apart: the event loop does it later.
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace PLM_INC;

namespace {

constexpr double kBlockReadNs = 102.0 * 10.0 / 9600.0 * 1e9;

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

// What one poll step changes: new process values, outputs, currents and status bits.
void livePoll(int step)
{
    for (int n = 0; n < kChannels; ++n) {
        ProcessValue[n] = int16_t((n * 37 + step * 11) % 3000 - 500);
        OutputValue[n] = int16_t((n * 13 + step * 7) % 1100 - 50);
        HeaterCurrent[n] = int16_t((n + step) % 500);
        StatusWord[n] = int16_t(((n + step) % 7 == 0 ? kStatusAlarm1 : 0) | ((n + step) % 5 == 0 ? kStatusAutoTuning : 0) |
                                ((n + step) % 3 == 0 ? kStatusControl | kStatusOutputOn : 0));
    }
}

struct Figures {
    double medianNs;
    double meanNs;
    double repaintNs;
};

Figures measure(MainDisp &window, int tab, int refreshes)
{
    window.SSTab1->setCurrentIndex(tab);
    QCoreApplication::processEvents();
    std::vector<qint64> samples;
    samples.reserve(size_t(refreshes));
    qint64 repaint = 0;
    QElapsedTimer timer;
    for (int i = 0; i < refreshes; ++i) {
        livePoll(i);
        timer.start();
        window.SelectDispItem();
        samples.push_back(timer.nsecsElapsed());
        timer.start();
        QCoreApplication::processEvents();
        repaint += timer.nsecsElapsed();
    }
    double sum = 0;
    for (qint64 s : samples)
        sum += double(s);
    std::sort(samples.begin(), samples.end());
    return {double(samples[samples.size() / 2]), sum / double(refreshes), double(repaint) / refreshes};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("PLM870_HOME", QFile::encodeName(dir.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QApplication app(argc, argv);
    Prefs::reopen();
    ResetImage();
    FillItemCodeTable();
    fillImage();

    MainDisp window;
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

    constexpr int kRefreshes = 400;
    std::printf("SelectDispItem per tab, live values, offscreen (%d refreshes each)\n", kRefreshes);
    std::printf("ratio = share of one 9600-baud block read (106.25 ms); goal tab 0 < 0.0100\n");
    const char *names[] = {"tab 0, 80 values", "tab 1, 40 rows", "tab 2, 20 rows", "tab 3, one channel", "tab 4, setting item 2"};
    for (int tab = 0; tab <= 4; ++tab) {
        const Figures f = measure(window, tab, kRefreshes);
        std::printf("  %-22s median %7.1f us = %.4f   mean %7.1f us = %.4f   repaint after it %7.1f us = %.4f\n",
                    names[tab], f.medianNs / 1000, f.medianNs / kBlockReadNs, f.meanNs / 1000, f.meanNs / kBlockReadNs,
                    f.repaintNs / 1000, f.repaintNs / kBlockReadNs);
    }
    return 0;
}
