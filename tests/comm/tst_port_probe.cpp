// Opening the stored port and proving the controller on it: stored value repair, what counts
// as an answer, the port dialog shown once, and link request 9.
#include "DeviceModel.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "PtyServer.h"
#include "Line.h"
#include "STDComm.h"
#include "SimulatedLine.h"

#include <QSerialPort>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>

using namespace PLM_INC;

namespace {

std::unique_ptr<MonitorComm> commWithView(RecordingLinkView &view)
{
    // Frames are counted tick by tick: the link lives on this thread.
    auto comm = std::make_unique<MonitorComm>(std::unique_ptr<tobrel::Line>());
    comm->setView(&view);
    return comm;
}

const QByteArray kNoDevice = "/nonexistent/plm870-test-port";

// The threads that opened the watched file: every open of this process passes here first.
std::mutex g_opens;
QByteArray g_watched;
QList<Qt::HANDLE> g_openers;

} // namespace

extern "C" int open64(const char *path, int flags, ...)
{
    va_list more;
    va_start(more, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(more, int)) : 0;
    va_end(more);
    if (std::lock_guard<std::mutex> lock(g_opens); g_watched == path)
        g_openers << QThread::currentThreadId();
    static const auto real = reinterpret_cast<int (*)(const char *, int, ...)>(dlsym(RTLD_NEXT, "open64"));
    return real(path, flags, mode);
}

class PortProbeTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (int n = 1; n <= 8; ++n)
            qunsetenv(QStringLiteral("PLM870_COM%1").arg(n).toLatin1().constData());
    }

    // After a failed probe the dialog's line says why, in words the operator can act on.
    void aFailedProbeSaysWhy_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("line");
        QTest::newRow("no such device") << "missing" << "COM1 (%1) is not present on this machine.";
        QTest::newRow("another program holds the port") << "held" << "COM1 (%1) is busy: another program has it open.";
        QTest::newRow("the controller refuses") << "nak" << "No answer from the controller on COM1 (%1).";
        QTest::newRow("unplugged adapter named outright") << "unplugged" << "%1 is not present on this machine.";
    }
    void aFailedProbeSaysWhy()
    {
        QFETCH(QString, situation);
        QFETCH(QString, line);
        CommTestEnvironment env;
        sim::DeviceModel model = presentBlocks({0});
        model.block(0).nakAll = true;
        SimulatedLine sim(std::move(model));
        QVERIFY(sim.start());
        QString port = QStringLiteral("COM1");
        QString device = QString::fromStdString(sim.server().slavePath());
        QSerialPort holder;
        if (situation == QLatin1String("missing")) {
            device = QString::fromLatin1(kNoDevice);
            qputenv("PLM870_COM1", kNoDevice);
        } else if (situation == QLatin1String("held")) {
            holder.setPortName(device);
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (situation == QLatin1String("unplugged")) {
            port = device = QStringLiteral("/dev/serial/by-id/usb-plm870-test-unplugged-if00-port0");
        }
        RecordingLinkView view;
        auto comm = commWithView(view);
        sim.driveDeadlineOf(comm->PLMCom());
        QCOMPARE(comm->ProbePort(port, QStringLiteral("9600")), QString());
        QCOMPARE(view.portProblems, QStringList{line.arg(device)});
        QCOMPARE(view.portDialogs.size(), 1);
        // A second failure tells it again, the dialog stays as it is.
        QCOMPARE(comm->ProbePort(port, QStringLiteral("9600")), QString());
        QCOMPARE(view.portProblems.size(), 2);
        QCOMPARE(view.portDialogs.size(), 1);
    }

    void storedValuesOutsideTheChoiceAreRepairedBeforeTheFirstProbe()
    {
        CommTestEnvironment env;
        Prefs::set(QStringLiteral("Port"), QStringLiteral("COM9"));
        Prefs::set(QStringLiteral("Speed"), QStringLiteral("4800"));
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        QCOMPARE(comm->ConnectStoredPort(), QStringLiteral("ok"));
        QCOMPARE(Prefs::get(QStringLiteral("Port")), QStringLiteral("COM1"));
        QCOMPARE(Prefs::get(QStringLiteral("Speed")), QStringLiteral("9600"));
        QCOMPARE(view.portSelections, (QList<QPair<QString, QString>>{{"COM1", "9600"}}));
        QCOMPARE(comm->PLMCom().Port(), QStringLiteral("COM1"));
        QCOMPARE(comm->PLMCom().BaudRate(), QStringLiteral("9600"));
        QCOMPARE(comm->PLMCom().timeOutMs(), 300);
        QCOMPARE(line.summary(), QStringList({"R 0 00A0"}));
        QVERIFY(view.portDialogs.isEmpty());
        // The probe reads nothing into the image and records nothing.
        QCOMPARE(ChannelConnected[0], int16_t(0));
        QCOMPARE(HistoryRow, int16_t(1));
        QVERIFY(view.panel1History.isEmpty());
    }

    // "COM1".."COM8" keep their meaning and a device named outright is kept as it is; any
    // other stored text is repaired to COM1 before the first probe.
    void storedPortsTheProbeKeeps_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("used");
        for (int n = 1; n <= 8; ++n)
            QTest::addRow("COM%d", n) << QStringLiteral("COM%1").arg(n) << QStringLiteral("COM%1").arg(n);
        QTest::newRow("device named outright") << "device" << "device";
        for (const char *bad : {"COM9", "COM0", "com2", "LPT1", "ttyUSB0", ""})
            QTest::addRow("'%s' repaired", bad) << QString::fromLatin1(bad) << "COM1";
    }
    void storedPortsTheProbeKeeps()
    {
        QFETCH(QString, stored);
        QFETCH(QString, used);
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        const QByteArray pty = QByteArray::fromStdString(line.server().slavePath());
        for (int n = 1; n <= 8; ++n)
            qputenv(QStringLiteral("PLM870_COM%1").arg(n).toLatin1().constData(), pty);
        if (stored == QLatin1String("device"))
            stored = used = QString::fromLatin1(pty);
        Prefs::set(QStringLiteral("Port"), stored);
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        QCOMPARE(comm->ConnectStoredPort(), QStringLiteral("ok"));
        QCOMPARE(Prefs::get(QStringLiteral("Port")), used);
        QCOMPARE(comm->PLMCom().Port(), used);
        QCOMPARE(view.portSelections.size(), stored == used ? 0 : 1);
    }

    void validStoredValuesAreKept()
    {
        CommTestEnvironment env;
        Prefs::set(QStringLiteral("Speed"), QStringLiteral("19200"));
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        QCOMPARE(comm->ConnectStoredPort(), QStringLiteral("ok"));
        QCOMPARE(comm->PLMCom().BaudRate(), QStringLiteral("19200"));
        QVERIFY(view.portSelections.isEmpty());
    }

    void aNegativeReplyFromBlockZeroFailsTheProbe()
    {
        CommTestEnvironment env;
        sim::DeviceModel model = presentBlocks({0});
        model.block(0).nakAll = true;
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        const QString device = QString::fromStdString(line.server().slavePath());
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        QCOMPARE(comm->ProbePort(QStringLiteral("COM1"), QStringLiteral("9600")), QString());
        QCOMPARE(line.summary(), QStringList({"R 0 00A0"}));
        QCOMPARE(view.portDialogs, (QList<QPair<QString, QString>>{{"COM1", "9600"}}));
        QCOMPARE(comm->portDialogShown(), int16_t(-1));
        QCOMPARE(HistoryRow, int16_t(1)); // not classified
        QCOMPARE(CommError, int16_t(0));
        // OK while still silent, then the controller answers: the dialog's line says so.
        comm->commDialogOk();
        QCOMPARE(comm->ProbePort(QStringLiteral("COM1"), QStringLiteral("9600")), QString());
        line.server().withModel([](sim::DeviceModel &m) { m.block(0).nakAll = false; });
        QCOMPARE(comm->ProbePort(QStringLiteral("COM1"), QStringLiteral("9600")), QStringLiteral("ok"));
        QCOMPARE(view.portProblems.last(), QStringLiteral("The controller answers on COM1 (%1).").arg(device));
    }

    // While the dialog is up the operator may try the port with another program (a terminal,
    // a vendor tool): a failed probe lets go of the port before it offers the dialog.
    void theProbeLetsGoOfThePortBeforeTheDialog_data()
    {
        QTest::addColumn<bool>("blockZeroAnswers");
        QTest::addColumn<bool>("dialogShown");
        QTest::addColumn<bool>("portFreeAfterwards");
        QTest::newRow("block 0 refuses: dialog, port free") << false << true << true;
        QTest::newRow("block 0 answers: no dialog, port kept") << true << false << false;
    }
    void theProbeLetsGoOfThePortBeforeTheDialog()
    {
        QFETCH(bool, blockZeroAnswers);
        QFETCH(bool, dialogShown);
        QFETCH(bool, portFreeAfterwards);
        CommTestEnvironment env;
        sim::DeviceModel model = presentBlocks({0});
        model.block(0).nakAll = !blockZeroAnswers;
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        const QString device = QString::fromStdString(line.server().slavePath());
        auto anotherProgramOpens = [device] {
            QSerialPort other;
            other.setPortName(device);
            const bool opened = other.open(QIODevice::ReadWrite);
            other.close();
            return opened;
        };
        RecordingLinkView view;
        int freeWhileDialogUp = -1;
        view.onPortDialog = [&] { freeWhileDialogUp = anotherProgramOpens() ? 1 : 0; };
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        QCOMPARE(comm->ProbePort(QStringLiteral("COM1"), QStringLiteral("9600")).isEmpty(), !blockZeroAnswers);
        QCOMPARE(line.summary(), QStringList({"R 0 00A0"}));
        QCOMPARE(!view.portDialogs.isEmpty(), dialogShown);
        if (dialogShown)
            QCOMPARE(freeWhileDialogUp, 1);
        QCOMPARE(anotherProgramOpens(), portFreeAfterwards);
    }

    // The product's line thread: after a failed open the device is looked at again there,
    // never on the window's thread, and the dialog's line says what was found.
    void noDeviceIsOpenedOnTheWindowsThread()
    {
        CommTestEnvironment env;
        QTemporaryFile notASerialDevice;
        QVERIFY(notASerialDevice.open());
        qputenv("PLM870_COM1", QFile::encodeName(notASerialDevice.fileName()));
        {
            std::lock_guard<std::mutex> lock(g_opens);
            g_watched = QFile::encodeName(notASerialDevice.fileName());
        }
        RecordingLinkView view;
        MonitorComm comm;
        comm.setView(&view);
        comm.ProbePort(QStringLiteral("COM1"), QStringLiteral("9600"));
        QTRY_COMPARE_WITH_TIMEOUT(view.portProblems.size(), 1, 20000);
        QVERIFY(view.portProblems[0].startsWith(QStringLiteral("COM1 (%1) cannot be opened").arg(notASerialDevice.fileName())));
        std::lock_guard<std::mutex> lock(g_opens);
        QVERIFY(g_openers.size() >= 2 && !g_openers.contains(QThread::currentThreadId())); // the open and the look
    }

    void theDialogIsShownOnceUntilOk()
    {
        CommTestEnvironment env;
        qputenv("PLM870_COM1", kNoDevice);
        Prefs::set(QStringLiteral("Speed"), QStringLiteral("19200"));
        RecordingLinkView view;
        auto comm = commWithView(view);
        QCOMPARE(comm->ConnectStoredPort(), QString());
        QCOMPARE(comm->ConnectStoredPort(), QString());
        QCOMPARE(view.portDialogs, (QList<QPair<QString, QString>>{{"COM1", "19200"}}));
        comm->commDialogOk();
        QCOMPARE(comm->ConnectStoredPort(), QString());
        QCOMPARE(view.portDialogs.size(), 2);
        qunsetenv("PLM870_COM1");
    }

    void theMainLoopStartsTheLinkTimerAfterTheProbe()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        LinkRequest = 5;
        comm->communicate();
        QCOMPARE(LinkRequest, int16_t(0));
        QVERIFY(comm->timer4().isActive());
        QCOMPARE(comm->timer4().interval(), 0);
        QVERIFY(comm->PLMCom().EventsCheck());
        comm->timer4().stop();
    }

    void withoutAnAnswerTheLinkRetriesOnEveryTick()
    {
        CommTestEnvironment env;
        sim::DeviceModel model; // nobody answers yet
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        comm->communicate();
        comm->timer4().stop(); // ticks by hand
        QCOMPARE(LinkRequest, int16_t(9));
        QCOMPARE(view.portDialogs.size(), 1);
        comm->Timer4_Timer();
        QCOMPARE(LinkRequest, int16_t(9));
        QCOMPARE(view.portDialogs.size(), 1);
        QCOMPARE(line.summary(), QStringList({"R 0 00A0", "R 0 00A0"}));

        // The operator picks COM2 in the dialog; the next attempt uses it.
        qputenv("PLM870_COM2", QByteArray::fromStdString(line.server().slavePath()));
        qputenv("PLM870_COM1", kNoDevice);
        line.server().withModel([](sim::DeviceModel &m) {
            m.block(0).present = true;
            m.block(0).connected.fill(1);
        });
        Prefs::set(QStringLiteral("Port"), QStringLiteral("COM2"));
        comm->commDialogOk();
        comm->Timer4_Timer();
        QCOMPARE(LinkRequest, int16_t(0));
        QCOMPARE(comm->PLMCom().Port(), QStringLiteral("COM2"));
        qunsetenv("PLM870_COM2");
    }

    // A device that vanishes makes every transaction fail at once; the link must not spin
    // the processor retrying it every millisecond.
    void aVanishedDeviceSlowsTheLinkTimerUntilTheLineCarriesAgain()
    {
        CommTestEnvironment env;
        qputenv("PLM870_COM1", kNoDevice);
        RecordingLinkView view;
        auto comm = commWithView(view);
        comm->communicate();
        QCOMPARE(LinkRequest, int16_t(9));
        QVERIFY(comm->lineFailing());
        QVERIFY(comm->timer4().interval() >= 300);

        int ticks = 0;
        connect(&comm->timer4(), &PacedTimer::timeout, [&ticks] { ++ticks; });
        QTest::qWait(1000);
        QVERIFY2(ticks <= 5, qPrintable(QString::number(ticks) + " ticks in one second"));
        QVERIFY(ticks >= 1); // still trying
        comm->timer4().stop();

        // The device comes back: the probe succeeds and the link runs back to back again.
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        line.driveDeadlineOf(comm->PLMCom());
        comm->Timer4_Timer();
        QCOMPARE(LinkRequest, int16_t(0));
        QVERIFY(!comm->lineFailing());
        QCOMPARE(comm->timer4().interval(), 0);
    }

    void withNoBlockPresentTheLinkTimerIdles()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = commWithView(view);
        line.driveDeadlineOf(comm->PLMCom());
        comm->communicate();
        comm->timer4().stop();
        BlockAbsent.fill(1);
        LinkRequest = 1;
        line.clear();
        comm->Timer4_Timer();
        QVERIFY(line.frames().empty());
        QVERIFY(comm->timer4().interval() >= 300);
        BlockAbsent[0] = 0;
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"R 0 0080"}));
        QCOMPARE(comm->timer4().interval(), 0);
    }
};

QTEST_GUILESS_MAIN(PortProbeTest)
#include "tst_port_probe.moc"
