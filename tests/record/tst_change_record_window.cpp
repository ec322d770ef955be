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
        w.openWindow(); // read on a thread of its own: the rows come to the window's thread
        QTRY_VERIFY(!w.reading());
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
        QTRY_VERIFY(!w.verifying());
        QVERIFY2(w.Result_label->text().endsWith(QLatin1String("2026_12.csv: OK, 3 changes follow the chain (sequence numbers 1 to 3).")),
                 qPrintable(w.Result_label->text()));
        f.setBytes(f.bytes().replace("\"160.5\",\"158.0\"", "\"160.5\",\"150.0\""));
        QTest::mouseClick(w.Command_verify, Qt::LeftButton);
        QTRY_VERIFY(!w.verifying());
        QVERIFY2(w.Result_label->text().contains(QLatin1String("2026_12.csv: 1 line does not follow, 2 changes follow the chain (sequence numbers 1 to 3).\n  line 3 does not follow")),
                 qPrintable(w.Result_label->text()));
    }

    // Every file given is checked, a folder's month files too; the exit code is 0 only when all
    // of them follow.
    void verifyOptionOfTheProgram()
    {
        RecordFixture f;
        f.add(at(11, 6, 9, 5), 40, "0001", "150.0", "160.5", ChangeOrigin::Editor);
        f.add(at(12, 6, 9, 5), 40, "0001", "160.5", "170.5", ChangeOrigin::Editor);
        const QString november = f.path(2026, 11);
        const QString december = f.path(2026, 12);
        f.bytes();
        const auto run = [](const QStringList &paths, QByteArray *out, QByteArray *err) {
            QProcess program;
            program.start(QStringLiteral(PLM870_MONITOR_PROGRAM), QStringList{QStringLiteral("--verify-changes")} + paths);
            if (!program.waitForFinished(30000))
                return -1;
            *out = program.readAllStandardOutput();
            *err = program.readAllStandardError();
            return program.exitCode();
        };
        QByteArray out, err;
        QCOMPARE(run({november, december}, &out, &err), 0);
        QCOMPARE(out, (november + QStringLiteral(": OK, 1 change follows the chain (sequence number 1).\n") + december
                       + QStringLiteral(": OK, 1 change follows the chain (sequence number 2).\n")).toLocal8Bit());
        f.setBytes(f.bytes().replace("170.5", "180.5"));
        QCOMPARE(run({november, december}, &out, &err), 1);
        QCOMPARE(out, (november + QStringLiteral(": OK, 1 change follows the chain (sequence number 1).\n")).toLocal8Bit());
        QVERIFY2(err.startsWith((december + QStringLiteral(": 1 line does not follow, 0 changes follow the chain (sequence number 2).\n  line 2 "
                                                           "does not follow")).toLocal8Bit()), err.constData());
        QCOMPARE(run({f.dir.path()}, &out, &err), 1);
        QVERIFY(err.startsWith(december.toLocal8Bit()));
    }
};

QTEST_MAIN(ChangeRecordWindowTest)
#include "tst_change_record_window.moc"
