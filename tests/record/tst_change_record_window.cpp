// The change record window on the offscreen platform: filter, copy, verify and the names a
// screen reader gets; the window program's --verify-changes.
#include "ChangeRecordWindow.h"
#include "RecordFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace PLM_INC;

class ChangeRecordWindowTest : public QObject {
    Q_OBJECT

private slots:
    void filterCopyAndVerify()
    {
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "150.0", "160.5", ChangeOrigin::Editor);
        f.add(at(12, 6, 9, 6), 40, "0001", "160.5", "158.0", ChangeOrigin::AtUnit);
        f.add(at(12, 6, 9, 7), 41, "0002", "3.0", "4.0", ChangeOrigin::BlockSend, WriteOutcome::NoReply);
        f.bytes();
        ChangeRecordWindow w(f.dir.path());
        w.openWindow();
        QCOMPARE(w.Changes_table->model()->rowCount(), 3);
        for (const QWidget *control : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (control->focusPolicy() != Qt::NoFocus && control->isVisibleTo(&w))
                QVERIFY2(!control->objectName().isEmpty() && !control->accessibleName().isEmpty(),
                         control->metaObject()->className());

        w.Channel_filter->setCurrentIndex(w.Channel_filter->findData(40));
        QCOMPARE(w.Changes_table->model()->rowCount(), 2);
        w.Changes_table->selectAll();
        QTest::mouseClick(w.Command_copy, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("Time\tBlock\tChannel\tItem\tBefore\tAfter\tOrigin\tWho\tOutcome\n"
                                "2026/12/06 09:06:00\t3\t41\tMain setting value\t160.5\t158.0\tat the unit\tJ\u00fcrgen\ttaken\n"
                                "2026/12/06 09:05:00\t3\t41\tMain setting value\t150.0\t160.5\tsetting editor\tJ\u00fcrgen\ttaken\n"));

        QTest::mouseClick(w.Command_verify, Qt::LeftButton);
        QVERIFY2(w.Result_label->text().endsWith(QLatin1String("2026_12.csv: OK, 3 changes follow the chain.")),
                 qPrintable(w.Result_label->text()));
        f.setBytes(f.bytes().replace("\"160.5\",\"158.0\"", "\"160.5\",\"150.0\""));
        QTest::mouseClick(w.Command_verify, Qt::LeftButton);
        QVERIFY2(w.Result_label->text().contains(QLatin1String("2026_12.csv: line 3 does not follow")),
                 qPrintable(w.Result_label->text()));
    }

    void verifyOptionOfTheProgram()
    {
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "150.0", "160.5", ChangeOrigin::Editor);
        const QString file = f.path(2026, 12);
        f.bytes();
        QProcess program;
        program.start(QStringLiteral(PLM870_MONITOR_PROGRAM), {QStringLiteral("--verify-changes"), file});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(program.readAllStandardOutput(), (file + QStringLiteral(": OK, 1 changes follow the chain.\n")).toLocal8Bit());
        f.setBytes(f.bytes().replace("160.5", "170.5"));
        program.start(QStringLiteral(PLM870_MONITOR_PROGRAM), {QStringLiteral("--verify-changes"), file});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().startsWith((file + QStringLiteral(": line 2 does not follow")).toLocal8Bit()));
    }
};

QTEST_MAIN(ChangeRecordWindowTest)
#include "tst_change_record_window.moc"
