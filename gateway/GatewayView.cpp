#include "GatewayView.h"

#include "PortChoices.h"
#include "QuietLog.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const GatewayView *g_view = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void leaveOutEarlyLinkWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_view && !g_view->startedUp && type == QtWarningMsg && message.startsWith(QLatin1String("link: ")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

} // namespace

GatewayView::GatewayView()
{
    g_view = this;
    g_previousHandler = qInstallMessageHandler(leaveOutEarlyLinkWarnings);
    PLM_INC::setPrompter(&prompter_);
}

GatewayView::~GatewayView()
{
    PLM_INC::setPrompter(nullptr);
    qInstallMessageHandler(g_previousHandler);
    g_view = nullptr;
}

void GatewayView::JournalPrompter::message(const QString &text, const QString &kind)
{
    // A lost history line is told with its reason, not with the window's "Check if the alarm
    // history file is open."
    QString line = text;
    if (kind == QLatin1String("history"))
        line = QStringLiteral("A line of the alarm history file was not written: %1")
                   .arg(text.section(QLatin1Char('\n'), 1).trimmed());
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    PLM_INC::quietLog().tell(kind.isEmpty() ? line : kind, line);
}

void GatewayView::setCommErrorNoticeVisible(bool visible)
{
    // The link driver tells the first state too; only a change is worth a line.
    if (visible != errorShown)
        say(visible ? QStringLiteral("Communication error") : QStringLiteral("Communication restored"));
    errorShown = visible;
}

void GatewayView::startupFinished()
{
    startedUp = true;
    problemShown_.clear();
    say(QStringLiteral("Start-up read done; polling"));
}

void GatewayView::showPortDialog(const QString &, const QString &)
{
    // setPortProblem has said why, with the device's name.
}

void GatewayView::setPortProblem(const QString &text)
{
    // Told on every failed attempt; a line only when the reason changes.
    if (text == problemShown_)
        return;
    problemShown_ = text;
    if (text == PortAnswersText(port)) {
        say(text);
        return;
    }
    QString reason;
    if (!device.isEmpty() && ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0)
        reason = QStringLiteral(" (%1: %2)").arg(device, QString::fromLocal8Bit(std::strerror(errno)));
    say(QStringLiteral("%1%2 Trying again until the controller answers; polling starts then.").arg(text, reason));
}

void GatewayView::setStartupProgress(int count)
{
    if (count == 1)
        say(QStringLiteral("Start-up read of the installation"));
}
