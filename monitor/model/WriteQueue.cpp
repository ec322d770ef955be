#include "WriteQueue.h"

#include <algorithm>

namespace PLM_INC {

void WriteQueue::push(int block, const QString &item)
{
    if (!contains(block, item))
        waiting_.push_back({block, item});
}

std::optional<WriteRequest> WriteQueue::pop()
{
    if (waiting_.empty())
        return std::nullopt;
    WriteRequest front = waiting_.front();
    waiting_.pop_front();
    return front;
}

bool WriteQueue::contains(int block, const QString &item) const
{
    return std::find(waiting_.begin(), waiting_.end(), WriteRequest{block, item}) != waiting_.end();
}

} // namespace PLM_INC
