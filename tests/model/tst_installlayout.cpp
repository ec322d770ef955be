// Where the program finds its help pages: copied beside it in a build tree, or under
// share/plm870-monitor of the tree it was installed into, wherever that tree lies.
#include "InstallLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace PLM_INC;

namespace {

// Makes the files (and folders, ending in "/") of a tree under root.
void makeTree(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + QLatin1Char('/') + entry;
        if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html></html>\n");
    }
}

QString under(const QString &root, const QString &relative)
{
    return relative.isEmpty() ? QString() : QDir::cleanPath(root + QLatin1Char('/') + relative);
}

} // namespace

class TestInstallLayout : public QObject {
    Q_OBJECT
private slots:
    void helpAndInstalledTree_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("helpPage");     // "" when none is found
        QTest::addColumn<QString>("installedShare"); // "" when not an installed tree
        QTest::newRow("build tree: help copied beside the program")
            << QStringList{"build/bin/PLM870_Monitor", "build/bin/help/PLM_MONITOR_US.html"} << "build/bin"
            << "build/bin/help/PLM_MONITOR_US.html" << "";
        QTest::newRow("installed under /usr")
            << QStringList{"usr/bin/PLM870_Monitor", "usr/share/plm870-monitor/help/PLM_MONITOR_US.html"}
            << "usr/bin" << "usr/share/plm870-monitor/help/PLM_MONITOR_US.html" << "usr/share/plm870-monitor";
        QTest::newRow("installed under another prefix")
            << QStringList{"opt/plm/bin/PLM870_Monitor", "opt/plm/share/plm870-monitor/help/PLM_MONITOR_US.html"}
            << "opt/plm/bin" << "opt/plm/share/plm870-monitor/help/PLM_MONITOR_US.html"
            << "opt/plm/share/plm870-monitor";
        QTest::newRow("installed tree without its help pages")
            << QStringList{"usr/bin/PLM870_Monitor", "usr/share/plm870-monitor/"} << "usr/bin" << ""
            << "usr/share/plm870-monitor";
        QTest::newRow("the build tree's copy comes first")
            << QStringList{"usr/bin/help/PLM_MONITOR_US.html", "usr/share/plm870-monitor/help/PLM_MONITOR_US.html"}
            << "usr/bin" << "usr/bin/help/PLM_MONITOR_US.html" << "usr/share/plm870-monitor";
        QTest::newRow("a folder named like the page is no page")
            << QStringList{"bin/help/PLM_MONITOR_US.html/", "share/plm870-monitor/help/PLM_MONITOR_US.html/"}
            << "bin" << "" << "share/plm870-monitor";
        QTest::newRow("another program's share folder is not this one's")
            << QStringList{"usr/bin/PLM870_Monitor", "usr/share/plm870/help/PLM_MONITOR_US.html"} << "usr/bin" << ""
            << "";
        QTest::newRow("neither") << QStringList{"bin/PLM870_Monitor"} << "bin" << "" << "";
    }
    void helpAndInstalledTree()
    {
        QFETCH(QStringList, tree);
        QFETCH(QString, programFolder);
        QFETCH(QString, helpPage);
        QFETCH(QString, installedShare);
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        makeTree(dir.path(), tree);
        const QString program = dir.path() + QLatin1Char('/') + programFolder;
        QCOMPARE(HelpContentsPage(program), under(dir.path(), helpPage));
        QCOMPARE(InstalledShareFolder(program), under(dir.path(), installedShare));
        // The program folder as the application gives it may carry a trailing slash.
        QCOMPARE(HelpContentsPage(program + QLatin1Char('/')), under(dir.path(), helpPage));
    }

    void noProgramFolderFindsNothing()
    {
        QCOMPARE(HelpContentsPage(QString()), QString());
        QCOMPARE(InstalledShareFolder(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestInstallLayout)
#include "tst_installlayout.moc"
