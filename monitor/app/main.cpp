// PLM870_Monitor: the monitoring program of a PLM-870 installation.
#include "DiskWriter.h"
#include "MainDisp.h"
#include "ProgramEntry.h"
#include "ScreenshotOnce.h"
#include "VerifyChangesOption.h"
#include "WidgetPrompter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // A check of the change record needs no window (and no display).
    if (const std::optional<int> rc = RunVerifyChangesOption(argc, argv))
        return *rc;
    PLM_INC::IgnoreFileSizeSignal();
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
    program.end();
    // The window is gone: a failure of the last lines goes to standard error, not into a box
    // that would vanish with the program.
    PLM_INC::setPrompter(nullptr);
    // The history and log lines still on their way; a disk that does not answer (a network
    // share gone) is left behind.
    PLM_INC::FinishWritingAtEnd();
    return screenshot.active() ? screenshot.exitCode() : rc;
}
