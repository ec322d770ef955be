// Cost of the two timer-driven jobs of the chart and logging pages, against their goals:
//   one 320-channel log line, appended, flushed and put on the disk (goal under 2 ms);
//   one chart plot step of four pens plus its repaint, chart at 1920 x 1080 (goal under 4 ms).
// Figures are medians and 95th percentiles, with the ratio to the goal (below 1 meets it).
// The log is written in PLM870_BENCH_DIR (default: a temporary folder under the current one,
// so on the disk the program would write to). The platform is Qt's: offscreen, or xcb on a
// real or virtual X display.
#include "BenchSupport.h"
#include "ChartPage.h"
#include "DataLogger.h"
#include "FileStamps.h"
#include "LogColumns.h"
#include "LogFile.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "Tobrel_ChartCtl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTimer>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace PLM_INC;

namespace {

struct Figures {
    double median;
    double p95;
};

Figures summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[size_t(double(ms.size()) * 0.95)]};
}

void report(const char *what, const Figures &f, double goalMs)
{
    std::printf("%-58s median %.3f ms, p95 %.3f ms -> ratio to the %.0f ms goal %.3f\n", what, f.median, f.p95, goalMs,
                f.median / goalMs);
}

void fillImage(int step)
{
    for (int n = 0; n < kChannels; ++n) {
        InputType[n] = int16_t(n % 12);
        DecimalDivisor[n] = 10;
        ProcessValue[n] = int16_t((n * 37 + step * 11) % 3000 - 500);
    }
}

Figures logLines(const QString &folder, int lines)
{
    LoggedBlocks all;
    all.fill(true);
    const QString path = folder + QStringLiteral("/bench_log.txt");
    WriteLogHeader(path, QDate::currentDate(), QLocale::system(), LogColumnTitles(all));
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < lines; ++i) {
        fillImage(i);
        timer.start();
        const QByteArray line = LogDataLine(PLM_INC::FileStampText(QDateTime::currentDateTime(), QLocale::system()), LogValues(all));
        if (!AppendLogLine(path, line)) {
            std::fprintf(stderr, "cannot append to %s\n", qPrintable(path));
            break;
        }
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

// The same line built and appended without putting it on the disk: what the sync costs.
Figures logLinesWithoutSync(const QString &folder, int lines, bool write)
{
    LoggedBlocks all;
    all.fill(true);
    const QString path = folder + QStringLiteral("/bench_log_nosync.txt");
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < lines; ++i) {
        fillImage(i);
        timer.start();
        const QByteArray line = LogDataLine(PLM_INC::FileStampText(QDateTime::currentDateTime(), QLocale::system()), LogValues(all));
        if (write) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() || !file.flush())
                std::fprintf(stderr, "cannot append to %s\n", qPrintable(path));
        }
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

Figures plotSteps(Tobrel_ChartCtl &chart, int from, int steps)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < steps; ++i) {
        const int p = from + i;
        timer.start();
        for (int k = 0; k < 4; ++k)
            chart.setG_Val(k, qint16(200 + (k * 90 + p * (k + 1)) % 300 - (k == 3 ? 150 : 0)));
        chart.setProtterNo(qint16(p));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(); // the repaint of what the step drew
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

Figures fullRepaints(Tobrel_ChartCtl &chart, int count, bool resize)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        if (resize)
            chart.resize(1920 - (i % 2), 1080); // the kept picture is drawn again at the new size
        timer.start();
        chart.repaint();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

// One Timer2 tick of the chart page in the main window: four pens sampled from the image,
// plotted, and the page repainted as the event loop does it.
Figures pageSamples(ChartPage &page, int samples)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < samples; ++i) {
        fillImage(i);
        timer.start();
        page.Timer2_Timer();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return summarise(ms);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString base = qEnvironmentVariable("PLM870_BENCH_DIR", QDir::currentPath());
    bench::BenchRun run(base);
    if (!run.ok())
        return 1;
    std::printf("== bench_chartlog (platform %s, log in %s)\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(base));
    report("log line of 320 channels, appended, flushed, synced", logLines(run.folder(), 300), 2.0);
    report("  of which the line built (320 values and the stamp)", logLinesWithoutSync(run.folder(), 300, false), 2.0);
    report("  of which built, appended and flushed, not synced", logLinesWithoutSync(run.folder(), 300, true), 2.0);

    Tobrel_ChartCtl chart;
    chart.resize(1920, 1080);
    chart.show();
    chart.setCountTim(1);
    chart.setStartTim(QStringLiteral("09:05"));
    chart.setStartflg(true);
    QCoreApplication::processEvents();
    report("plot step of 4 pens + repaint, 1920 x 1080, points 0..499", plotSteps(chart, 0, 500), 4.0);
    report("plot step of 4 pens + repaint, 1920 x 1080, points 500..999", plotSteps(chart, 500, 500), 4.0);
    report("whole chart repainted (window uncovered), 4000 segments", fullRepaints(chart, 50, false), 4.0);
    report("whole chart drawn again after a resize, 4000 segments", fullRepaints(chart, 50, true), 4.0);
    chart.hide();

    // The chart page of the main window, as the program runs it.
    MainDisp window;
    window.resize(1920, 1080);
    window.SSTab1->setCurrentIndex(5);
    window.show();
    window.chartPage->sampling().settings.ChartPenItem = {1, 2, 3, 1};
    window.chartPage->ChartStart_Click(0);
    window.chartPage->Timer2->stop(); // ticks come from the loop below
    QCoreApplication::processEvents();
    report("chart page sample (Timer2 tick) + repaint, window 1920 x 1080", pageSamples(*window.chartPage, 500), 4.0);
    return 0;
}
