// What one /metrics scrape of a whole installation (16 blocks, 320 channels, every block live,
// every channel with the heater burnout option, half of them in heating/cooling pairs) costs
// the gateway's thread: the exposition text made from the image and the answer around it.
// Prints the median and the 99th percentile of the thread's CPU time per scrape, and the size.
// Goal: under 5 ms. PLM870_BENCH_SCRAPES sets the number of scrapes (default 2000).
#include "GatewayMetrics.h"
#include "HttpReply.h"
#include "LinkHealth.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void fillImage()
{
    using namespace PLM_INC;
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelConnected[ch] = 1;
        InputType[ch] = int16_t(ch % 3 == 0 ? 8 : 0); // tenths of a degree and whole degrees
        OptionWord[ch] = int16_t(kOptionHeaterBurnout | (ch / kChannelsPerBlock % 2 ? kOptionHeatCool : 0));
        ProcessValue[ch] = int16_t(1000 + ch);
        MainSetting[ch] = int16_t(1200 + ch);
        OutputValue[ch] = int16_t(ch % 1000);
        HeaterCurrent[ch] = int16_t(ch % 500);
        StatusWord[ch] = int16_t(ch % 7 == 0 ? kStatusAlarm1 : 0);
    }
    for (int b = 0; b < kBlocks; ++b)
        BlockAbsent[b] = 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    Prefs::reopen();
    fillImage();
    LinkHealth health;
    for (int b = 0; b < PLM_INC::kBlocks; ++b) {
        health.noteTransaction(b, ReplyKind::Ack);
        health.notePoll(b, 0, ReplyKind::Ack);
    }
    GatewayState state{health};
    state.startedUp = true;
    state.lineUp = true;
    const int scrapes = std::max(10, qEnvironmentVariableIsSet("PLM870_BENCH_SCRAPES") ? qEnvironmentVariableIntValue("PLM870_BENCH_SCRAPES") : 2000);
    std::vector<double> ms;
    ms.reserve(size_t(scrapes));
    qsizetype bytes = 0;
    for (int i = 0; i < scrapes; ++i) {
        const double start = threadCpuMs();
        http::Reply reply;
        reply.contentType = kMetricsContentType;
        reply.body = MetricsText(state);
        bytes = http::ReplyBytes(reply, true, false).size();
        ms.push_back(threadCpuMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[ms.size() * 99 / 100];
    std::printf("scrape of 16 blocks, 320 channels: %lld bytes; CPU per scrape: median %.3f ms, p99 %.3f ms "
                "(goal: under 5 ms) over %d scrapes\n",
                static_cast<long long>(bytes), median, p99, scrapes);
    return median < 5.0 ? 0 : 1;
}
