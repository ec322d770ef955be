#include "Clock.h"

namespace PLM_INC {

namespace {
SystemClock systemClock;
Clock *current = &systemClock;
} // namespace

Clock &clock()
{
    return *current;
}

void setClock(Clock *c)
{
    current = c ? c : &systemClock;
}

} // namespace PLM_INC
