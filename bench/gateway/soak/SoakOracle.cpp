#include "SoakOracle.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

namespace soak {

namespace {

using Slot = std::pair<int, int>; // channel, condition
using Records = std::map<Slot, QString>; // "+" on, "-" off, in order

// The condition and state a content text stands for; false for another text.
bool fromContent(const QString &content, int *condition, bool *on)
{
    for (size_t c = 0; c < kConditions.size(); ++c)
        for (bool state : {true, false})
            if (content == QLatin1String(state ? kConditions[c].on : kConditions[c].off)) {
                *condition = int(c);
                *on = state;
                return true;
            }
    return false;
}

Records made(const std::vector<Edge> &edges)
{
    Records r;
    for (const Edge &e : edges)
        r[{e.channel, e.condition}] += e.on ? QLatin1Char('+') : QLatin1Char('-');
    return r;
}

QString slotName(const Slot &s)
{
    return QStringLiteral("Ch%1 %2").arg(s.first + 1, 3, 10, QLatin1Char('0')).arg(QLatin1String(kConditions[size_t(s.second)].on));
}

// "2026_12_9_6_5.hys" as a number that sorts in time order.
qint64 nameTime(const QString &name)
{
    const QStringList f = name.section(QLatin1Char('.'), 0, 0).split(QLatin1Char('_'));
    qint64 t = 0;
    for (const QString &n : f)
        t = t * 100 + n.toInt();
    return t;
}

} // namespace

EdgeCheck CheckHistory(const QString &folder, const std::vector<Edge> &edges)
{
    QStringList files = QDir(folder).entryList({QStringLiteral("*.hys")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) { return nameTime(a) < nameTime(b); });
    Records found;
    for (const QString &name : files) {
        QFile f(QDir(folder).filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QStringList fields = QString::fromLatin1(raw.trimmed()).split(QStringLiteral("\",\""));
            if (fields.size() != 3 || !fields[1].startsWith(QLatin1String("Ch")))
                continue;
            int condition = 0;
            bool on = false;
            QString content = fields[2];
            content.chop(1); // the closing quote
            if (fromContent(content, &condition, &on))
                found[{fields[1].mid(2).toInt() - 1, condition}] += on ? QLatin1Char('+') : QLatin1Char('-');
        }
    }
    EdgeCheck check;
    const Records want = made(edges);
    Records all = want;
    all.insert(found.begin(), found.end());
    for (const auto &[slot, unused] : all) {
        const QString w = want.count(slot) ? want.at(slot) : QString();
        const QString g = found.count(slot) ? found.at(slot) : QString();
        check.made += w.size();
        if (w == g) {
            check.found += w.size();
            continue;
        }
        check.found += std::min(w.size(), g.size());
        check.missing += std::max<qsizetype>(0, w.size() - g.size());
        check.extra += std::max<qsizetype>(0, g.size() - w.size());
        if (w.size() == g.size())
            ++check.extra; // the same number in another order
        if (check.firstFaults.size() < 10)
            check.firstFaults << QStringLiteral("%1: made \"%2\", history \"%3\"").arg(slotName(slot), w, g);
    }
    return check;
}

EdgeCheck CheckBroker(const QList<QByteArray> &payloads, const std::vector<Edge> &edges)
{
    std::map<std::pair<Slot, bool>, long> got, want;
    for (const QByteArray &p : payloads) {
        const QJsonObject o = QJsonDocument::fromJson(p).object();
        int condition = 0;
        bool on = false;
        if (fromContent(o.value(QStringLiteral("content")).toString(), &condition, &on))
            ++got[{{o.value(QStringLiteral("ch")).toInt() - 1, condition}, on}];
    }
    for (const Edge &e : edges)
        ++want[{{e.channel, e.condition}, e.on}];
    EdgeCheck check;
    for (const auto &[key, n] : want) {
        const long g = got.count(key) ? got.at(key) : 0;
        check.made += n;
        check.found += std::min(n, g);
        check.missing += std::max(0L, n - g);
        if (n > g && check.firstFaults.size() < 10)
            check.firstFaults << QStringLiteral("Ch%1 \"%2\": made %3, on the broker %4")
                                     .arg(key.first.first + 1, 3, 10, QLatin1Char('0'))
                                     .arg(QLatin1String(key.second ? kConditions[size_t(key.first.second)].on : kConditions[size_t(key.first.second)].off))
                                     .arg(n)
                                     .arg(g);
    }
    for (const auto &[key, g] : got)
        check.extra += std::max(0L, g - (want.count(key) ? want.at(key) : 0));
    return check;
}

} // namespace soak
