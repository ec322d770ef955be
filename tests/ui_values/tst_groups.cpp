// The four-block page for each group of four blocks: the channels its 80 rows stand for, their
// layout and values, and the captions the name dialogs give it, for every group and not only
// the first.
#include "MainDisp.h"
#include "SubDisp_Block.h"
#include "SubDisp_Chname.h"
#include "UiValuesFixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

using namespace PLM_INC;

namespace {

QString blockDefault(int block)
{
    return QStringLiteral("Block%1").arg(block + 1, 2, 10, QLatin1Char('0'));
}

QString channelDefault(int channel)
{
    return QStringLiteral("Ch%1").arg(channel + 1, 3, 10, QLatin1Char('0'));
}

void typeInto(QLineEdit *field, const QString &text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

} // namespace

class TestGroups : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

    void groupRows()
    {
        QTest::addColumn<int>("group");
        for (int g = 0; g < 4; ++g)
            QTest::addRow("group %d: blocks %d..%d", g, 4 * g + 1, 4 * g + 4) << g;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        UiValuesFixture::connectAll();
        GroupIndex = 0;
        m_win = std::make_unique<MainDisp>();
        m_win->regRead();
        m_win->SSTab1->setCurrentIndex(0);
        m_win->show();
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
        GroupIndex = 0;
    }

    // Row k of the page is channel 80 x group + k: its name, its layout and its value.
    void rowsStandForTheChannelsOfTheGroup_data() { groupRows(); }
    void rowsStandForTheChannelsOfTheGroup()
    {
        QFETCH(int, group);
        const int base = 80 * group;
        OptionWord[base + 22] = OptionWord[base + 23] = kOptionHeatCool; // rows 22, 23: a pair
        ChannelConnected[base + 45] = 0;                                 // rows 44, 45: not connected
        for (int k = 0; k < 80; ++k)
            ProcessValue[base + k] = int16_t(1000 * group + k);
        Prefs::set(QStringLiteral("Chname%1").arg(base + 61, 3, 10, QLatin1Char('0')), QStringLiteral("Zone %1").arg(group));

        QTest::mouseClick(m_win->Toolbar1->widgetForAction(m_win->Toolbar1_Button[size_t(group + 1)]), Qt::LeftButton);
        QCOMPARE(GroupIndex, int16_t(group));
        m_win->SelectDispItem();

        for (int f = 0; f < 4; ++f)
            QCOMPARE(m_win->Frame_Block[size_t(f)]->title(), blockDefault(4 * group + f));
        QCOMPARE(m_win->Label1[0]->text(), channelDefault(base));
        QCOMPARE(m_win->Label1[60]->text(), QStringLiteral("Zone %1").arg(group));
        QCOMPARE(m_win->Label1[79]->text(), channelDefault(base + 79));
        QCOMPARE(m_win->Para_Text[60]->accessibleName(), QStringLiteral("Value Zone %1").arg(group));
        for (int k : {0, 21, 46, 79})
            QCOMPARE(m_win->Para_Text[size_t(k)]->text(), QString::number(1000 * group + k));
        QVERIFY(m_win->Para_Text[23]->isHidden());
        QVERIFY(!m_win->Para_Text[22]->isHidden());
        QVERIFY(!m_win->Para_Text[44]->isEnabled());
        QVERIFY(!m_win->Para_Text[45]->isEnabled());
        for (int k : {21, 24, 43, 46})
            QVERIFY2(m_win->Para_Text[size_t(k)]->isEnabled() && !m_win->Para_Text[size_t(k)]->isHidden(),
                     qPrintable(QString::number(k)));
    }

    // However the button of group 3 gets checked, the page shows blocks 09..12 and no other
    // button stays checked.
    void pageFollowsTheCheckedButton_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("mouse click") << "click";
        QTest::newRow("screen reader toggle action") << "toggle";
        QTest::newRow("space on the focused button") << "space";
        QTest::newRow("action checked by a shortcut") << "action";
    }
    void pageFollowsTheCheckedButton()
    {
        QFETCH(QString, how);
        QAction *action = m_win->Toolbar1_Button[3];
        QWidget *button = m_win->Toolbar1->widgetForAction(action);
        QVERIFY(button);
        if (how == QLatin1String("click")) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (how == QLatin1String("toggle")) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
            QVERIFY(iface && iface->actionInterface());
            const QString name = QAccessibleActionInterface::toggleAction();
            QVERIFY(iface->actionInterface()->actionNames().contains(name));
            iface->actionInterface()->doAction(name);
        } else if (how == QLatin1String("space")) {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            action->setChecked(true);
        }
        QCOMPARE(GroupIndex, int16_t(2));
        QCOMPARE(m_win->Frame_Block[0]->title(), blockDefault(8));
        QCOMPARE(m_win->Frame_Block[3]->title(), blockDefault(11));
        QCOMPARE(m_win->Label1[0]->text(), channelDefault(160));
        for (int k = 1; k <= 4; ++k) {
            QCOMPARE(m_win->Toolbar1_Button[size_t(k)]->isChecked(), k == 3);
            auto *b = qobject_cast<QAbstractButton *>(m_win->Toolbar1->widgetForAction(m_win->Toolbar1_Button[size_t(k)]));
            QCOMPARE(b->isChecked(), k == 3);
        }
    }

    // OK in the block name dialog captions the four frames with the names of the shown group.
    void blockDialogCaptionsTheShownGroup_data() { groupRows(); }
    void blockDialogCaptionsTheShownGroup()
    {
        QFETCH(int, group);
        m_win->Toolbar1_ButtonClick(group + 1);
        m_win->mnuDevno_Click();
        SubDisp_Block *dialog = m_win->subDispBlock;
        typeInto(dialog->DvtoN[size_t(4 * group + 2)], QStringLiteral("Kiln %1").arg(group));
        typeInto(dialog->DvtoN[size_t((4 * group + 6) % 16)], QStringLiteral("Elsewhere"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("DvOK")), Qt::LeftButton);

        QCOMPARE(m_win->Frame_Block[0]->title(), blockDefault(4 * group));
        QCOMPARE(m_win->Frame_Block[2]->title(), QStringLiteral("Kiln %1").arg(group));
        QCOMPARE(m_win->Frame_Block[3]->title(), blockDefault(4 * group + 3));
    }

    // OK in the channel name dialog labels the 80 rows with the names of the shown group.
    void channelDialogLabelsTheShownGroup_data() { groupRows(); }
    void channelDialogLabelsTheShownGroup()
    {
        QFETCH(int, group);
        m_win->Toolbar1_ButtonClick(group + 1);
        m_win->mnuCHname_Click();
        SubDisp_Chname *dialog = m_win->subDispChname;
        const int block = 4 * group + 1; // rows 20..39 of the page
        dialog->Block_Name->setCurrentIndex(block);
        emit dialog->Block_Name->activated(block);
        typeInto(dialog->ChName[3], QStringLiteral("Die %1").arg(group));
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);

        QCOMPARE(Prefs::channelName(20 * block + 3), QStringLiteral("Die %1").arg(group));
        QCOMPARE(m_win->Label1[23]->text(), QStringLiteral("Die %1").arg(group));
        QCOMPARE(m_win->Label1[0]->text(), channelDefault(80 * group));
        QCOMPARE(m_win->Label1[79]->text(), channelDefault(80 * group + 79));
    }
};

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
