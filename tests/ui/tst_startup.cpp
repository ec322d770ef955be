// The program from its entry against the simulator on a pseudo-terminal: a first run with
// empty preferences, and a start with no controller answering.
#include "DeviceModel.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "OpeningScreen.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "ProgramEntry.h"
#include "PtyServer.h"
#include "SimulatedLine.h"
#include "SubDisp_comm.h"
#include "UiTestEnvironment.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QPushButton>
#include <QTabWidget>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

namespace {

// Counts the times the port dialog is shown.
class ShowCounter : public QObject {
public:
    int shows = 0;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && o->objectName() == QLatin1String("SubDisp_comm"))
            ++shows;
        return false;
    }
};

// Layout requests of the status bar and repaints of its first panel.
int shownDialogs(const ShowCounter &counter)
{
    return counter.shows;
}

// Value fields of pages 0..2 that are disabled: 80 on page 0, 2 x 40 on page 1, 5 x 20 on page 2.
int disabledValueFields(const MainDisp &w)
{
    int disabled = 0;
    auto count = [&disabled](const auto &fields) {
        for (const QWidget *f : fields)
            disabled += f->isEnabled() ? 0 : 1;
    };
    count(w.Para_Text);
    count(w.tb1_PV);
    count(w.tb1_Para);
    count(w.tb2_PV);
    count(w.tb2_SV);
    count(w.tb2_Para1);
    count(w.tb2_Para2);
    count(w.tb2_Para3);
    return disabled;
}

int countReads(const QStringList &summary, const QString &read)
{
    return int(summary.count(read));
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunWithEmptyPreferences()
    {
        UiTestEnvironment env;
        SimulatedLine line(sim::DeviceModel::allBlocks(16));
        QVERIFY(line.start());
        ProgramEntry program;
        // What pages 0..2 let the operator read the moment the window comes up.
        int disabledWhenShown = -1;
        program.onMainWindowLoaded = [&](MainDisp &w) {
            w.comm().configureLink([&line](tobrel::STDComm &link) { line.driveDeadlineOf(link); });
            connect(&w, &MainDisp::linkStarted, &w, [&w, &disabledWhenShown] { disabledWhenShown = disabledValueFields(w); },
                    Qt::DirectConnection);
        };
        program.start();
        MainDisp &w = program.mainDisp();
        // Before the start-up read nothing is known to be connected.
        QCOMPARE(disabledValueFields(w), 80 + 80 + 100);

        // Folders and the history file exist before the link has done anything.
        for (const char *folder : {"logging", "hystory", "Setdata"})
            QVERIFY2(QDir(env.home() + QLatin1Char('/') + QLatin1String(folder)).exists(), folder);
        const QString history = env.home() + QStringLiteral("/hystory/2026_12_6_9_5.hys");
        QCOMPARE(QDir::cleanPath(program.historyFilePath()), QDir::cleanPath(history));
        QFile file(history);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("\"PLM-870 Alarm hystory\",\"    Data  : \",\""));
        QVERIFY(lines[0].endsWith("\"\r"));
        QCOMPARE(lines[1], QByteArray("\"Time\",\"Channel\",\"Contain\"\r"));
        QVERIFY(program.openingScreen().isVisible());
        QVERIFY(!w.isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(w.started(), 60000);
        QVERIFY(w.isVisible());
        QVERIFY(!program.openingScreen().isVisible());
        QCOMPARE(disabledWhenShown, 0); // pages 0..2 laid out again for the channels now known
        QCOMPARE(program.openingScreen().ProgressBar1->value(), OpeningScreen::kStartupSteps);
        QCOMPARE(w.Combo1->currentIndex(), 0);
        QCOMPARE(w.tb1_BName[0]->currentIndex(), 0);
        QCOMPARE(w.tb1_BName[1]->currentIndex(), 0);
        QCOMPARE(w.tb1_Block_P[0]->currentIndex(), 3);
        QCOMPARE(w.tb1_Block_P[1]->currentIndex(), 3);
        QCOMPARE(w.tb2_BName->currentIndex(), 0);
        QCOMPARE(w.tb2_Block_P[0]->currentIndex(), 1);
        QCOMPARE(w.tb2_Block_P[1]->currentIndex(), 4);
        QCOMPARE(w.tb2_Block_P[2]->currentIndex(), 5);
        QCOMPARE(w.Frame_Block[0]->title(), QStringLiteral("Block01"));
        QVERIFY(!w.subDispComm->isVisible());

        // Polling has begun and the page in front shows values.
        line.clear();
        QTRY_VERIFY_WITH_TIMEOUT(countReads(line.summary(), QStringLiteral("R 15 0080")) > 0, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Para_Text[0]->text().isEmpty(), 10000);
        QCOMPARE(w.statusPanelText(1).isEmpty() || w.statusPanelText(1) == QStringLiteral("OK"), true);

        w.endProgram();
    }

    void noControllerAnsweringUntilItDoes()
    {
        UiTestEnvironment env;
        env.store(QStringLiteral("Port"), QStringLiteral("COM9")); // repaired to COM1 before the first probe
        SimulatedLine line(sim::DeviceModel{}); // nobody answers
        QVERIFY(line.start());
        ShowCounter dialogShows;
        qApp->installEventFilter(&dialogShows);
        ProgramEntry program;
        program.start();
        MainDisp &w = program.mainDisp();
        QCOMPARE(Prefs::get(QStringLiteral("Port")), QStringLiteral("COM1"));

        // The program keeps trying, the dialog comes once, and input is handled between attempts.
        QTRY_VERIFY_WITH_TIMEOUT(countReads(line.summary(), QStringLiteral("R 0 00A0")) >= 4, 20000);
        QVERIFY(w.subDispComm->isVisible());
        QCOMPARE(w.subDispComm->selectedPort(), QStringLiteral("COM1"));
        QCOMPARE(LinkRequest, int16_t(9));
        QVERIFY(!w.started());
        QVERIFY(program.openingScreen().isVisible());
        w.SSTab1->setCurrentIndex(2);
        QCoreApplication::postEvent(w.tb2_BName, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        QTRY_COMPARE_WITH_TIMEOUT(Prefs::get(QStringLiteral("tab2name")), QStringLiteral("1"), 10000);

        // OK with the same port: the next failure may show the dialog again, but only once more.
        const int before = countReads(line.summary(), QStringLiteral("R 0 00A0"));
        QTest::mouseClick(w.subDispComm->Command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(countReads(line.summary(), QStringLiteral("R 0 00A0")) >= before + 3, 20000);
        QVERIFY(w.subDispComm->isVisible());

        // The controller comes up: the start-up read runs and polling begins. From here on a
        // reply is waited for however slow the machine (until now no reply could come).
        w.comm().configureLink([&line](tobrel::STDComm &link) { line.driveDeadlineOf(link); });
        line.server().withModel([](sim::DeviceModel &m) {
            m = sim::DeviceModel::allBlocks(2);
            m.setLive(false);
        });
        QTRY_VERIFY_WITH_TIMEOUT(w.started(), 60000);
        QVERIFY(w.isVisible());
        QVERIFY(!program.openingScreen().isVisible());
        QCOMPARE(BlockAbsent[0], int16_t(0));
        QCOMPARE(BlockAbsent[1], int16_t(0));
        QCOMPARE(BlockAbsent[2], int16_t(1));
        line.clear();
        QTRY_VERIFY_WITH_TIMEOUT(countReads(line.summary(), QStringLiteral("R 1 0083")) > 0, 20000);
        qApp->removeEventFilter(&dialogShows);
        QCOMPARE(shownDialogs(dialogShows), 2);
        w.endProgram();
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
