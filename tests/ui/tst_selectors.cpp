// The selectors of the pages: what they store, what they show, and the preferences regRead
// puts back into them.
#include "LoggingPage.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SubDisp_Block.h"
#include "UiTestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

class SelectorTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<UiTestEnvironment> env;
    std::unique_ptr<MainDisp> w;

    QStringList storedKeys() const
    {
        Prefs::sync();
        QSettings s(Prefs::storePath(), QSettings::IniFormat);
        return s.allKeys();
    }
    void pick(QComboBox *list, int index)
    {
        // As the operator does: focus the list and step to the entry with the keyboard.
        list->setFocus();
        while (list->currentIndex() < index)
            QTest::keyClick(list, Qt::Key_Down);
        while (list->currentIndex() > index)
            QTest::keyClick(list, Qt::Key_Up);
    }

private slots:
    void init()
    {
        env = std::make_unique<UiTestEnvironment>();
        GroupIndex = 0;
        w = std::make_unique<MainDisp>();
    }
    void cleanup()
    {
        w.reset();
        env.reset();
    }

    void firstRunShowsTheDefaults()
    {
        w->regRead();
        QCOMPARE(w->Combo1->currentIndex(), 0);
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("Process variable"));
        QCOMPARE(w->tb1_BName[0]->currentText(), QStringLiteral("Block01"));
        QCOMPARE(w->tb1_BName[1]->currentText(), QStringLiteral("Block01"));
        QCOMPARE(w->tb1_Block_P[0]->currentText(), QStringLiteral("Main setting value"));
        QCOMPARE(w->tb1_Block_P[1]->currentText(), QStringLiteral("Main setting value"));
        QCOMPARE(w->tb2_BName->currentText(), QStringLiteral("Block01"));
        QCOMPARE(w->tb2_Block_P[0]->currentText(), QStringLiteral("Output manipulating value"));
        QCOMPARE(w->tb2_Block_P[1]->currentText(), QStringLiteral("Alarm 1 setting"));
        QCOMPARE(w->tb2_Block_P[2]->currentText(), QStringLiteral("Alarm 2 setting"));
        QCOMPARE(w->tb3_CHName->count(), 320);
        QCOMPARE(w->tb3_CHName->itemText(319), QStringLiteral("Ch320"));
        QCOMPARE(w->tb4_BName->currentIndex(), 0);
        QCOMPARE(w->Frame_Block[3]->title(), QStringLiteral("Block04"));
        QCOMPARE(w->Label1[79]->text(), QStringLiteral("Ch080"));
        QCOMPARE(w->tb1_label[39]->text(), QStringLiteral("Ch020"));
        QCOMPARE(w->tb2_label[0]->text(), QStringLiteral("Ch001"));
        QCOMPARE(w->loggingPage->Logging_time->currentIndex(), 0);
        QCOMPARE(w->loggingPage->log_Check1[15]->text(), QStringLiteral("Block16"));
        QCOMPARE(w->statusPanelText(2), QStringLiteral("Logging standby"));
        QCOMPARE(w->statusPanelText(3), QStringLiteral("Chart standby"));
    }

    void storedChoicesComeBack()
    {
        env->store(QStringLiteral("tab0block"), QStringLiteral("2"));
        env->store(QStringLiteral("tab1name1"), QStringLiteral("5"));
        env->store(QStringLiteral("tab2name"), QStringLiteral("3"));
        env->store(QStringLiteral("tab3name"), QStringLiteral("77"));
        env->store(QStringLiteral("tab2block2"), QStringLiteral("30"));
        env->store(QStringLiteral("Logtim"), QStringLiteral("7"));
        env->store(QStringLiteral("LogBlock 9"), QStringLiteral("1"));
        env->store(QStringLiteral("DvtoN06"), QStringLiteral("Furnace"));
        env->store(QStringLiteral("Chname062"), QStringLiteral("Zone 2"));
        w->regRead();
        QCOMPARE(w->Combo1->currentIndex(), 2);
        QCOMPARE(w->tb1_BName[1]->currentText(), QStringLiteral("Furnace"));
        QCOMPARE(w->tb1_label[20]->text(), QStringLiteral("Ch101"));
        QCOMPARE(w->tb2_BName->currentIndex(), 3);
        QCOMPARE(w->tb2_label[1]->text(), QStringLiteral("Zone 2"));
        QCOMPARE(w->tb3_CHName->currentIndex(), 77);
        QCOMPARE(w->tb2_Block_P[2]->currentIndex(), 30);
        QCOMPARE(w->loggingPage->Logging_time->currentText(), QStringLiteral("1 h"));
        QVERIFY(w->loggingPage->log_Check1[9]->isChecked());
        QVERIFY(!w->loggingPage->log_Check1[8]->isChecked());
    }

    void blockNameDialogHoldsTheStoredNamesBeforeItOpens()
    {
        env->store(QStringLiteral("DvtoN03"), QStringLiteral("Press line"));
        env->store(QStringLiteral("DvtoN16"), QString());
        w->regRead();
        QVERIFY(!w->subDispBlock->isVisible());
        QCOMPARE(w->subDispBlock->DvtoN[0]->text(), QStringLiteral("Block01"));
        QCOMPARE(w->subDispBlock->DvtoN[2]->text(), QStringLiteral("Press line"));
        QCOMPARE(w->subDispBlock->DvtoN[15]->text(), QString());
        QCOMPARE(w->subDispBlock->DvtoN[14]->text(), QStringLiteral("Block15"));
        QCOMPARE(w->Frame_Block[2]->title(), QStringLiteral("Press line"));
    }

    void aValueThatIsNoNumberFallsBackAndTheRestStillLoads()
    {
        env->store(QStringLiteral("tab1name0"), QStringLiteral("abc"));
        env->store(QStringLiteral("tab1block1"), QStringLiteral("99")); // names no entry
        env->store(QStringLiteral("tab2block0"), QStringLiteral(" 7x"));
        env->store(QStringLiteral("tab2block2"), QStringLiteral("12"));
        env->store(QStringLiteral("Logtim"), QStringLiteral("many"));
        env->store(QStringLiteral("tab3name"), QStringLiteral("44"));
        w->regRead();
        QCOMPARE(w->tb1_BName[0]->currentIndex(), 0);
        QCOMPARE(w->tb1_Block_P[1]->currentIndex(), 3);
        QCOMPARE(w->tb2_Block_P[0]->currentIndex(), 1);
        QCOMPARE(w->tb2_Block_P[2]->currentIndex(), 12);
        QCOMPARE(w->loggingPage->Logging_time->currentIndex(), 0);
        QCOMPARE(w->tb3_CHName->currentIndex(), 44);
    }

    void pickingEntriesStoresTheirKeys()
    {
        w->regRead();
        pick(w->Combo1, 4);
        QCOMPARE(Prefs::get(QStringLiteral("tab0block")), QStringLiteral("4"));
        pick(w->tb1_BName[0], 2);
        pick(w->tb1_BName[1], 6);
        QCOMPARE(Prefs::get(QStringLiteral("tab1name0")), QStringLiteral("2"));
        QCOMPARE(Prefs::get(QStringLiteral("tab1name1")), QStringLiteral("6"));
        QCOMPARE(w->tb1_label[0]->text(), QStringLiteral("Ch041"));
        QCOMPARE(w->tb1_label[39]->text(), QStringLiteral("Ch140"));
        pick(w->tb1_Block_P[0], 7);
        pick(w->tb1_Block_P[1], 1);
        QCOMPARE(Prefs::get(QStringLiteral("tab1block0")), QStringLiteral("7"));
        QCOMPARE(Prefs::get(QStringLiteral("tab1block1")), QStringLiteral("1"));
        pick(w->tb2_BName, 15);
        QCOMPARE(Prefs::get(QStringLiteral("tab2name")), QStringLiteral("15"));
        QCOMPARE(w->tb2_label[19]->text(), QStringLiteral("Ch320"));
        for (int i = 0; i < 3; ++i) {
            pick(w->tb2_Block_P[size_t(i)], 10 + i);
            QCOMPARE(Prefs::get(QStringLiteral("tab2block%1").arg(i)), QString::number(10 + i));
        }
        pick(w->tb3_CHName, 5);
        QCOMPARE(Prefs::get(QStringLiteral("tab3name")), QStringLiteral("5"));
        // The setting page's block is not kept.
        const QStringList before = storedKeys();
        pick(w->tb4_BName, 3);
        QCOMPARE(w->label_setdata[0]->text(), QStringLiteral("Ch061"));
        QCOMPARE(storedKeys(), before);
    }

    void groupToolbarShowsNamesAndStoresNothing()
    {
        env->store(QStringLiteral("DvtoN10"), QStringLiteral("Dryer"));
        env->store(QStringLiteral("Chname200"), QStringLiteral("Dryer inlet"));
        w->regRead();
        const QStringList before = storedKeys();
        const QString tab0 = Prefs::get(QStringLiteral("tab0block"));
        w->Toolbar1_Button[3]->trigger();
        QCOMPARE(GroupIndex, int16_t(2));
        QCOMPARE(w->Frame_Block[0]->title(), QStringLiteral("Block09"));
        QCOMPARE(w->Frame_Block[1]->title(), QStringLiteral("Dryer"));
        QCOMPARE(w->Frame_Block[3]->title(), QStringLiteral("Block12"));
        QCOMPARE(w->Label1[0]->text(), QStringLiteral("Ch161"));
        QCOMPARE(w->Label1[39]->text(), QStringLiteral("Dryer inlet"));
        QCOMPARE(w->Label1[79]->text(), QStringLiteral("Ch240"));
        QCOMPARE(storedKeys(), before);
        QCOMPARE(Prefs::get(QStringLiteral("tab0block")), tab0);
        // Any other button index keeps the group.
        w->Toolbar1_ButtonClick(7);
        QCOMPARE(GroupIndex, int16_t(2));
        QCOMPARE(w->Label1[0]->text(), QStringLiteral("Ch161"));
    }

    void blockSelectorWithoutSelectionActsAsBlock01()
    {
        env->store(QStringLiteral("Chname001"), QStringLiteral("First"));
        w->regRead();
        w->setListIndex(w->tb2_BName, 4);
        w->setListIndex(w->tb1_BName[1], 4);
        w->setListIndex(w->tb4_BName, 4);
        QCOMPARE(w->tb2_label[0]->text(), QStringLiteral("Ch081"));
        for (QComboBox *list : {w->tb2_BName, w->tb1_BName[1], w->tb4_BName})
            w->setListIndex(list, -1);
        QCOMPARE(w->tb2_label[0]->text(), QStringLiteral("First"));
        QCOMPARE(w->tb2_label[19]->text(), QStringLiteral("Ch020"));
        QCOMPARE(w->tb1_label[20]->text(), QStringLiteral("First"));
        QCOMPARE(w->label_setdata[0]->text(), QStringLiteral("First"));
    }
};

QTEST_MAIN(SelectorTest)
#include "tst_selectors.moc"
