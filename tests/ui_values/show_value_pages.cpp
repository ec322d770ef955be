// Screenshots of tabs 0..4 for review: an installation with alarms active, a heating/cooling
// pair, linear inputs and an unconnected pair, values set straight into the image. Writes
// tab0.png .. tab4.png into the folder given as the first argument (default: current folder).
// show_value_pages <folder> [channel of tab 3] [WIDTHxHEIGHT, default 1252x700]; also the alarm
// history window and the port dialog.
#include "AlarmHistory.h"
#include "Lamp.h"
#include "MainDisp.h"
#include "SubDisp_History.h"
#include "SubDisp_comm.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace PLM_INC;

namespace {

void fillInstallation()
{
    for (int n = 0; n < kChannels; ++n) {
        ChannelConnected[n] = 1;
        InputType[n] = int16_t(n % 3 == 0 ? 0 : 8);
        DecimalDivisor[n] = 1;
        ProcessValue[n] = int16_t(InputType[n] == 0 ? 180 + n % 40 : 1800 + n);
        MainSetting[n] = int16_t(InputType[n] == 0 ? 200 : 2000);
        OutputValue[n] = int16_t((n * 97) % 1000);
        HeaterCurrent[n] = int16_t(50 + n % 150);
        OptionWord[n] = kOptionHeaterBurnout;
        StatusWord[n] = kStatusControl | kStatusOutputOn;
        Alarm1Action[n] = 1;
        Alarm1Value[n] = 50;
        Alarm2Action[n] = 0;
        ProportionalBand[n] = 30;
        IntegralTime[n] = 240;
        DerivativeTime[n] = 60;
        AntiResetWindup[n] = 100;
        ProportionalCycle[n] = 30;
        OnOffHysteresis[n] = 10;
        Alarm1Hysteresis[n] = 10;
        OutputHighLimit[n] = 100;
        PvFilterTime[n] = 0;
        LoopBreakTime[n] = 8;
        LoopBreakSpan[n] = 20;
    }
    // Alarms on channels 1..3: alarm 1, alarm 2, heater burnout with loop break.
    StatusWord[1] |= kStatusAlarm1;
    StatusWord[2] |= kStatusAlarm2;
    Alarm2Action[2] = 9;
    Alarm2Value[2] = 4000;
    StatusWord[3] |= kStatusHeaterBurnout | kStatusLoopBreak;
    // Channels 4, 5: a heating/cooling pair, with auto-tuning running on the heating side.
    for (int n : {4, 5}) {
        OptionWord[n] = kOptionHeatCool | kOptionHeaterBurnout;
        InputType[n] = 0;
    }
    ProcessValue[4] = 1251;
    MainSetting[4] = 1250;
    OutputValue[4] = 1000;
    OutputValue[5] = 374;
    StatusWord[4] |= kStatusAutoTuning;
    CoolProportionalBand[4] = 25;
    CoolProportionalCycle[4] = 20;
    OverlapDeadBand[4] = -15;
    CoolActionMode[4] = 2;
    CoolOnOffHysteresis[4] = 5;
    // Channels 6, 7: an unconnected pair.
    for (int n : {6, 7}) {
        ChannelConnected[n] = 0;
        StatusWord[n] = 0;
        OptionWord[n] = 0;
    }
    // Channels 8..11: linear inputs with wide values.
    const int divisors[] = {100, 10000, 1, 10};
    const int16_t values[] = {-1999, 9999, -32768, 32767};
    for (int i = 0; i < 4; ++i) {
        const int n = 8 + i;
        InputType[n] = int16_t(10 + i);
        DecimalDivisor[n] = int16_t(divisors[i]);
        ProcessValue[n] = values[i];
        MainSetting[n] = values[i];
        ScaleLow[n] = -32768;
        ScaleHigh[n] = 32767;
        UnitText[n] = i == 1 ? QStringLiteral("kgf/cm2") : QStringLiteral("%RH");
    }
    // Channel 12 over the scale, 13 under it; 14 in deg.F; 15 with the worst-case text width.
    StatusWord[12] |= kStatusOverscale;
    ProcessValue[12] = 1370;
    StatusWord[13] |= kStatusUnderscale;
    ProcessValue[13] = -200;
    DisplayUnit[14] = 1;
    DisplayUnit[15] = 1;
    InputType[15] = 8;
    ProcessValue[15] = -1999;
    MainSetting[15] = 9999;
    Prefs::set(QStringLiteral("Chname002"), QStringLiteral("Barrel zone1"));
    Prefs::set(QStringLiteral("Chname005"), QStringLiteral("WWWWWWWWWWWW"));
    Prefs::set(QStringLiteral("DvtoN01"), QStringLiteral("Extruder 1"));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("PLM870_HOME", QFile::encodeName(dir.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    Prefs::reopen();
    ResetImage();
    FillItemCodeTable();
    fillInstallation();

    MainDisp window;
    window.SetNameLists(2);
    window.setListIndex(window.tb1_BName[0], 0);
    window.setListIndex(window.tb1_BName[1], 1);
    window.setListIndex(window.tb2_BName, 0);
    window.setListIndex(window.tb3_CHName, argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 4);
    window.setListIndex(window.tb4_BName, 0);
    window.setListIndex(window.Combo1, 0);
    window.setListIndex(window.tb1_Block_P[0], 3);
    window.setListIndex(window.tb1_Block_P[1], 1);
    window.setListIndex(window.tb2_Block_P[0], 1);
    window.setListIndex(window.tb2_Block_P[1], 16);
    window.setListIndex(window.tb2_Block_P[2], 2);
    window.Toolbar1_ButtonClick(1);
    window.Form_Activate();
    SelectedItem = 2;
    window.Frame_main->setTitle(QStringLiteral("Alarm 1 setting"));
    window.tb4_BName_Click();
    std::printf("size hint %dx%d, least %dx%d\n", window.sizeHint().width(), window.sizeHint().height(),
                window.minimumSizeHint().width(), window.minimumSizeHint().height());
    for (int tab = 0; tab < window.SSTab1->count(); ++tab)
        std::printf("  tab %d least %dx%d\n", tab, window.SSTab1->widget(tab)->minimumSizeHint().width(),
                    window.SSTab1->widget(tab)->minimumSizeHint().height());
    const QStringList size = (argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("1252x700")).split(QLatin1Char('x'));
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();
    for (int tab = 0; tab <= 4; ++tab) {
        window.SSTab1->setCurrentIndex(tab);
        window.SelectDispItem();
        // Shown and hidden controls re-lay their frames one level per pass of the event loop.
        for (int pass = 0; pass < 5; ++pass)
            QCoreApplication::processEvents();
        const QString file = QDir(out).filePath(QStringLiteral("tab%1.png").arg(tab));
        if (!window.grab().save(file))
            return 1;
        std::printf("%s\n", qPrintable(file));
    }
    // The four lamp colours, four times their size.
    {
        QWidget strip;
        auto *row = new QHBoxLayout(&strip);
        for (const QColor &c : {Lamp::red(), Lamp::green(), Lamp::yellow(), Lamp::white()}) {
            auto *lamp = new Lamp(QString(), &strip);
            lamp->setFillColor(c);
            row->addWidget(lamp);
        }
        strip.adjustSize();
        const QPixmap big = strip.grab().scaled(strip.size() * 4);
        const QString file = QDir(out).filePath(QStringLiteral("lamps.png"));
        if (!big.save(file))
            return 1;
        std::printf("%s\n", qPrintable(file));
    }

    // The alarm history window at its own default size, with the longest entries, and the
    // port dialog with its line after a failed probe.
    for (const char *kind : {"NAK", "CHKSUM", "HB", "UPS"})
        Hystory_Write(QString::fromLatin1(kind), 4, true);
    window.mnuHistory_Click();
    window.showPortDialog(QStringLiteral("COM1"), QStringLiteral("9600"));
    window.setPortProblem(QStringLiteral("Permission denied for COM1 (/dev/ttyUSB0): join the dialout group "
                                         "(sudo usermod -aG dialout $USER) and log in again."));
    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents();
    for (QWidget *dialog : {static_cast<QWidget *>(window.subDispHistory), static_cast<QWidget *>(window.subDispComm)}) {
        const QString file = QDir(out).filePath(dialog->objectName() + QStringLiteral(".png"));
        if (!dialog->grab().save(file))
            return 1;
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
