#include "WriteSession.h"

#include "ChangeRecord.h"
#include "ChangeRecordReader.h"
#include "ChangeRules.h"
#include "ChannelChecks.h"
#include "ChannelFile.h"
#include "DeviceModel.h"
#include "DiskWriter.h"
#include "EntryText.h"
#include "ItemTable.h"
#include "LinkRequests.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "RecordFile.h"
#include "STDComm.h"
#include "SessionItems.h"
#include "SessionOracle.h"
#include "SessionTexts.h"
#include "SettingEntry.h"
#include "SettingRange.h"
#include "SettingSend.h"
#include "SettingWrite.h"
#include "SimulatedWorld.h"
#include "TestEnvironment.h"
#include "ValueText.h"

#include <QDir>
#include <cstdlib>
#include <map>
#include <random>

using namespace PLM_INC;

namespace session {

namespace {

constexpr int kLinkTimeOutMs = 300;
// The line quiet this long ends a session: longer than a round of the poll, which reads a
// block's status word once in three cycles (16 blocks at 9600 baud: 48 reads, 5.1 s), so a
// front-panel change made while its block was silent is found when the block answers again.
constexpr qint64 kQuietEndMs = 8000;
constexpr qint64 kLongestEndMs = 180000;   // ... and this long without it fails it
constexpr qint64 kLongestStartMs = 120000;
// An edit of a linear input goes to the controller as at most this many counts either way, so
// that a value shown again and sent back by a load (by another alarm reading, or a count or two
// off) still has a count.
constexpr int kLinearEditCounts = 12000;

// Numeric setting items an edit picks from, and the selection items, with the item codes the
// protocol gives them.
struct SettingItem {
    int number;
    const char *code;
};
constexpr SettingItem kEditItems[] = {{1, "0001"},  {2, "0005"},  {3, "0006"},  {4, "0008"},  {5, "0002"},
                                      {6, "0003"},  {7, "0004"},  {8, "0017"},  {9, "0007"},  {11, "000D"},
                                      {16, "000E"}, {17, "000F"}, {18, "0010"}, {22, "0016"}, {30, "001B"}};
constexpr SettingItem kSelectItems[] = {{14, "0013"}, {15, "0014"}, {20, "0012"}};
constexpr SettingItem kCoolingEditItems[] = {{25, "001C"}, {26, "001D"}, {27, "001E"}, {29, "0020"}};
// What a load writes to a block, by the rule of the transfer chain and its second phase (the
// cooling items only to a block with heating/cooling channels).
const char *const kLoadItems[] = {"0013", "0014", "0001", "0002", "0003", "0004", "0007", "0008",
                                  "000B", "000C", "000D", "000E", "000F", "0010", "0011", "0012",
                                  "0015", "0016", "0017", "0018", "0019", "0005", "0006", "001C",
                                  "001D", "001E", "001F", "0020"};
constexpr size_t kCoolingLoadItems = 5;

int16_t startValue(const std::string &item, std::mt19937 &rng)
{
    auto pick = [&](int lo, int hi) { return int16_t(std::uniform_int_distribution<int>(lo, hi)(rng)); };
    if (item == "0013" || item == "0014")
        return pick(0, 12);
    if (item == "001F")
        return pick(0, 2);
    if (item == "0012" || item == "0009")
        return pick(0, 1);
    if (item == "000A" || item == "0011")
        return 0;
    return pick(0, 999);
}

sim::DeviceModel makeInstallation(const Setup &setup, const std::vector<ChannelInput> &inputs)
{
    sim::DeviceModel m;
    std::mt19937 rng(setup.valueSeed), cooling(setup.coolingSeed);
    for (int b : setup.present) {
        m.block(b).present = true;
        m.block(b).connected.fill(1);
        for (int pair = 0; pair < 10; ++pair)
            m.block(b).inputType[size_t(pair)] = inputs[size_t(b * kChannelsPerBlock + 2 * pair)].type;
        // Half the blocks get heating/cooling pairs, each pair by a coin.
        if (setup.coolingSeed != 0 && cooling() % 2 == 0)
            for (int16_t &option : m.block(b).optionWord)
                option = int16_t(cooling() % 2 ? 0x0400 : 0);
        for (const std::string &item : TrackedItems(HasCooling(m, b)))
            for (int c = 0; c < sim::DeviceModel::kChannels; ++c)
                m.value(b, item, c) = startValue(item, rng);
    }
    return m;
}

// What the page shows for a channel's item: the image value the operator reads.
int16_t shown(const std::string &item, int channel)
{
    static std::map<std::string, const ItemInfo *> infos; // the page is checked often
    auto known = infos.find(item);
    if (known == infos.end())
        known = infos.emplace(item, ItemByCode(QString::fromStdString(item))).first;
    const ItemInfo *info = known->second;
    return info && info->field ? (*info->field)[channel] : int16_t(0);
}

// The text the page shows for a channel's item (a command's state as its number).
QString pageText(const std::string &item, int channel)
{
    static std::map<std::string, int> displayItems;
    auto known = displayItems.find(item);
    if (known == displayItems.end()) {
        const ItemInfo *info = ItemByCode(QString::fromStdString(item));
        known = displayItems.emplace(item, info ? info->displayItem : -1).first;
    }
    return known->second >= 0 ? MakeItemText(known->second, channel) : QString::number(shown(item, channel));
}

class Session {
public:
    Session(const Setup &setup, const QString &recordFolder);
    ~Session() { PendingRequests.clear(); }

    bool start(QString *why);
    void run(const Action &action);
    QString finish();
    bool failed() const { return !oracle_.failures().isEmpty(); }
    qint64 now() { return clock_.nowMs(); }

private:
    // With no block present the operator still picks among all 16: every pick is then refused.
    int blocks() const { return setup_.present.empty() ? kBlocks : int(setup_.present.size()); }
    int blockOf(int n) const { return setup_.present.empty() ? n % kBlocks : setup_.present[size_t(n) % setup_.present.size()]; }
    bool present(int block) const
    {
        return std::find(setup_.present.begin(), setup_.present.end(), block) != setup_.present.end();
    }
    int channelOf(int n) const { return blockOf(n) * kChannelsPerBlock + (n / blocks()) % kChannelsPerBlock; }
    // The operator's value as the page shows it (125 for "12.5").
    bool set(int channel, const std::string &item, long long shownValue, bool byLoad = false)
    {
        return oracle_.operatorSet(channel / kChannelsPerBlock, item, channel % kChannelsPerBlock, shownValue, byLoad);
    }
    void edit(int item, const std::string &code, int channel, int value);
    void armFaults();
    void send(const Action &action);
    void panelChange(const Action &action);
    void checkRecord();
    // Nothing waits, runs or is in a transfer's pause: the page must show the controller's.
    // The operator types and loads values only as the page shows the block's inputs (before the
    // program has read a block's configuration it shows whole degrees there).
    bool inputsShown(int block) const
    {
        for (int ch = block * kChannelsPerBlock; ch < (block + 1) * kChannelsPerBlock; ++ch)
            if (InputType[ch] != inputs_[size_t(ch)].type)
                return false;
        return true;
    }
    bool quiet() const
    {
        return PendingRequests.empty() && !PendingRequests.anyParked() && !comm_.transferInProgress()
               && !comm_.requestRunning();
    }
    void checkPage()
    {
        // The page's text follows the image's count and the channel's input and decimal point.
        oracle_.checkPage([](int block, const std::string &item, int c) { return pageText(item, block * kChannelsPerBlock + c); },
                          [](int block, const std::string &item, int c) {
                              const int ch = block * kChannelsPerBlock + c;
                              return int64_t(uint16_t(shown(item, ch))) << 32 | int64_t(uint8_t(InputType[ch])) << 16
                                     | int64_t(uint16_t(DecimalDivisor[ch]));
                          });
    }

    Setup setup_;
    std::vector<ChannelInput> inputs_;
    SimulatedWorld *world_; // owned by comm_, which goes first
    SimulatedClock &clock_;
    FaultyDevice device_;
    SessionOracle oracle_;
    RecordingLinkView view_;
    ChangeRecord record_;
    MonitorComm comm_;
};

Session::Session(const Setup &setup, const QString &recordFolder)
    : setup_(setup),
      inputs_(DrawInputs(setup.decimalSeed, setup.present)),
      world_(new SimulatedWorld(makeInstallation(setup, inputs_), setup.baud)),
      clock_(world_->clock()),
      device_(world_->line(), world_->model(), setup.faultSeed),
      oracle_(world_->model(), setup.present, inputs_),
      record_(recordFolder),
      comm_(std::unique_ptr<LinkService>(world_), world_->takeClock())
{
    comm_.setView(&view_);
    device_.setWatcher(&oracle_);
    QObject::connect(&comm_, &MonitorComm::writeGivenUp, [this](int block, const QString &item) {
        oracle_.givenUp(block, item.toStdString());
    });
    // The change record as the programs keep it; the oracle reads its file at the end.
    record_.setFailureHandler([this](const QString &message) { oracle_.fail(QStringLiteral("the record: ") + message); });
    QObject::connect(&comm_, &MonitorComm::settingChanged, [this](const SettingChange &c) { record_.append(c); });
    QObject::connect(&comm_, &MonitorComm::transferCut, [this](int block) {
        const auto end = std::end(kLoadItems) - (HasCooling(world_->model(), block) ? 0 : kCoolingLoadItems);
        oracle_.transferCut(block, std::vector<std::string>(std::begin(kLoadItems), end));
    });
}

bool Session::start(QString *why)
{
    PendingRequests.clear();
    // The PC keeps the scaling and decimal point of the linear inputs (the start-up read loads them).
    for (int ch = 0; ch < kChannels; ++ch) {
        const ChannelInput &in = inputs_[size_t(ch)];
        if (!in.linear())
            continue;
        const QString digits = ChannelDigits(ch);
        Prefs::set(QStringLiteral("STLH") + digits, int(in.high));
        Prefs::set(QStringLiteral("STLL") + digits, int(in.low));
        Prefs::set(QStringLiteral("DP") + digits, int(in.divisor));
    }
    bool open = false;
    comm_.configureLink(
        [](tobrel::STDComm &link) {
            link.setPort(QStringLiteral("COM1"));
            link.PortOpen();
            link.setTimeOut(kLinkTimeOutMs);
        },
        [&open] { open = true; });
    world_->runFor(1);
    if (!open) {
        *why = QStringLiteral("the port did not open");
        return false;
    }
    if (setup_.faultsFromStart)
        armFaults();
    LinkRequest = 0;
    comm_.timer4().start();
    while (view_.startupFinishedCount == 0 && clock_.nowMs() < kLongestStartMs)
        world_->runFor(500);
    if (view_.startupFinishedCount == 0) {
        *why = QStringLiteral("the start-up read did not end");
        return false;
    }
    armFaults();
    return true;
}

void Session::armFaults()
{
    device_.setRates(setup_.rates);
    device_.setLateWritesBlock(setup_.lateWritesBlock);
    device_.setAnyReplyDamage(setup_.anyReplyDamage);
    device_.setAnyRequestDamage(setup_.anyRequestDamage);
}

void Session::run(const Action &action)
{
    if (failed())
        return;
    const int channel = channelOf(action.a);
    switch (action.kind) {
    case Kind::Wait:
        world_->runFor(100 * qBound(1, action.a, 30));
        if (quiet())
            checkPage();
        return;
    case Kind::Edit: {
        const auto [item, code] = action.b >= 1000 ? kCoolingEditItems[size_t(action.b) % std::size(kCoolingEditItems)]
                                                   : kEditItems[size_t(action.b) % std::size(kEditItems)];
        edit(item, code, channel, action.c);
        return;
    }
    case Kind::Select: {
        const auto [item, code] = action.b >= 1000 ? SettingItem{28, "001F"} : kSelectItems[size_t(action.b) % std::size(kSelectItems)];
        const int choice = action.c % (item == 20 ? 2 : item == 28 ? 3 : 13);
        if (!SelectionOpens(item, channel) || !StoreSelection(item, channel, choice, QString()))
            return;
        oracle_.beginAction(QStringLiteral("select Ch%1 item %2 = \"%3\"").arg(channel + 1).arg(item).arg(ShownText(inputs_[size_t(channel)], code, choice)));
        set(channel, code, int16_t(choice));
        RequestSettingWrite(item, channel);
        return;
    }
    case Kind::ToggleOutput:
    case Kind::ToggleAutoTuning: {
        const bool output = action.kind == Kind::ToggleOutput;
        const std::string item = output ? "0009" : "000A";
        const int16_t was = shown(item, channel);
        oracle_.beginAction(QStringLiteral("%1 Ch%2").arg(output ? "output" : "auto-tuning").arg(channel + 1));
        if (output ? ToggleOutputOnMonitorPage(channel) : ToggleAutoTuning(channel))
            set(channel, item, was == 1 ? 0 : 1);
        return;
    }
    case Kind::SendChannel:
    case Kind::SendBlock:
    case Kind::SendAll:
        send(action);
        return;
    case Kind::Factory: {
        const int block = blockOf(action.a);
        if (BlockAutoTuningSet(block))
            return;
        QString text;
        for (int i = 0; i < 80; ++i)
            text += QChar(QLatin1Char(char('0' + (action.b + i * 7) % 10)));
        oracle_.beginAction(QStringLiteral("factory data to block %1").arg(block));
        if (present(block)) // factory data reaching an absent block fails the session
            oracle_.factoryAsked(block, text.toStdString());
        PendingRequests.push(FactoryAdjustRequest(block, text));
        return;
    }
    case Kind::PanelChange:
        panelChange(action);
        return;
    case Kind::BlockDies:
        device_.killBlock(blockOf(action.a), now(), now() + 1000 * (1 + action.b % 30));
        return;
    case Kind::Unplug:
        device_.unplug(now(), now() + 1000 * (1 + action.a % 20));
        return;
    case Kind::LineFails:
        device_.failLine(now(), now() + 1000 * (1 + action.a % 20));
        return;
    case Kind::ReadsFail:
        device_.failReads(now(), now() + 1000 * (1 + action.a % 20));
        return;
    }
}

// The operator reads the value as the page shows it ("12.5") and types its digits, then "+/-"
// for a negative one: the editor must show what was meant.
void Session::edit(int item, const std::string &code, int channel, int value)
{
    const std::vector<int16_t> counts = DeviceCounts(inputs_[size_t(channel)], code, value);
    const bool tooFar = inputs_[size_t(channel)].linear() && std::any_of(counts.begin(), counts.end(), [](int16_t n) {
                            return std::abs(n) > kLinearEditCounts;
                        });
    if (!NumericEditorOpens(item, channel) || counts.empty() || tooFar || !inputsShown(channel / kChannelsPerBlock))
        return;
    const QString text = ShownText(inputs_[size_t(channel)], code, value);
    SettingEntry entry;
    entry.setRange(-1e9, 1e9);
    for (const QChar d : text)
        if (d.isDigit())
            entry.digit(d.digitValue());
    if (text.startsWith(QLatin1Char('-')))
        entry.toggleSign();
    const std::optional<SettingRange> range = SettingRangeOf(item, channel);
    const std::optional<QString> typed = DialogValueText(item, channel, double(entry.value()), range && range->showTenths);
    oracle_.beginAction(QStringLiteral("edit Ch%1 item %2 = \"%3\"").arg(channel + 1).arg(item).arg(text));
    if (typed != text) {
        oracle_.fail(QStringLiteral("the editor shows \"%1\" for the digits of \"%2\"").arg(typed.value_or(QString()), text));
        return;
    }
    if (!StoreSettingValue(item, channel, entry.value()))
        return;
    set(channel, code, entry.value());
    RequestSettingWrite(item, channel);
}

void Session::panelChange(const Action &action)
{
    if (!present(blockOf(action.a)))
        return;
    const int channel = channelOf(action.a);
    const int block = channel / kChannelsPerBlock;
    const int c = channel % kChannelsPerBlock;
    const std::string item = ItemCode(action.b);
    sim::DeviceModel &model = world_->model();
    if (!IsPanelItem(item) || (IsCoolingItem(item) && !HasCooling(model, block)))
        return;
    const int16_t value = int16_t(item == "0013" || item == "0014" ? action.c % 13
                                  : item == "0012"                  ? action.c % 2
                                  : item == "001F"                  ? action.c % 3
                                                                    : action.c % 1000);
    const int16_t before = model.value(block, item, c);
    if (before == value)
        return;
    model.value(block, item, c) = value;
    int16_t &status = model.value(block, "0083", c);
    status = int16_t(status | kStatusSettingsChanged);
    oracle_.panelChanged(block, item, c, before, value);
}

// The file windows: a file's values into the work area and the image, then the send; refused
// while a transfer runs. What a file holds comes from the action, never from the page: the
// record's first 23 values in the channel file's order (the other rows as the page shows them).
void Session::send(const Action &action)
{
    static const char *const kRecordItems[] = {"0001", "0005", "0006", "0008", "0002", "0003", "0004", "0017",
                                               "0007", "0018", "000D", "000B", "000C", "0013", "0014", "000E",
                                               "000F", "0010", "0019", "0012", "0011", "0016", "0015"};
    const auto fileValue = [&](int channel, size_t index) {
        std::mt19937 rng(uint32_t(action.c * 7919 + channel * 31) + uint32_t(index));
        return startValue(kRecordItems[index], rng);
    };
    const auto fileRecord = [&](int channel) {
        // The file was taken where every channel was fitted: the program applies it whatever
        // its own image says of the channel.
        RawSettingRecord record = TakeRawRecord(channel);
        record.values[kConnectedIndex] = 1;
        for (size_t i = 0; i < std::size(kRecordItems); ++i) {
            record.values[i] = fileValue(channel, i);
            if (present(channel / kChannelsPerBlock))
                set(channel, kRecordItems[i], record.values[i], true);
        }
        // The cooling values follow the connection flag, for a block with heating/cooling channels.
        for (size_t i = 0; HasCooling(world_->model(), channel / kChannelsPerBlock) && i < kCoolingLoadItems; ++i) {
            const char *item = std::end(kLoadItems)[ptrdiff_t(i) - ptrdiff_t(kCoolingLoadItems)];
            std::mt19937 rng(uint32_t(action.c * 7919 + channel * 31) + uint32_t(kConnectedIndex + 1 + i));
            set(channel, item, record.values[kConnectedIndex + 1 + i] = startValue(item, rng), true);
        }
        return record;
    };
    if (comm_.transferInProgress())
        return;
    const int target = blockOf(action.b);
    for (int b = 0; b < kBlocks; ++b)
        if (!inputsShown(b) && (action.kind == Kind::SendAll ? BlockAbsent[b] == 0 : b == target))
            return;
    if (action.kind == Kind::SendChannel) {
        const int target = channelOf(action.b); // in block blockOf(action.b)
        ChannelRows rows = ChannelRowsOf(target);
        oracle_.beginAction(QStringLiteral("send a channel file to Ch%1").arg(target + 1));
        // The transfer sends the block's other channels as the page shows them when it is asked,
        // and the file holds its rows that are not numbers as the page shows them: what the
        // operator saw becomes the operator's word. (The page itself is checked against the
        // controller at every quiet moment.)
        const int first = target / kChannelsPerBlock * kChannelsPerBlock;
        for (int ch = first; ch < first + kChannelsPerBlock; ++ch) {
            for (size_t i = 0; ch != target && i < std::size(kRecordItems); ++i)
                set(ch, kRecordItems[i], shown(kRecordItems[i], ch), true);
            // A channel file holds no cooling values: every channel's go as the page shows them.
            for (size_t i = 0; HasCooling(world_->model(), target / kChannelsPerBlock) && i < kCoolingLoadItems; ++i) {
                const char *item = std::end(kLoadItems)[ptrdiff_t(i) - ptrdiff_t(kCoolingLoadItems)];
                set(ch, item, shown(item, ch), true);
            }
        }
        for (size_t i = 0; i < std::size(kRecordItems); ++i) {
            if (!ChannelRowIsNumber(int(i))) {
                set(target, kRecordItems[i], shown(kRecordItems[i], target), true);
                continue;
            }
            // The value as the channel shows it, in its decimal places.
            const int16_t v = fileValue(target, i);
            rows[i] = ShownText(inputs_[size_t(target)], kRecordItems[i], v);
            if (present(target / kChannelsPerBlock))
                set(target, kRecordItems[i], v, true);
        }
        if (!StoreChannelRows(rows, target))
            return;
        PendingRequests.push(BlockSendRequest(target / kChannelsPerBlock));
        return;
    }
    std::vector<RawSettingRecord> work;
    if (action.kind == Kind::SendBlock) {
        oracle_.beginAction(QStringLiteral("send a block file to block %1").arg(target));
        for (int c = 0; c < kChannelsPerBlock; ++c)
            work.push_back(fileRecord(target * kChannelsPerBlock + c));
        ApplyBlockRecords(work, target);
        PendingRequests.push(BlockSendRequest(target));
        return;
    }
    oracle_.beginAction(QStringLiteral("send an all-channel file"));
    for (int ch = 0; ch < kChannels; ++ch)
        work.push_back(fileRecord(ch));
    ApplyAllRecords(work);
    PendingRequests.push(AllSendRequest());
}

QString Session::finish()
{
    if (failed())
        return oracle_.failures().join(QLatin1Char('\n'));
    device_.quiet();
    const qint64 from = now();
    qint64 quietSince = -1;
    while (now() - from < kLongestEndMs && !failed()) {
        world_->runFor(500);
        if (!PendingRequests.empty() || comm_.transferInProgress() || comm_.requestRunning()) {
            quietSince = -1;
            continue;
        }
        if (quietSince < 0)
            quietSince = now();
        if (now() - quietSince >= kQuietEndMs)
            break;
    }
    if (failed())
        return oracle_.failures().join(QLatin1Char('\n'));
    if (!PendingRequests.empty() || comm_.transferInProgress()) {
        QStringList waiting;
        for (const LinkRequestJob &job : PendingRequests.waiting())
            waiting << QStringLiteral("kind %1 block %2 item %3").arg(int(job.kind)).arg(job.block).arg(job.item);
        waiting.removeDuplicates();
        return QStringLiteral("%1 s after the faults ended, %2 request(s) still wait (%3)%4; panel 4: \"%5\"")
            .arg((now() - from) / 1000)
            .arg(PendingRequests.size())
            .arg(waiting.mid(0, 4).join(QStringLiteral(", ")))
            .arg(comm_.transferInProgress() ? QStringLiteral(", a transfer is in progress") : QString())
            .arg(view_.panel[4]);
    }
    checkPage();
    checkRecord();
    oracle_.checkEnd(view_.writeProblems);
    return oracle_.failures().join(QLatin1Char('\n'));
}

// The record's lines, read from its file by the record's own reader, oldest first.
void Session::checkRecord()
{
    diskWriter().waitUntilWritten();
    ChangeRecordReader reader;
    QString why;
    if (!reader.readFolder(record_.folder(), &why) && QDir(record_.folder()).exists()) {
        oracle_.fail(why);
        return;
    }
    if (reader.unreadableLines() > 0)
        oracle_.fail(QStringLiteral("%1 unreadable line(s) in the change record").arg(reader.unreadableLines()));
    for (size_t i = reader.rowCount(); i-- > 0;) { // in the order the lines were written
        const SettingChange c = reader.row(i).change;
        oracle_.changeRecorded(c.channel / kChannelsPerBlock, c.item.toStdString(), c.channel % kChannelsPerBlock,
                               ChangeOriginText(c.origin), WriteOutcomeText(c.outcome), c.before, c.after);
    }
}

} // namespace

Outcome RunSession(const Setup &setup, const Steps &steps)
{
    CommTestEnvironment env;
    diskWriter().setDiskSync([](QFile &) { return true; }); // history lines need not reach the disk
    Outcome outcome;
    {
        Session s(setup, env.folder() + QStringLiteral("/changes"));
        QString why;
        if (!s.start(&why)) {
            outcome.failure = why;
        } else {
            for (const Action &action : steps.actions) {
                if (s.failed())
                    break;
                s.run(action);
                ++outcome.actionsRun;
            }
            outcome.failure = s.finish();
        }
        outcome.simulatedMs = s.now();
    }
    diskWriter().setDiskSync({});
    outcome.ok = outcome.failure.isEmpty();
    return outcome;
}

} // namespace session
