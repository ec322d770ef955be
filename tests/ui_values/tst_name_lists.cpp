// Block and channel names: the lists, captions and row labels that show them, and the two name
// dialogs driven as the operator would (typing, moving to the block list, OK and Cancel).
#include "MainDisp.h"
#include "NameFieldCodePage.h"
#include "SubDisp_Block.h"
#include "SubDisp_Chname.h"
#include "UiValuesFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace PLM_INC;

class TestNameLists : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;
    // Lists of the windows that come later, registered as those windows will.
    QWidget m_peerWindow;
    QComboBox *m_saveLoad = nullptr;
    QComboBox *m_factory = nullptr;
    std::array<QComboBox *, 4> m_chart{};
    std::array<QRadioButton *, 16> m_blockOptions{};

    template <typename W>
    W *control(QObject *parent, const QString &name) const
    {
        W *w = parent->findChild<W *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QComboBox *list(const QString &name) const { return control<QComboBox>(m_win.get(), name); }
    QString label(const QString &name) const { return control<QLabel>(m_win.get(), name)->text(); }

    static QStringList entries(const QComboBox *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }

    QList<QComboBox *> blockLists() const
    {
        return {list(QStringLiteral("tb1_BName_0")), list(QStringLiteral("tb1_BName_1")), list(QStringLiteral("tb2_BName")),
                list(QStringLiteral("tb4_BName")), m_factory};
    }
    QList<QComboBox *> channelLists() const
    {
        return {list(QStringLiteral("tb3_CHName")), m_saveLoad, m_chart[0], m_chart[1], m_chart[2], m_chart[3]};
    }

    void chooseSelections()
    {
        m_win->setListIndex(list(QStringLiteral("tb1_BName_0")), 2);
        m_win->setListIndex(list(QStringLiteral("tb1_BName_1")), 5);
        m_win->setListIndex(list(QStringLiteral("tb2_BName")), 2);
        m_win->setListIndex(list(QStringLiteral("tb4_BName")), 3);
        m_win->setListIndex(list(QStringLiteral("tb3_CHName")), 45);
    }
    void verifySelections()
    {
        QCOMPARE(list(QStringLiteral("tb1_BName_0"))->currentIndex(), 2);
        QCOMPARE(list(QStringLiteral("tb1_BName_1"))->currentIndex(), 5);
        QCOMPARE(list(QStringLiteral("tb2_BName"))->currentIndex(), 2);
        QCOMPARE(list(QStringLiteral("tb4_BName"))->currentIndex(), 3);
        QCOMPARE(list(QStringLiteral("tb3_CHName"))->currentIndex(), 45);
    }

    SubDisp_Chname *openChannelDialog()
    {
        m_win->mnuCHname_Click();
        auto *dialog = control<SubDisp_Chname>(m_win.get(), QStringLiteral("SubDisp_Chname"));
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            qFatal("channel name dialog not active");
        return dialog;
    }

    static void typeInto(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        m_win = std::make_unique<MainDisp>();
        m_saveLoad = new QComboBox(&m_peerWindow);
        m_factory = new QComboBox(&m_peerWindow);
        for (auto &c : m_chart)
            c = new QComboBox(&m_peerWindow);
        for (auto &o : m_blockOptions)
            o = new QRadioButton(&m_peerWindow);
        m_win->nameListPeers().SaveLoad_CHname = m_saveLoad;
        m_win->nameListPeers().Factory_Bname = m_factory;
        for (size_t k = 0; k < 4; ++k)
            m_win->nameListPeers().Chart_CHName[k] = m_chart[k];
        for (size_t b = 0; b < 16; ++b)
            m_win->nameListPeers().Block_Option1[b] = m_blockOptions[b];
        m_win->SetNameLists(2);
        m_win->show();
    }

    void cleanup()
    {
        m_win.reset();
        qDeleteAll(m_peerWindow.findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
        m_env.reset();
    }

    void defaultNamesEverywhere()
    {
        QStringList blocks;
        for (int b = 1; b <= 16; ++b)
            blocks << QStringLiteral("Block%1").arg(b, 2, 10, QLatin1Char('0'));
        for (QComboBox *l : blockLists())
            QCOMPARE(entries(l), blocks);
        for (int b = 0; b < 16; ++b) {
            QCOMPARE(control<QCheckBox>(m_win.get(), QStringLiteral("log_Check1_%1").arg(b))->text(), blocks[b]);
            QCOMPARE(m_blockOptions[size_t(b)]->text(), blocks[b]);
        }
        for (QComboBox *l : channelLists()) {
            QCOMPARE(l->count(), 320);
            QCOMPARE(l->itemText(0), QStringLiteral("Ch001"));
            QCOMPARE(l->itemText(99), QStringLiteral("Ch100"));
            QCOMPARE(l->itemText(319), QStringLiteral("Ch320"));
        }
        // Lists without a selection count as block 01 for the row labels.
        QCOMPARE(label(QStringLiteral("tb1_label_0")), QStringLiteral("Ch001"));
        QCOMPARE(label(QStringLiteral("tb1_label_39")), QStringLiteral("Ch020"));
        QCOMPARE(label(QStringLiteral("tb2_label_19")), QStringLiteral("Ch020"));
        QCOMPARE(label(QStringLiteral("label_setdata_7")), QStringLiteral("Ch008"));
        // Default pens 1..4 on channels 1..4 showing PV.
        for (int k = 0; k < 4; ++k)
            QCOMPARE(label(QStringLiteral("Label_protname_%1").arg(k)), QStringLiteral("Ch00%1: PV").arg(k + 1));
    }

    void rowLabelsFollowTheChosenBlocks()
    {
        chooseSelections();
        m_win->SetNameLists(0);
        QCOMPARE(label(QStringLiteral("tb1_label_0")), QStringLiteral("Ch041"));
        QCOMPARE(label(QStringLiteral("tb1_label_20")), QStringLiteral("Ch101"));
        QCOMPARE(label(QStringLiteral("tb2_label_5")), QStringLiteral("Ch046"));
        QCOMPARE(label(QStringLiteral("label_setdata_19")), QStringLiteral("Ch080"));
    }

    void aListWithoutSelectionStaysWithoutOne()
    {
        chooseSelections();
        m_win->setListIndex(list(QStringLiteral("tb2_BName")), -1);
        m_win->setListIndex(list(QStringLiteral("tb3_CHName")), -1);
        for (int mode : {0, 1, 2}) {
            m_win->SetNameLists(mode);
            QCOMPARE(list(QStringLiteral("tb2_BName"))->currentIndex(), -1);
            QCOMPARE(list(QStringLiteral("tb3_CHName"))->currentIndex(), -1);
            QCOMPARE(list(QStringLiteral("tb1_BName_1"))->currentIndex(), 5);
            QCOMPARE(label(QStringLiteral("tb2_label_0")), QStringLiteral("Ch001"));
        }
    }

    void renamingBlock3ReachesEveryListAndCaption()
    {
        chooseSelections();
        GroupIndex = 0;
        m_win->mnuDevno_Click();
        auto *dialog = control<SubDisp_Block>(m_win.get(), QStringLiteral("SubDisp_Block"));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        auto *field = control<QLineEdit>(dialog, QStringLiteral("DvtoN_3"));
        QCOMPARE(field->text(), QStringLiteral("Block04"));
        typeInto(field, QStringLiteral("Furnace 4"));
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("DvOK")), Qt::LeftButton);

        QVERIFY(!dialog->isVisible());
        QCOMPARE(Prefs::get(QStringLiteral("DvtoN04")), QStringLiteral("Furnace 4"));
        for (QComboBox *l : blockLists()) {
            QCOMPARE(l->count(), 16);
            QCOMPARE(l->itemText(3), QStringLiteral("Furnace 4"));
            QCOMPARE(l->itemText(4), QStringLiteral("Block05"));
        }
        QCOMPARE(control<QCheckBox>(m_win.get(), QStringLiteral("log_Check1_3"))->text(), QStringLiteral("Furnace 4"));
        QCOMPARE(m_blockOptions[3]->text(), QStringLiteral("Furnace 4"));
        QCOMPARE(control<QGroupBox>(m_win.get(), QStringLiteral("Frame_Block_3"))->title(), QStringLiteral("Furnace 4"));
        verifySelections();
        QCOMPARE(label(QStringLiteral("tb2_label_5")), QStringLiteral("Ch046"));
    }

    void blockDialogCancelStoresNothing()
    {
        chooseSelections();
        m_win->mnuDevno_Click();
        auto *dialog = control<SubDisp_Block>(m_win.get(), QStringLiteral("SubDisp_Block"));
        typeInto(control<QLineEdit>(dialog, QStringLiteral("DvtoN_0")), QStringLiteral("Gone"));
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("DvCan")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Prefs::blockName(0), QStringLiteral("Block01"));
        QCOMPARE(list(QStringLiteral("tb2_BName"))->itemText(0), QStringLiteral("Block01"));
        verifySelections();
        // Opened again, the field shows the stored name, not what was typed.
        m_win->mnuDevno_Click();
        QCOMPARE(control<QLineEdit>(dialog, QStringLiteral("DvtoN_0"))->text(), QStringLiteral("Block01"));
    }

    void nameFieldsTakeTwelveCharacters()
    {
        m_win->mnuDevno_Click();
        auto *blockField = control<QLineEdit>(m_win.get(), QStringLiteral("DvtoN_15"));
        typeInto(blockField, QStringLiteral("ABCDEFGHIJKLM"));
        QCOMPARE(blockField->text(), QStringLiteral("ABCDEFGHIJKL"));

        SubDisp_Chname *dialog = openChannelDialog();
        auto *channelField = control<QLineEdit>(dialog, QStringLiteral("ChName_19"));
        typeInto(channelField, QStringLiteral("123456789012X"));
        QCOMPARE(channelField->text(), QStringLiteral("123456789012"));
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(Prefs::channelName(19), QStringLiteral("123456789012"));
    }

    // Names go into files written in Windows-1252: a character outside it is taken out again
    // with one message, the rest of what was typed or pasted stays and is stored.
    void nameFieldsRefuseCharactersOutsideTheFilesCodePage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("refused");
        QTest::newRow("euro sign typed") << QStringLiteral("Preis \u20ac5") << false << QStringLiteral("Preis \u20ac5") << QString();
        QTest::newRow("umlaut and micro typed") << QStringLiteral("Zone \u00e4 \u00b5") << false << QStringLiteral("Zone \u00e4 \u00b5")
                                                << QString();
        QTest::newRow("l with stroke typed") << QStringLiteral("Zone \u01421") << false << QStringLiteral("Zone 1")
                                             << QStringLiteral("\u0142");
        QTest::newRow("two refused characters pasted at once") << QStringLiteral("\u0141\u00f3d\u017a 2") << true
                                                               << QStringLiteral("\u00f3d 2") << QStringLiteral("\u0141\u017a");
    }
    void nameFieldsRefuseCharactersOutsideTheFilesCodePage()
    {
        QFETCH(QString, typed);
        QFETCH(bool, pasted);
        QFETCH(QString, kept);
        QFETCH(QString, refused);
        const QStringList message = refused.isEmpty() ? QStringList{} : QStringList{NameCharactersRefusedText(refused)};
        auto enter = [&](QLineEdit *field) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            if (pasted) {
                QGuiApplication::clipboard()->setText(typed);
                field->paste();
            } else {
                for (const QChar c : typed) // one key each, as a keyboard of that language gives them
                    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        };

        m_win->mnuDevno_Click();
        auto *blockDialog = control<SubDisp_Block>(m_win.get(), QStringLiteral("SubDisp_Block"));
        auto *blockField = control<QLineEdit>(blockDialog, QStringLiteral("DvtoN_2"));
        enter(blockField);
        QCOMPARE(blockField->text(), kept);
        QCOMPARE(m_env->prompter.messages, message);
        QTest::mouseClick(control<QPushButton>(blockDialog, QStringLiteral("DvOK")), Qt::LeftButton);
        QCOMPARE(Prefs::blockName(2), kept);

        m_env->prompter.messages.clear();
        SubDisp_Chname *dialog = openChannelDialog();
        auto *channelField = control<QLineEdit>(dialog, QStringLiteral("ChName_3"));
        enter(channelField);
        QCOMPARE(channelField->text(), kept);
        QCOMPARE(m_env->prompter.messages, message);
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(Prefs::channelName(3), kept);
    }

    void movingToTheBlockListSavesTypedNames()
    {
        chooseSelections();
        SubDisp_Chname *dialog = openChannelDialog();
        QCOMPARE(dialog->Block_Name->currentIndex(), 0);
        QCOMPARE(entries(dialog->Block_Name).size(), 16);
        auto *first = control<QLineEdit>(dialog, QStringLiteral("ChName_0"));
        auto *last = control<QLineEdit>(dialog, QStringLiteral("ChName_19"));
        QCOMPARE(first->text(), QStringLiteral("Ch001"));
        QVERIFY(m_env->prompter.messages.isEmpty()); // opening asks nothing

        typeInto(first, QStringLiteral("Inlet"));
        typeInto(last, QStringLiteral("Outlet"));
        QCOMPARE(Prefs::channelName(0), QStringLiteral("Ch001")); // typing alone stores nothing

        // The operator tabs from the last field to the block list: notice first, then saved.
        last->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(last, Qt::Key_Tab);
        QVERIFY(dialog->Block_Name->hasFocus());
        QCOMPARE(m_env->prompter.messages, QStringList{QStringLiteral("Registers the channel name.")});
        QCOMPARE(Prefs::channelName(0), QStringLiteral("Inlet"));
        QCOMPARE(Prefs::channelName(19), QStringLiteral("Outlet"));
        QCOMPARE(Prefs::channelName(20), QStringLiteral("Ch021"));

        // Picking block 02 shows its names.
        dialog->Block_Name->setCurrentIndex(1);
        emit dialog->Block_Name->activated(1);
        QCOMPARE(first->text(), QStringLiteral("Ch021"));
        typeInto(first, QStringLiteral("Not kept"));

        // Cancel: what was saved on the way stays, the rest is dropped; channel lists rebuilt.
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("Command2")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Prefs::channelName(0), QStringLiteral("Inlet"));
        QCOMPARE(Prefs::channelName(20), QStringLiteral("Ch021"));
        QCOMPARE(list(QStringLiteral("tb3_CHName"))->itemText(0), QStringLiteral("Inlet"));
        QCOMPARE(m_saveLoad->itemText(19), QStringLiteral("Outlet"));
        QCOMPARE(m_chart[0]->itemText(0), QStringLiteral("Inlet"));
        QCOMPARE(label(QStringLiteral("Label_protname_0")), QStringLiteral("Inlet: PV"));
        QCOMPARE(m_env->prompter.messages.size(), 1);
        verifySelections();
    }

    void channelDialogOkReachesRowsAndOverview()
    {
        chooseSelections();
        GroupIndex = 0;
        SubDisp_Chname *dialog = openChannelDialog();
        dialog->Block_Name->setCurrentIndex(2);
        emit dialog->Block_Name->activated(2);
        typeInto(control<QLineEdit>(dialog, QStringLiteral("ChName_5")), QStringLiteral("Die zone 6"));
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("Command1")), Qt::LeftButton);

        QVERIFY(!dialog->isVisible());
        QCOMPARE(m_env->prompter.messages, QStringList{QStringLiteral("Registers the channel name.")});
        QCOMPARE(Prefs::get(QStringLiteral("Chname046")), QStringLiteral("Die zone 6"));
        QCOMPARE(list(QStringLiteral("tb3_CHName"))->itemText(45), QStringLiteral("Die zone 6"));
        QCOMPARE(list(QStringLiteral("tb3_CHName"))->currentText(), QStringLiteral("Die zone 6"));
        QCOMPARE(label(QStringLiteral("tb2_label_5")), QStringLiteral("Die zone 6"));
        QCOMPARE(label(QStringLiteral("tb1_label_5")), QStringLiteral("Die zone 6"));
        QCOMPARE(label(QStringLiteral("Label1_45")), QStringLiteral("Die zone 6"));
        verifySelections();
    }

    void penLegendsFollowTheChartPens()
    {
        Prefs::set(QStringLiteral("Chname008"), QStringLiteral("Mould"));
        m_win->chartPen = [](int pen) {
            const MainDisp::ChartPen pens[4] = {{7, 1}, {0, 0}, {319, 2}, {8, 3}};
            return pens[pen];
        };
        m_win->SetNameLists(1);
        QCOMPARE(label(QStringLiteral("Label_protname_0")), QStringLiteral("Mould: PV"));
        QCOMPARE(label(QStringLiteral("Label_protname_1")), QStringLiteral("Ch001: --"));
        QCOMPARE(label(QStringLiteral("Label_protname_2")), QStringLiteral("Ch320: SV"));
        QCOMPARE(label(QStringLiteral("Label_protname_3")), QStringLiteral("Ch009: MV"));
        QCOMPARE(m_chart[0]->currentIndex(), 7);
        QCOMPARE(m_chart[2]->currentIndex(), 319);

        // Mode 0 leaves the legends alone.
        Prefs::set(QStringLiteral("Chname008"), QStringLiteral("Changed"));
        m_win->SetNameLists(0);
        QCOMPARE(label(QStringLiteral("Label_protname_0")), QStringLiteral("Mould: PV"));
    }
};

QTEST_MAIN(TestNameLists)
#include "tst_name_lists.moc"
