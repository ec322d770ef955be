// A change record of 100,000 lines over two months (the lines as ChangeRecord writes them),
// then: the time to read the folder into rows, to filter them several ways, and to check both
// files; and the cost of one line, on the caller's thread (its texts) and on the writer thread
// (finding the hash the file ends with).
#include "ChangeLine.h"
#include "ChangeRecordReader.h"
#include "ChangeVerify.h"
#include "PLM_INC.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace PLM_INC;

namespace {

constexpr int kLines = 100000;
const char *const kItems[] = {"0001", "0002", "0003", "0005", "0013", "000E"};

SettingChange changeNumber(int n)
{
    // About one change every 50 s over 58 days: November and December.
    const QDateTime at = QDateTime(QDate(2026, 11, 1), QTime(0, 0)).addSecs(qint64(n) * 50);
    return {at,
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QElapsedTimer timer;

    timer.start();
    QByteArray files[2];
    QByteArray previous[2] = {kChangeChainStart, kChangeChainStart};
    const QLocale locale = QLocale::system();
    for (int n = 0; n < kLines; ++n) {
        const SettingChange c = changeNumber(n);
        const int f = c.at.date().month() == 11 ? 0 : 1;
        const QByteArray fields = ChangeFieldBytes(ChangeFieldTexts(c, QStringLiteral("operator"), locale));
        if (files[f].isEmpty())
            files[f] = ChangeColumnLine();
        const QByteArray line = ChangeLine(previous[f], fields);
        previous[f] = SplitChangeLine(line.chopped(2));
        files[f] += line;
    }
    const double makeMs = ms(timer);
    for (int f = 0; f < 2; ++f) {
        QFile out(dir.filePath(ChangeFileName(QDate(2026, 11 + f, 1))));
        if (!out.open(QIODevice::WriteOnly) || out.write(files[f]) != files[f].size())
            return 1;
    }
    std::printf("change record: %d lines, %.1f MB in two month files\n", kLines,
                double(files[0].size() + files[1].size()) / 1e6);
    std::printf("  texts, code page and hash of a line (caller's thread + writer thread): %.2f us\n",
                makeMs * 1000.0 / kLines);

    ChangeRecordReader reader;
    timer.restart();
    reader.readFolder(dir.path());
    std::printf("  open (read the folder into rows, newest first): %.0f ms for %zu rows\n", ms(timer), reader.rows().size());

    struct Case {
        const char *name;
        ChangeFilter filter;
    };
    ChangeFilter block, channel, item, origin, days, all;
    block.block = 3;
    channel.channel = 41;
    item.item = QStringLiteral("0001");
    origin.origin = ChangeOrigin::AtUnit;
    days.from = QDateTime(QDate(2026, 12, 1), QTime(0, 0));
    days.to = QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59));
    all = channel;
    all.item = QStringLiteral("0001");
    all.from = days.from;
    for (const Case &c : {Case{"block", block}, Case{"channel", channel}, Case{"item", item}, Case{"origin", origin},
                          Case{"7 days", days}, Case{"channel+item+from", all}}) {
        timer.restart();
        const size_t kept = reader.filtered(c.filter).size();
        std::printf("  filter by %-18s %6.1f ms, %zu rows\n", c.name, ms(timer), kept);
    }

    timer.restart();
    int checked = 0;
    for (const QString &file : reader.files())
        checked += VerifyChangeFile(file).changes;
    std::printf("  check both files: %.0f ms for %d lines\n", ms(timer), checked);

    constexpr int kTails = 1000;
    timer.restart();
    for (int i = 0; i < kTails; ++i) {
        QByteArray hash;
        bool empty = false;
        QString why;
        ChangeChainEnd(reader.files().last(), &hash, &empty, &why);
    }
    std::printf("  the hash a file ends with (writer thread, per line): %.1f us\n", ms(timer) * 1000.0 / kTails);
    return 0;
}
