#pragma once
// The port the program talks through, from --board, --sim-* and --trace:
//   sim            the simulated board (the default), with the --sim-* options applied; its clock
//                  runs in wall time for the window program and in virtual time for headless
//                  commands, unless --sim-time says otherwise
//   ppdev[:DEVICE] a real board through Linux ppdev (default /dev/parport0)
//   io[:ADDRESS]   a real board through direct port I/O at ADDRESS (decimal or 0x hex; default 888)
// --trace=FILE puts a trace of every access in front of it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Options.h"
#include "platform/port/PortIo.h"
#include "platform/base/Result.h"

namespace qb::app {

enum class RunKind { Window, Headless };

// The port, or one line saying why there is none (without the program's name).
using PortResult = platform::Result<std::unique_ptr<platform::PortIo>>;
PortResult MakePort(const Options& options, RunKind kind);

// The failure MakePort would give for the board and simulator options, found without opening
// anything (no trace file is created).
platform::Result<> CheckBoardOptions(const Options& options);

// A base I/O address for --board=io: decimal or 0x hex, from 3 to FFFD (the three registers of
// the port must lie inside the I/O space and clear of addresses 0 to 2).
std::optional<uint16_t> ParseIoAddress(std::string_view text);

} // namespace qb::app
