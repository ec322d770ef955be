// Closing the main window: the logging choices are saved before the question, whatever the
// answer; only Yes ends the program.
#include "LoggingPage.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "UiTestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

class ClosingTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<UiTestEnvironment> env;
    std::unique_ptr<MainDisp> w;

    static QString storedOnDisk(const QString &key)
    {
        QSettings s(Prefs::storePath(), QSettings::IniFormat);
        return s.value(key).toString();
    }

private slots:
    void init()
    {
        env = std::make_unique<UiTestEnvironment>();
        w = std::make_unique<MainDisp>();
        w->regRead();
        w->show();
    }
    void cleanup()
    {
        w.reset();
        env.reset();
    }

    void answeringNoStillSavesTheLoggingChoices()
    {
        env->prompter.answer = Answer::No;
        QSignalSpy ended(w.get(), &MainDisp::programEnded);
        w->loggingPage->Logging_time->setCurrentIndex(5);
        w->loggingPage->log_Check1[2]->setChecked(true);
        w->loggingPage->log_Check1[15]->setChecked(true);
        QVERIFY(!w->close());
        QCOMPARE(env->prompter.questions, QStringList{QStringLiteral("Do you want to close the program?")});
        QVERIFY(w->isVisible());
        QVERIFY(!w->quitFlag());
        QCOMPARE(ended.count(), 0);
        QCOMPARE(storedOnDisk(QStringLiteral("Logtim")), QStringLiteral("5"));
        QCOMPARE(storedOnDisk(QStringLiteral("LogBlock 2")), QStringLiteral("1"));
        QCOMPARE(storedOnDisk(QStringLiteral("LogBlock 15")), QStringLiteral("1"));
        QCOMPARE(storedOnDisk(QStringLiteral("LogBlock 0")), QStringLiteral("0"));

        // Unticking later is saved by the next attempt, from the menu this time.
        w->loggingPage->log_Check1[2]->setChecked(false);
        w->menuAction(QStringLiteral("mnuEnd"))->trigger();
        QCOMPARE(env->prompter.questions.size(), 2);
        QCOMPARE(storedOnDisk(QStringLiteral("LogBlock 2")), QStringLiteral("0"));
        QVERIFY(w->isVisible());
    }

    void answeringYesEndsTheProgram()
    {
        env->prompter.answer = Answer::Yes;
        QSignalSpy ended(w.get(), &MainDisp::programEnded);
        w->loggingPage->Logging_time->setCurrentIndex(2);
        QVERIFY(w->close());
        QCOMPARE(ended.count(), 1);
        QVERIFY(w->quitFlag());
        QVERIFY(!w->isVisible());
        QCOMPARE(storedOnDisk(QStringLiteral("Logtim")), QStringLiteral("2"));
        // A second close after the end asks nothing more.
        w->close();
        QCOMPARE(env->prompter.questions.size(), 1);
        QCOMPARE(ended.count(), 1);
    }
};

QTEST_MAIN(ClosingTest)
#include "tst_closing.moc"
