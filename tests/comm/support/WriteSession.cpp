#include "WriteSession.h"

#include "ChangeRules.h"
#include "ChannelChecks.h"
#include "ChannelFile.h"
#include "DeviceModel.h"
#include "ItemTable.h"
#include "LinkRequests.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "RecordFile.h"
#include "SettingSend.h"
#include "SettingWrite.h"
#include "SimulatedLine.h"

#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

using namespace PLM_INC;

namespace session {

namespace {

// Numeric setting items an edit picks from, and the selection items with their choices.
constexpr int kEditItems[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 16, 17, 18, 22, 30};
constexpr int kSelectItems[] = {14, 15, 20};

const char *kindName(Kind k)
{
    switch (k) {
    case Kind::Pause: return "pause";
    case Kind::Edit: return "edit";
    case Kind::Select: return "select";
    case Kind::ToggleOutput: return "output";
    case Kind::ToggleAutoTuning: return "auto-tuning";
    case Kind::SendChannel: return "send-channel";
    case Kind::SendBlock: return "send-block";
    case Kind::SendAll: return "send-all";
    case Kind::Factory: return "factory";
    case Kind::SettingsChanged: return "settings-changed";
    case Kind::Seconds: return "seconds";
    }
    return "?";
}

// The settings a session follows: every non-cooling setting item of the controller.
const std::vector<QString> &trackedItems()
{
    static const std::vector<QString> items = [] {
        std::vector<QString> codes;
        for (const ItemInfo &info : ItemTable())
            if (!info.code.isEmpty() && info.code < QLatin1String("0080") && !IsCoolingItem(info.code))
                codes.push_back(info.code);
        return codes;
    }();
    return items;
}

int16_t startValue(const QString &item, std::mt19937 &rng)
{
    auto pick = [&](int lo, int hi) { return int16_t(std::uniform_int_distribution<int>(lo, hi)(rng)); };
    if (item == QLatin1String("0013") || item == QLatin1String("0014"))
        return pick(0, 12);
    if (item == QLatin1String("0012") || item == QLatin1String("0009"))
        return pick(0, 1);
    if (item == QLatin1String("000A") || item == QLatin1String("0011"))
        return 0;
    return pick(0, 999);
}

using Key = std::tuple<int, QString, int>; // block, item, channel

struct Model {
    std::map<Key, int16_t> settings;
    std::map<int, QString> factory;
    std::set<std::pair<int, QString>> writable; // (block, item) some action asked to write
    std::map<Key, int16_t> alarmsAtPauseEnd;   // a transfer's alarm values, due with its second phase
};

class Session {
public:
    explicit Session(const Setup &setup) : setup_(setup), line_(makeController()) {}

    bool start(QString *why)
    {
        if (!line_.start()) {
            *why = QStringLiteral("the simulator did not start");
            return false;
        }
        comm_ = connectedComm(line_, view_, 5); // an unanswered frame costs 5 ms; a reply on its way is still waited for
        if (!comm_) {
            *why = QStringLiteral("the port did not open");
            return false;
        }
        LinkRequest = 0;
        comm_->Timer4_Timer(); // the start-up read
        sim::Faults faults;
        faults.drop = setup_.drop;
        faults.nak = setup_.nak;
        faults.badChecksum = setup_.badChecksum;
        faults.seed = setup_.faultSeed;
        line_.server().setFaults(faults);
        return true;
    }

    void run(const Action &action);
    QString finish();

private:
    sim::DeviceModel makeController();
    int channelOf(int n) const
    {
        const int block = setup_.present[size_t(n) % setup_.present.size()];
        return block * kChannelsPerBlock + (n / int(setup_.present.size())) % kChannelsPerBlock;
    }
    int blockOf(int n) const { return setup_.present[size_t(n) % setup_.present.size()]; }
    void tick(int n)
    {
        for (int i = 0; i < n; ++i)
            comm_->Timer4_Timer();
    }
    void seconds(int n);
    void expectWrite(int channel, const QString &item, int16_t value)
    {
        const int block = channel / kChannelsPerBlock;
        model_.settings[{block, item, channel}] = value;
        model_.writable.insert({block, item});
    }
    bool imageMatchesModel(int block, QString *why) const;
    void send(const std::vector<int> &blocks, bool allBlocks);
    int16_t simValue(int block, const QString &item, int channel)
    {
        int16_t v = 0;
        line_.server().withModel([&](sim::DeviceModel &m) { v = m.value(block, item.toStdString(), channel); });
        return v;
    }

    Setup setup_;
    Model model_; // filled with the controller's start values while line_ is made
    SimulatedLine line_;
    RecordingLinkView view_;
    std::unique_ptr<MonitorComm> comm_;
    QString failure_;
};

sim::DeviceModel Session::makeController()
{
    sim::DeviceModel m;
    std::mt19937 rng(setup_.valueSeed);
    for (int b : setup_.present) {
        m.block(b).present = true;
        m.block(b).connected.fill(1);
        for (const QString &item : trackedItems()) {
            for (int c = 0; c < kChannelsPerBlock; ++c) {
                const int16_t v = startValue(item, rng);
                m.value(b, item.toStdString(), c) = v;
                model_.settings[{b, item, b * kChannelsPerBlock + c}] = v;
            }
        }
    }
    return m;
}

bool Session::imageMatchesModel(int block, QString *why) const
{
    for (const auto &[key, value] : model_.settings) {
        const auto &[b, item, channel] = key;
        if (b != block)
            continue;
        const ItemInfo *info = ItemByCode(item);
        if (info && info->field && (*info->field)[channel] != value) {
            *why = QStringLiteral("before a send, the image shows %1 for item %2 of Ch%3 where the operator set %4")
                       .arg((*info->field)[channel]).arg(item).arg(channel + 1).arg(value);
            return false;
        }
    }
    return true;
}

void Session::seconds(int n)
{
    for (int i = 0; i < n; ++i) {
        const int index = comm_->timer3(0).isActive() ? 0 : comm_->timer3(1).isActive() ? 1 : -1;
        if (index < 0)
            return;
        comm_->Timer3_Timer(index);
        if (!comm_->timer3(index).isActive()) { // the pause is over: the second phase is due
            for (const auto &[key, value] : model_.alarmsAtPauseEnd)
                model_.settings[key] = value;
            model_.alarmsAtPauseEnd.clear();
        }
    }
}

// The window has put the work area into the image: the blocks' chain items go now, their
// alarm values with the second phase.
void Session::send(const std::vector<int> &blocks, bool allBlocks)
{
    for (int b : blocks) {
        for (const QString &item : TransferChainItems()) {
            if (IsCoolingItem(item))
                continue;
            const ItemInfo *info = ItemByCode(item);
            for (int c = 0; c < kChannelsPerBlock; ++c)
                expectWrite(b * kChannelsPerBlock + c, item, (*info->field)[b * kChannelsPerBlock + c]);
        }
        for (const char *alarm : {"0005", "0006"}) {
            const QString item = QString::fromLatin1(alarm);
            const ItemInfo *info = ItemByCode(item);
            model_.writable.insert({b, item});
            for (int c = 0; c < kChannelsPerBlock; ++c)
                model_.alarmsAtPauseEnd[{b, item, b * kChannelsPerBlock + c}] = (*info->field)[b * kChannelsPerBlock + c];
        }
    }
    PendingRequests.push(allBlocks ? AllSendRequest() : BlockSendRequest(blocks.front()));
}

void Session::run(const Action &action)
{
    if (!failure_.isEmpty())
        return;
    const int channel = channelOf(action.a);
    switch (action.kind) {
    case Kind::Pause:
        tick(qBound(1, action.a, 20));
        return;
    case Kind::Edit: {
        const int item = kEditItems[size_t(action.b) % std::size(kEditItems)];
        if (!NumericEditorOpens(item, channel) || !StoreSettingValue(item, channel, action.c))
            return;
        RequestSettingWrite(item, channel);
        expectWrite(channel, ItemBySetting(item)->code, int16_t(action.c));
        return;
    }
    case Kind::Select: {
        const int item = kSelectItems[size_t(action.b) % std::size(kSelectItems)];
        const int choice = action.c % (item == 20 ? 2 : 13);
        if (!SelectionOpens(item, channel) || !StoreSelection(item, channel, choice, QString()))
            return;
        RequestSettingWrite(item, channel);
        expectWrite(channel, ItemBySetting(item)->code, int16_t(choice));
        return;
    }
    case Kind::ToggleOutput: {
        const Key key{channel / kChannelsPerBlock, QStringLiteral("0009"), channel};
        if (ToggleOutputOnMonitorPage(channel))
            expectWrite(channel, QStringLiteral("0009"), model_.settings[key] == 1 ? 0 : 1);
        return;
    }
    case Kind::ToggleAutoTuning: {
        const Key key{channel / kChannelsPerBlock, QStringLiteral("000A"), channel};
        if (ToggleAutoTuning(channel))
            expectWrite(channel, QStringLiteral("000A"), model_.settings[key] == 1 ? 0 : 1);
        return;
    }
    case Kind::SendChannel:
    case Kind::SendBlock:
    case Kind::SendAll:
        break;
    case Kind::Factory: {
        const int block = blockOf(action.a);
        if (BlockAutoTuningSet(block))
            return;
        QString text;
        for (int i = 0; i < 80; ++i)
            text += QChar(QLatin1Char(char('0' + (action.b + i * 7) % 10)));
        PendingRequests.push(FactoryAdjustRequest(block, text));
        model_.factory[block] = text;
        model_.writable.insert({block, QStringLiteral("0040")});
        return;
    }
    case Kind::SettingsChanged: {
        const int block = blockOf(action.a);
        line_.server().withModel([&](sim::DeviceModel &m) {
            int16_t &status = m.value(block, "0083", action.b % kChannelsPerBlock);
            status = int16_t(status | kStatusSettingsChanged);
        });
        return;
    }
    case Kind::Seconds:
        seconds(qBound(1, action.a, 16));
        return;
    }

    // The file windows keep their buttons disabled while a transfer runs.
    if (comm_->transferInProgress())
        return;
    std::vector<int> blocks;
    if (action.kind == Kind::SendChannel) {
        const int target = channelOf(action.b);
        blocks = {target / kChannelsPerBlock};
    } else if (action.kind == Kind::SendBlock) {
        blocks = {blockOf(action.b)};
    } else {
        blocks = setup_.present;
    }
    for (int b : blocks)
        if (!imageMatchesModel(b, &failure_))
            return;
    if (action.kind == Kind::SendChannel) {
        if (!StoreChannelRows(ChannelRowsOf(channel), channelOf(action.b)))
            return;
    } else if (action.kind == Kind::SendBlock) {
        std::vector<RawSettingRecord> work;
        for (int c = 0; c < kChannelsPerBlock; ++c)
            work.push_back(TakeRawRecord(blockOf(action.a) * kChannelsPerBlock + c));
        ApplyBlockRecords(work, blocks.front());
    } else {
        std::vector<RawSettingRecord> work;
        for (int ch = 0; ch < kChannels; ++ch)
            work.push_back(TakeRawRecord((ch + kChannelsPerBlock * action.a) % kChannels));
        ApplyAllRecords(work);
    }
    send(blocks, action.kind == Kind::SendAll);
}

QString Session::finish()
{
    if (!failure_.isEmpty())
        return failure_;
    // Everything asked for is carried out, every pause runs out.
    for (int guard = 0; guard < 100000; ++guard) {
        if (comm_->timer3(0).isActive() || comm_->timer3(1).isActive())
            seconds(1);
        else if (!PendingRequests.empty())
            tick(1);
        else
            break;
    }
    line_.server().setFaults(sim::Faults{});
    tick(2); // a write whose reply was lost goes again
    for (int b : setup_.present)
        PendingRequests.push(ReReadRequest(b));
    for (int guard = 0; guard < 1000 && !PendingRequests.empty(); ++guard)
        tick(1);
    if (!PendingRequests.empty())
        return QStringLiteral("requests still wait after the session: %1").arg(PendingRequests.size());

    QStringList faults;
    for (const std::string &frame : line_.frames()) {
        const RequestFrame f = parseFrame(frame);
        if (f.command == 0x52 && !model_.writable.count({f.block, f.item}))
            faults << QStringLiteral("write of item %1 reached block %2, which no action named").arg(f.item).arg(f.block);
    }
    for (const auto &[key, expected] : model_.settings) {
        const auto &[block, item, channel] = key;
        const int16_t stored = simValue(block, item, channel % kChannelsPerBlock);
        if (stored != expected)
            faults << QStringLiteral("controller holds %1 for item %2 of Ch%3; the operator set %4")
                          .arg(stored).arg(item).arg(channel + 1).arg(expected);
        const ItemInfo *info = ItemByCode(item);
        if (info && info->field && (*info->field)[channel] != stored)
            faults << QStringLiteral("after the re-read the image shows %1 for item %2 of Ch%3; the controller holds %4")
                          .arg((*info->field)[channel]).arg(item).arg(channel + 1).arg(stored);
    }
    for (const auto &[block, text] : model_.factory) {
        std::string stored;
        const int target = block;
        line_.server().withModel([&](sim::DeviceModel &m) { stored = m.factoryData(target); });
        if (QString::fromStdString(stored) != text)
            faults << QStringLiteral("block %1 lacks its factory adjustment data").arg(block);
    }
    faults.removeDuplicates();
    if (faults.size() > 8)
        faults = faults.mid(0, 8) << QStringLiteral("...");
    return faults.join(QLatin1Char('\n'));
}

} // namespace

void showValue(const Action &action, std::ostream &os)
{
    os << kindName(action.kind) << '(' << action.a << ',' << action.b << ',' << action.c << ')';
}

void showValue(const Setup &setup, std::ostream &os)
{
    os << "blocks";
    for (int b : setup.present)
        os << ' ' << b;
    os << ", values " << setup.valueSeed << ", drop " << setup.drop << " nak " << setup.nak << " checksum "
       << setup.badChecksum << " (faults " << setup.faultSeed << ')';
}

void showValue(const Steps &steps, std::ostream &os)
{
    int pauses = 0;
    for (const Action &action : steps.actions) {
        if (action.kind == Kind::Pause) {
            pauses += action.a;
            continue;
        }
        if (pauses > 0)
            os << "  pause " << pauses << " ticks\n";
        pauses = 0;
        os << "  ";
        showValue(action, os);
        os << '\n';
    }
    if (pauses > 0)
        os << "  pause " << pauses << " ticks\n";
}

Outcome RunSession(const Setup &setup, const Steps &steps)
{
    CommTestEnvironment env;
    Outcome outcome;
    Session s(setup);
    QString why;
    if (!s.start(&why)) {
        outcome.ok = false;
        outcome.failure = why;
        return outcome;
    }
    for (const Action &action : steps.actions) {
        s.run(action);
        ++outcome.actionsRun;
    }
    outcome.failure = s.finish();
    outcome.ok = outcome.failure.isEmpty();
    PendingRequests.clear();
    return outcome;
}

} // namespace session
