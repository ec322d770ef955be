// What the controller may receive and must end with, worked out from the session alone (the
// operator's actions, the files it loads, the front panel's changes and the faults injected):
// never from the program's queue, conversions, value texts or signals. The one thing taken from
// the page is what a toggle or a channel file's other channels start from: the operator acts on
// what the page shows. Per block, item and channel it keeps every value the operator set (as
// shown, with the counts it goes to the controller as, by the checker's own conversion), and
// the front panel's changes with whether the program has read the item since. It watches every
// frame that reaches the device and says at once when one breaks a rule:
// - a value in a write is the controller's own, the last one the operator set for that block,
//   item and channel, or the one a front-panel change replaced that the program has not read;
// - once the program was told the settings changed (bit 12 of a status word), no write goes to
//   the block before the read that starts its re-read;
// - an alarm value does not reach the controller before an action code the operator set
//   earlier (or in the same load) for that channel;
// - the program gives a write up only after three unanswered tries of it, and cuts a transfer
//   only after an unanswered write to the block.
// At the end, every refusal of an operator's value the program got in time must have been told,
// and a front-panel change to a new value, read before anything else changed it, recorded at the
// unit; one never read is allowed only after three unanswered reads of its item. A block whose
// first configuration read got no whole reply is absent for the whole run: nothing is written
// to it, its settings are neither shown nor changed. At every quiet moment the page must show
// the controller's settings as texts (the checker's own text of the controller's count, by the
// channel's input, scaling and decimal point). At the end the change record (read from its
// file) must hold, as texts: one line as taken for every acknowledged write that changed a
// setting the program knew; one line as refused for each channel an operator's write asked to
// change whose refusal the program got, and one "no reply" line for each a one-item write
// given up carried, with the before the page showed; factory data as the operator's text sent,
// with its outcome; and no line that no write or front-panel change of the session made.
#pragma once

#include "DeviceModel.h"
#include "FaultyDevice.h"
#include "SessionInputs.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class SessionOracle final : public DeviceWatcher {
public:
    SessionOracle(const sim::DeviceModel &device, std::vector<int> present, std::vector<session::ChannelInput> inputs);

    // One operator action (an edit, a selection, a toggle, a load) begins; what it sets follows.
    void beginAction(const QString &what);
    // `shown`: the value as the page shows it (125 for "12.5"); `byLoad`: a file's, which a
    // transfer writes once. False when it goes to the controller as no 16-bit count (nothing is
    // kept then).
    bool operatorSet(int block, const std::string &item, int channel, long long shown, bool byLoad = false);
    void factoryAsked(int block, const std::string &text);
    // The front panel put `value` into a channel's setting (the device model already holds it).
    void panelChanged(int block, const std::string &item, int channel, int16_t before, int16_t value);
    // The program told the operator it dropped a write, or that a transfer was cut short (the
    // items a load writes are then free). Allowed only after the faults the session injected
    // left that many writes unanswered: three of the item, or one of the transfer's.
    void givenUp(int block, const std::string &item);
    void transferCut(int block, const std::vector<std::string> &loadItems);

    void frameSent(size_t index, const RequestFrame &frame, qint64 at) override;
    void frameReaching(size_t index, const RequestFrame &frame, DeviceTook took, qint64 at) override;
    void replyTaken(size_t index, const RequestFrame &frame, const std::string &reply, bool onTime) override;
    void replyAssembled(size_t index, const RequestFrame &frame, const std::string &reply) override;

    // A line of the change record, as its file holds it, oldest first. One recorded as taken
    // matches a write the device applied and acknowledged in time, with the value it carried for
    // that channel, once; one refused a write whose refusal the program got in time, and one
    // without reply an unanswered write, that carried its value for that channel, once each;
    // one at the unit a run of the front panel's changes of the setting, from the first one's
    // before to the last one's after; factory data a text sent to the block, with its outcome.
    // Values are compared as the texts the checker makes of the counts.
    void changeRecorded(int block, const std::string &item, int channel, const QString &origin, const QString &outcome,
                        const QString &before, const QString &after);
    // The controller against the operator's last word, once the line is quiet, and every
    // refusal of an operator's value against what the operator was told; every acknowledged
    // write that changed a setting the program knew against the record; appends to failures().
    void checkEnd(const QStringList &told);
    // At a quiet moment: every setting the page shows (`shown`) is the controller's, but for a
    // setting the front panel changed and the program has not read yet, or whose item's last
    // three reads went unanswered.
    // `stamp` (bits 0..23, 32..47) changes whenever the page's text may (a setting checked with
    // the same stamp and the same count and action code at the controller is not formatted again).
    void checkPage(const std::function<QString(int block, const std::string &item, int channel)> &shown,
                   const std::function<int64_t(int block, const std::string &item, int channel)> &stamp);
    const QStringList &failures() const { return failures_; }
    // A failure of the session's own (the record's file unreadable, say).
    void fail(const QString &why);
    int actions() const { return actions_; }

private:
    using Key = std::tuple<int, std::string, int>; // block, item, channel in block
    struct Set {
        int seq;
        int16_t value;
        int16_t other = value; // an alarm value's count by the other reading of its action code
        QString text;          // as the operator gave it
        bool byLoad = false;
        bool carries(int16_t v) const { return v == value || v == other; }
    };
    // A line the record may hold (or must, when due) of a refused or unanswered write of a
    // channel; each line takes one.
    struct Recordable {
        QString outcome;    // "refused", "no reply"
        QStringList after;  // what the line's after may be
        QStringList before; // due: what its before must be
        bool due = false;
        bool atOnce = false; // a transfer's write: recorded at its one try, never given up
    };
    struct PanelChange {
        int seq;
        int16_t before, after;
        bool read = false;
        int readSeq = -1;   // the first read that reached the device after it and was answered in time
        bool fresh = false; // a value this setting never held nor was sent before
        bool recorded = false; // a line at the unit covers it
        std::set<int16_t> earlier; // what the setting held or was sent before it: the program may
                                   // know any of them as the value it replaced
        bool known = true; // a read or write of the item was answered before: the program knew a value
    };
    struct KeyState {
        std::vector<Set> sets;          // every value the operator set, oldest first
        std::vector<PanelChange> panel; // the front panel's changes, oldest first
        bool delivered = true;          // the last set value has reached the controller since
        int refusedSeq = -1;            // a frame with the last set value was refused then
        int16_t refusedHeld = 0;        // what the controller held when it refused
        int undoneSeq = -1;             // a write put back a value a front-panel change replaced
        int16_t undoneValue = 0;
        int freeSeq = -1;               // the operator was told it did not arrive
        std::vector<int> writeChanges;  // writes the device applied that changed the value
        std::vector<Set> sent;          // every value a write frame carried, when it was sent
        std::set<int16_t> unconfirmed;  // counts unanswered writes carried since a reply confirmed one
        int firstSendOf = -1;           // the set whose value a write first carried ...
        int16_t heldAtFirst = 0;        // ... what the controller held then
        bool cleanAtFirst = false;      // ... and the program knew it for sure
        int askDoneOf = -1;             // the set whose write the program had a reply of
        int lastSetSeq() const { return sets.empty() ? -1 : sets.back().seq; }
    };
    struct Factory {
        std::set<std::string> texts; // every text the operator sent to the block
        std::string text;            // the last
        int seq = -1;
        int refusedSeq = -1;
        int freeSeq = -1;
    };

    KeyState &state(int block, const std::string &item, int channel);
    void checkWrite(const RequestFrame &frame, const std::vector<int16_t> &values);
    void checkAlarmOrder(const RequestFrame &frame, const std::vector<int16_t> &values);
    void noteTaken(size_t index, const RequestFrame &frame, const std::vector<int16_t> &values, DeviceTook took);
    static bool overtaken(const KeyState &s, size_t i);
    void checkPanelRecorded(const Key &key, const KeyState &s);
    void unitRecorded(const Key &key, const QString &what, const QString &before, const QString &after);
    void factoryRecorded(int block, const QString &what, const QString &origin, const QString &outcome,
                         const QString &after);
    const session::ChannelInput &input(int block, int channel) const { return inputs_[size_t(block * 20 + channel)]; }
    QStringList texts(const Key &key, int16_t count) const;
    // The lines a write frame may owe the record, by channel, if it is refused or unanswered.
    std::vector<std::pair<int, Recordable>> recordablesOf(const RequestFrame &frame, const std::vector<int16_t> &values);
    // A write's reply the program took: an acknowledgement confirms the item's counts, a
    // refusal owes the record its lines.
    void settleRecordables(size_t index, const RequestFrame &frame, bool acknowledged);
    enum class Owes { Each, AtOnceDue, DueOnly };
    void owe(int block, const std::string &item, const std::vector<std::pair<int, Recordable>> &lines,
             const QString &outcome, Owes owes);
    bool panelUnread(const Key &key) const;
    void settleWrites();
    void settleConfigRead();
    QString where(int block, const std::string &item, int channel) const;

    const sim::DeviceModel &device_;
    std::vector<int> present_; // installed, less those whose configuration read got no whole reply
    std::vector<session::ChannelInput> inputs_;
    std::vector<int64_t> pageChecked_; // by channel and item number: the stamp and count last found right
    std::set<int> configAsked_;
    std::set<int> configRetried_; // blocks asked again after another block's reply
    int configRetry_ = -1;        // the block whose configuration read is asked again next
    std::pair<size_t, RequestFrame> newest_;          // the frame on the line now
    std::optional<std::pair<size_t, int>> configOut_; // a configuration read without whole reply (yet)
    std::map<Key, KeyState> keys_;
    std::map<Key, int16_t> startValues_;
    std::map<int, Factory> factory_;
    std::map<size_t, int> reachedSeq_;  // frame index: when the device acted on it
    std::map<size_t, std::vector<int16_t>> applied_; // write frames the device applied: their values
    std::set<int> reReadDue_;           // blocks whose settings-changed bit the program was given
    std::map<size_t, std::pair<int, std::string>> writesOut_; // write frames not answered (yet)
    std::map<std::pair<int, std::string>, int> unanswered_;   // per block and item, since it was last given up
    std::map<int, int> unansweredOfBlock_;                    // per block, since its last transfer cut
    std::map<size_t, std::pair<int, std::string>> refusalsOut_; // refusals of operator's values, by frame
    std::vector<std::pair<int, std::string>> refusals_;        // ... whose refusal the program got in time
    std::map<Key, std::vector<int16_t>> acked_;                // values of acknowledged writes not yet recorded
    struct Owed {
        int16_t before, after;
    };
    std::map<size_t, std::vector<std::pair<int, Owed>>> owedByFrame_; // applied writes' changes of known settings
    std::map<Key, std::vector<Owed>> owed_;                    // ... acknowledged: each owes a line as taken
    struct OpenWrite { // a write frame whose reply has not settled
        std::vector<int16_t> values;
        std::vector<std::pair<int, Recordable>> lines; // what it owes the record, if refused or unanswered
        std::string factoryText;
    };
    std::map<size_t, OpenWrite> openWrites_;
    std::map<std::pair<int, std::string>, std::vector<std::pair<int, Recordable>>> lastUnanswered_;
    std::map<Key, std::vector<Recordable>> recordable_;        // lines refused and unanswered writes owe
    std::map<int, std::set<std::string>> factorySent_;         // factory texts frames carried to a block
    std::map<int, std::vector<std::pair<QString, std::string>>> factoryDue_; // outcome, text: lines owed
    std::map<int, std::string> factoryUnanswered_;             // the last unanswered factory text
    std::map<int, std::vector<std::string>> factoryAcked_;     // factory texts a block applied and acknowledged
    std::map<Key, std::set<int16_t>> seen_;                    // values a setting held or was sent
    std::set<std::pair<int, std::string>> confirmed_;          // items a read or write reply confirmed
    std::map<size_t, std::tuple<int, std::string, int>> readsOut_; // read frames not answered in time
    std::map<std::pair<int, std::string>, std::vector<size_t>> readsOf_; // read frames by block and item
    int seq_ = 0;
    int actionSeq_ = -1;
    int actions_ = 0;
    QString action_;
    QStringList failures_;
};
