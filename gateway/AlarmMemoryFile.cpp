#include "AlarmMemoryFile.h"

#include "DiskWriter.h"
#include "PLM_INC.h"

#include <QFile>
#include <algorithm>
#include <cstdio>

using namespace PLM_INC;

namespace {

constexpr int kRecorded = 6; // the AlarmMemory slots that the history records
const QByteArray kHeader = "PLM-870 gateway alarm memory: per channel alarm 1, alarm 2, HB, LP, UPS, DOWNS\n";

QByteArray memoryBytes()
{
    QByteArray bytes = kHeader;
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int slot = 0; slot < kRecorded; ++slot)
            bytes += AlarmMemory[ch][slot] == -1 ? '1' : '0';
        bytes += '\n';
    }
    return bytes;
}

} // namespace

AlarmMemoryFile::AlarmMemoryFile(QString path) : path_(std::move(path))
{
    timer_.setInterval(kKeepCheckMs);
    connect(&timer_, &QTimer::timeout, this, &AlarmMemoryFile::keep);
    timer_.start();
}

bool AlarmMemoryFile::load(QString *why)
{
    kept_ = memoryBytes();
    QFile f(path_);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("The alarm memory \"%1\" cannot be read (%2): every alarm on is recorded again as turned on.")
                   .arg(path_, f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    const QList<QByteArray> lines = bytes.mid(kHeader.size()).split('\n');
    const bool sound = bytes.startsWith(kHeader) && lines.size() == kChannels + 1 && lines.last().isEmpty()
                       && std::all_of(lines.begin(), lines.end() - 1, [](const QByteArray &l) {
                              return l.size() == kRecorded && l.count('0') + l.count('1') == kRecorded;
                          });
    if (!sound) {
        *why = QStringLiteral("The alarm memory \"%1\" is not one the gateway wrote: every alarm on is recorded again as turned on.")
                   .arg(path_);
        return false;
    }
    for (int ch = 0; ch < kChannels; ++ch)
        for (int slot = 0; slot < kRecorded; ++slot)
            AlarmMemory[ch][slot] = lines[ch][slot] == '1' ? -1 : 0;
    kept_ = bytes;
    return true;
}

void AlarmMemoryFile::keep()
{
    QByteArray bytes = memoryBytes();
    if (bytes == kept_)
        return;
    kept_ = std::move(bytes);
    // The history lines of these changes were queued when the memory changed, so they reach the
    // disk first: a kill between the two records an edge twice, never loses it.
    diskWriter().replace(path_, kept_, [](const QString &why) {
        std::fprintf(stderr, "The alarm memory cannot be kept: %s\n", qPrintable(why));
    });
}
