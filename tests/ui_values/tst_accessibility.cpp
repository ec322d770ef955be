// The windows as a screen reader reads them: every value field says what it is and what it
// shows, every selector keeps its own name whatever entry is chosen, and the one-channel
// page names each field by what it shows, apart from the captions beside it.
#include "AccessibleControls.h"
#include "MainDisp.h"
#include "SubDisp_Chname.h"
#include "SubDisp_comm.h"
#include "UiValuesFixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QSet>
#include <QTabWidget>
#include <QtTest>

using namespace PLM_INC;

namespace {

QAccessibleInterface *accessible(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    if (!iface)
        qFatal("no accessible interface for %s", qPrintable(o->objectName()));
    return iface;
}

// The captions that label this selector for a screen reader.
QStringList labelsOf(QAccessibleInterface *iface)
{
    QStringList labels;
    for (const auto &relation : iface->relations(QAccessible::Label))
        labels << relation.first->text(QAccessible::Name);
    return labels;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        UiValuesFixture::connectAll();
        GroupIndex = 0;
        m_win = std::make_unique<MainDisp>();
        m_win->regRead();
        for (int n = 0; n < kChannels; ++n) {
            ProcessValue[n] = int16_t(n + 1);
            MainSetting[n] = int16_t(2 * n + 1);
            OutputValue[n] = int16_t(10 * n + 5);
        }
        OptionWord[0] = OptionWord[1] = kOptionHeatCool | kOptionHeaterBurnout;
        StatusWord[0] = kStatusOutputOn;
        m_win->show();
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    // Each value field of a page, after a refresh: its name says what it is, its value and
    // description are the text it shows.
    void valueFieldsGiveTheShownText_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("fields");
        QTest::newRow("4-Block Disp") << 0 << 80;
        QTest::newRow("2-Block Disp") << 1 << 80;
        QTest::newRow("1 Block Disp") << 2 << 100;
        QTest::newRow("1 Channel Disp") << 3 << 33;
    }
    void valueFieldsGiveTheShownText()
    {
        QFETCH(int, tab);
        QFETCH(int, fields);
        m_win->SSTab1->setCurrentIndex(tab);
        m_win->SelectDispItem();
        const QList<ValueField *> found = m_win->SSTab1->widget(tab)->findChildren<ValueField *>();
        QCOMPARE(found.size(), fields);
        int showing = 0;
        for (ValueField *f : found) {
            QAccessibleInterface *iface = accessible(f);
            QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(f->objectName()));
            QCOMPARE(iface->text(QAccessible::Value), f->text());
            QCOMPARE(iface->text(QAccessible::Description), f->text());
            showing += f->text().isEmpty() ? 0 : 1;
        }
        QVERIFY2(showing >= fields * 3 / 4, qPrintable(QString::number(showing))); // the refresh filled them
    }

    // A selector is named by what it chooses, never by the entry chosen; where a caption
    // stands beside it, the caption labels it.
    void selectorsKeepTheirNames()
    {
        QList<QComboBox *> lists = m_win->findChildren<QComboBox *>();
        QVERIFY(lists.size() >= 12);
        for (QComboBox *list : lists) {
            if (list->count() < 2)
                continue;
            QAccessibleInterface *iface = accessible(list);
            list->setCurrentIndex(0);
            const QString name = iface->text(QAccessible::Name);
            QVERIFY2(!name.isEmpty(), qPrintable(list->objectName()));
            QCOMPARE(iface->text(QAccessible::Value), list->itemText(0));
            list->setCurrentIndex(1);
            QCOMPARE(iface->text(QAccessible::Name), name);
            QCOMPARE(iface->text(QAccessible::Value), list->itemText(1));
            QVERIFY2(name != list->itemText(0) && name != list->itemText(1), qPrintable(name));
        }
        const QList<QPair<QComboBox *, QString>> captioned = {
            {m_win->Combo1, QStringLiteral("Monitoring and setting items")},
            {m_win->tb3_CHName, QStringLiteral("Select channel name")},
            {m_win->subDispComm->Combo_Port, QStringLiteral("Communication port selection")},
            {m_win->subDispComm->Combo_Rate, QStringLiteral("Transfer rate selection")},
            {m_win->subDispChname->Block_Name, QStringLiteral("Block Name")},
        };
        for (const auto &[list, caption] : captioned)
            QCOMPARE(labelsOf(accessible(list)), QStringList{caption});
    }

    // On the one-channel page no two fields share a name, and no field is named like a
    // caption, so a screen reader never says the same words for two things.
    void oneChannelPageNamesEachFieldByWhatItShows()
    {
        QWidget *page = m_win->SSTab1->widget(3);
        QSet<QString> captions;
        for (QLabel *l : page->findChildren<QLabel *>())
            if (!qobject_cast<ValueField *>(l) && !l->text().isEmpty())
                captions << l->text();
        QSet<QString> names;
        for (QWidget *w : page->findChildren<QWidget *>()) {
            const bool reads = qobject_cast<ValueField *>(w) || w->inherits("Lamp");
            if (!reads)
                continue;
            const QString name = accessible(w)->text(QAccessible::Name);
            QVERIFY2(!names.contains(name), qPrintable(name + QStringLiteral(" twice")));
            QVERIFY2(!captions.contains(name), qPrintable(name + QStringLiteral(" is also a caption")));
            names << name;
        }
        QVERIFY(names.contains(QStringLiteral("Process value")));
        QVERIFY(names.contains(QStringLiteral("Output manipulating value")));
        QVERIFY(names.contains(QStringLiteral("Cooling output value")));
    }

    // Texts that show a state tell the state in their value, under a name that stays.
    void stateTextsTellTheState_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::newRow("output on") << int(kStatusOutputOn) << "Control output ON";
        QTest::newRow("output off") << 0 << "Control output OFF";
    }
    void stateTextsTellTheState()
    {
        QFETCH(int, status);
        QFETCH(QString, output);
        StatusWord[0] = int16_t(status);
        Alarm1Action[0] = 3;
        m_win->SSTab1->setCurrentIndex(3);
        m_win->SelectDispItem();
        QAccessibleInterface *iface = accessible(m_win->Label_OUTOFF);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Control output"));
        QCOMPARE(iface->text(QAccessible::Value), output);
        QCOMPARE(accessible(m_win->Text_A1ACT)->text(QAccessible::Value), QStringLiteral("Low limit alarm"));
        QCOMPARE(accessible(m_win->Label11)->text(QAccessible::Value), m_win->Label11->text());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
