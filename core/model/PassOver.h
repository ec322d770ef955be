// Where a failing step must not stop the work (the program entry, the preference read, the
// port probe): the step's error is passed over and the next step runs.
#pragma once

#include <exception>

namespace PLM_INC {

template <typename Step>
void PassOver(Step step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace PLM_INC
