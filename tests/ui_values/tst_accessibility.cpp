// The windows as a screen reader reads them: every value field says what it is and what it
// shows, every selector keeps its own name whatever entry is chosen and lists its entries,
// and the one-channel page names each field by what it shows, apart from the captions beside it.
#include "AccessibleControls.h"
#include "ChangeRecordWindow.h"
#include "ChartPage.h"
#include "MainDisp.h"
#include "SubDisp_Chartset.h"
#include "SubDisp_Chname.h"
#include "SubDisp_comm.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_SaveLoad.h"
#include "UiValuesFixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
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

// What a screen reader finds wrong with the entries `list` gives through `iface` (its list
// child): one item per entry with the entry's text, entry `selected` alone selected.
QString entryProblems(QComboBox *list, QAccessibleInterface *iface, int selected)
{
    QAccessibleInterface *entries = nullptr;
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface *child = iface->child(i); child && child->role() == QAccessible::List)
            entries = child;
    if (!entries)
        return QStringLiteral("no list child");
    if (entries->childCount() != list->count())
        return QStringLiteral("%1 items for %2 entries").arg(entries->childCount()).arg(list->count());
    for (int i = 0; i < list->count(); ++i) {
        QAccessibleInterface *item = entries->child(i);
        if (!item || item->text(QAccessible::Name) != list->itemText(i))
            return QStringLiteral("item %1 is not \"%2\"").arg(i).arg(list->itemText(i));
        if (item->state().selected != (i == selected))
            return QStringLiteral("item %1 %2").arg(i).arg(item->state().selected ? QStringLiteral("selected") : QStringLiteral("not selected"));
        if (entries->indexOfChild(item) != i)
            return QStringLiteral("item %1 found at %2").arg(i).arg(entries->indexOfChild(item));
        // Showing exactly when it is in the visible part of the open list, and then where it is.
        QAbstractItemView *view = list->view();
        const QRect onView = view->isVisible()
            ? view->visualRect(view->model()->index(i, list->modelColumn(), view->rootIndex())).intersected(view->viewport()->rect())
            : QRect();
        const QRect onScreen = onView.isEmpty() ? QRect() : QRect(view->viewport()->mapToGlobal(onView.topLeft()), onView.size());
        if (item->state().invisible != onScreen.isEmpty() || item->rect() != onScreen)
            return QStringLiteral("item %1 %2 at (%3, %4), on the screen: %5")
                .arg(i)
                .arg(item->state().invisible ? QStringLiteral("not showing") : QStringLiteral("showing"))
                .arg(item->rect().x())
                .arg(item->rect().y())
                .arg(onScreen.isEmpty() ? QStringLiteral("no") : QStringLiteral("yes"));
    }
    if (entries->parent() == nullptr || entries->parent()->object() != list)
        return QStringLiteral("the list's parent is not the box");
    return QString();
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

    // Every list of every window offers its entries to a screen reader, with the current entry
    // selected, in the box and in its open popup; the box keeps its own name meanwhile.
    void listsGiveTheirEntries_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("lists");
        QTest::newRow("main window") << "main" << 12; // pages 0..4 and the logging interval
        QTest::newRow("port") << "port" << 2;
        QTest::newRow("channel names") << "channel names" << 1;
        QTest::newRow("chart setting") << "chart setting" << 4;
        QTest::newRow("channel file") << "channel file" << 1;
        QTest::newRow("factory adjustment") << "factory adjustment" << 1;
        QTest::newRow("change record") << "change record" << 4;
        QTest::newRow("every other window") << "other" << 0;
    }
    void listsGiveTheirEntries()
    {
        QFETCH(QString, window);
        QFETCH(int, lists);
        const QList<QWidget *> listed = {m_win.get(), m_win->subDispComm, m_win->subDispChname,
                                         m_win->chartPage->subDispChartset, m_win->subDispSaveLoad, m_win->subDispFactoryadj,
                                         m_win->changeRecordWindow};
        QWidget *shown = nullptr;
        if (window == QLatin1String("channel names"))
            m_win->mnuCHname_Click(); // fills its list
        const QStringList names = {QStringLiteral("main"), QStringLiteral("port"), QStringLiteral("channel names"),
                                   QStringLiteral("chart setting"), QStringLiteral("channel file"),
                                   QStringLiteral("factory adjustment"), QStringLiteral("change record")};
        if (names.contains(window)) {
            shown = listed[names.indexOf(window)];
            shown->show();
        }
        QList<QComboBox *> boxes;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *box = qobject_cast<QComboBox *>(w); box && (shown ? box->window() == shown : !listed.contains(box->window())))
                boxes << box;
        QCOMPARE(boxes.size(), lists);
        for (QComboBox *box : boxes) {
            QVERIFY2(box->count() > 1, qPrintable(box->objectName()));
            box->setCurrentIndex(box->count() - 1);
            box->setCurrentIndex((box->count() - 1) / 2); // an entry with another below it
            QAccessibleInterface *iface = accessible(box);
            const QString name = iface->text(QAccessible::Name);
            QString problem = entryProblems(box, iface, box->currentIndex());
            QVERIFY2(problem.isEmpty(), qPrintable(box->objectName() + QStringLiteral(", closed: ") + problem));

            // Open, the highlighted entry is the selected one; it starts at the chosen entry.
            box->showPopup();
            QVERIFY2(box->view()->isVisible(), qPrintable(box->objectName()));
            QVERIFY(iface->state().expanded);
            problem = entryProblems(box, iface, box->currentIndex());
            QVERIFY2(problem.isEmpty(), qPrintable(box->objectName() + QStringLiteral(", open: ") + problem));
            QTest::keyClick(box->view(), Qt::Key_Down);
            problem = entryProblems(box, iface, box->currentIndex() + 1);
            QVERIFY2(problem.isEmpty(), qPrintable(box->objectName() + QStringLiteral(", moved down: ") + problem));
            QCOMPARE(accessible(box->view())->parent()->object(), box);
            QCOMPARE(iface->text(QAccessible::Name), name);
            box->hidePopup();
        }
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
