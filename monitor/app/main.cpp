// PLM870_Monitor: the monitoring program of a PLM-870 installation.
#include "DiskWriter.h"
#include "MainDisp.h"
#include "ProgramEntry.h"
#include "ScreenshotOnce.h"
#include "WidgetPrompter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PLM870_Monitor"));
    QApplication::setQuitOnLastWindowClosed(false);
    WidgetPrompter prompter;
    PLM_INC::setPrompter(&prompter);

    ProgramEntry program;
    program.start();
    QObject::connect(&program.mainDisp(), &MainDisp::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    ScreenshotOnce screenshot(program.mainDisp());

    const int rc = app.exec();
    // The history and log lines still on their way reach the disk while the application exists.
    PLM_INC::diskWriter().waitUntilWritten();
    PLM_INC::setPrompter(nullptr);
    return screenshot.active() ? screenshot.exitCode() : rc;
}
