#include "Payloads.h"

#include "AlarmHistory.h"
#include "ChangeRecord.h"
#include "LinkHealth.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "ValueText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

using namespace PLM_INC;

namespace {

QByteArray isoTime(const QDateTime &at)
{
    return JsonString(at.toString(Qt::ISODate));
}

QByteArray jsonBool(bool b)
{
    return b ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
}

// Builds {"a":1,...} from name/value pairs whose values are JSON already.
class Obj {
public:
    Obj &add(const char *name, const QByteArray &json)
    {
        out_ += out_.isEmpty() ? '{' : ',';
        out_ += '"';
        out_ += name;
        out_ += "\":";
        out_ += json;
        return *this;
    }
    QByteArray done() const { return out_.isEmpty() ? QByteArrayLiteral("{}") : out_ + '}'; }

private:
    QByteArray out_;
};

} // namespace

QString ChannelTopic(const QString &prefix, int channel)
{
    return QStringLiteral("%1/ch/%2").arg(prefix).arg(channel + 1, 3, 10, QLatin1Char('0'));
}

QString HealthTopic(const QString &prefix, int block)
{
    return QStringLiteral("%1/health/%2").arg(prefix).arg(block + 1, 2, 10, QLatin1Char('0'));
}

QString AlarmTopic(const QString &prefix)
{
    return prefix + QStringLiteral("/alarm");
}

QString StatusTopic(const QString &prefix)
{
    return prefix + QStringLiteral("/status");
}

QByteArray JsonString(const QString &text)
{
    QByteArray a = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return a.mid(1, a.size() - 2);
}

QByteArray JsonNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?$"));
    const QString t = text.trimmed();
    // "-0.5" and "0.0" are fine; "-.5" or "1." are not JSON numbers.
    if (!number.match(t).hasMatch())
        return QByteArrayLiteral("null");
    return t.toLatin1();
}

QString DroppedTopic(const QString &prefix)
{
    return prefix + QStringLiteral("/dropped");
}

QByteArray DroppedPayload(const std::map<QString, size_t> &drops)
{
    QByteArray json = "{";
    for (const char *kind : {"alarm", "change", "health", "value"}) {
        const auto it = drops.find(QString::fromLatin1(kind));
        json += (json.size() > 1 ? ",\"" : "\"") + QByteArray(kind)
                + "\":" + QByteArray::number(qulonglong(it == drops.end() ? 0 : it->second));
    }
    return json + '}';
}

QString ChangeTopic(const QString &prefix)
{
    return prefix + QStringLiteral("/changes");
}

QString ChannelUnit(int channel)
{
    if (InputType[channel] <= 9)
        return DisplayUnit[channel] != 0 ? QStringLiteral("deg.F") : QStringLiteral("deg.C");
    return UnitText[channel];
}

bool ChannelPublished(int channel)
{
    if (channel < 0 || channel >= kChannels || ChannelConnected[channel] == 0)
        return false;
    return !(channel % 2 == 1 && (OptionWord[channel] & kOptionHeatCool) != 0);
}

QByteArray ChannelPayload(int ch, const QDateTime &at)
{
    const int16_t status = StatusWord[ch];
    const bool heatCool = (OptionWord[ch] & kOptionHeatCool) != 0 && ch % 2 == 0 && ch + 1 < kChannels;
    Obj o;
    o.add("ch", QByteArray::number(ch + 1))
        .add("block", QByteArray::number(ch / kChannelsPerBlock + 1))
        .add("name", JsonString(Prefs::channelName(ch)))
        .add("unit", JsonString(ChannelUnit(ch)))
        .add("pv", JsonNumber(MakeItemText(0, ch)))
        .add("sv", JsonNumber(MakeItemText(3, ch)))
        .add("mv", JsonNumber(MakeItemText(1, ch)));
    if (heatCool)
        o.add("cool_mv", JsonNumber(MakeItemText(1, ch + 1)));
    if (OptionWord[ch] & kOptionHeaterBurnout)
        o.add("heater_current", JsonNumber(MakeItemText(2, ch)));
    o.add("status", QByteArray::number(uint16_t(status)))
        .add("control", jsonBool(status & kStatusControl))
        .add("output_on", jsonBool(status & kStatusOutputOn))
        .add("alarm1", jsonBool(status & kStatusAlarm1))
        .add("alarm2", jsonBool(status & kStatusAlarm2))
        .add("heater_burnout", jsonBool(status & kStatusHeaterBurnout))
        .add("loop_break", jsonBool(status & kStatusLoopBreak))
        .add("overscale", jsonBool(status & kStatusOverscale))
        .add("underscale", jsonBool(status & kStatusUnderscale))
        .add("auto_tuning", jsonBool(status & kStatusAutoTuning));
    if (at.isValid())
        o.add("time", isoTime(at));
    return o.done();
}

QByteArray AlarmPayload(const HistoryEntry &e)
{
    const bool linkFault = e.kind == QLatin1String("NAK") || e.kind == QLatin1String("CHKSUM");
    Obj o;
    o.add("kind", JsonString(e.kind))
        .add("state", JsonString(linkFault ? QStringLiteral("event") : e.on ? QStringLiteral("on") : QStringLiteral("off")))
        .add("ch", linkFault ? QByteArrayLiteral("null") : QByteArray::number(e.channel + 1))
        .add("date", JsonString(e.date))
        .add("clock", JsonString(e.time))
        .add("channel", JsonString(e.channelText))
        .add("content", JsonString(e.content))
        .add("time", isoTime(e.at));
    return o.done();
}

QByteArray ChangePayload(const RecordedChange &line)
{
    // A value is a number where the page shows one, null otherwise (a selection); its text is
    // always there, so each field keeps one type. A program's start or end names no channel.
    const SettingChange &c = line.change;
    const bool program = IsProgramLine(c.origin);
    const QByteArray none = QByteArrayLiteral("null");
    Obj o;
    o.add("seq", QByteArray::number(line.seq))
        .add("ch", program ? none : QByteArray::number(c.channel + 1))
        .add("block", program ? none : QByteArray::number(c.channel / kChannelsPerBlock + 1))
        .add("item", program ? none : JsonString(c.item))
        .add("item_name", program ? none : JsonString(ItemNameOnPages(c.item)))
        .add("before", JsonNumber(c.before))
        .add("after", JsonNumber(c.after))
        .add("before_text", JsonString(c.before))
        .add("after_text", JsonString(c.after))
        .add("origin", JsonString(ChangeOriginText(c.origin)))
        .add("clock_went_back", jsonBool(c.clockWentBack))
        .add("who", JsonString(c.user))
        .add("outcome", program ? none : JsonString(WriteOutcomeText(c.outcome)))
        .add("time", isoTime(c.at.toOffsetFromUtc(c.at.offsetFromUtc())))
        .add("file", JsonString(line.file))
        .add("hash", JsonString(QString::fromLatin1(line.hash)));
    return o.done();
}

QByteArray HealthPayload(const LinkHealth &health, int block, bool present, const QDateTime &at)
{
    const BlockHealth &h = health.block(block);
    const double share = health.answeredShare(block);
    const qint64 age = health.valuesAgeMs(block);
    Obj o;
    o.add("block", QByteArray::number(block + 1))
        .add("present", jsonBool(present))
        .add("stale", jsonBool(health.isStale(block)))
        .add("age_s", age < 0 ? QByteArrayLiteral("null") : QByteArray::number(age / 1000))
        .add("replies", QByteArray::number(qulonglong(h.replies)))
        .add("timeouts", QByteArray::number(qulonglong(h.timeOuts)))
        .add("naks", QByteArray::number(qulonglong(h.naks)))
        .add("checksum_errors", QByteArray::number(qulonglong(h.checksumErrors)))
        .add("answered_1min", share < 0 ? QByteArrayLiteral("null") : QByteArray::number(share, 'f', 3))
        .add("last_good_reply", h.lastGoodReply.isValid() ? isoTime(h.lastGoodReply) : QByteArrayLiteral("null"))
        .add("time", isoTime(at));
    return o.done();
}
