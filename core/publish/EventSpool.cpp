#include "EventSpool.h"

#include "DiskWriter.h"
#include "OutgoingMessage.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

// The file is written anew once it is at least this large and four times what still waits.
constexpr qint64 kRewriteFrom = 256 * 1024;

QByteArray eventLine(const OutgoingMessage &m)
{
    return "M " + QByteArray::number(qulonglong(m.seq)) + ' ' + QByteArray::number(m.qos) + ' '
           + (m.retain ? "1 " : "0 ") + m.kind.toUtf8().toBase64() + ' ' + m.topic.toUtf8().toBase64() + ' '
           + m.payload.toBase64() + '\n';
}

QByteArray acknowledgementLine(uint64_t seq)
{
    return "A " + QByteArray::number(qulonglong(seq)) + '\n';
}

QByteArray dropLine(uint64_t seq, const QString &kind)
{
    return "D " + QByteArray::number(qulonglong(seq)) + ' ' + kind.toUtf8().toBase64() + '\n';
}

QByteArray countLine(const QString &kind, size_t count)
{
    return "C " + kind.toUtf8().toBase64() + ' ' + QByteArray::number(qulonglong(count)) + '\n';
}

QString kindOf(const QByteArray &base64)
{
    return QString::fromUtf8(QByteArray::fromBase64(base64));
}

bool readEvent(const QList<QByteArray> &f, OutgoingMessage *m)
{
    if (f.size() != 7)
        return false;
    bool seqOk = false, qosOk = false;
    m->seq = f[1].toULongLong(&seqOk);
    m->qos = f[2].toInt(&qosOk);
    const auto decoded = [](const QByteArray &b, QByteArray *out) {
        const auto r = QByteArray::fromBase64Encoding(b, QByteArray::AbortOnBase64DecodingErrors);
        *out = r.decoded;
        return bool(r);
    };
    QByteArray kind, topic;
    if (!seqOk || !qosOk || m->seq == 0 || m->qos < 0 || m->qos > 2 || (f[3] != "0" && f[3] != "1")
        || !decoded(f[4], &kind) || !decoded(f[5], &topic) || !decoded(f[6], &m->payload) || topic.isEmpty())
        return false;
    m->retain = f[3] == "1";
    m->kind = QString::fromUtf8(kind);
    m->topic = QString::fromUtf8(topic);
    m->keep = true;
    return true;
}

void tellWriteFailure(const QString &path, const QString &why)
{
    // Told once a run: a disk that fails fails every line, and the events still wait in memory.
    static std::atomic<bool> told{false};
    if (told.exchange(true))
        return;
    std::fprintf(stderr, "The event spool %s cannot be written: %s Events wait in memory only until it can.\n",
                 qPrintable(path), qPrintable(why));
    std::fflush(stderr);
}

} // namespace

std::shared_ptr<EventSpool> EventSpool::make(QString path, qint64 boundBytes)
{
    return std::shared_ptr<EventSpool>(new EventSpool(std::move(path), boundBytes));
}

EventSpool::EventSpool(QString path, qint64 boundBytes) : path_(std::move(path)), bound_(std::max<qint64>(1, boundBytes))
{
}

std::vector<OutgoingMessage> EventSpool::load()
{
    QFile file(path_);
    std::vector<OutgoingMessage> events;
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
    waitingBytes_ = 0;
    fileBytes_ = 0;
    drops_.clear();
    if (!file.open(QIODevice::ReadOnly))
        return events; // no spool yet
    std::vector<uint64_t> taken;
    uint64_t highest = 0;
    bool cut = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        fileBytes_ += line.size();
        if (!line.endsWith('\n')) {
            cut = true; // cut off by a crash: the next line must not join it
            break;
        }
        const QList<QByteArray> f = line.chopped(1).split(' '); // an empty payload is an empty last field
        OutgoingMessage m;
        bool ok = false;
        if ((f.size() == 2 && f[0] == "A") || (f.size() == 3 && f[0] == "D")) {
            const uint64_t seq = f[1].toULongLong(&ok);
            if (ok)
                taken.push_back(seq);
            if (ok && f[0] == "D")
                ++drops_[kindOf(f[2])];
        } else if (f.size() == 3 && f[0] == "C") {
            const size_t count = f[2].toULongLong(&ok);
            if (ok)
                drops_[kindOf(f[1])] += count;
        } else if (f[0] == "M" && readEvent(f, &m)) {
            highest = std::max(highest, m.seq);
            events.push_back(std::move(m));
        }
    }
    std::sort(taken.begin(), taken.end());
    events.erase(std::remove_if(events.begin(), events.end(),
                                [&](const OutgoingMessage &m) { return std::binary_search(taken.begin(), taken.end(), m.seq); }),
                 events.end());
    std::stable_sort(events.begin(), events.end(), [](const OutgoingMessage &a, const OutgoingMessage &b) { return a.seq < b.seq; });
    for (const OutgoingMessage &m : events) {
        waiting_.push_back({m.seq, eventLine(m), m.kind});
        waitingBytes_ += waiting_.back().line.size();
    }
    next_ = highest + 1;
    rewriteIfDue(cut);
    return events;
}

void EventSpool::add(OutgoingMessage &m, std::vector<uint64_t> *dropped)
{
    std::lock_guard<std::mutex> lock(mutex_);
    m.seq = next_++;
    const QByteArray line = eventLine(m);
    while (!waiting_.empty() && waitingBytes_ + line.size() > bound_) {
        const Waiting &oldest = waiting_.front();
        ++drops_[oldest.kind];
        appendLine(dropLine(oldest.seq, oldest.kind));
        if (dropped)
            dropped->push_back(oldest.seq);
        waitingBytes_ -= oldest.line.size();
        waiting_.pop_front();
    }
    waiting_.push_back({m.seq, line, m.kind});
    waitingBytes_ += line.size();
    appendLine(line);
    rewriteIfDue();
}

void EventSpool::acknowledge(uint64_t seq)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = std::lower_bound(waiting_.begin(), waiting_.end(), seq,
                                     [](const Waiting &w, uint64_t s) { return w.seq < s; });
    if (it == waiting_.end() || it->seq != seq)
        return; // dropped meanwhile, or acknowledged twice
    waitingBytes_ -= it->line.size();
    waiting_.erase(it);
    appendLine(acknowledgementLine(seq));
    rewriteIfDue();
}

std::map<QString, size_t> EventSpool::drops() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return drops_;
}

size_t EventSpool::waiting() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_.size();
}

qint64 EventSpool::waitingBytes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return waitingBytes_;
}

void EventSpool::appendLine(const QByteArray &line)
{
    fileBytes_ += line.size();
    const QString path = path_;
    PLM_INC::diskWriter().append(path_, line, [path](const QString &why) { tellWriteFailure(path, why); });
}

void EventSpool::rewriteIfDue(bool now)
{
    if (!now && (fileBytes_ < kRewriteFrom || fileBytes_ < 4 * waitingBytes_))
        return;
    // The lines of the events added after this point are appended after the new file: the new
    // file holds only those that wait now, as they still wait when it is written.
    const uint64_t last = next_ - 1;
    QByteArray counts; // the drops so far: later ones have their "D" lines after the new file
    for (const auto &[kind, count] : drops_)
        counts += countLine(kind, count);
    fileBytes_ = waitingBytes_ + counts.size();
    const QString path = path_;
    PLM_INC::diskWriter().replaceMade(
        path_,
        [self = shared_from_this(), last, counts](const QString &, QString *) {
            std::lock_guard<std::mutex> lock(self->mutex_);
            QByteArray bytes = counts;
            for (const Waiting &w : self->waiting_)
                if (w.seq <= last)
                    bytes += w.line;
            return bytes;
        },
        "the event spool, written anew", [path](const QString &why) { tellWriteFailure(path, why); });
}
