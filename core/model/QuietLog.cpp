#include "QuietLog.h"

#include <QElapsedTimer>
#include <cstdio>

namespace PLM_INC {

namespace {

void toStandardError(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

qint64 steadyMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

} // namespace

QuietLog::QuietLog(Sink sink, Clock nowMs)
    : sink_(sink ? std::move(sink) : Sink(toStandardError)), nowMs_(nowMs ? std::move(nowMs) : Clock(steadyMs))
{
}

void QuietLog::tell(const QString &kind, const QString &line)
{
    flush();
    Kind &k = kinds_[kind];
    const qint64 now = nowMs_();
    if (k.saidMs >= 0 && now - k.saidMs < kQuietMs) {
        ++k.heldBack;
        k.last = line;
        return;
    }
    k.saidMs = now;
    sink_(line);
}

void QuietLog::flush()
{
    const qint64 now = nowMs_();
    for (auto &[kind, k] : kinds_) {
        if (k.heldBack == 0 || now - k.saidMs < kQuietMs)
            continue;
        sink_(QStringLiteral("%1 (%2 such lines in the last %3 s, the last of them shown)")
                  .arg(k.last)
                  .arg(k.heldBack)
                  .arg((now - k.saidMs) / 1000));
        k.saidMs = now;
        k.heldBack = 0;
    }
}

QuietLog &quietLog()
{
    static QuietLog log;
    return log;
}

} // namespace PLM_INC
