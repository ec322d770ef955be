// The logging page as the operator uses it: Browse, Start and Stop with the frame and the line
// timer, the "Continue to save data " choice, and a log file that cannot be written while
// nobody is at the desk: one box, and logging goes on.
#include "ChartLogFixture.h"
#include "DataLogger.h"
#include "DiskWriter.h"
#include "LogFile.h"
#include "LoggingPage.h"
#include "MainDisp.h"
#include "WidgetPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

namespace {

QList<QMessageBox *> openBoxes(const QString &text)
{
    QList<QMessageBox *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible() && box->text().startsWith(text))
            boxes << box;
    return boxes;
}

} // namespace

class TestLoggingPage : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ChartLogFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

    LoggingPage &page() { return *m_win->loggingPage; }
    void advance(int ms) { m_env->clock.at = m_env->clock.at.addMSecs(ms); }
    // Line timer ticks every 200 ms of the test clock.
    void runFor(int seconds)
    {
        for (int i = 0; i < seconds * 5; ++i) {
            advance(200);
            page().Timer1_Timer();
        }
    }
    void startOn(const QString &name)
    {
        m_env->prompter.chosenFile = m_env->logFolder() + QLatin1Char('/') + name;
        QTest::mouseClick(page().Command1[2], Qt::LeftButton);
        page().log_Check1[0]->setChecked(true);
        QTest::mouseClick(page().Command1[0], Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_env = std::make_unique<ChartLogFixture>();
        m_win = std::make_unique<MainDisp>();
        m_win->regRead();
        m_win->show();
        m_win->SSTab1->setCurrentIndex(6);
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    void browseStartAndStop()
    {
        QCOMPARE(page().Savename_text->text(), QStringLiteral("Not registered.(Please register.)"));
        QCOMPARE(m_win->statusPanelText(2), QStringLiteral("Logging standby"));
        startOn(QStringLiteral("plant"));
        const QString path = m_env->logFolder() + QStringLiteral("/plant.txt");
        QCOMPARE(page().Savename_text->text(), path);
        QVERIFY(page().Timer1->isActive());
        QCOMPARE(page().Timer1->interval(), 200);
        QVERIFY(!page().Frame_logging->isEnabled());
        QVERIFY(!page().Command1[0]->isEnabled());
        QVERIFY(page().Command1[1]->isEnabled());
        QCOMPARE(m_win->statusPanelText(2), QStringLiteral("Logging run"));
        runFor(10);
        const QList<QByteArray> lines = ChartLogFixture::bytes(path).split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[2].startsWith("\"Time\",\"Ch001\","));
        QVERIFY(lines[4].startsWith("\"2026/12/06 09:05:17\",\"0\","));

        QTest::mouseClick(page().Command1[1], Qt::LeftButton);
        QVERIFY(!page().Timer1->isActive());
        QVERIFY(page().Frame_logging->isEnabled());
        QVERIFY(page().Command1[0]->isEnabled());
        QCOMPARE(m_win->statusPanelText(2), QStringLiteral("Logging standby"));
    }

    // The boxes as the operator sees them: the overwrite question with the question icon.
    void theOverwriteQuestionShowsTheQuestionIcon()
    {
        startOn(QStringLiteral("plant"));
        QTest::mouseClick(page().Command1[1], Qt::LeftButton); // the file exists now
        WidgetPrompter boxes;
        setPrompter(&boxes);
        QList<QPair<QString, QMessageBox::Icon>> seen;
        QTimer operatorAnswers;
        operatorAnswers.setInterval(20);
        connect(&operatorAnswers, &QTimer::timeout, this, [&seen] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            seen << qMakePair(box->text(), box->icon());
            QAbstractButton *no = box->button(QMessageBox::No);
            (no ? no : box->button(QMessageBox::Ok))->click();
        });
        operatorAnswers.start();
        QTest::mouseClick(page().Command1[0], Qt::LeftButton);
        operatorAnswers.stop();
        setPrompter(&m_env->prompter);
        const QList<QPair<QString, QMessageBox::Icon>> expected = {
            {QStringLiteral("The same file name exists. Do you want to overwrite?"), QMessageBox::Question},
            {QStringLiteral("Designate a new file name."), QMessageBox::Information}};
        QCOMPARE(seen, expected);
        QVERIFY(!page().Timer1->isActive());
    }

    // Each entry of the interval list schedules the interval its text names.
    void intervalListEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("seconds");
        QTest::newRow("10 sec") << "10 sec" << 10;
        QTest::newRow("30 sec") << "30 sec" << 30;
        QTest::newRow("1 min") << "1 min" << 60;
        QTest::newRow("5 min") << "5 min" << 300;
        QTest::newRow("10 min") << "10 min" << 600;
        QTest::newRow("15 min") << "15 min" << 900;
        QTest::newRow("30 min") << "30 min" << 1800;
        QTest::newRow("1 h") << "1 h" << 3600;
    }
    void intervalListEntries()
    {
        QFETCH(QString, entry);
        QFETCH(int, seconds);
        const int index = page().Logging_time->findText(entry);
        QVERIFY(index >= 0);
        page().Logging_time->setCurrentIndex(index);
        startOn(QStringLiteral("interval"));
        QVERIFY(page().Timer1->isActive());
        QCOMPARE(page().logger().schedule().LogInterval.secondOfDay(), seconds);
    }

    void continueChoice_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("the operator's click stores the name") << true << "chosen";
        QTest::newRow("set from the preferences: nothing stored") << false << "kept";
    }
    void continueChoice()
    {
        QFETCH(bool, byClick);
        QFETCH(QString, storedName);
        Prefs::set(QStringLiteral("log_name"), QStringLiteral("kept"));
        page().Savename_text->setText(QStringLiteral("chosen"));
        if (byClick) {
            QTest::mouseClick(page().Check1, Qt::LeftButton);
        } else {
            Prefs::set(QStringLiteral("log_restart"), QStringLiteral("1"));
            page().loadContinueChoice();
        }
        QVERIFY(page().Check1->isChecked());
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_restart")), QStringLiteral("1"));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_name")), storedName);
    }

    void anUnwritableFileShowsOneBoxAndLoggingGoesOn()
    {
        startOn(QStringLiteral("held.txt"));
        WidgetPrompter boxes;
        setPrompter(&boxes);
        const QString path = page().Savename_text->text();
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path)); // another program holds the file
        runFor(60); // six lines due, none written
        diskWriter().waitUntilWritten(); // the writer reports the failures back
        const QString text = DataLogger::cannotWriteText();
        QList<QMessageBox *> open = openBoxes(text);
        QCOMPARE(open.size(), 1);
        QVERIFY(page().Timer1->isActive());
        QCOMPARE(m_win->statusPanelText(2), QStringLiteral("Logging run"));
        // The operator comes back and closes it; the file is still held: one new box.
        open.first()->close();
        QTRY_COMPARE(openBoxes(text).size(), 0);
        runFor(10);
        diskWriter().waitUntilWritten();
        QCOMPARE(openBoxes(text).size(), 1);
        openBoxes(text).first()->close();
        QTRY_COMPARE(openBoxes(text).size(), 0);
        // The file comes free: lines go in again, without a box.
        QVERIFY(QDir().rmdir(path));
        runFor(10);
        diskWriter().waitUntilWritten();
        QCOMPARE(openBoxes(text).size(), 0);
        QVERIFY(ChartLogFixture::bytes(path).startsWith("\"2026/12/06 09:06:"));
        setPrompter(&m_env->prompter);
    }

    // A failure that comes while a question is open stays on the screen when it is answered.
    void aFailureBoxOutlivesTheQuestionOpenWhenItCame()
    {
        startOn(QStringLiteral("held.txt"));
        WidgetPrompter boxes;
        setPrompter(&boxes);
        QVERIFY(QFile::remove(page().Savename_text->text()) && QDir().mkdir(page().Savename_text->text()));
        const QString text = DataLogger::cannotWriteText();
        QTimer operatorAnswers;
        connect(&operatorAnswers, &QTimer::timeout, this, [&] {
            if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                openBoxes(text).isEmpty() ? runFor(10) : question->button(QMessageBox::No)->click();
        });
        operatorAnswers.start(20);
        boxes.question(QStringLiteral("Do you want to end?"));
        QCoreApplication::processEvents();
        QCOMPARE(openBoxes(text).size(), 1);
        QCOMPARE(openBoxes(text).first()->parentWidget(), m_win.get());
        setPrompter(&m_env->prompter);
    }
};

QTEST_MAIN(TestLoggingPage)
#include "tst_logging_page.moc"
