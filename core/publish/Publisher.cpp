#include "Publisher.h"

#include "AlarmHistory.h"
#include "ChangeRecord.h"
#include "Clock.h"
#include "LinkHealth.h"
#include "MonitorComm.h"
#include "MqttClient.h"
#include "PLM_INC.h"
#include "Payloads.h"

using namespace PLM_INC;

Publisher::Publisher(MonitorComm &comm, const LinkHealth &health, QObject *parent)
    : QObject(parent), health_(health)
{
    connect(&comm, &MonitorComm::blockPolled, this, [this](int block, int, ReplyKind kind) {
        // Only an accepted reply changes the image.
        if (kind == ReplyKind::Ack)
            publishBlock(block);
    });
    healthTimer_.setInterval(kHealthIntervalMs);
    connect(&healthTimer_, &QTimer::timeout, this, &Publisher::publishHealth);
    staleTimer_.setInterval(kStaleCheckMs);
    connect(&staleTimer_, &QTimer::timeout, this, &Publisher::publishStaleChanges);
}

Publisher::~Publisher()
{
    stop();
}

bool Publisher::start(const BrokerSettings &settings, QString *error, size_t queueBound)
{
    stop();
    auto client = std::make_unique<MqttClient>(queueBound);
    if (!client->start(settings, error))
        return false;
    client_ = std::move(client);
    prefix_ = settings.prefix;
    lastPayload_.fill(QByteArray());
    lastRaw_.fill(kNotPublished);
    setHistoryEntryObserver(this, [this](const HistoryEntry &e) { publishAlarm(e); });
    healthTimer_.start();
    staleTimer_.start();
    return true;
}

void Publisher::stop()
{
    if (!client_)
        return;
    setHistoryEntryObserver(this, {});
    healthTimer_.stop();
    staleTimer_.stop();
    client_.reset();
}

void Publisher::publishBlock(int block)
{
    if (!client_ || block < 0 || block >= kBlocks)
        return;
    // Values are retained; a broker that comes back may have lost them (restarted without its
    // store), so after every connection each channel goes out once whether it changed or not.
    if (client_->connects() != connectsSeen_) {
        connectsSeen_ = client_->connects();
        lastRaw_.fill(kNotPublished);
        lastPayload_.fill(QByteArray());
    }
    QByteArray timeField;
    std::vector<OutgoingMessage> batch;
    for (int ch = block * kChannelsPerBlock; ch < (block + 1) * kChannelsPerBlock; ++ch) {
        if (!ChannelPublished(ch))
            continue;
        // The image fields the payload is made of: when none changed, neither did the payload,
        // and the texts need not be made at all.
        const int partner = ch + 1 < kChannels ? ch + 1 : ch;
        const RawValues raw{ProcessValue[ch], MainSetting[ch], OutputValue[ch], OutputValue[partner],
                            HeaterCurrent[ch], StatusWord[ch], InputType[ch], OptionWord[ch],
                            DecimalDivisor[ch], DisplayUnit[ch], ScaleHigh[ch], ScaleLow[ch]};
        if (raw == lastRaw_[size_t(ch)])
            continue;
        QByteArray values = ChannelPayload(ch, QDateTime());
        lastRaw_[size_t(ch)] = raw;
        if (values == lastPayload_[size_t(ch)])
            continue;
        if (timeField.isEmpty())
            timeField = ",\"time\":" + JsonString(PLM_INC::clock().now().toString(Qt::ISODate)) + '}';
        lastPayload_[size_t(ch)] = values;
        values.chop(1); // the closing brace; the time goes last
        batch.push_back({ChannelTopic(prefix_, ch), values + timeField, 0, true, false});
    }
    // One hand-over for the block: the loop thread wakes once, not once per channel.
    client_->publish(std::move(batch));
}

void Publisher::publishHealth()
{
    for (int b = 0; b < kBlocks; ++b)
        if (BlockAbsent[b] == 0)
            publishBlockHealth(b);
}

void Publisher::publishBlockHealth(int block)
{
    if (!client_)
        return;
    staleShown_[size_t(block)] = health_.isStale(block);
    client_->publish({HealthTopic(prefix_, block), HealthPayload(health_, block, true, PLM_INC::clock().now()), 0, true,
                      false, QStringLiteral("health")});
}

void Publisher::publishStaleChanges()
{
    for (int b = 0; b < kBlocks; ++b)
        if (BlockAbsent[b] == 0 && health_.isStale(b) != staleShown_[size_t(b)])
            publishBlockHealth(b);
}

void Publisher::publishAlarm(const HistoryEntry &entry)
{
    if (client_)
        client_->publish({AlarmTopic(prefix_), AlarmPayload(entry), 1, false, true, QStringLiteral("alarm")});
}

void Publisher::publishChange(const RecordedChange &line)
{
    if (client_)
        client_->publish({ChangeTopic(prefix_), ChangePayload(line), 1, false, true, QStringLiteral("change")});
}
