// What the screen shows follows the line, with a screen reader walking the window tree the
// whole time: the red notice comes with the first unanswered transaction, panel 1 is empty
// during a poll (its changes lay out nothing) and stays empty while nothing answers, and both
// recover at the first answer.
#include "DeviceModel.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "STDComm.h"
#include "SimulatedLine.h"
#include "UiTestEnvironment.h"

#include <QAccessible>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>

using namespace PLM_INC;

namespace {

// Walks the whole accessibility tree of a window, as a screen reader reads it.
int walk(QAccessibleInterface *iface, int depth = 0)
{
    if (!iface || depth > 40)
        return 0;
    int visited = 1;
    (void)iface->text(QAccessible::Name);
    (void)iface->state();
    (void)iface->rect();
    for (int i = 0; i < iface->childCount(); ++i)
        visited += walk(iface->child(i), depth + 1);
    return visited;
}

// What reached the screen: panel 1's text at each of its paints, and the frames on the line
// when the notice appeared and went.
class ScreenRecorder : public QObject {
public:
    ScreenRecorder(QLabel *panel1, QWidget *notice, SimulatedLine &line) : panel1_(panel1), notice_(notice), line_(line)
    {
        panel1->installEventFilter(this);
        notice->installEventFilter(this);
        panel1->window()->installEventFilter(this);
    }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == panel1_ && e->type() == QEvent::Paint)
            paintedPanel1 << panel1_->text();
        windowLayouts += o == panel1_->window() && e->type() == QEvent::LayoutRequest;
        if (o == notice_ && (e->type() == QEvent::Show || e->type() == QEvent::Hide))
            noticeChanges << qMakePair(e->type() == QEvent::Show, line_.frames().size());
        return false;
    }
    QStringList paintedPanel1;
    int windowLayouts = 0; // the window laid out again
    QList<QPair<bool, size_t>> noticeChanges; // shown, frames on the line by then

private:
    QLabel *panel1_;
    QWidget *notice_;
    SimulatedLine &line_;
};

// Only an upper bound: each wait ends as soon as the screen shows what it waits for.
constexpr int kWait = 120000;

} // namespace

class ScreenFollowsLineTest : public QObject {
    Q_OBJECT

private slots:
    void throughADeadLineAndBack()
    {
        UiTestEnvironment env;
        SimulatedLine line(presentBlocks({0, 1}));
        QVERIFY(line.start());
        MainDisp w;
        w.regRead();
        markPresent({0, 1});
        bool opened = false;
        runOnLink(w.comm(), [&opened, &line](tobrel::STDComm &link) {
            link.setPort(QStringLiteral("COM1"));
            link.setBaudRate(QStringLiteral("9600"));
            opened = link.PortOpen();
            link.setTimeOut(300);
            line.driveDeadlineOf(link); // an unanswered frame times out at once
        });
        QVERIFY(opened);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        int walks = 0;
        QTimer reader;
        connect(&reader, &QTimer::timeout, &w, [&] { walks += walk(QAccessible::queryAccessibleInterface(&w)) > 0; });
        reader.start(100); // a screen reader reads again and again, not back to back

        ScreenRecorder screen(w.StatusBar1_Panel[0], w.Text_readmsg2, line);
        w.comm().timer4().start();
        QTRY_COMPARE_WITH_TIMEOUT(w.statusPanelText(1), QStringLiteral("OK"), kWait);
        // Polls answered in time neither repaint panel 1 nor lay anything out.
        screen.windowLayouts = 0;
        screen.paintedPanel1.clear();
        const size_t polled = line.frames().size();
        QTRY_VERIFY_WITH_TIMEOUT(line.frames().size() >= polled + 10, kWait);
        QCOMPARE(screen.paintedPanel1, QStringList());
        QCOMPARE(screen.windowLayouts, 0);

        // The line goes dead.
        sim::Faults dead;
        dead.drop = 1.0;
        const size_t cut = line.frames().size() + 1; // the frame on the line now may still be answered
        line.server().setFaults(dead);
        QTRY_VERIFY_WITH_TIMEOUT(w.Text_readmsg2->isVisible(), kWait);
        QCOMPARE(screen.noticeChanges.size(), 1);
        QVERIFY2(screen.noticeChanges[0].second <= cut + 1, "the notice waits for no second unanswered frame");
        screen.paintedPanel1.clear();
        const size_t shown = line.frames().size();
        QTRY_VERIFY_WITH_TIMEOUT(line.frames().size() >= shown + 10, kWait);
        QCOMPARE(w.statusPanelText(1), QString());
        QVERIFY(!screen.paintedPanel1.contains(QStringLiteral("OK")));
        QVERIFY(w.Text_readmsg2->isVisible());

        // It answers again: the notice goes at the first answer.
        const size_t back = line.frames().size();
        line.server().setFaults(sim::Faults());
        QTRY_VERIFY_WITH_TIMEOUT(!w.Text_readmsg2->isVisible(), kWait);
        QCOMPARE(screen.noticeChanges.size(), 2);
        QVERIFY(screen.noticeChanges[1].second <= back + 2);
        QTRY_COMPARE_WITH_TIMEOUT(w.statusPanelText(1), QStringLiteral("OK"), kWait);
        QVERIFY(walks > 0);

        reader.stop();
        w.comm().timer4().stop();
        w.comm().closePort();
    }
};

QTEST_MAIN(ScreenFollowsLineTest)
#include "tst_screen_follows_line.moc"
