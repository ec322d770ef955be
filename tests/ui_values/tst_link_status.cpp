// Link health on the window: the values of a block that stopped answering are greyed on every
// page that shows them, the rest of the page and the lamps keep their colours, and the
// "Communication status" window under Disp lists every block.
#include "Lamp.h"
#include "LinkHealth.h"
#include "MainDisp.h"
#include "SubDisp_CommStatus.h"
#include "UiValuesFixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

using namespace PLM_INC;

class TestLinkStatus : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

    QLabel *label(const QString &name) const
    {
        auto *w = m_win->findChild<QLabel *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    qint64 m_now = 0; // the health's clock, ms
    // The block's values read once, then `polls` unanswered steps 600 ms apart (nine pass 5 s).
    void missPolls(int block, int polls)
    {
        m_win->linkHealth->setMonotonicClock([this] { return m_now; });
        m_win->linkHealth->notePoll(block, 0, ReplyKind::Ack);
        for (int i = 0; i < polls; ++i) {
            m_now += 600;
            m_win->linkHealth->noteTransaction(block, ReplyKind::NoReply);
            m_win->linkHealth->notePoll(block, 0, ReplyKind::NoReply);
        }
    }

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        UiValuesFixture::connectAll();
        m_win = std::make_unique<MainDisp>();
        m_win->SetNameLists(2);
        for (const char *list : {"tb1_BName_0", "tb1_BName_1", "tb2_BName", "tb3_CHName", "Combo1", "tb1_Block_P_0",
                                 "tb1_Block_P_1", "tb2_Block_P_0", "tb2_Block_P_1", "tb2_Block_P_2"})
            m_win->setListIndex(m_win->findChild<QComboBox *>(QString::fromLatin1(list)), 0);
        m_win->setListIndex(m_win->findChild<QComboBox *>(QStringLiteral("tb1_BName_1")), 1);
        m_win->resize(1200, 800);
        m_win->show();
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    void staleValuesAreGreyed_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("silentBlock");
        QTest::addColumn<int>("missed");
        QTest::addColumn<bool>("greyed");
        QTest::newRow("overview, silent block") << 0 << "Para_Text_3" << 0 << 9 << true;
        QTest::newRow("overview, other block") << 0 << "Para_Text_25" << 0 << 9 << false;
        QTest::newRow("overview, eight misses") << 0 << "Para_Text_3" << 0 << 8 << false;
        QTest::newRow("two blocks, left PV") << 1 << "tb1_PV_0" << 0 << 9 << true;
        QTest::newRow("two blocks, right item of the silent block") << 1 << "tb1_Para_20" << 1 << 9 << true;
        QTest::newRow("two blocks, left of another block") << 1 << "tb1_Para_0" << 1 << 9 << false;
        QTest::newRow("one block, SV") << 2 << "tb2_SV_7" << 0 << 12 << true;
        QTest::newRow("one block, third item") << 2 << "tb2_Para3_19" << 0 << 9 << true;
        QTest::newRow("one channel, PV") << 3 << "Text_PV" << 0 << 9 << true;
        QTest::newRow("one channel, other block silent") << 3 << "Text_PV" << 4 << 9 << false;
    }
    void staleValuesAreGreyed()
    {
        QFETCH(int, tab);
        QFETCH(QString, field);
        QFETCH(int, silentBlock);
        QFETCH(int, missed);
        QFETCH(bool, greyed);
        ProcessValue[0] = 100;
        StatusWord[0] = kStatusAlarm1;
        m_win->SSTab1->setCurrentIndex(tab);
        missPolls(silentBlock, missed);
        m_win->SelectDispItem();
        QLabel *l = label(field);
        QCOMPARE(l->property("stale").toBool(), greyed);
        const QColor normal(Qt::black);
        QCOMPARE(l->palette().color(QPalette::WindowText) != normal, greyed);
        // The field keeps its background either way.
        QCOMPARE(l->palette().color(QPalette::Window), QColor(Qt::white));
        if (tab == 2) // lamps keep their colours on a stale block
            QCOMPARE(Lamp::colorName(m_win->findChild<Lamp *>(QStringLiteral("tb2_staA1_0"))->fillColor()), QStringLiteral("red"));

        // Answers of every kind of value unmark the block at the next refresh.
        for (int kind = 0; kind < LinkHealth::kValueKinds; ++kind)
            m_win->linkHealth->notePoll(silentBlock, kind, ReplyKind::Ack);
        m_win->SelectDispItem();
        QVERIFY(!l->property("stale").toBool());
        QCOMPARE(l->palette().color(QPalette::WindowText), normal);
    }

    void statusWindowListsEveryBlock()
    {
        BlockAbsent.fill(1);
        BlockAbsent[0] = 0;
        BlockAbsent[1] = 0;
        missPolls(1, 9);
        for (int i = 0; i < 3; ++i) {
            m_win->linkHealth->noteTransaction(0, ReplyKind::Ack);
            m_win->linkHealth->notePoll(0, 0, ReplyKind::Ack);
        }
        m_win->linkHealth->noteTransaction(0, ReplyKind::Nak);
        m_win->linkHealth->notePoll(0, 0, ReplyKind::Nak);
        QAction *menu = m_win->menuAction(QStringLiteral("mnuCommStatus"));
        QVERIFY(menu);
        QCOMPARE(menu->text(), QStringLiteral("Communication status(&C)"));
        menu->trigger();
        auto *window = m_win->findChild<SubDisp_CommStatus *>(QStringLiteral("SubDisp_CommStatus"));
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Communication status"));
        const auto row = [window](int r) {
            QStringList cells;
            for (int c = 0; c < window->Grid->columnCount(); ++c)
                cells << window->Grid->item(r, c)->text();
            return cells.join(QLatin1Char('|'));
        };
        QVERIFY2(row(0).startsWith(QStringLiteral("01|ok|3|0|1|0|75 %|")), qPrintable(row(0)));
        QCOMPARE(row(1), QStringLiteral("02|stale|0|9|0|0|10 %|-"));
        QCOMPARE(row(15), QStringLiteral("16|absent|0|0|0|0|-|-"));
        QCOMPARE(window->Grid->rowCount(), 16);
    }
};

QTEST_MAIN(TestLinkStatus)
#include "tst_link_status.moc"
