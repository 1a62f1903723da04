#include "app/PortFactory.h"

#include <charconv>

#include "app/SimPort.h"
#include "board/SimOptions.h"
#include "link/Startup.h"
#include "platform/port/DirectIoPort.h"
#include "platform/port/PpdevPort.h"
#include "platform/port/TracePort.h"

namespace qb::app {

namespace {

constexpr std::string_view kDefaultPpdevDevice = "/dev/parport0";
constexpr uint16_t kDefaultIoAddress = 888;
constexpr uint16_t kLowestIoAddress = 3;
constexpr uint16_t kHighestIoAddress = 0xFFFD;

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

PortResult simulatedBoard(const Options& options, RunKind kind) {
    board::SimOptions sim;
    bool clockGiven = false;
    for (const std::string& option : options.simOptions) {
        if (auto error = board::ApplySimOption(sim, option)) return platform::Fail(*error);
        clockGiven = clockGiven || option.starts_with("--sim-mclk");
    }
    // The word L tells the program it drives the low-power board with its 2.4576 MHz crystal;
    // the simulated board is that board then, unless its clock is given outright.
    if (!clockGiven && link::SlowClockRequested(options.commandLine))
        sim.masterClockHz = link::kSlowMasterClockHz;
    const board::TimeMode whenUnset =
        kind == RunKind::Window ? board::TimeMode::Wall : board::TimeMode::Virtual;
    return std::unique_ptr<platform::PortIo>(std::make_unique<app::SimPort>(sim, whenUnset));
}

PortResult realBoard(const Options& options) {
    const std::string& board = options.board;
    const auto colon = board.find(':');
    const std::string_view kind = std::string_view(board).substr(0, colon);
    const bool hasArgument = colon != std::string::npos;
    const std::string_view argument =
        hasArgument ? std::string_view(board).substr(colon + 1) : std::string_view{};

    if (kind == "ppdev") {
        if (hasArgument && argument.empty())
            return platform::Fail("--board=ppdev: needs a device after the colon, e.g. ppdev:/dev/parport1");
        const std::string device(hasArgument ? argument : kDefaultPpdevDevice);
        return std::unique_ptr<platform::PortIo>(std::make_unique<platform::PpdevPort>(device));
    }
    if (kind == "io") {
        uint16_t address = kDefaultIoAddress;
        if (hasArgument) {
            const auto parsed = ParseIoAddress(argument);
            if (!parsed)
                return platform::Fail("--board=io takes an I/O address from 3 to 65533 (decimal or 0x hex), not " +
                               quoted(argument));
            address = *parsed;
        }
        return std::unique_ptr<platform::PortIo>(std::make_unique<platform::DirectIoPort>(address));
    }
    return platform::Fail("unknown board " + quoted(board) + "; use sim, ppdev[:DEVICE] or io[:ADDRESS]");
}

} // namespace

std::optional<uint16_t> ParseIoAddress(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < kLowestIoAddress || value > kHighestIoAddress) return std::nullopt;
    return static_cast<uint16_t>(value);
}

namespace {

PortResult boardPort(const Options& options, RunKind kind) {
    if (options.board == "sim") return simulatedBoard(options, kind);
    if (!options.simOptions.empty())
        return platform::Fail(options.simOptions.front() + " applies to the simulated board only (--board=sim)");
    return realBoard(options);
}

} // namespace

platform::Result<> CheckBoardOptions(const Options& options) {
    // Making a backend opens no device and no file: the device is opened by its claim.
    const PortResult made = boardPort(options, RunKind::Headless);
    if (!made.ok()) return platform::Fail(made.error());
    return {};
}

PortResult MakePort(const Options& options, RunKind kind) {
    PortResult made = boardPort(options, kind);
    if (!made.ok() || options.traceFile.empty()) return made;
    auto trace = platform::TracePort::open(*made, options.traceFile);
    if (!trace.ok()) return platform::Fail(trace.error());
    return std::unique_ptr<platform::PortIo>(std::move(*trace));
}

} // namespace qb::app
