// Screenshots of the setting page with each row frame (numeric, selection, output and
// auto-tuning) and of the numeric and selection dialogs, for review at the default window
// size. Writes setting_*.png into the folder given as the first argument (default: current).
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Select_Disp.h"
#include "SettingEditor.h"
#include "Setting_Disp.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace PLM_INC;

namespace {

void fillBlock()
{
    for (int n = 0; n < kChannelsPerBlock; ++n) {
        ChannelConnected[n] = 1;
        InputType[n] = int16_t(n < 10 ? 0 : 8);
        DecimalDivisor[n] = 1;
        MainSetting[n] = int16_t(n < 10 ? 200 + n : 2000 + n);
        Alarm1Action[n] = int16_t(n % 13);
        ProportionalBand[n] = 25;
        OutputOnOff[n] = int16_t(n % 2);
        StatusWord[n] = int16_t(n % 2 ? kStatusControl | kStatusOutputOn : 0);
    }
    StatusWord[3] |= kStatusAutoTuning;
    OptionWord[4] = OptionWord[5] = kOptionHeatCool;
    ChannelConnected[18] = ChannelConnected[19] = 0;
}

bool settle()
{
    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents();
    return true;
}

bool save(QWidget &w, const QString &folder, const QString &name)
{
    settle();
    const QString file = QDir(folder).filePath(name);
    std::printf("%s\n", qPrintable(file));
    return w.grab().save(file);
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
    fillBlock();

    MainDisp window;
    window.SetNameLists(2);
    window.setListIndex(window.tb4_BName, 0);
    window.resize(1252, 700);
    window.show();
    window.SSTab1->setCurrentIndex(4);
    SettingEditor &editor = *window.settingEditor;
    bool ok = true;
    const struct {
        int item;
        const char *file;
    } pages[] = {{1, "setting_page_numeric.png"}, {14, "setting_page_selection.png"}, {24, "setting_page_output.png"}};
    for (const auto &p : pages) {
        editor.selectSettingItem(p.item);
        window.SelectDispItem();
        ok = save(window, out, QString::fromLatin1(p.file)) && ok;
    }

    editor.selectSettingItem(10);
    editor.Command_change_Click(2);
    Setting_Disp &numeric = editor.settingDialog();
    numeric.Ten_key_Click(1);
    numeric.Ten_key_Click(2);
    numeric.Command1_Click();
    ok = save(numeric, out, QStringLiteral("setting_dialog_numeric.png")) && ok;
    numeric.Command4_Click();

    editor.selectSettingItem(14);
    editor.Command_change2_Click(7);
    ok = save(editor.selectDialog(), out, QStringLiteral("setting_dialog_alarm.png")) && ok;
    InputType[12] = 12;
    DecimalDivisor[12] = 100;
    editor.selectSettingItem(34);
    editor.Command_change2_Click(12);
    ok = save(editor.selectDialog(), out, QStringLiteral("setting_dialog_decimal.png")) && ok;
    return ok ? 0 : 1;
}
