// The system's own fixed texts, letter for letter (typos included): window titles, tab
// captions, frame titles, tool tips, the menus in their order, captions and buttons of the
// dialogs and the opening screen. A text is found by the path of object names that leads to
// its control, so the table reads like the windows.
#include "MainDisp.h"
#include "OpeningScreen.h"
#include "UiValuesFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

// The entries of a menu in order: a separator is "-", a submenu shows its title.
QString entriesOf(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts.join(QStringLiteral(" | "));
}

} // namespace

class TestFixedTexts : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;
    std::unique_ptr<OpeningScreen> m_opening;

    // "SubDisp_comm/Label1": the first name is a window (or any control of the main window),
    // each further name a control inside the one before.
    QObject *find(const QString &path) const
    {
        const QStringList names = path.split(QLatin1Char('/'));
        QObject *at = nullptr;
        for (QObject *root : {static_cast<QObject *>(m_win.get()), static_cast<QObject *>(m_opening.get())})
            if (root->objectName() == names.first())
                at = root;
        if (!at)
            at = m_win->findChild<QObject *>(names.first());
        for (int i = 1; at && i < names.size(); ++i)
            at = at->findChild<QObject *>(names[i]);
        return at;
    }

    // The text of one kind that a control shows.
    QString textOf(const QString &kind, QObject *o) const
    {
        if (kind == QLatin1String("title"))
            return qobject_cast<QWidget *>(o)->windowTitle();
        if (kind == QLatin1String("tabs")) {
            auto *tabs = qobject_cast<QTabWidget *>(o);
            QStringList captions;
            for (int i = 0; i < tabs->count(); ++i)
                captions << tabs->tabText(i);
            return captions.join(QStringLiteral(" | "));
        }
        if (kind == QLatin1String("frame"))
            return qobject_cast<QGroupBox *>(o)->title();
        if (kind == QLatin1String("label"))
            return qobject_cast<QLabel *>(o)->text();
        if (kind == QLatin1String("button"))
            return qobject_cast<QAbstractButton *>(o)->text();
        if (kind == QLatin1String("tip"))
            return qobject_cast<QAction *>(o)->toolTip();
        if (kind == QLatin1String("menubar")) {
            QStringList titles;
            for (const QAction *a : qobject_cast<QMenuBar *>(o)->actions())
                titles << a->text();
            return titles.join(QStringLiteral(" | "));
        }
        if (kind == QLatin1String("menu"))
            return entriesOf(qobject_cast<QMenu *>(o));
        if (kind == QLatin1String("headers")) {
            auto *grid = qobject_cast<QTableWidget *>(o);
            QStringList heads;
            for (int c = 0; c < grid->columnCount(); ++c)
                heads << grid->horizontalHeaderItem(c)->text();
            return heads.join(QStringLiteral(" | "));
        }
        return QStringLiteral("<no kind %1>").arg(kind);
    }

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        m_win = std::make_unique<MainDisp>();
        m_opening = std::make_unique<OpeningScreen>();
    }
    void cleanup()
    {
        m_opening.reset();
        m_win.reset();
        m_env.reset();
    }

    void textsAreTheSystemsOwn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *kind, const char *path, const QString &expected) {
            QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(path) << expected;
        };
        // Main window
        row("main window title", "title", "MainDisp", "PLM-870 Monitoring software");
        row("tab captions", "tabs", "SSTab1", "4-Block Disp | 2-Block Disp | 1 Block Disp | 1 Channel Disp | Setting Disp | Chart | Data logging");
        row("status panel 2 at start", "label", "StatusBar1_Panel_2", "Logging standby");
        row("status panel 3 at start", "label", "StatusBar1_Panel_3", "Chart standby");
        row("reading notice", "label", "Text_readmsg", "The monitoring software is reading data from PLM-870.\nPlease wait for a moment.");
        row("communication error notice", "label", "Text_readmsg2", "Communication error");
        // Menus, in order
        row("menu bar", "menubar", "MainDisp_menu", "File(&F) | Setting(&S) | Disp(&D) | User(&U) | Help(&H)");
        row("File menu", "menu", "mnuFile", "End(&E)");
        row("Setting menu", "menu", "mnuSetting", "Block name(&B) | Channel name(&C) | - | Broker(&M)...");
        row("Disp menu", "menu", "mnuDisp", "Normal view(&W) | - | Min.(&N) | Full screen(&X) | - | Communication status(&C)");
        row("User menu", "menu", "mnuUser", "Setting value Save / Load(&G) | Factory adjusted value(&K) | - | Alarm history(&A) | Change record(&R)");
        row("Save / Load submenu", "menu", "mnuSaveLoad", "Channel(&C) | Block(&B) | All channels(&A)");
        row("Help menu", "menu", "mnuHelpTop", "Help(&M) | - | Version information(&V)");
        // Page 0
        row("item selector caption", "label", "Combo1_caption", "Monitoring and setting items");
        row("group 1 tool tip", "tip", "Toolbar1_Button_1", "HRV-600 Instrument number 0 to 3");
        row("group 2 tool tip", "tip", "Toolbar1_Button_2", "HRV-600 Instrument number 4 to 7");
        row("group 3 tool tip", "tip", "Toolbar1_Button_3", "HRV-600 Instrument number 8 to B(11)");
        row("group 4 tool tip", "tip", "Toolbar1_Button_4", "HRV-600 Instrument number C(12) to F(15)");
        // Page 1
        row("third lamp frame", "frame", "Frame_A3select", "A3 select");
        row("third lamp HB", "button", "Option1", "HB");
        row("third lamp LP", "button", "Option2", "LP");
        row("third lamp SB", "button", "Option3", "SB");
        row("output column", "label", "tb1_head_CONT_0", "Control ON/OFF");
        row("alarm columns", "label", "tb1_head_ALM_1", "Alarm status");
        // Page 3
        row("channel selector caption", "label", "tb3_CHName_caption", "Select channel name");
        row("frame 1", "frame", "Frame1", "Information of control");
        row("frame 2", "frame", "Frame2", "Information of output manipulating value");
        row("frame 3", "frame", "Frame3", "Information of alarm 1");
        row("frame 4", "frame", "Frame4", "Information of alarm 2");
        row("frame 5", "frame", "Frame5", "Information of HB alarm");
        row("frame 6", "frame", "Frame6", "Information of loop break alarm");
        row("frame 7", "frame", "Frame7", "Other informations");
        row("frame 8", "frame", "Frame8", "Infomation of cooling output");
        row("not connected notice", "label", "Label14_0", "A channel PLM-870 is not connected with.");
        row("ineffective notice", "label", "Label14_1",
            "As the PLM-870 of this channel is for the heating-cooling specification,this channel is ineffective.");
        row("cooling output caption", "label", "Label58", "Cooling output manipulating value");
        // Port dialog
        row("port dialog title", "title", "SubDisp_comm", "Communication environment setting display");
        row("port caption", "label", "SubDisp_comm/Label1", "Communication port selection");
        row("speed caption", "label", "SubDisp_comm/Label2", "Transfer rate selection");
        row("port dialog OK", "button", "SubDisp_comm/Command1", "OK");
        row("port dialog shut down", "button", "SubDisp_comm/Command3", "Shut down");
        // Name dialogs
        row("block name dialog title", "title", "SubDisp_Block", "Block Name");
        row("instrument number heading", "label", "SubDisp_Block/Label2", "HRV-600 instrument number");
        row("block name heading", "label", "SubDisp_Block/Label3", "Block Name");
        row("instrument number 9", "label", "SubDisp_Block/Label1_9", "9");
        row("instrument number 10", "label", "SubDisp_Block/Label1_10", "A(10)");
        row("instrument number 15", "label", "SubDisp_Block/Label1_15", "F(15)");
        row("block name dialog OK", "button", "SubDisp_Block/DvOK", "OK");
        row("block name dialog Cancel", "button", "SubDisp_Block/DvCan", "Cancel");
        row("channel name dialog title", "title", "SubDisp_Chname", "Channel Name");
        row("channel name hint", "label", "SubDisp_Chname/Label_hint", "Input the channel name within 12 characters.");
        row("channel row 1", "label", "SubDisp_Chname/Label1_0", "01");
        row("channel row 20", "label", "SubDisp_Chname/Label1_19", "20");
        row("channel name dialog OK", "button", "SubDisp_Chname/Command1", "OK");
        row("channel name dialog Cancel", "button", "SubDisp_Chname/Command2", "Cancel");
        // Alarm history window
        row("history title", "title", "SubDisp_History", "Alarm history");
        row("history columns", "headers", "SubDisp_History/MSFlexGrid1", "Date | Time | Channel | Contain");
        row("history Clear", "button", "SubDisp_History/Command1_1", "Clear");
        row("history Return", "button", "SubDisp_History/Command1_2", "Return");
        // Opening screen
        row("opening screen window title", "title", "OpeningScreen", "PLM-870 Monitoring Software");
        row("opening screen title", "label", "OpeningScreen/OpeningScreen_title", "PLM-870 Monitoring Software");
        row("opening screen wait", "label", "OpeningScreen/OpeningScreen_wait", "Wait for a moment.");
    }
    void textsAreTheSystemsOwn()
    {
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QObject *control = find(path);
        QVERIFY2(control, qPrintable(QStringLiteral("no control ") + path));
        QCOMPARE(textOf(kind, control), expected);
    }
};

QTEST_MAIN(TestFixedTexts)
#include "tst_fixed_texts.moc"
