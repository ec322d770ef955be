// Setting data files and the all-blocks load transfer.
//   save of an all-channel file (320 channels, 10,561 lines) in ms / 20 ms goal, goal <= 1
//   load of that file (read, check, into the image) in ms / 20 ms goal, goal <= 1
//   load of the same file with the unit "°C" on every channel, in Windows-1252 and in UTF-8
//   (the code page is decided over the whole file), in ms
//   all-blocks transfer (16 blocks with cooling: 416 writes, then 32 alarm writes) against
//   the simulator paced at the line rate: time / line-limited time, goal <= 1.02
// PLM870_BENCH_BAUD (9600 or 19200, default 9600) and PLM870_BENCH_BLOCKS (1..16, default
// 16) set the transfer's line and size.
#include "BenchSupport.h"
#include "DataFileKind.h"
#include "LinkView.h"
#include "MonitorComm.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "RecordFile.h"
#include "STDComm.h"
#include "SettingFileIo.h"
#include "SettingSend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace PLM_INC;

namespace {

constexpr double kFileGoalMs = 20;
constexpr int kRuns = 40;
constexpr double kReplyCharacters = 11; // ACK, address, blank, command, item, checksum, ETX

void fillImage()
{
    for (int ch = 0; ch < kChannels; ++ch) {
        RawSettingRecord r;
        for (int i = 0; i < kRecordValues; ++i)
            r.values[size_t(i)] = int16_t((ch * 31 + i * 17) % 4000 - 2000);
        r.values[kConnectedIndex] = 1;
        r.values[13] = r.values[14] = int16_t(ch % 13);
        r.unit = QStringLiteral("kPa");
        ApplyRawRecord(r, ch);
        ChannelConnected[ch] = 1;
    }
}

struct Figures {
    double median;
    double worst;
};

template <typename Work>
Figures timeRuns(Work work)
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

int transferBench()
{
    const int baud = qEnvironmentVariableIntValue("PLM870_BENCH_BAUD") == 19200 ? 19200 : 9600;
    const int blocks = qBound(1, qEnvironmentVariableIsSet("PLM870_BENCH_BLOCKS")
                                     ? qEnvironmentVariableIntValue("PLM870_BENCH_BLOCKS") : kBlocks, kBlocks);
    bench::PacedSimulator simulator(blocks, baud);
    if (!simulator.start())
        return 1;
    sim::PtyServer &server = simulator.server();
    NullLinkView view;
    MonitorComm comm;
    comm.setView(&view);
    if (!bench::openCom1(comm, baud, 300))
        return 1;
    BlockAbsent.fill(1);
    for (int b = 0; b < blocks; ++b) {
        BlockAbsent[b] = 0;
        BlockHasCooling[b] = -1; // the full chain of 26 items
    }
    std::printf("all-blocks transfer of %d blocks at %d baud ...\n", blocks, baud);
    std::fflush(stdout);
    server.clearReceived();
    QElapsedTimer t;
    PendingRequests.push(AllSendRequest());
    t.start();
    comm.Timer4_Timer();
    bench::runUntilIdle(comm);
    const double firstPhase = double(t.nsecsElapsed()) / 1e9;
    for (int i = 0; i < 15; ++i)
        comm.Timer3_Timer(1); // the pause between the phases is not part of the line's work
    t.restart();
    comm.Timer4_Timer();
    bench::runUntilIdle(comm);
    const double secondPhase = double(t.nsecsElapsed()) / 1e9;

    const std::vector<std::string> frames = server.receivedFrames();
    double characters = 0;
    for (const std::string &f : frames)
        characters += double(f.size()) + kReplyCharacters;
    const double lineSeconds = characters * 10 / baud;
    const double seconds = firstPhase + secondPhase;
    std::printf("  %zu writes (%d expected), %.0f characters\n", frames.size(), blocks * 28, characters);
    std::printf("  transfer %.2f s, line-limited %.2f s: ratio %.3f (goal <= 1.02)\n", seconds, lineSeconds,
                seconds / lineSeconds);
    return frames.size() == size_t(blocks * 28) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    fillImage();

    const QString path = run.folder() + QStringLiteral("/all.dat");
    const Figures save = timeRuns([&] {
        std::vector<RawSettingRecord> records;
        records.reserve(size_t(kChannels));
        for (int ch = 0; ch < kChannels; ++ch)
            records.push_back(TakeRawRecord(ch));
        if (!SaveRecordFile(path, records))
            std::abort();
    });
    QFile file(path);
    const qint64 size = file.size();
    const Figures load = timeRuns([&] {
        std::vector<RawSettingRecord> records;
        if (LoadRecordFile(path, kAllFileKind, kChannels, records) != LoadStatus::Ok)
            std::abort();
        ApplyAllRecords(records);
    });
    // The same file with a non-ASCII unit on every channel, as written here and as a Linux
    // editor would save it.
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    file.close();
    const QByteArray windowsUnits = QByteArray(bytes).replace("\"kPa\"", "\"\xb0" "C\"");
    const QByteArray utf8Units = QByteArray(bytes).replace("\"kPa\"", "\"\xc2\xb0" "C\"");
    auto loadBytes = [&](const QByteArray &content) {
        const QString other = run.folder() + QStringLiteral("/units.dat");
        QFile out(other);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(content) != content.size())
            std::abort();
        out.close();
        return timeRuns([&] {
            std::vector<RawSettingRecord> records;
            if (LoadRecordFile(other, kAllFileKind, kChannels, records) != LoadStatus::Ok
                || records[0].unit != QStringLiteral("\u00b0C"))
                std::abort();
            ApplyAllRecords(records);
        });
    };
    const Figures loadWindows = loadBytes(windowsUnits);
    const Figures loadUtf8 = loadBytes(utf8Units);
    std::printf("all-channel file: %lld bytes, %d lines\n", size, 1 + kChannels * 33);
    std::printf("  save %.2f ms median, %.2f ms worst of %d: ratio %.3f of the 20 ms goal\n", save.median, save.worst,
                kRuns, save.median / kFileGoalMs);
    std::printf("  load %.2f ms median, %.2f ms worst of %d: ratio %.3f of the 20 ms goal\n", load.median, load.worst,
                kRuns, load.median / kFileGoalMs);
    std::printf("  load with unit deg C in Windows-1252 %.2f ms median, in UTF-8 %.2f ms median\n", loadWindows.median,
                loadUtf8.median);
    std::fflush(stdout);
    return transferBench();
}
