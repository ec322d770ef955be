// A change record of 1,000,000 lines (or the count given) over 17 years, one month file a
// month, the lines as ChangeRecord writes them; then, each in a process of its own so that its
// memory is its own: the record read into rows (the newest month alone, the whole folder, the
// filters, peak memory), the change record window opening it (the first screen of rows, the
// whole record, the longest the window's thread did not answer), and the check of every file.
// Last, the cost of one line, on the caller's thread (its texts) and on the writer thread
// (finding the hash and number the file ends with).
#include "ChangeLine.h"
#include "ChangeRecordReader.h"
#include "ChangeRecordWindow.h"
#include "ChangeVerify.h"
#include "PLM_INC.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace PLM_INC;

namespace {

const char *const kItems[] = {"0001", "0002", "0003", "0005", "0013", "000E"};
const QDateTime kFirst(QDate(2010, 1, 1), QTime(0, 0));
constexpr int kSecondsApart = 540; // 1,000,000 lines: 17 years

SettingChange changeNumber(int n)
{
    return {kFirst.addSecs(qint64(n) * kSecondsApart),
            (n * 7) % kChannels,
            QString::fromLatin1(kItems[n % 6]),
            QString::number(100 + n % 500, 'f', 1),
            QString::number(101 + n % 500, 'f', 1),
            ChangeOrigin(n % 8),
            QString(),
            n % 50 == 0 ? WriteOutcome::NoReply : WriteOutcome::Taken};
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Writes the record; the time per line of its texts and hash.
double writeRecord(const QString &folder, int lines, qint64 *bytes)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray file;
    QByteArray previous = kChangeChainStart;
    QDate month;
    const QLocale locale = QLocale::system();
    const auto flush = [&] {
        if (file.isEmpty())
            return;
        QFile out(QDir(folder).filePath(ChangeFileName(month)));
        if (out.open(QIODevice::WriteOnly))
            out.write(file);
        *bytes += file.size();
        file.clear();
    };
    for (int n = 0; n < lines; ++n) {
        const SettingChange c = changeNumber(n);
        const QDate m(c.at.date().year(), c.at.date().month(), 1);
        if (m != month) {
            flush();
            month = m;
            file = ChangeColumnLine();
            previous = kChangeChainStart;
        }
        const QByteArray line =
            ChangeLine(previous, ChangeFieldBytes(ChangeFieldTexts(c, QStringLiteral("operator"), locale) << QString::number(n + 1)));
        previous = SplitChangeLine(line.left(line.size() - 2));
        file += line;
    }
    flush();
    return ms(timer) * 1000.0 / lines;
}

int measureReader(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    const QStringList files = ChangeMonthFilesNewestFirst(folder);
    const ChangeFilePart newest = ReadChangeFilePart(files.first());
    std::printf("  the newest month alone (the first screen of rows): %.1f ms, %zu rows\n", ms(timer), newest.keys.size());
    ChangeRecordReader reader;
    timer.restart();
    reader.readFolder(folder);
    std::printf("  open (read the folder into rows, newest first): %.0f ms for %zu rows, peak %.0f MB\n", ms(timer),
                reader.rowCount(), peakMb());
    struct Case {
        const char *name;
        ChangeFilter filter;
    };
    ChangeFilter block, channel, item, origin, days, all;
    block.block = 3;
    channel.channel = 41;
    item.item = QStringLiteral("0001");
    origin.origin = ChangeOrigin::AtUnit;
    const QDate lastDay = reader.row(0).change.at.date();
    days.from = QDateTime(lastDay.addDays(-6), QTime(0, 0));
    days.to = QDateTime(lastDay, QTime(23, 59, 59));
    all = channel;
    all.item = QStringLiteral("0001");
    all.from = days.from;
    for (const Case &c : {Case{"block", block}, Case{"channel", channel}, Case{"item", item}, Case{"origin", origin},
                          Case{"7 days", days}, Case{"channel+item+from", all}}) {
        timer.restart();
        const size_t kept = reader.filtered(c.filter).size();
        std::printf("  filter by %-18s %6.1f ms, %zu rows\n", c.name, ms(timer), kept);
    }
    constexpr int kTails = 1000;
    timer.restart();
    for (int i = 0; i < kTails; ++i) {
        QByteArray hash;
        bool empty = false;
        QString why;
        qint64 seq = 0;
        ChangeChainEnd(files.first(), &hash, &empty, &why, nullptr, &seq);
    }
    std::printf("  the hash and number a file ends with (writer thread, per line): %.1f us\n", ms(timer) * 1000.0 / kTails);
    return 0;
}

int measureWindow(const QString &folder)
{
    ChangeRecordWindow window(folder);
    QElapsedTimer timer;
    qint64 longestMs = 0;
    QElapsedTimer sinceTick;
    QTimer ticker; // what a click waits for: the window's thread coming back to its events
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestMs = std::max(longestMs, sinceTick.elapsed());
        sinceTick.restart();
    });
    ticker.start(10);
    timer.start();
    sinceTick.start();
    window.openWindow();
    double firstMs = -1;
    while (window.reading()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (firstMs < 0 && window.Changes_table->model()->rowCount() > 0)
            firstMs = ms(timer);
    }
    std::printf("  window: the first screen of rows after %.0f ms, all %d rows after %.0f ms, peak %.0f MB\n", firstMs,
                window.Changes_table->model()->rowCount(), ms(timer), peakMb());
    std::printf("  window: the longest the window's thread did not answer while reading: %lld ms\n",
                static_cast<long long>(longestMs));
    timer.restart();
    longestMs = 0;
    sinceTick.restart();
    window.verifyFiles();
    while (window.verifying())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("  window: Verify of every file %.0f ms, the longest the window's thread did not answer %lld ms\n",
                ms(timer), static_cast<long long>(longestMs));
    return 0;
}

int measureCheck(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    const ChangeRecordCheck check = VerifyChangeRecord({folder});
    int lines = 0;
    for (const ChangeFileCheck &f : check.files)
        lines += f.changes;
    std::printf("  check every file (--verify-changes): %.0f ms for %d lines in %zu files, %s, peak %.0f MB\n", ms(timer),
                lines, check.files.size(), check.ok() ? "all follow" : "NOT ALL FOLLOW", peakMb());
    return check.ok() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3) { // a measurement in a process of its own
        const QString mode = QString::fromLocal8Bit(argv[1]);
        const QString folder = QString::fromLocal8Bit(argv[2]);
        if (mode == QLatin1String("--window")) {
            QApplication app(argc, argv);
            return measureWindow(folder);
        }
        QCoreApplication app(argc, argv);
        return mode == QLatin1String("--reader") ? measureReader(folder) : measureCheck(folder);
    }
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    QTemporaryDir dir;
    qint64 bytes = 0;
    const double perLine = writeRecord(dir.path(), lines, &bytes);
    std::printf("change record: %d lines, %.1f MB in %d month files\n", lines, double(bytes) / 1e6,
                int(ChangeMonthFilesNewestFirst(dir.path()).size()));
    std::printf("  texts, code page, number and hash of a line: %.2f us\n", perLine);
    std::fflush(stdout);
    int rc = 0;
    for (const char *mode : {"--reader", "--window", "--check"}) {
        QProcess measure;
        measure.setProcessChannelMode(QProcess::ForwardedChannels);
        measure.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode), dir.path()});
        measure.waitForFinished(-1);
        rc |= measure.exitCode();
    }
    return rc;
}
