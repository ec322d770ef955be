// A restart against the simulator on a pseudo-terminal: once the start-up read is done the
// chart resumes first (from point 0), then the log file name is put in its label, then
// logging resumes in the stored file; a first run resumes nothing and names a new file.
#include "ChartPage.h"
#include "ChartSampling.h"
#include "DeviceModel.h"
#include "LoggingPage.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "ProgramEntry.h"
#include "SimulatedLine.h"
#include "Tobrel_ChartCtl.h"
#include "UiTestEnvironment.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace PLM_INC;

class TestResumeAfterRestart : public QObject {
    Q_OBJECT
private slots:
    void resumeOrder_data()
    {
        QTest::addColumn<bool>("runningAtClose");
        QTest::newRow("chart and logging ran at the close") << true;
        QTest::newRow("first run") << false;
    }
    void resumeOrder()
    {
        QFETCH(bool, runningAtClose);
        UiTestEnvironment env;
        const QString notRegistered = QStringLiteral("Not registered.(Please register.)");
        const QString old = env.home() + QStringLiteral("/logging/old.txt");
        const QByteArray oldContent = "\"PLM-870 Process variable data\"\r\n\"Data  : 2026/12/05\"\r\n\"Time\",\r\n";
        if (runningAtClose) {
            QDir().mkpath(env.home() + QStringLiteral("/logging"));
            QFile file(old);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(oldContent);
            file.close();
            for (const auto &[key, value] : QList<QPair<QString, QString>>{{"Chart_start", "1"},
                                                                         {"log_restart", "1"},
                                                                         {"log_name", old},
                                                                         {"log_start", "1"},
                                                                         {"Chart_PrVis1", "0"}})
                env.store(key, value);
        }
        SimulatedLine line(sim::DeviceModel::allBlocks(16));
        QVERIFY(line.start());
        ProgramEntry program;
        program.start();
        MainDisp &w = program.mainDisp();
        ChartPage &chart = *w.chartPage;
        LoggingPage &logging = *w.loggingPage;
        QCOMPARE(logging.Check1->isChecked(), runningAtClose);

        QStringList order;
        const auto resumeChart = w.resumeChart;
        const auto resumeLogging = w.resumeLogging;
        w.resumeChart = [&] {
            order << QStringLiteral("chart, label: ") + logging.Savename_text->text();
            resumeChart();
        };
        w.resumeLogging = [&] {
            order << QStringLiteral("logging, chart running: %1").arg(chart.sampling().running());
            resumeLogging();
        };
        QTRY_VERIFY_WITH_TIMEOUT(w.started(), 60000);
        QCOMPARE(order, (QStringList{QStringLiteral("chart, label: ") + notRegistered,
                                     QStringLiteral("logging, chart running: %1").arg(runningAtClose)}));

        // The chart: from point 0, pen 2 hidden, the first sample from the values just read.
        QCOMPARE(chart.Timer2->isActive(), runningAtClose);
        QCOMPARE(chart.ChartStart[1]->isEnabled(), runningAtClose);
        QCOMPARE(chart.ChartStart[0]->isEnabled(), false);
        QCOMPARE(w.statusPanelText(3), runningAtClose ? QStringLiteral("Chart run") : QStringLiteral("Chart standby"));
        Tobrel_ChartCtl &control = *chart.Tobrel_ChartCtl1;
        QCOMPARE(control.segment(0, 0).has_value(), runningAtClose);
        if (runningAtClose) {
            QCOMPARE(control.valueLabel(0), QString::number(*PenSample(PenProcessValue, 0)));
            QCOMPARE(control.valueLabel(1), QString());
            QVERIFY(!chart.Label_protname[1]->isEnabled());
        }

        // Logging: in the stored file, appended without a header; or a new name, standby.
        const QString name = runningAtClose ? old : env.home() + QStringLiteral("/logging/2026_12_6_9_5_7.txt");
        QCOMPARE(logging.Savename_text->text(), name);
        QCOMPARE(logging.Timer1->isActive(), runningAtClose);
        QCOMPARE(logging.Command1[0]->isEnabled(), !runningAtClose);
        QCOMPARE(w.statusPanelText(2), runningAtClose ? QStringLiteral("Logging run") : QStringLiteral("Logging standby"));
        QFile file(name);
        if (runningAtClose) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), oldContent + "\"2026/12/06 09:05:07\",\r\n");
        } else {
            QVERIFY(!file.exists());
        }
        QVERIFY(env.prompter.messages.isEmpty());
        w.endProgram();
    }
};

QTEST_MAIN(TestResumeAfterRestart)
#include "tst_resume_after_restart.moc"
