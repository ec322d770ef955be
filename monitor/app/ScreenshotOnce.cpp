#include "ScreenshotOnce.h"

#include "MainDisp.h"

#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

namespace {
int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}
} // namespace

ScreenshotOnce::ScreenshotOnce(MainDisp &window, QObject *parent) : QObject(parent), m_window(window)
{
    m_path = qEnvironmentVariable("PLM870_SCREENSHOT");
    if (m_path.isEmpty())
        return;
    m_tab = envInt("PLM870_SCREENSHOT_TAB", -1);
    const int settleMs = envInt("PLM870_SCREENSHOT_DELAY_MS", 6000);
    const int giveUpMs = envInt("PLM870_SCREENSHOT_TIMEOUT_MS", 180000);
    connect(&window, &MainDisp::linkStarted, this, [this, settleMs] {
        if (m_tab >= 0 && m_tab < m_window.SSTab1->count())
            m_window.SSTab1->setCurrentIndex(m_tab);
        QTimer::singleShot(settleMs, this, &ScreenshotOnce::take);
    });
    QTimer::singleShot(giveUpMs, this, &ScreenshotOnce::giveUp);
}

void ScreenshotOnce::take()
{
    if (m_done)
        return;
    m_done = true;
    m_window.SelectDispItem();
    const QPixmap shot = m_window.grab();
    if (shot.save(m_path, "PNG")) {
        std::printf("Screenshot: %s\n", qPrintable(m_path));
    } else {
        std::fprintf(stderr, "Cannot write the screenshot %s\n", qPrintable(m_path));
        m_exitCode = 1;
    }
    std::fflush(stdout);
    m_window.endProgram();
}

void ScreenshotOnce::giveUp()
{
    if (m_done)
        return;
    m_done = true;
    std::fprintf(stderr, "No controller answered; no screenshot taken.\n");
    m_exitCode = 2;
    m_window.endProgram();
}
