// The layout at the window's default size of 1252 x 700: one test per rule that can be
// measured (room for each page, rows on one grid, the progress bar, the bar graphs and their
// lamp, the lines of the other settings, the history columns, the one-block page's columns,
// lamps that look like lamps).
#include "Lamp.h"
#include "MainDisp.h"
#include "MV_BerGraph.h"
#include "SubDisp_History.h"
#include "UiValuesFixture.h"

#include "AlarmHistory.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

using namespace PLM_INC;

namespace {

const QSize kDefaultSize(1252, 700);

// Where a control sits, in the coordinates of the page that holds it.
QRect placeOf(const QWidget *w, const QWidget *page)
{
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}

void settle()
{
    // Shown and hidden controls re-lay their frames one level per pass of the event loop.
    for (int pass = 0; pass < 6; ++pass)
        QCoreApplication::processEvents();
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

    void showTab(int tab)
    {
        m_win->SSTab1->setCurrentIndex(tab);
        m_win->SelectDispItem();
        settle();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        UiValuesFixture::connectAll();
        GroupIndex = 0;
        // Block 0: channels 4, 5 a heating/cooling pair; channels 6, 7 not connected.
        for (int n : {4, 5})
            OptionWord[n] = kOptionHeatCool | kOptionHeaterBurnout;
        ChannelConnected[6] = ChannelConnected[7] = 0;
        m_win = std::make_unique<MainDisp>();
        m_win->regRead();
        m_win->Form_Activate();
        m_win->resize(kDefaultSize);
        m_win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
        settle();
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    // Each display page fits the room the default window size leaves it.
    void pagesFitTheDefaultSize_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("4-Block Disp") << 0;
        QTest::newRow("2-Block Disp") << 1;
        QTest::newRow("1 Block Disp") << 2;
        QTest::newRow("1 Channel Disp") << 3;
        QTest::newRow("Setting Disp") << 4;
    }
    void pagesFitTheDefaultSize()
    {
        QFETCH(int, tab);
        m_win->setListIndex(m_win->tb3_CHName, 4); // the fullest one-channel page: heating/cooling
        showTab(tab);
        QWidget *page = m_win->SSTab1->widget(tab);
        const QSize frame = m_win->size() - page->size();
        const QSize room = kDefaultSize - frame;
        const QSize least = page->minimumSizeHint();
        QCOMPARE(m_win->size(), kDefaultSize); // no page pushes the window past its default size
        QVERIFY2(least.width() <= room.width() && least.height() <= room.height(),
                 qPrintable(QStringLiteral("needs %1x%2, has %3x%4").arg(least.width()).arg(least.height()).arg(room.width()).arg(room.height())));
    }

    // A heating/cooling pair hides its odd row's values; the row keeps its height, so the
    // rows of every frame or half stay on one grid.
    void rowsStayOnOneGrid_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("4-Block Disp, four frames") << 0;
        QTest::newRow("2-Block Disp, two halves") << 1;
        QTest::newRow("1 Block Disp") << 2;
    }
    void rowsStayOnOneGrid()
    {
        QFETCH(int, tab);
        m_win->setListIndex(m_win->tb1_BName[0], 0);
        m_win->setListIndex(m_win->tb1_BName[1], 1);
        m_win->setListIndex(m_win->tb2_BName, 0);
        showTab(tab);
        QWidget *page = m_win->SSTab1->widget(tab);
        // The rows' labels, one list per frame or half.
        QList<QList<QLabel *>> columns;
        if (tab == 0) {
            QVERIFY(m_win->Para_Text[5]->isHidden());
            for (int f = 0; f < 4; ++f)
                columns << QList<QLabel *>(m_win->Label1.begin() + 20 * f, m_win->Label1.begin() + 20 * f + 20);
        } else if (tab == 1) {
            QVERIFY(m_win->tb1_PV[5]->isHidden());
            columns << QList<QLabel *>(m_win->tb1_label.begin(), m_win->tb1_label.begin() + 20)
                    << QList<QLabel *>(m_win->tb1_label.begin() + 20, m_win->tb1_label.end());
        } else {
            QVERIFY(m_win->tb2_PV[5]->isHidden());
            columns << QList<QLabel *>(m_win->tb2_label.begin(), m_win->tb2_label.end());
        }
        const QList<QLabel *> &first = columns.first();
        const int pitch = placeOf(first[1], page).center().y() - placeOf(first[0], page).center().y();
        QVERIFY(pitch > 0);
        for (const QList<QLabel *> &column : columns) {
            for (int r = 0; r < 20; ++r) {
                const int y = placeOf(column[r], page).center().y();
                QCOMPARE(y, placeOf(first[r], page).center().y());
                if (r > 0)
                    QVERIFY2(qAbs(y - placeOf(column[r - 1], page).center().y() - pitch) <= 1,
                             qPrintable(QStringLiteral("row %1 of %2").arg(r).arg(column[r]->objectName())));
            }
        }
    }

    // The progress bar is there only while something runs.
    void progressBarOnlyWhileSomethingRuns()
    {
        QVERIFY(m_win->ProgressBar1->isHidden());
        m_win->setTransferProgress(30, true);
        QVERIFY(m_win->ProgressBar1->isVisible());
        QCOMPARE(m_win->ProgressBar1->value(), 30);
        m_win->setTransferProgress(150, false);
        QVERIFY(m_win->ProgressBar1->isHidden());
    }

    // On a heating/cooling channel both bars keep the height their scale and its labels need,
    // their panels are of one width, and the cooling lamp sits inside its panel, level with
    // its bar.
    void barGraphsAndTheCoolingLamp()
    {
        m_win->setListIndex(m_win->tb3_CHName, 4);
        showTab(3);
        QWidget *page = m_win->SSTab1->widget(3);
        auto *heatPanel = page->findChild<QWidget *>(QStringLiteral("MV_panel_1"));
        auto *coolPanel = page->findChild<QWidget *>(QStringLiteral("MV_panel_2"));
        QVERIFY(heatPanel && coolPanel);
        QVERIFY(coolPanel->isVisible());
        for (MV_BerGraph *bar : {m_win->MV_BerGraph1, m_win->MV_BerGraph2}) {
            QVERIFY(bar->isVisible());
            QVERIFY2(bar->height() >= bar->sizeHint().height(), qPrintable(bar->objectName()));
            QVERIFY(bar->width() >= bar->sizeHint().width());
        }
        QCOMPARE(heatPanel->width(), coolPanel->width());
        QCOMPARE(m_win->MV_BerGraph1->width(), m_win->MV_BerGraph2->width());
        const QRect lamp = placeOf(m_win->Lamp_CONT[1], page);
        const QRect panel = placeOf(coolPanel, page);
        const QRect bar = placeOf(m_win->MV_BerGraph2, page);
        QVERIFY(panel.contains(lamp));
        QVERIFY(lamp.left() >= bar.right());
        const QRect barFrame = m_win->MV_BerGraph2->frameRect().translated(bar.topLeft());
        QVERIFY(qAbs(lamp.center().y() - barFrame.center().y()) <= 2);
        QVERIFY(placeOf(m_win->Frame[2], page).contains(panel));

        // A heating-only channel: the cooling panel goes with its bar.
        m_win->setListIndex(m_win->tb3_CHName, 2);
        showTab(3);
        QVERIFY(coolPanel->isHidden());
    }

    // In the other settings and the cooling settings no two boxes touch, captions and units
    // keep their distance from the boxes, and the lines of the two sets share their rows.
    void settingLinesKeepTheirDistance_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("right");
        QTest::newRow("Other informations") << "Frame7" << QStringList{"Text_P", "Text_I", "Text_D", "Text_ARW", "Text_CYC"}
                                            << QStringList{"Text_PD", "Text_HYS", "Text_FILT", "Text_SO"};
        QTest::newRow("Infomation of cooling output") << "Frame8" << QStringList{"Cool_0", "Cool_1", "Cool_2"}
                                                      << QStringList{"Cool_3", "Cool_4"};
    }
    void settingLinesKeepTheirDistance()
    {
        QFETCH(QString, frame);
        QFETCH(QStringList, left);
        QFETCH(QStringList, right);
        m_win->setListIndex(m_win->tb3_CHName, 4);
        showTab(3);
        auto *box = m_win->findChild<QGroupBox *>(frame);
        QVERIFY(box && box->isVisible());
        auto field = [box](const QString &name) { return box->findChild<QLabel *>(name); };
        for (const QStringList &set : {left, right}) {
            for (int i = 0; i < set.size(); ++i) {
                QLabel *value = field(set[i]);
                QLabel *caption = field(set[i] + QStringLiteral("_caption"));
                QVERIFY2(value && caption, qPrintable(set[i]));
                const QRect v = placeOf(value, box);
                QVERIFY2(placeOf(caption, box).right() + 4 <= v.left(), qPrintable(set[i] + QStringLiteral(": caption touches")));
                QVERIFY2(caption->fontMetrics().horizontalAdvance(caption->text()) <= caption->width(),
                         qPrintable(set[i] + QStringLiteral(": caption cut")));
                for (QLabel *unit : box->findChildren<QLabel *>()) {
                    const QRect u = placeOf(unit, box);
                    if (unit != value && unit != caption && u.center().y() == v.center().y() && u.left() > v.left()
                        && u.left() < v.right() + 40)
                        QVERIFY2(v.right() + 4 <= u.left(), qPrintable(set[i] + QStringLiteral(": unit touches")));
                }
                if (i > 0)
                    QVERIFY2(placeOf(field(set[i - 1]), box).bottom() + 2 <= v.top(), qPrintable(set[i] + QStringLiteral(": boxes touch")));
            }
        }
        for (int i = 0; i < right.size(); ++i)
            QCOMPARE(placeOf(field(right[i]), box).top(), placeOf(field(left[i]), box).top());
    }

    // The alarm history window at its own default size shows every column whole, the
    // content column as wide as its longest text.
    void historyContentColumnHoldsItsLongestText()
    {
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        m_win->mnuHistory_Click();
        SubDisp_History *history = m_win->subDispHistory;
        QVERIFY(QTest::qWaitForWindowExposed(history));
        settle();
        QTableWidget *grid = history->MSFlexGrid1;
        const QString longest = QStringLiteral("Received Negative acknowledgement from HRV-600.");
        QCOMPARE(grid->item(0, 3)->text(), longest);
        QVERIFY(grid->columnWidth(3) > grid->fontMetrics().horizontalAdvance(longest));
        const QHeaderView *header = grid->horizontalHeader();
        QVERIFY2(header->sectionViewportPosition(3) + header->sectionSize(3) <= grid->viewport()->width(),
                 "the content column runs past the window");
        QVERIFY(header->sectionViewportPosition(0) >= 0);
        history->hide();
    }

    // The one-block page: the five value columns of one width, the seven lamp columns evenly
    // spaced.
    void oneBlockPageColumnsAreEven()
    {
        showTab(2);
        QWidget *page = m_win->SSTab1->widget(2);
        const int width = m_win->tb2_PV[0]->width();
        for (QLabel *f : {m_win->tb2_SV[0], m_win->tb2_Para1[0], m_win->tb2_Para2[0], m_win->tb2_Para3[0]})
            QCOMPARE(f->width(), width);
        for (QComboBox *head : m_win->tb2_Block_P)
            QCOMPARE(head->width(), width);
        const std::array<Lamp *, 7> lamps = {m_win->tb2_staCONT[0], m_win->tb2_staA1[0], m_win->tb2_staA2[0], m_win->tb2_staHB[0],
                                             m_win->tb2_staLP[0], m_win->tb2_staSB[0], m_win->tb2_staAT[0]};
        const int pitch = placeOf(lamps[1], page).center().x() - placeOf(lamps[0], page).center().x();
        QVERIFY(pitch >= lamps[0]->width() + 4);
        for (size_t l = 1; l < lamps.size(); ++l)
            QVERIFY2(qAbs(placeOf(lamps[l], page).center().x() - placeOf(lamps[l - 1], page).center().x() - pitch) <= 1,
                     qPrintable(lamps[l]->objectName()));
    }

    // A lamp is a round glass in a dark bezel, not a box: its corners show what is behind
    // it, its edge is dark, its middle is its colour.
    void lampsAreDrawnAsLamps_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::newRow("red") << Lamp::red();
        QTest::newRow("green") << Lamp::green();
        QTest::newRow("yellow") << Lamp::yellow();
        QTest::newRow("white, unlit") << Lamp::white();
    }
    void lampsAreDrawnAsLamps()
    {
        QFETCH(QColor, color);
        QWidget backdrop;
        backdrop.setAutoFillBackground(true);
        QPalette palette = backdrop.palette();
        palette.setColor(QPalette::Window, QColor(200, 220, 240));
        backdrop.setPalette(palette);
        Lamp lamp(QStringLiteral("test lamp"), &backdrop);
        lamp.setFillColor(color);
        backdrop.resize(lamp.size());
        const QImage image = backdrop.grab().toImage();
        const int w = image.width(), h = image.height();
        // Round: the backdrop shows at the corners, and the bezel runs along the diagonal
        // where a box would already show its glass.
        for (const QPoint &corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
            QCOMPARE(image.pixelColor(corner), QColor(200, 220, 240));
        // A dark bezel of some thickness, not a hairline.
        for (const QPoint &rim : {QPoint(1, h / 2), QPoint(2, h / 2), QPoint(w / 2, 1), QPoint(w / 2, 2), QPoint(3, 3), QPoint(w - 4, h - 4)}) {
            const QColor edge = image.pixelColor(rim);
            QVERIFY2(edge.lightness() < 80, qPrintable(QStringLiteral("%1 at %2,%3").arg(edge.name()).arg(rim.x()).arg(rim.y())));
        }
        const QColor middle = image.pixelColor(w / 2, h / 2);
        QVERIFY2(qAbs(middle.hue() - color.hue()) <= 12 || color.saturation() == 0, qPrintable(middle.name()));
        QVERIFY2(qAbs(middle.lightness() - color.lightness()) <= 50, qPrintable(middle.name()));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
