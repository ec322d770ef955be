// One-item write requests waiting for the link driver, in the order they were made. A request
// for an item of a block that is still waiting is not queued twice: the write sends the
// block's 20 values from the image when it runs, so one write carries every change made
// before it, and the operator's last change is the one the controller gets.
#pragma once

#include <QString>
#include <deque>
#include <optional>

namespace PLM_INC {

struct WriteRequest {
    int block;
    QString item; // four-character item code
    bool operator==(const WriteRequest &o) const { return block == o.block && item == o.item; }
};

class WriteQueue {
public:
    // Queues the request unless the same block and item already wait.
    void push(int block, const QString &item);
    std::optional<WriteRequest> pop();
    bool empty() const { return waiting_.empty(); }
    int size() const { return int(waiting_.size()); }
    bool contains(int block, const QString &item) const;
    void clear() { waiting_.clear(); }

private:
    std::deque<WriteRequest> waiting_;
};

} // namespace PLM_INC
