#include "LinkRequests.h"

#include "ItemTable.h"

#include <algorithm>

namespace PLM_INC {

namespace {

// The waiting requests go with the image they were made from.
[[maybe_unused]] const bool kForgottenWithImage = (AddImageReset([] { PendingRequests.clear(); }), true);

void captureField(std::vector<FieldValue> &into, ChannelTable *field, int block)
{
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int ch = block * kChannelsPerBlock + c;
        into.push_back({field, ch, (*field)[ch]});
    }
}

// What a load transfer of the block sends: the chain's fields, then both alarm values.
void captureSendValues(std::vector<FieldValue> &into, int block)
{
    for (const QString &code : TransferChainItems())
        if (const ItemInfo *info = ItemByCode(code); info && info->field)
            captureField(into, info->field, block);
    captureField(into, &Alarm1Value, block);
    captureField(into, &Alarm2Value, block);
}

// A phase of a load transfer: it writes items of the blocks it covers from values of its own.
bool isTransferPhase(RequestKind kind)
{
    return kind >= RequestKind::BlockSend && kind <= RequestKind::AllAlarms;
}

bool isWrite(RequestKind kind)
{
    return kind != RequestKind::ReRead;
}

// A request of one block that goes only while its block answers.
bool waitsForHeld(const LinkRequestJob &job, BlockMask held)
{
    return !isTransferPhase(job.kind) && (held & BlockBit(job.block)) != 0;
}

// Later values of the same field and channel replace earlier ones; new channels are added.
void mergeValues(std::vector<FieldValue> &into, const std::vector<FieldValue> &newer)
{
    for (const FieldValue &v : newer) {
        auto same = std::find_if(into.begin(), into.end(),
                                 [&](const FieldValue &o) { return o.field == v.field && o.channel == v.channel; });
        if (same != into.end()) {
            same->value = v.value;
            same->asked = v.asked;
        } else
            into.push_back(v);
    }
}

// An alarm value is converted by its action code: while a one-item write of the code waits
// for the channel, a transfer phase must not carry the value ahead of it (a phase does not wait
// for a held block); the value goes in its own write, after the code's.
bool actionCodeWaits(const std::deque<LinkRequestJob> &waiting, int block, const QString &alarmItem, int channel)
{
    const QString code = alarmItem == QLatin1String("0005") ? QStringLiteral("0013") : QStringLiteral("0014");
    return std::any_of(waiting.begin(), waiting.end(), [&](const LinkRequestJob &j) {
        return j.kind == RequestKind::ItemWrite && j.block == block && j.item == code
               && std::any_of(j.values.begin(), j.values.end(), [&](const FieldValue &v) { return v.channel == channel; });
    });
}

} // namespace

void LinkRequestJob::restoreValues() const
{
    for (const FieldValue &v : values)
        if ((cutBlocks & BlockBit(v.channel / kChannelsPerBlock)) == 0)
            (*v.field)[v.channel] = v.value;
}

LinkRequestJob ItemWriteRequest(const QString &item, const std::vector<int> &channels, ChangeOrigin origin)
{
    LinkRequestJob job;
    job.kind = RequestKind::ItemWrite;
    job.origin = origin;
    job.item = item;
    job.block = channels.empty() ? -1 : channels.front() / kChannelsPerBlock;
    const ItemInfo *info = ItemByCode(item);
    for (int ch : channels) {
        if (ch < 0 || ch >= kChannels || ch / kChannelsPerBlock != job.block) {
            job.block = -1; // refused below: a write names exactly one block
            break;
        }
        if (info && info->field)
            job.values.push_back({info->field, ch, (*info->field)[ch]});
    }
    return job;
}

LinkRequestJob BlockSendRequest(int block, ChangeOrigin origin)
{
    LinkRequestJob job;
    job.kind = RequestKind::BlockSend;
    job.origin = origin;
    job.block = block;
    if (block >= 0 && block < kBlocks)
        captureSendValues(job.values, block);
    return job;
}

LinkRequestJob AllSendRequest()
{
    LinkRequestJob job;
    job.kind = RequestKind::AllSend;
    job.origin = ChangeOrigin::AllChannelFile;
    job.block = -1;
    for (int b = 0; b < kBlocks; ++b)
        captureSendValues(job.values, b);
    return job;
}

LinkRequestJob AlarmsRequestAfter(const LinkRequestJob &send)
{
    LinkRequestJob job;
    job.kind = send.kind == RequestKind::AllSend ? RequestKind::AllAlarms : RequestKind::BlockAlarms;
    job.origin = send.origin;
    job.block = send.block;
    for (const FieldValue &v : send.values)
        if (v.field == &Alarm1Value || v.field == &Alarm2Value)
            job.values.push_back(v);
    return job;
}

LinkRequestJob FactoryAdjustRequest(int block, const QString &text80)
{
    LinkRequestJob job;
    job.kind = RequestKind::FactoryAdjust;
    job.origin = ChangeOrigin::FactoryAdjust;
    job.block = block;
    job.text = text80;
    return job;
}

LinkRequestJob ReReadRequest(int block)
{
    LinkRequestJob job;
    job.kind = RequestKind::ReRead;
    job.block = block;
    return job;
}

LinkRequestJob ReReadOf(int block, const QString &item)
{
    LinkRequestJob job = ReReadRequest(block);
    // Reading the configuration clears the unit's settings-changed bit: a change made at the
    // front panel since the block's other items were read is then seen only by reading them
    // again, after it.
    if (item == ItemCodeTable[1]) {
        for (int entry = 1; entry <= kBlockReadItems; ++entry)
            job.items << ItemCodeTable[static_cast<size_t>(entry)];
    } else {
        job.items = QStringList{item};
    }
    return job;
}

void LinkRequestQueue::stamp(LinkRequestJob &job)
{
    const uint64_t now = nextAsk_++;
    for (FieldValue &v : job.values) {
        if (v.asked != 0)
            continue; // a second phase carries the asks of its first
        v.asked = now;
        lastAsk_[{v.field, v.channel}] = now;
    }
}

bool LinkRequestQueue::isCurrent(const FieldValue &v) const
{
    const auto last = lastAsk_.find({v.field, v.channel});
    return v.asked == 0 || last == lastAsk_.end() || v.asked >= last->second;
}

bool IsAlarmValueItem(const QString &item)
{
    return item == QLatin1String("0005") || item == QLatin1String("0006");
}

std::optional<int16_t> LinkRequestQueue::waitingAsk(const ChannelTable *field, int channel) const
{
    const auto in = [&](const LinkRequestJob &job) -> std::optional<int16_t> {
        for (const FieldValue &v : job.values)
            if (v.field == field && v.channel == channel && v.asked != 0 && isCurrent(v))
                return v.value;
        return std::nullopt;
    };
    for (const LinkRequestJob &job : waiting_)
        if (const auto value = in(job))
            return value;
    for (const std::optional<LinkRequestJob> &phase : parked_)
        if (phase)
            if (const auto value = in(*phase))
                return value;
    return std::nullopt;
}

std::vector<FieldValue> LinkRequestQueue::currentValues(const LinkRequestJob &job) const
{
    std::vector<FieldValue> current;
    for (const FieldValue &v : job.values)
        if (isCurrent(v))
            current.push_back(v);
    return current;
}

void LinkRequestQueue::restoreCurrentValues(const LinkRequestJob &job) const
{
    for (const FieldValue &v : job.values)
        if ((job.cutBlocks & BlockBit(v.channel / kChannelsPerBlock)) == 0 && isCurrent(v))
            (*v.field)[v.channel] = v.value;
}

void LinkRequestQueue::push(LinkRequestJob job)
{
    if (job.kind == RequestKind::ItemWrite && (job.block < 0 || job.block >= kBlocks || job.item.isEmpty()))
        return;
    stamp(job);
    if (job.kind == RequestKind::ItemWrite) {
        if (IsAlarmValueItem(job.item))
            carryAlarmValues(job);
        // The newest waiting write of this block and item, unless another write of the block
        // comes after it: the operator's value must not go before a transfer's, nor before an
        // action code it was converted for.
        for (auto it = waiting_.rbegin(); it != waiting_.rend(); ++it) {
            const bool sameWrite = it->kind == RequestKind::ItemWrite && it->block == job.block && it->item == job.item;
            if (sameWrite) {
                mergeValues(it->values, job.values);
                return;
            }
            if (isWrite(it->kind) && it->coversBlock(job.block))
                break;
        }
    } else if (job.kind == RequestKind::ReRead) {
        const auto waiting = std::find_if(waiting_.begin(), waiting_.end(), [&](const LinkRequestJob &o) {
            return o.kind == RequestKind::ReRead && o.block == job.block;
        });
        if (waiting != waiting_.end()) {
            // One re-read of the block reads what each asks: the whole block, or their items.
            // The waiting one may be a retry that used up tries of its own; what the new one
            // adds gets every try, so the count starts again whenever the merge reads more.
            bool more = false;
            if (job.items.isEmpty() || waiting->items.isEmpty()) {
                more = !waiting->items.isEmpty();
                waiting->items.clear();
            } else {
                for (const QString &item : job.items)
                    if (!waiting->items.contains(item)) {
                        waiting->items << item;
                        more = true;
                    }
            }
            if (more)
                waiting->tries = 0;
            waiting->owed = waiting->owed || job.owed;
            return;
        }
    } else if (job.kind == RequestKind::BlockSend || job.kind == RequestKind::AllSend) {
        dropSupersededBy(job);
    }
    waiting_.push_back(std::move(job));
    showFirst();
}

void LinkRequestQueue::carryAlarmValues(const LinkRequestJob &write)
{
    const auto carry = [&](LinkRequestJob &phase) {
        if (!isTransferPhase(phase.kind) || !phase.coversBlock(write.block))
            return;
        for (FieldValue &v : phase.values)
            for (const FieldValue &w : write.values)
                if (v.field == w.field && v.channel == w.channel && !actionCodeWaits(waiting_, write.block, write.item, w.channel)) {
                    v.value = w.value;
                    v.asked = w.asked;
                }
    };
    for (LinkRequestJob &waiting : waiting_)
        carry(waiting);
    for (std::optional<LinkRequestJob> &phase : parked_)
        if (phase)
            carry(*phase);
}

void LinkRequestQueue::dropSupersededBy(const LinkRequestJob &send)
{
    const std::vector<QString> &chain = TransferChainItems();
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [&](const LinkRequestJob &w) {
                                      return w.kind == RequestKind::ItemWrite && send.coversBlock(w.block)
                                          && (std::find(chain.begin(), chain.end(), w.item) != chain.end() || IsAlarmValueItem(w.item));
                                  }),
                   waiting_.end());
}

void LinkRequestQueue::pushFront(LinkRequestJob job)
{
    waiting_.push_front(std::move(job));
    showFirst();
}

std::deque<LinkRequestJob>::const_iterator LinkRequestQueue::nextPosition(BlockMask held) const
{
    const auto first = std::find_if(waiting_.begin(), waiting_.end(),
                                    [held](const LinkRequestJob &j) { return !waitsForHeld(j, held); });
    if (first == waiting_.end() || !isWrite(first->kind))
        return first;
    // A transfer does not wait for a held block, so neither does the re-read it would overtake
    // (one held may wait ahead of it).
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it)
        if (it != first && it->kind == RequestKind::ReRead && first->writesBlock(it->block)
            && (!waitsForHeld(*it, held) || isTransferPhase(first->kind)))
            return it;
    return first;
}

const LinkRequestJob *LinkRequestQueue::next(BlockMask held) const
{
    const auto at = nextPosition(held);
    return at == waiting_.end() ? nullptr : &*at;
}

std::optional<LinkRequestJob> LinkRequestQueue::pop(BlockMask held)
{
    const auto at = nextPosition(held);
    if (at == waiting_.end())
        return std::nullopt;
    LinkRequestJob taken = *at;
    waiting_.erase(at);
    showFirst();
    return taken;
}

void LinkRequestQueue::park(int index, LinkRequestJob secondPhase)
{
    parked_.at(size_t(index)) = std::move(secondPhase);
}

LinkRequestJob *LinkRequestQueue::parked(int index)
{
    std::optional<LinkRequestJob> &phase = parked_.at(size_t(index));
    return phase ? &*phase : nullptr;
}

std::optional<LinkRequestJob> LinkRequestQueue::unpark(int index)
{
    std::optional<LinkRequestJob> phase;
    std::swap(phase, parked_.at(size_t(index)));
    return phase;
}

void LinkRequestQueue::showFirst() const
{
    if (LinkRequest == 0 || LinkRequest == 9)
        return; // the link's own state shows until the start-up read is done
    if (waiting_.empty()) {
        LinkRequest = 1;
        return;
    }
    const LinkRequestJob &first = waiting_.front();
    LinkRequest = int16_t(first.kind);
    if (first.block >= 0)
        RequestBlock = int16_t(first.block);
    RequestItem = first.item;
}

void LinkRequestQueue::showWaitingValues() const
{
    for (const LinkRequestJob &job : waiting_)
        restoreCurrentValues(job);
}

int LinkRequestQueue::waitingWrites() const
{
    return int(std::count_if(waiting_.begin(), waiting_.end(), [](const LinkRequestJob &j) { return isWrite(j.kind); }));
}

int LinkRequestQueue::waitingWrites(BlockMask of) const
{
    return int(std::count_if(waiting_.begin(), waiting_.end(), [of](const LinkRequestJob &j) {
        return isWrite(j.kind) && !isTransferPhase(j.kind) && (of & BlockBit(j.block)) != 0;
    }));
}

BlockMask LinkRequestQueue::blocksWaitedFor(BlockMask held) const
{
    BlockMask blocks = 0;
    for (const LinkRequestJob &j : waiting_)
        if (isWrite(j.kind) && !isTransferPhase(j.kind))
            blocks |= BlockMask(held & BlockBit(j.block));
    return blocks;
}

} // namespace PLM_INC
