#include "SessionOracle.h"

#include "Protocol.h"
#include "SessionItems.h"
#include "SessionTexts.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

constexpr char kReadCommand = 0x22;
constexpr char kWriteCommand = 0x52;
constexpr int16_t kSettingsChangedBit = 0x1000;
constexpr int kFields = 20;

// The 20 values of a write frame's data or of a read reply; empty when they are not all there.
std::vector<int16_t> fieldsOf(const std::string &data)
{
    std::vector<int16_t> values;
    if (data.size() != size_t(kFields) * 4)
        return values;
    for (int c = 0; c < kFields; ++c) {
        const auto v = tobrel::DecodeValue(std::string_view(data).substr(size_t(c) * 4, 4));
        if (!v)
            return {};
        values.push_back(*v);
    }
    return values;
}

// The data of an acknowledged read reply: ACK, 7 header characters, data, sum, ETX.
std::string replyData(const std::string &reply)
{
    if (reply.size() < 11 || reply.front() != tobrel::ACK)
        return {};
    return reply.substr(8, reply.size() - 11);
}

// The reply's address, command type and item are the frame's.
bool namesFrame(const std::string &reply, const RequestFrame &frame)
{
    return reply.size() >= 8 && reply[1] == tobrel::BlockAddress(frame.block) && reply[3] == frame.command
           && reply.compare(4, 4, frame.item.toStdString()) == 0;
}

} // namespace

SessionOracle::SessionOracle(const sim::DeviceModel &device, std::vector<int> present,
                             std::vector<session::ChannelInput> inputs)
    : device_(device), present_(std::move(present)), inputs_(std::move(inputs))
{
    for (int b : present_)
        for (const std::string &item : session::TrackedItems(session::HasCooling(device_, b)))
            for (int c = 0; c < kFields; ++c)
                seen_[{b, item, c}].insert(startValues_[{b, item, c}] = device_.value(b, item, c));
}

SessionOracle::KeyState &SessionOracle::state(int block, const std::string &item, int channel)
{
    return keys_[{block, item, channel}];
}

QString SessionOracle::where(int block, const std::string &item, int channel) const
{
    return QStringLiteral("item %1 of block %2 channel %3 (Ch%4)")
        .arg(QString::fromStdString(item))
        .arg(block)
        .arg(channel)
        .arg(block * kFields + channel + 1, 3, 10, QLatin1Char('0'));
}

void SessionOracle::fail(const QString &why)
{
    if (failures_.size() < 6)
        failures_ << why + (action_.isEmpty() ? QString() : QStringLiteral(" [last action: %1]").arg(action_));
}

void SessionOracle::beginAction(const QString &what)
{
    actionSeq_ = seq_++;
    ++actions_;
    action_ = QStringLiteral("#%1 %2").arg(actions_).arg(what);
}

QStringList SessionOracle::texts(const Key &key, int16_t count) const
{
    return session::CountTexts(input(std::get<0>(key), std::get<2>(key)), std::get<1>(key), count);
}

bool SessionOracle::operatorSet(int block, const std::string &item, int channel, long long shown, bool byLoad)
{
    const std::vector<int16_t> counts = session::DeviceCounts(input(block, channel), item, shown);
    if (counts.empty())
        return false;
    KeyState &s = state(block, item, channel);
    s.sets.push_back({actionSeq_, counts.front(), counts.back(), session::ShownText(input(block, channel), item, shown), byLoad});
    s.delivered = s.sets.back().carries(device_.value(block, item, channel));
    return true;
}

void SessionOracle::factoryAsked(int block, const std::string &text)
{
    if (std::find(present_.begin(), present_.end(), block) == present_.end())
        return;
    Factory &f = factory_[block];
    f.texts.insert(text);
    f.text = text;
    f.seq = actionSeq_;
}

void SessionOracle::panelChanged(int block, const std::string &item, int channel, int16_t before, int16_t value)
{
    std::set<int16_t> &seen = seen_[{block, item, channel}];
    const std::set<int16_t> earlier = seen;
    const bool fresh = seen.insert(value).second;
    state(block, item, channel).panel.push_back({seq_++, before, value, false, -1, fresh, false, earlier,
                                                 confirmed_.count({block, item}) > 0});
}

void SessionOracle::givenUp(int block, const std::string &item)
{


    const int now = seq_++;
    settleWrites();
    int &unanswered = unanswered_[{block, item}];
    if (unanswered < 3)
        fail(QStringLiteral("the program gave up the write of item %1 to block %2 after %3 unanswered write(s)")
                 .arg(QString::fromStdString(item)).arg(block).arg(unanswered));
    unanswered = 0;
    if (item == "0040") {
        factory_[block].freeSeq = now;
        if (factoryUnanswered_.count(block))
            factoryDue_[block].push_back({QStringLiteral("no reply"), factoryUnanswered_[block]});
        return;
    }
    // The last try's channels owe their lines as unanswered.
    owe(block, item, lastUnanswered_[{block, item}], QStringLiteral("no reply"), Owes::DueOnly);
    for (int c = 0; c < kFields; ++c)
        state(block, item, c).freeSeq = now;
}

void SessionOracle::transferCut(int block, const std::vector<std::string> &loadItems)
{
    const int now = seq_++;
    settleWrites();
    if (unansweredOfBlock_[block] == 0)
        fail(QStringLiteral("the program cut a transfer to block %1, which answered every write").arg(block));
    unansweredOfBlock_[block] = 0;
    for (const std::string &item : loadItems)
        for (int c = 0; c < kFields; ++c)
            state(block, item, c).freeSeq = now;
}

// A write whose reply the program has not taken by the time it sends another frame, or tells of
// the write, went unanswered.
void SessionOracle::settleWrites()
{
    for (const auto &[index, key] : writesOut_) {
        ++unanswered_[key];
        ++unansweredOfBlock_[key.first];
        const auto open = openWrites_.find(index);
        if (open == openWrites_.end())
            continue;
        if (key.second == "0040") {
            factoryUnanswered_[key.first] = open->second.factoryText;
        } else {
            // The program no longer knows what the controller holds: any count carried may be it.
            // A transfer's write is not tried again.
            for (size_t c = 0; c < open->second.values.size(); ++c) {
                KeyState &s = state(key.first, key.second, int(c));
                s.unconfirmed.insert(open->second.values[c]);
                if (!s.sets.empty() && s.sets.back().byLoad && s.sets.back().carries(open->second.values[c]))
                    s.askDoneOf = s.sets.back().seq;
            }
            owe(key.first, key.second, open->second.lines, QStringLiteral("no reply"), Owes::AtOnceDue);
            lastUnanswered_[key] = std::move(open->second.lines);
        }
        openWrites_.erase(open);
    }
    writesOut_.clear();
}

// A block whose first configuration read the link got no whole reply to is absent for good.
void SessionOracle::settleConfigRead()
{
    if (!configOut_)
        return;
    const int block = configOut_->second;
    configOut_.reset();
    present_.erase(std::remove(present_.begin(), present_.end(), block), present_.end());
    for (auto start = startValues_.begin(); start != startValues_.end();)
        start = std::get<0>(start->first) == block ? startValues_.erase(start) : std::next(start);
    factory_.erase(block);
}

// A configuration read is answered by a whole reply of its own, or by one whose sum fails (it
// names nobody for sure); another block's reply (late, or sent twice) leaves it unanswered, and
// the first time the block is asked once more.
void SessionOracle::replyAssembled(size_t index, const RequestFrame &frame, const std::string &reply)
{
    if (!configOut_ || configOut_->first != index)
        return;
    if (tobrel::CheckReply(reply).size() == 1 || namesFrame(reply, frame)) {
        configOut_.reset();
    } else if (configRetried_.insert(frame.block).second) {
        configOut_.reset();
        configRetry_ = frame.block;
    }
}

void SessionOracle::frameSent(size_t index, const RequestFrame &frame, qint64)
{


    settleWrites();
    settleConfigRead();
    newest_ = {index, frame};
    const std::string item = frame.item.toStdString();
    if (frame.command == kReadCommand && item == "00A1"
        && (configAsked_.insert(frame.block).second || configRetry_ == frame.block)) {
        configOut_ = {index, frame.block};
        configRetry_ = -1;
    }
    if (frame.command == kReadCommand) {
        readsOut_[index] = {frame.block, item, seq_++};
        readsOf_[{frame.block, item}].push_back(index);
    }
    if (frame.command == kWriteCommand && item == "0040") {
        writesOut_[index] = {frame.block, item};
        factorySent_[frame.block].insert(frame.data.toStdString());
        openWrites_[index].factoryText = frame.data.toStdString();
    } else if (frame.command == kWriteCommand && session::IsTrackedItem(item, true)) {
        writesOut_[index] = {frame.block, item};
        const std::vector<int16_t> values = fieldsOf(frame.data.toStdString());
        for (size_t c = 0; c < values.size(); ++c) {
            seen_[{frame.block, item, int(c)}].insert(values[c]);
            KeyState &s = state(frame.block, item, int(c));
            s.sent.push_back({seq_, values[c], values[c], QString()});
            if (!s.sets.empty() && s.sets.back().carries(values[c]) && s.firstSendOf != s.sets.back().seq) {
                s.firstSendOf = s.sets.back().seq;
                s.heldAtFirst = device_.value(frame.block, item, int(c));
                s.cleanAtFirst = s.unconfirmed.empty() && s.panel.empty() && confirmed_.count({frame.block, item});
            }
        }
        openWrites_[index] = {values, recordablesOf(frame, values), {}};
    }
    if (frame.command == kWriteCommand && std::find(present_.begin(), present_.end(), frame.block) == present_.end())
        fail(QStringLiteral("a write of item %1 was sent to block %2, which is not installed")
                 .arg(frame.item).arg(frame.block));
}

// A channel whose count some value the operator set goes as may get a line if the write is
// refused or unanswered. It must when the write carries the operator's last value whose write
// has had no reply nor been given up (so this write asks it: no other carries it in passing), and the
// program knows for sure what it replaces: the count the controller held at the value's first
// write, unchanged since but by an earlier try of the value, and shown otherwise.
std::vector<std::pair<int, SessionOracle::Recordable>> SessionOracle::recordablesOf(const RequestFrame &frame,
                                                                                    const std::vector<int16_t> &values)
{
    std::vector<std::pair<int, Recordable>> lines;
    const std::string item = frame.item.toStdString();
    for (int c = 0; c < int(values.size()); ++c) {
        const Key key{frame.block, item, c};
        const KeyState &s = state(frame.block, item, c);
        const int16_t v = values[size_t(c)];
        if (std::none_of(s.sets.begin(), s.sets.end(), [v](const Set &set) { return set.carries(v); }))
            continue;
        Recordable line{QString(), texts(key, v), {}, false};
        const Set &last = s.sets.back();
        const int16_t held = device_.value(frame.block, item, c);
        line.due = last.carries(v) && s.askDoneOf != last.seq && s.freeSeq < last.seq && s.panel.empty()
                   && s.firstSendOf == last.seq && s.cleanAtFirst && (held == s.heldAtFirst || last.carries(held))
                   && std::all_of(s.unconfirmed.begin(), s.unconfirmed.end(), [v](int16_t u) { return u == v; })
                   && !texts(key, s.heldAtFirst).contains(last.text);
        if (line.due)
            line = {QString(), {last.text}, texts(key, s.heldAtFirst), true, last.byLoad};
        lines.push_back({c, line});
    }
    return lines;
}

void SessionOracle::owe(int block, const std::string &item, const std::vector<std::pair<int, Recordable>> &lines,
                        const QString &outcome, Owes owes)
{
    for (auto [c, line] : lines) {
        if (owes == Owes::DueOnly && !line.due)
            continue;
        line.outcome = outcome;
        line.due = line.due && (owes != Owes::AtOnceDue || line.atOnce);
        recordable_[{block, item, c}].push_back(line);
    }
}

void SessionOracle::settleRecordables(size_t index, const RequestFrame &frame, bool acknowledged)
{
    const std::string item = frame.item.toStdString();
    const auto open = openWrites_.find(index);
    // The write of each operator's value it carried has its reply.
    for (size_t c = 0; open != openWrites_.end() && c < open->second.values.size(); ++c) {
        KeyState &s = state(frame.block, item, int(c));
        if (!s.sets.empty() && s.sets.back().carries(open->second.values[c]))
            s.askDoneOf = s.sets.back().seq;
    }
    if (acknowledged) {
        for (int c = 0; c < kFields; ++c)
            if (const auto k = keys_.find({frame.block, item, c}); k != keys_.end())
                k->second.unconfirmed.clear();
        if (open != openWrites_.end())
            openWrites_.erase(open);
        return;
    }
    if (frame.command != kWriteCommand || open == openWrites_.end())
        return;
    if (item == "0040")
        factoryDue_[frame.block].push_back({QStringLiteral("refused"), open->second.factoryText});
    else
        owe(frame.block, item, open->second.lines, QStringLiteral("refused"), Owes::Each);
    openWrites_.erase(open);
}

void SessionOracle::frameReaching(size_t index, const RequestFrame &frame, DeviceTook took, qint64)
{
    reachedSeq_[index] = seq_++;
    const std::string item = frame.item.toStdString();
    if (frame.command == kReadCommand) {
        if (item == "00A1" && took == DeviceTook::Applied)
            reReadDue_.erase(frame.block);
        return;
    }
    if (frame.command != kWriteCommand)
        return;
    if (item == "0040") {
        auto f = factory_.find(frame.block);
        if (f == factory_.end() || !f->second.texts.count(frame.data.toStdString()))
            fail(QStringLiteral("factory data reached block %1, which the operator did not give it").arg(frame.block));
        else if (took == DeviceTook::Applied)
            applied_[index] = {};
        else if (took == DeviceTook::Refused && f->second.text == frame.data.toStdString()) {
            f->second.refusedSeq = seq_++;
            refusalsOut_[index] = {frame.block, item};
        }
        return;
    }
    const std::vector<int16_t> values = fieldsOf(frame.data.toStdString());
    if (values.empty() || !session::IsTrackedItem(item, session::HasCooling(device_, frame.block))) {
        fail(QStringLiteral("a write of item %1 to block %2 is not one of 20 setting values").arg(frame.item).arg(frame.block));
        return;
    }
    if (reReadDue_.count(frame.block))
        fail(QStringLiteral("a write of item %1 reached block %2 before the re-read its settings-changed bit asked for")
                 .arg(frame.item).arg(frame.block));
    checkWrite(frame, values);
    checkAlarmOrder(frame, values);
    if (took == DeviceTook::Applied) {
        applied_[index] = values;
        // A change of how a setting shows whose value the program knows (no front-panel change unread)
        // is one the record owes a line as taken, once the program has the acknowledgement.
        for (int c = 0; c < kFields; ++c) {
            const int16_t held = device_.value(frame.block, item, c);
            if (values[size_t(c)] == held || panelUnread({frame.block, item, c}))
                continue;
            const QStringList was = texts({frame.block, item, c}, held), now = texts({frame.block, item, c}, values[size_t(c)]);
            if (std::none_of(now.begin(), now.end(), [&](const QString &t) { return was.contains(t); }))
                owedByFrame_[index].push_back({c, {held, values[size_t(c)]}});
        }
    }
    noteTaken(index, frame, values, took);
}

void SessionOracle::checkWrite(const RequestFrame &frame, const std::vector<int16_t> &values)
{
    const std::string item = frame.item.toStdString();
    for (int c = 0; c < kFields; ++c) {
        const int16_t v = values[size_t(c)];
        if (v == device_.value(frame.block, item, c))
            continue;
        const auto k = keys_.find({frame.block, item, c});
        if (k != keys_.end()) {
            const KeyState &s = k->second;
            if (!s.sets.empty() && s.sets.back().carries(v))
                continue;
            if (std::any_of(s.panel.begin(), s.panel.end(), [v](const PanelChange &p) { return !p.read && p.before == v; }))
                continue;
        }
        fail(QStringLiteral("a write to block %1 carries %2 for %3: neither the controller's %4 nor the last value "
                            "the operator set there")
                 .arg(frame.block).arg(v).arg(where(frame.block, item, c)).arg(device_.value(frame.block, item, c)));
        return;
    }
}

void SessionOracle::checkAlarmOrder(const RequestFrame &frame, const std::vector<int16_t> &values)
{
    const std::string item = frame.item.toStdString();
    if (item != "0005" && item != "0006")
        return;
    const std::string action = item == "0005" ? "0013" : "0014";
    for (int c = 0; c < kFields; ++c) {
        const int16_t v = values[size_t(c)];
        if (v == device_.value(frame.block, item, c))
            continue;
        const auto k = keys_.find({frame.block, item, c});
        if (k == keys_.end())
            continue;
        const auto set = std::find_if(k->second.sets.rbegin(), k->second.sets.rend(), [v](const Set &s) { return s.carries(v); });
        if (set == k->second.sets.rend())
            continue;
        const auto a = keys_.find({frame.block, action, c});
        if (a == keys_.end() || a->second.sets.empty())
            continue;
        const KeyState &code = a->second;
        const int j = code.lastSetSeq();
        const bool waiting = !code.delivered && code.refusedSeq < j && code.freeSeq < j;
        if (waiting && j <= set->seq) {
            fail(QStringLiteral("alarm value %1 reached %2 before the action code %3 the operator set earlier")
                     .arg(v).arg(where(frame.block, item, c)).arg(code.sets.back().text));
            return;
        }
    }
}

// What the frame did to the controller, for the checks still to come.
void SessionOracle::noteTaken(size_t index, const RequestFrame &frame, const std::vector<int16_t> &values, DeviceTook took)
{
    const std::string item = frame.item.toStdString();
    for (int c = 0; c < kFields; ++c) {
        const int16_t v = values[size_t(c)];
        KeyState &s = state(frame.block, item, c);
        const bool carriesLast = !s.sets.empty() && s.sets.back().carries(v);
        if (took == DeviceTook::Refused) {
            if (carriesLast) {
                s.refusedSeq = seq_++;
                s.refusedHeld = device_.value(frame.block, item, c);
                if (s.refusedHeld != v)
                    refusalsOut_[index] = {frame.block, item};
            }
            continue;
        }
        if (carriesLast)
            s.delivered = true;
        const int16_t held = device_.value(frame.block, item, c);
        if (v != held)
            s.writeChanges.push_back(seq_++);
        if (v != held && !carriesLast
            && std::any_of(s.panel.begin(), s.panel.end(), [v](const PanelChange &p) { return !p.read && p.before == v; })) {
            s.undoneSeq = seq_++;
            s.undoneValue = v;
        }
    }
}

void SessionOracle::replyTaken(size_t index, const RequestFrame &frame, const std::string &reply, bool onTime)
{

    // A late reply to a write sent again byte for byte answers the newest for anyone: the
    // program cannot tell them apart, and the block took the same data with either.
    const RequestFrame &now = newest_.second;
    size_t answers = index; // the frame the program takes the reply for
    if (!onTime && frame.command == kWriteCommand && now.command == kWriteCommand && now.block == frame.block
        && now.item == frame.item && now.data == frame.data) {
        if (applied_.count(newest_.first))
            index = newest_.first;
        answers = newest_.first;
        onTime = true;
    }
    if (onTime && namesFrame(reply, frame))
        settleRecordables(answers, frame, reply.front() == tobrel::ACK);
    // A damaged request's NAK may name another block or item: it answers no request.
    if (onTime && namesFrame(reply, frame)) {
        if (reply.front() == tobrel::ACK)
            confirmed_.insert({frame.block, frame.item.toStdString()});
        if (reply.front() == tobrel::ACK)
            readsOut_.erase(index); // a read refused or not answered in time leaves the item unread
        // A refusal the program got in time is one it must tell.
        if (const auto refused = refusalsOut_.find(index); refused != refusalsOut_.end())
            refusals_.push_back(refused->second);
        if (const auto took = applied_.find(index); took != applied_.end() && reply.front() == tobrel::ACK) {
            if (frame.item == QLatin1String("0040"))
                factoryAcked_[frame.block].push_back(frame.data.toStdString());
            for (size_t c = 0; c < took->second.size(); ++c)
                acked_[{frame.block, frame.item.toStdString(), int(c)}].push_back(took->second[c]);
            for (const auto &[c, owed] : owedByFrame_[index])
                owed_[{frame.block, frame.item.toStdString(), c}].push_back(owed);
        }
        const auto out = writesOut_.find(index);
        if (out != writesOut_.end()) {
            unanswered_[out->second] = 0;
            writesOut_.erase(out);
        }
    }
    if (!onTime || frame.command != kReadCommand)
        return;
    const std::vector<int16_t> values = fieldsOf(replyData(reply));
    if (values.empty())
        return;
    const std::string item = frame.item.toStdString();
    if (item == "0083") {
        if (std::any_of(values.begin(), values.end(), [](int16_t v) { return (v & kSettingsChangedBit) != 0; }))
            reReadDue_.insert(frame.block);
        return;
    }
    const auto reached = reachedSeq_.find(index);
    if (reached == reachedSeq_.end())
        return;
    for (int c = 0; c < kFields; ++c) {
        const auto k = keys_.find({frame.block, item, c});
        if (k == keys_.end())
            continue;
        for (PanelChange &p : k->second.panel)
            if (p.seq < reached->second && !p.read) {
                p.read = true;
                p.readSeq = reached->second;
            }
    }
}

bool SessionOracle::panelUnread(const Key &key) const
{
    const auto k = keys_.find(key);
    return k != keys_.end()
           && std::any_of(k->second.panel.begin(), k->second.panel.end(), [](const PanelChange &p) { return !p.read; });
}

void SessionOracle::changeRecorded(int block, const std::string &item, int channel, const QString &origin,
                                   const QString &outcome, const QString &before, const QString &after)
{
    const QString what = QStringLiteral("a change of %1 from \"%2\" to \"%3\" recorded as \"%4\", \"%5\"")
                             .arg(where(block, item, channel), before, after, origin, outcome);
    if (std::find(present_.begin(), present_.end(), block) == present_.end()) {
        fail(what + QStringLiteral(", on a block that is not installed"));
        return;
    }
    if (item == "0040") {
        factoryRecorded(block, what, origin, outcome, after);
        return;
    }
    const Key key{block, item, channel};
    if (origin == QLatin1String("at the unit")) {
        if (outcome != QLatin1String("taken"))
            fail(what + QStringLiteral(": a change at the unit is one the controller holds"));
        unitRecorded(key, what, before, after);
        return;
    }
    if (outcome != QLatin1String("taken")) {
        // A line owed is paid first; one that may be there takes a write of its own.
        std::vector<Recordable> &lines = recordable_[key];
        auto line = std::find_if(lines.begin(), lines.end(), [&](const Recordable &r) {
            return r.due && r.outcome == outcome && r.after.contains(after) && r.before.contains(before);
        });
        if (line == lines.end())
            line = std::find_if(lines.begin(), lines.end(), [&](const Recordable &r) {
                return !r.due && r.outcome == outcome && r.after.contains(after);
            });
        if (line == lines.end())
            fail(what + QStringLiteral(", which no write %1 carried, or one recorded twice")
                            .arg(outcome == QLatin1String("refused") ? QStringLiteral("refused in time")
                                                                     : QStringLiteral("unanswered")));
        else
            lines.erase(line);
        return;
    }
    // The line pays what an acknowledged write owes the record first.
    std::vector<int16_t> &values = acked_[key];
    std::vector<Owed> &owed = owed_[key];
    const auto paid = std::find_if(owed.begin(), owed.end(), [&](const Owed &o) { return texts(key, o.after).contains(after); });
    const auto match = std::find_if(values.begin(), values.end(), [&](int16_t v) {
        return paid != owed.end() ? v == paid->after : texts(key, v).contains(after);
    });
    if (match == values.end()) {
        fail(what + QStringLiteral(", which no acknowledged write carried, or one recorded twice"));
        return;
    }
    values.erase(match);
    if (paid != owed.end())
        owed.erase(paid);
}

// Factory data is recorded as the text a frame carried to the block, with its outcome: taken
// for an acknowledgement, refused for a refusal the program got, no reply when given up.
void SessionOracle::factoryRecorded(int block, const QString &what, const QString &origin, const QString &outcome,
                                    const QString &after)
{
    const std::string text = after.toStdString();
    if (origin != QLatin1String("factory adjustment") || !factorySent_[block].count(text)) {
        fail(what + QStringLiteral(": factory data no frame carried to the block"));
        return;
    }
    if (outcome == QLatin1String("taken")) {
        std::vector<std::string> &acked = factoryAcked_[block];
        const auto match = std::find(acked.begin(), acked.end(), text);
        if (match == acked.end())
            fail(what + QStringLiteral(", which the block did not acknowledge, or recorded twice"));
        else
            acked.erase(match);
        return;
    }
    auto &due = factoryDue_[block];
    const auto match = std::find(due.begin(), due.end(), std::pair{outcome, text});
    if (match == due.end())
        fail(what + QStringLiteral(", which no refusal the program got or write given up made, or recorded twice"));
    else
        due.erase(match);
}

// A line at the unit covers the run of the setting's front-panel changes one read found: the
// first one's before (or a value the setting held or was sent before it, which the program may
// know as the one replaced when a write went unanswered), the last one's after.
void SessionOracle::unitRecorded(const Key &key, const QString &what, const QString &before, const QString &after)
{
    KeyState &s = state(std::get<0>(key), std::get<1>(key), std::get<2>(key));
    std::vector<PanelChange> &panel = s.panel;
    const bool selection = session::IsSelectionItem(std::get<1>(key));
    const auto shows = [&](const QString &text, int16_t count) { return texts(key, count).contains(text); };
    // A selection's texts may match more than one run: a run no write overtook is taken first.
    for (const bool overtakenToo : {false, true}) {
        for (size_t i = 0; i < panel.size(); ++i) {
            if (panel[i].recorded || panel[i].readSeq < 0 || (selection && !overtakenToo && overtaken(s, i))
                || (!shows(before, panel[i].before)
                    && std::none_of(panel[i].earlier.begin(), panel[i].earlier.end(),
                                    [&](int16_t e) { return shows(before, e); })))
                continue;
            // The run is what one read found: every change before it since the last read.
            size_t j = i;
            while (j + 1 < panel.size() && panel[j + 1].readSeq == panel[i].readSeq && !panel[j + 1].recorded)
                ++j;
            if (shows(after, panel[j].after)) {
                for (size_t k = i; k <= j; ++k)
                    panel[k].recorded = true;
                return;
            }
        }
    }
    fail(what + QStringLiteral(", which no run of the front panel's changes made"));
}

// Another change came first, or the program itself wrote the setting (or sent the new value)
// before it read it: the read cannot see the change as one of the unit's own.
bool SessionOracle::overtaken(const KeyState &s, size_t i)
{
    const PanelChange &p = s.panel[i];
    return (i + 1 < s.panel.size() && s.panel[i + 1].seq < p.readSeq)
           || std::any_of(s.writeChanges.begin(), s.writeChanges.end(), [&](int w) { return w > p.seq && w < p.readSeq; })
           || std::any_of(s.sent.begin(), s.sent.end(),
                          [&](const Set &w) { return w.seq > p.seq && w.seq < p.readSeq && w.value == p.after; });
}

void SessionOracle::checkPanelRecorded(const Key &key, const KeyState &s)
{
    const auto &[block, item, c] = key;
    for (size_t i = 0; i < s.panel.size(); ++i) {
        const PanelChange &p = s.panel[i];
        if (p.readSeq < 0) {
            const auto unanswered = std::count_if(readsOut_.begin(), readsOut_.end(), [&](const auto &out) {
                const auto &[b, readItem, seq] = out.second;
                return b == block && readItem == item && seq > p.seq;
            });
            if (unanswered < 3)
                fail(QStringLiteral("the front panel set %1 to %2 and the program never read it")
                         .arg(where(block, item, c)).arg(p.after));
            continue;
        }
        // A setting whose item the program never had a reply of has no value it replaced.
        if (!p.fresh || overtaken(s, i) || !p.known)
            continue;
        if (!p.recorded)
            fail(QStringLiteral("the front panel set %1 from %2 to %3, the program read it, and the change record "
                                "has no line at the unit for it")
                     .arg(where(block, item, c)).arg(p.before).arg(p.after));
    }
}

void SessionOracle::checkEnd(const QStringList &told)
{
    settleConfigRead();
    for (const auto &[block, item] : refusals_) {
        // The block ("Block 02", "block 02") and then, before another block is named, the item,
        // as whole words: "01" inside "0001" or "Ch001" names neither.
        const QString itemName = QString::fromStdString(item);
        const QRegularExpression named(QStringLiteral("\\b[Bb]lock %1\\b(?:(?![Bb]lock ).)*\\b%2\\b")
                                           .arg(block + 1, 2, 10, QLatin1Char('0'))
                                           .arg(itemName));
        const bool said = std::any_of(told.begin(), told.end(), [&](const QString &text) {
            return text.contains(QLatin1String("refused")) && named.match(text).hasMatch();
        });
        if (!said) {
            fail(QStringLiteral("block %1 refused a write of item %2 with the operator's value, and nobody was told")
                     .arg(block).arg(itemName));
            break;
        }
    }
    for (const auto &[key, start] : startValues_) {
        const auto &[block, item, c] = key;
        const int16_t held = device_.value(block, item, c);
        const auto k = keys_.find(key);
        if (k == keys_.end()) {
            if (held != start)
                fail(QStringLiteral("the controller holds %1 for %2, which nobody changed from %3")
                         .arg(held).arg(where(block, item, c)).arg(start));
            continue;
        }
        const KeyState &s = k->second;
        checkPanelRecorded(key, s);
        const int last = s.lastSetSeq();
        if ((s.sets.empty() ? held == start : s.sets.back().carries(held)) || s.freeSeq > last)
            continue;
        if (!s.panel.empty() && s.panel.back().seq > last && held == s.panel.back().after)
            continue;
        if (s.undoneSeq > last && held == s.undoneValue)
            continue;
        if (s.refusedSeq > last && held == s.refusedHeld)
            continue;
        QString why = QStringLiteral("the controller ends with %1 for %2; the operator's last word was %3")
                          .arg(held).arg(where(block, item, c))
                          .arg(s.sets.empty() ? QString::number(start) : QStringLiteral("\"%1\"").arg(s.sets.back().text));
        if (!s.panel.empty())
            why += QStringLiteral(" (the front panel last set %1)").arg(s.panel.back().after);
        fail(why);
    }
    for (const auto &[key, owed] : owed_)
        for (const Owed &o : owed)
            fail(QStringLiteral("block %1 acknowledged a write that changed %2 from %3 to %4, and the change record has "
                                "no line of it as taken")
                     .arg(std::get<0>(key)).arg(where(std::get<0>(key), std::get<1>(key), std::get<2>(key)))
                     .arg(o.before).arg(o.after));
    for (const auto &[key, lines] : recordable_)
        for (const Recordable &line : lines)
            if (line.due)
                fail(QStringLiteral("the change record has no line of %1 from \"%2\" to \"%3\" as \"%4\"")
                         .arg(where(std::get<0>(key), std::get<1>(key), std::get<2>(key)), line.before.join('|'),
                              line.after.join('|'), line.outcome));
    for (const auto &[block, f] : factory_) {
        for (const auto &[outcome, text] : factoryDue_[block])
            fail(QStringLiteral("the change record has no line of the factory data sent to block %1 as \"%2\"")
                     .arg(block).arg(outcome));
        if (!factoryAcked_[block].empty())
            fail(QStringLiteral("block %1 acknowledged factory data the change record has no line of").arg(block));
        if (f.refusedSeq > f.seq || f.freeSeq > f.seq)
            continue;
        if (device_.factoryData(block) != f.text)
            fail(QStringLiteral("block %1 lacks the factory adjustment data the operator sent").arg(block));
    }
}

void SessionOracle::checkPage(const std::function<QString(int, const std::string &, int)> &shown,
                              const std::function<int64_t(int, const std::string &, int)> &stamp)
{
    pageChecked_.resize(size_t(session::kSessionChannels) * 33, -1);
    settleConfigRead();
    const auto readsFailed = [this](int block, const std::string &item) {
        const auto of = readsOf_.find({block, item});
        return of != readsOf_.end() && of->second.size() >= 3
               && std::all_of(of->second.end() - 3, of->second.end(), [&](size_t r) { return readsOut_.count(r) > 0; });
    };
    for (int block : present_) {
        const std::vector<std::string> &items = session::TrackedItems(session::HasCooling(device_, block));
        for (size_t i = 0; i < items.size(); ++i)
            for (int c = 0; c < kFields; ++c) {
                const std::string &item = items[i];
                const int16_t held = device_.value(block, item, c);
                // An alarm value reads by the action code the page shows.
                const std::string action = item == "0005" ? "0013" : item == "0006" ? "0014" : std::string();
                const int code = !action.empty() && !panelUnread({block, action, c}) && !readsFailed(block, action)
                                     ? device_.value(block, action, c) : -1;
                int64_t &checked = pageChecked_[size_t(block * kFields + c) * 33 + i];
                const int64_t now = stamp(block, item, c) | int64_t(uint16_t(held)) << 48 | int64_t(uint8_t(code)) << 24;
                if (checked == now)
                    continue;
                const QString onPage = shown(block, item, c);
                const QStringList expected = session::CountTexts(input(block, c), item, held, code);
                if (!expected.contains(onPage) && !panelUnread({block, item, c}) && !readsFailed(block, item)) {
                    fail(QStringLiteral("at a quiet moment the page shows \"%1\" for %2; the controller holds %3 (\"%4\")")
                             .arg(onPage, where(block, item, c)).arg(held).arg(expected.join(QStringLiteral("\" or \""))));
                    return;
                }
                if (expected.contains(onPage))
                    checked = now;
            }
    }
}
