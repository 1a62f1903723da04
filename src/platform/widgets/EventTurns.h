#pragma once
// Lets pending events run from inside a loop that reads the board as fast as it delivers, cheaply
// enough to be asked after every code and during every wait:
//
//     EventTurns turns;
//     while (reading && turns.run()) { ... }
//
// Events the program posted (a queued call, a posted key) run at every turn; the window system
// (keys, mouse, repaints, timers) is asked at the first turn and then at most every
// kWindowSystemMs of real time. At a real board's pace every turn asks it; a simulated board on
// virtual time delivers codes far faster than anyone can type, and asking the window system after
// each would cost more than the read.
#include <cstdint>

namespace qb::platform {

class EventTurns {
public:
    static constexpr int kWindowSystemMs = 10;

    // One turn; false once the program is ending.
    bool run();

private:
    int64_t windowSystemAskedMs_ = INT64_MIN;
};

// Milliseconds of a steady clock that is cheap to read, a few milliseconds coarse.
int64_t CoarseMs();

} // namespace qb::platform
