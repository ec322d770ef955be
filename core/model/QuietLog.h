// Lines for the journal of an unattended program that may come in floods (a client sending
// garbage, a disk that refuses every line): per kind, the first is said at once, then at most
// one line a minute, the last of them with the count since. The journal's own rate limit then
// never hides the lines that matter.
#pragma once

#include <QString>
#include <functional>
#include <map>

namespace PLM_INC {

class QuietLog {
public:
    static constexpr qint64 kQuietMs = 60000;
    using Sink = std::function<void(const QString &line)>;
    using Clock = std::function<qint64()>;

    // Standard error and the monotonic clock unless given.
    explicit QuietLog(Sink sink = {}, Clock nowMs = {});

    void tell(const QString &kind, const QString &line);
    // Says, for each kind whose minute has passed, the count held back with the last line.
    // The owner calls it every few seconds; tell() calls it too.
    void flush();

private:
    struct Kind {
        qint64 saidMs = -1;
        int heldBack = 0;
        QString last;
    };
    Sink sink_;
    Clock nowMs_;
    std::map<QString, Kind> kinds_;
};

// The program's.
QuietLog &quietLog();

} // namespace PLM_INC
