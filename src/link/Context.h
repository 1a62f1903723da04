#pragma once
// What every window and headless command is given: the port, the message seam, the shared
// settings and the command line that "/SS" and "L" read.
#include <string>

#include "link/SharedSettings.h"
#include "platform/Messages.h"
#include "platform/PortIo.h"

namespace qb::link {

struct Context {
    platform::PortIo& port;
    platform::MessageSink& messages;
    SharedSettings& settings;
    std::string commandLine;  // the words left after our own options, joined by single blanks
};

} // namespace qb::link
