// The port dialog and the alarm history window.
#include "AlarmHistory.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SubDisp_History.h"
#include "SubDisp_comm.h"
#include "UiTestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

class DialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<UiTestEnvironment> env;
    std::unique_ptr<MainDisp> w;

private slots:
    void init()
    {
        env = std::make_unique<UiTestEnvironment>();
        w = std::make_unique<MainDisp>();
        CreateHistoryFile(env->dir.path(), env->clock.now());
        w->regRead();
    }
    void cleanup()
    {
        w.reset();
        env.reset();
    }

    void portDialogOkStoresPortAndSpeed()
    {
        SubDisp_comm *d = w->subDispComm;
        QCOMPARE(d->windowTitle(), QStringLiteral("Communication environment setting display"));
        QCOMPARE(d->selectedPort(), QStringLiteral("COM1"));
        QCOMPARE(d->Combo_Rate->currentText(), QStringLiteral("9600"));
        w->showPortDialog(QStringLiteral("COM1"), QStringLiteral("9600"));
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
        d->Combo_Port->setCurrentIndex(d->Combo_Port->findData(QStringLiteral("COM2")));
        d->Combo_Rate->setCurrentIndex(1);
        QTest::mouseClick(d->Command1, Qt::LeftButton);
        QVERIFY(!d->isVisible());
        QCOMPARE(Prefs::get(QStringLiteral("Port")), QStringLiteral("COM2"));
        QCOMPARE(Prefs::get(QStringLiteral("Speed")), QStringLiteral("19200"));
        QCOMPARE(w->comm().portDialogShown(), int16_t(0));
        QVERIFY(env->prompter.messages.isEmpty());
    }

    // Beside each COMn the device it stands for and whether it is there; a device named
    // outright is offered, selected and stored as its name; the reason for the last failure
    // stands in one line under the choices.
    void portDialogShowsDevicesAndStoresTheChoice()
    {
        QFile standIn(env->dir.filePath(QStringLiteral("ttyUSB0")));
        QVERIFY(standIn.open(QIODevice::WriteOnly));
        const QString byId = env->dir.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
        QVERIFY(QFile::link(standIn.fileName(), byId));
        qputenv("PLM870_COM1", QFile::encodeName(standIn.fileName()));
        qputenv("PLM870_COM2", "/nonexistent/plm870-com2");
        SubDisp_comm *d = w->subDispComm;
        w->showPortDialog(byId, QStringLiteral("19200"));
        QCOMPARE(d->Combo_Port->itemText(0), QStringLiteral("COM1  (%1)").arg(standIn.fileName()));
        QCOMPARE(d->Combo_Port->itemText(1), QStringLiteral("COM2  (/nonexistent/plm870-com2, not present)"));
        QCOMPARE(d->selectedPort(), byId);
        QCOMPARE(d->Combo_Port->currentText(), byId);
        QVERIFY(d->Label_portstate->isHidden());
        w->setPortProblem(QStringLiteral("COM1 (/dev/ttyUSB0) is busy: another program has it open."));
        QVERIFY(!d->Label_portstate->isHidden());
        QCOMPARE(d->Label_portstate->text(), QStringLiteral("COM1 (/dev/ttyUSB0) is busy: another program has it open."));
        QTest::mouseClick(d->Command1, Qt::LeftButton);
        QCOMPARE(Prefs::get(QStringLiteral("Port")), byId);
        QCOMPARE(Prefs::get(QStringLiteral("Speed")), QStringLiteral("19200"));

        // COM2 chosen: stored as COM2, whatever device it stands for here.
        w->showPortDialog(Prefs::get(QStringLiteral("Port")), QStringLiteral("9600"));
        QCOMPARE(d->selectedPort(), byId);
        d->Combo_Port->setCurrentIndex(d->Combo_Port->findData(QStringLiteral("COM2")));
        QTest::mouseClick(d->Command1, Qt::LeftButton);
        QCOMPARE(Prefs::get(QStringLiteral("Port")), QStringLiteral("COM2"));
        w->setPortProblem(QString());
        QVERIFY(d->Label_portstate->isHidden());
        qunsetenv("PLM870_COM1");
        qunsetenv("PLM870_COM2");
    }

    void shutDownEndsWithoutTheClosingQuestion()
    {
        QSignalSpy ended(w.get(), &MainDisp::programEnded);
        w->showPortDialog(QStringLiteral("COM1"), QStringLiteral("9600"));
        QTest::mouseClick(w->subDispComm->Command3, Qt::LeftButton);
        QCOMPARE(env->prompter.messages, QStringList{QStringLiteral("Shuts down the software.")});
        QVERIFY(env->prompter.questions.isEmpty());
        QCOMPARE(ended.count(), 1);
        QVERIFY(w->quitFlag());
        QVERIFY(!w->subDispComm->isVisible());
    }

    // While no controller answers, the port dialog is the operator's only way on: a stray
    // Escape or the window's close button must not take it away. OK and Shut down still work.
    void portDialogStaysUntilOkOrShutDown_data()
    {
        QTest::addColumn<QString>("attempt");
        QTest::addColumn<QString>("then");
        QTest::newRow("Escape, then OK") << "escape" << "ok";
        QTest::newRow("close button, then OK") << "close" << "ok";
        QTest::newRow("Escape twice, then Shut down") << "escape,escape" << "shutdown";
        QTest::newRow("close button, then Shut down") << "close" << "shutdown";
    }
    void portDialogStaysUntilOkOrShutDown()
    {
        QFETCH(QString, attempt);
        QFETCH(QString, then);
        QSignalSpy ended(w.get(), &MainDisp::programEnded);
        SubDisp_comm *d = w->subDispComm;
        w->showPortDialog(QStringLiteral("COM1"), QStringLiteral("9600"));
        QVERIFY(QTest::qWaitForWindowExposed(d));
        for (const QString &a : attempt.split(QLatin1Char(','))) {
            if (a == QLatin1String("escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else
                QVERIFY(!d->close());
            QVERIFY2(d->isVisible(), qPrintable(a));
        }
        if (then == QLatin1String("ok")) {
            QTest::mouseClick(d->Command1, Qt::LeftButton);
            QVERIFY(!d->isVisible());
            QCOMPARE(ended.count(), 0);
        } else {
            QTest::mouseClick(d->Command3, Qt::LeftButton);
            QVERIFY(!d->isVisible());
            QCOMPARE(ended.count(), 1);
        }
    }

    void historyGridFollowsEntriesAndRefillsFromTheBuffer()
    {
        SubDisp_History *h = w->subDispHistory;
        QCOMPARE(h->windowTitle(), QStringLiteral("Alarm history"));
        QCOMPARE(h->MSFlexGrid1->columnCount(), 4);
        QCOMPARE(h->MSFlexGrid1->rowCount(), 101);
        QCOMPARE(h->MSFlexGrid1->horizontalHeaderItem(0)->text(), QStringLiteral("Date"));
        QCOMPARE(h->MSFlexGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("Contain"));
        QVERIFY(h->MSFlexGrid1->columnWidth(3) > h->MSFlexGrid1->columnWidth(2));

        // Entries arrive while the window is hidden.
        Prefs::set(QStringLiteral("Chname004"), QStringLiteral("Oven"));
        Hystory_Write(QStringLiteral("Alarm1"), 3, true);
        Hystory_Write(QStringLiteral("NAK"), 0, true);
        QVERIFY(!h->isVisible());
        QCOMPARE(h->cellText(1, 2), QStringLiteral("Oven"));
        QCOMPARE(h->cellText(1, 3), QStringLiteral("Alarm 1 was turned on."));
        QCOMPARE(h->cellText(2, 2), QStringLiteral("----"));

        // Opening from the menu shows the buffer; the grid was changed behind its back.
        h->MSFlexGrid1->item(1, 3)->setText(QStringLiteral("scribbled"));
        w->menuAction(QStringLiteral("mnuHistory"))->trigger();
        QVERIFY(h->isVisible());
        QCOMPARE(h->cellText(2, 3), QStringLiteral("Received Negative acknowledgement from HRV-600."));
        QCOMPARE(h->cellText(1, 0), HistoryBuffer[0][0]);

        // Clear empties grid and buffer; the next entry goes to row 1.
        QTest::mouseClick(h->Command1[1], Qt::LeftButton);
        QCOMPARE(h->cellText(1, 3), QString());
        QCOMPARE(h->cellText(2, 3), QString());
        QCOMPARE(HistoryBuffer[1][3], QString());
        QCOMPARE(HistoryRow, int16_t(1));
        Hystory_Write(QStringLiteral("HB"), 3, false);
        QCOMPARE(h->cellText(1, 3), QStringLiteral("Heater burnout alarm was turned off."));

        QTest::mouseClick(h->Command1[2], Qt::LeftButton);
        QVERIFY(!h->isVisible());
    }

    void historyRingMarksTheNextRow()
    {
        SubDisp_History *h = w->subDispHistory;
        for (int i = 0; i < 100; ++i)
            Hystory_Write(QStringLiteral("Alarm2"), 1, i % 2 == 0);
        QCOMPARE(h->cellText(100, 3), QStringLiteral("Alarm 2 was turned off."));
        Hystory_Write(QStringLiteral("UPS"), 1, true); // the 101st entry goes to row 1
        QCOMPARE(h->cellText(1, 3), QStringLiteral("PV was in the state of overscale."));
        QCOMPARE(h->cellText(2, 3), QString()); // the marker of the next entry
    }

    void everyMenuEntryIsThere()
    {
        const QStringList entries = {QStringLiteral("End(&E)"), QStringLiteral("Block name(&B)"), QStringLiteral("Channel name(&C)"),
                                     QStringLiteral("Normal view(&W)"), QStringLiteral("Min.(&N)"), QStringLiteral("Full screen(&X)"),
                                     QStringLiteral("Channel(&C)"), QStringLiteral("Block(&B)"), QStringLiteral("All channels(&A)"),
                                     QStringLiteral("Factory adjusted value(&K)"), QStringLiteral("Alarm history(&A)"),
                                     QStringLiteral("Help(&M)"), QStringLiteral("Version information(&V)")};
        QStringList found;
        for (QAction *a : w->findChildren<QAction *>())
            found << a->text();
        for (const QString &e : entries)
            QVERIFY2(found.contains(e), qPrintable(e));
    }
};

QTEST_MAIN(DialogTest)
#include "tst_dialogs.moc"
