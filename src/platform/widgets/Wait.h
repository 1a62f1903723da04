#pragma once
// Every wait of the program goes through these routines, so the board behind the port sees
// it: on a simulated board keeping virtual time the port's clock moves on by the wait and no real
// time is spent; on real hardware (or wall-clock simulation) the wait takes real time.
#include <functional>

#include "platform/port/PortIo.h"

namespace qb::platform {

class MsTimer;

// Waits at least `ms` milliseconds while pending user-interface events run (keys, clicks,
// repaints, timers), so the window stays responsive. `keepWaiting`, when given, is asked after
// every turn of events; the wait ends early once it says false. On a virtual clock the events
// run once and the wait returns at once.
// Returns false when the wait ended early or the program is ending, true when the time passed.
bool WaitMs(PortIo& port, int ms, const std::function<bool()>& keepWaiting = {});

// WaitMs timed by a window's `timer` (its Timer1): the timer runs for the length of the wait.
bool WaitMs(MsTimer& timer, PortIo& port, int ms, const std::function<bool()>& keepWaiting);

// Waits at least `ms` milliseconds without letting any event run: the window takes no input
// during it (a settling pause inside a blocking sequence). Takes real time on every machine
// unless the clock is virtual.
void PauseMs(PortIo& port, int ms);

} // namespace qb::platform
