#pragma once
// What every window and headless command is given: the port, the message seam, the shared
// settings, the command line that "/SS" and "L" read, and the user's remembered choices.
#include <functional>
#include <string>
#include <utility>

#include "link/SharedSettings.h"
#include "platform/base/Messages.h"
#include "platform/port/PortIo.h"
#include "platform/base/Preferences.h"

namespace qb::link {

struct Context {
    platform::PortIo& port;
    platform::MessageSink& messages;
    SharedSettings& settings;
    std::string commandLine;  // the words left after our own options, joined by single blanks

    // "Should I stop?", asked now and then by the ready-line waits (every kStopCheckPolls polls,
    // a few milliseconds on a real port). True ends the wait at once, as a normal stop: no
    // time-out message. A window lets its pending events run here and answers from a key press
    // or a close request; a headless command answers from Ctrl-C. Empty: the waits run to their
    // poll limits.
    std::function<bool()> stopRequested = {};

    // The user's remembered choices (count to read, file form and folder, chart window sizes);
    // null when nothing is to be remembered (--no-settings, headless commands, tests).
    platform::Preferences* preferences = nullptr;

    // A headless command: messages point to command-line options, not to buttons of windows.
    bool headless = false;
};

// A copy of `ctx` whose waits ask `stopRequested`, and then the hook `ctx` had, if any (a
// headless run stops when its port has failed, whatever the command stops for).
inline Context WithStopHook(Context ctx, std::function<bool()> stopRequested) {
    if (ctx.stopRequested)
        ctx.stopRequested = [outer = std::move(ctx.stopRequested), inner = std::move(stopRequested)] {
            return inner() || outer();
        };
    else
        ctx.stopRequested = std::move(stopRequested);
    return ctx;
}

} // namespace qb::link
