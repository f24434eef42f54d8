#include "STimerEvent.h"

#include "STimer.h"

STimerEvent::~STimerEvent() {
    globalTimer().removeTimers(this);
}
