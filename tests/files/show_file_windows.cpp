// Screenshots of the setting file windows, the factory adjustment window and the version
// window for review, values set straight into the image. Writes saveload_ch_<g>.png,
// saveload_block.png, saveload_all.png, factory.png and about.png into the folder given as the
// first argument (default: current folder).
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SubDisp_About.h"
#include "SubDisp_AllSaveLoad.h"
#include "SubDisp_BlockSaveLoad.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_SaveLoad.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

using namespace PLM_INC;

namespace {

void fillChannel(int n)
{
    ChannelConnected[n] = 1;
    InputType[n] = 12;
    OptionWord[n] = kOptionHeatCool | kOptionHeaterBurnout;
    DecimalDivisor[n] = 10;
    ScaleHigh[n] = 2000;
    ScaleLow[n] = -500;
    UnitText[n] = QStringLiteral("kPa");
    MainSetting[n] = 1250;
    Alarm1Action[n] = 2;
    Alarm2Action[n] = 9;
    Alarm1Value[n] = 50;
    Alarm2Value[n] = 1800;
    HeaterBurnoutValue[n] = 35;
    ProportionalBand[n] = 30;
    IntegralTime[n] = 240;
    DerivativeTime[n] = 60;
    AntiResetWindup[n] = 100;
    ProportionalCycle[n] = 20;
    OnOffHysteresis[n] = 10;
    Alarm1Hysteresis[n] = 15;
    Alarm2Hysteresis[n] = 20;
    OutputHighLimit[n] = 100;
    PvFilterTime[n] = 10;
    SensorCorrection[n] = -15;
    LoopBreakTime[n] = 8;
    LoopBreakSpan[n] = 30;
    CoolProportionalBand[n] = 10;
    CoolProportionalCycle[n] = 30;
    CoolActionMode[n] = 2;
    CoolOnOffHysteresis[n] = 10;
}

void grab(QWidget *w, const QString &folder, const QString &name)
{
    w->show();
    w->adjustSize();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name;
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    qputenv("PLM870_HOME", QFile::encodeName(dir.path()));
    Prefs::reopen();
    for (int n = 0; n < 40; ++n)
        fillChannel(n);
    Prefs::set(QStringLiteral("Chname005"), QStringLiteral("Extruder 2"));
    Prefs::set(QStringLiteral("DvtoN01"), QStringLiteral("Line A"));
    Prefs::set(QStringLiteral("DvtoN02"), QStringLiteral("Line B press"));
    LinkRequest = 1;

    MainDisp w;
    SubDisp_SaveLoad *ch = w.subDispSaveLoad;
    ch->mnuSave_CH_Click();
    ch->SaveLoad_CHname->setCurrentIndex(4);
    ch->SaveLoad_CHname_Click();
    ch->Command1_Click(0);
    ch->Msg_Label->setText(QStringLiteral("This block is not connected to the PLM-870. The data of this channel cannot be saved or copied."));
    for (int g = 0; g < 3; ++g) {
        ch->Option1[size_t(g)]->click();
        grab(ch, folder, QStringLiteral("saveload_ch_%1.png").arg(g));
    }
    SubDisp_BlockSaveLoad *block = w.subDispBlockSaveLoad;
    block->mnuSave_BLK_Click();
    block->Block_Option1[1]->setChecked(true);
    block->Command1_Click(0);
    grab(block, folder, QStringLiteral("saveload_block.png"));
    SubDisp_AllSaveLoad *all = w.subDispAllSaveLoad;
    all->mnuSave_ALL_Click();
    grab(all, folder, QStringLiteral("saveload_all.png"));
    SubDisp_Factoryadj *factory = w.subDispFactoryadj;
    factory->mnuFactory_Click();
    factory->Check1[2]->setChecked(true);
    grab(factory, folder, QStringLiteral("factory.png"));
    SubDisp_About *about = w.subDispAbout;
    about->numabout_Click();
    about->corvade_option->setText(QStringLiteral("abc"));
    grab(about, folder, QStringLiteral("about.png"));
    return 0;
}
