// The port the program talks through, chosen from --board, --sim-* and --trace, and the trace a
// start-up leaves.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fstream>
#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/PortFactory.h"
#include "link/Startup.h"
#include "platform/DirectIoPort.h"
#include "platform/PpdevPort.h"
#include "platform/SimPort.h"
#include "platform/TracePort.h"
#include "shell/StartupTraffic.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace {

using qb::app::MakePort;
using qb::app::Options;
using qb::app::RunKind;
using qb::board::TimeMode;

Options WithBoard(std::string board, std::vector<std::string> sim = {}) {
    Options o;
    o.board = std::move(board);
    o.simOptions = std::move(sim);
    return o;
}

// --- Choosing the backend -----------------------------------------------------------------------

struct BackendCase {
    const char* name;
    Options options;
    RunKind kind;
    std::string describe;  // the port's own description
};

class PortBackend : public ::testing::TestWithParam<BackendCase> {};

TEST_P(PortBackend, BoardOptionPicksTheBackend) {
    const BackendCase& c = GetParam();
    auto made = MakePort(c.options, c.kind);
    ASSERT_NE(made.port, nullptr) << made.error;
    EXPECT_EQ(made.error, "");
    EXPECT_EQ(made.port->describe(), c.describe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortBackend,
    ::testing::Values(
        BackendCase{"SimWindowRunsInWallTime", WithBoard("sim"), RunKind::Window,
                    "simulated board (wall-clock time)"},
        BackendCase{"SimHeadlessRunsInVirtualTime", WithBoard("sim"), RunKind::Headless,
                    "simulated board (virtual time)"},
        BackendCase{"SimTimeOptionWinsInTheWindow", WithBoard("sim", {"--sim-time=virtual"}),
                    RunKind::Window, "simulated board (virtual time)"},
        BackendCase{"SimTimeOptionWinsHeadless", WithBoard("sim", {"--sim-time=wall"}),
                    RunKind::Headless, "simulated board (wall-clock time)"},
        BackendCase{"SimFaultApplied", WithBoard("sim", {"--sim-fault=absent"}), RunKind::Headless,
                    "simulated board (virtual time, fault absent)"},
        BackendCase{"PpdevDefault", WithBoard("ppdev"), RunKind::Window,
                    qb::platform::PpdevPort("/dev/parport0").describe()},
        BackendCase{"PpdevDevice", WithBoard("ppdev:/dev/parport3"), RunKind::Window,
                    qb::platform::PpdevPort("/dev/parport3").describe()},
        BackendCase{"IoDefault", WithBoard("io"), RunKind::Window,
                    qb::platform::DirectIoPort(888).describe()},
        BackendCase{"IoDecimal", WithBoard("io:632"), RunKind::Window,
                    qb::platform::DirectIoPort(632).describe()},
        BackendCase{"IoHex", WithBoard("io:0x3BC"), RunKind::Headless,
                    qb::platform::DirectIoPort(0x3BC).describe()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortBackendSim, SimulatorOptionsReachTheBoard) {
    auto made = MakePort(WithBoard("sim", {"--sim-ain1=12.5", "--sim-noref"}), RunKind::Headless);
    auto* sim = dynamic_cast<qb::platform::SimPort*>(made.port.get());
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->board().options().ain1Mv, 12.5);
    EXPECT_TRUE(sim->board().options().noReference);
}

// --- Refusals ------------------------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    Options options;
    std::string error;  // exactly
};

class PortRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PortRefusal, SaysWhatIsWrongInOneLine) {
    const RefusalCase& c = GetParam();
    auto made = MakePort(c.options, RunKind::Window);
    EXPECT_EQ(made.port, nullptr);
    EXPECT_EQ(made.error, c.error);
}

std::string SimError(const std::string& option) {
    qb::board::SimOptions sim;
    return qb::board::ApplySimOption(sim, option).value_or("(accepted)");
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortRefusal,
    ::testing::Values(
        RefusalCase{"UnknownBoard", WithBoard("bogus"),
                    "unknown board \"bogus\"; use sim, ppdev[:DEVICE] or io[:ADDRESS]"},
        RefusalCase{"SimWithArgument", WithBoard("sim:2"),
                    "unknown board \"sim:2\"; use sim, ppdev[:DEVICE] or io[:ADDRESS]"},
        RefusalCase{"EmptyDevice", WithBoard("ppdev:"),
                    "--board=ppdev: needs a device after the colon, e.g. ppdev:/dev/parport1"},
        RefusalCase{"IoNotANumber", WithBoard("io:lpt1"),
                    "--board=io takes an I/O address from 3 to 65533 (decimal or 0x hex), not \"lpt1\""},
        RefusalCase{"IoAddressZero", WithBoard("io:0"),
                    "--board=io takes an I/O address from 3 to 65533 (decimal or 0x hex), not \"0\""},
        RefusalCase{"IoPastTheIoSpace", WithBoard("io:0xFFFE"),
                    "--board=io takes an I/O address from 3 to 65533 (decimal or 0x hex), not \"0xFFFE\""},
        RefusalCase{"BadSimValue", WithBoard("sim", {"--sim-ain1=lots"}), SimError("--sim-ain1=lots")},
        RefusalCase{"BadSimTime", WithBoard("sim", {"--sim-time=fast"}), SimError("--sim-time=fast")},
        RefusalCase{"SimOptionForARealBoard", WithBoard("ppdev", {"--sim-noref"}),
                    "--sim-noref applies to the simulated board only (--board=sim)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct AddressCase {
    const char* text;
    std::optional<uint16_t> address;
};

TEST(IoAddress, DecimalOrHexInsideTheIoSpace) {
    const AddressCase table[] = {
        {"888", 888},     {"0x378", 0x378}, {"0X3bc", 0x3BC}, {"3", 3},
        {"65533", 65533}, {"0xFFFD", 0xFFFD}, {"2", std::nullopt}, {"65534", std::nullopt},
        {"70000", std::nullopt}, {"0x", std::nullopt}, {"", std::nullopt}, {"-888", std::nullopt},
        {"+888", std::nullopt}, {"888 ", std::nullopt}, {"378h", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const AddressCase& c : table) EXPECT_EQ(qb::app::ParseIoAddress(c.text), c.address) << c.text;
}

// --- The trace ---------------------------------------------------------------------------------

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string TraceLine(const qb::test::PortAccess& a) {
    std::ostringstream s;
    s << (a.write ? 'W' : 'R') << ' ' << std::uppercase << std::hex << std::setfill('0') << std::setw(4)
      << a.address << ' ' << std::setw(2) << int(a.value);
    return s.str();
}

TEST(Trace, AStartUpLeavesExactlyItsTrafficInTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Options o = WithBoard("sim");
    o.traceFile = dir.filePath("start.trace").toStdString();
    auto made = MakePort(o, RunKind::Headless);
    ASSERT_NE(made.port, nullptr) << made.error;
    ASSERT_NE(dynamic_cast<qb::platform::TracePort*>(made.port.get()), nullptr);

    qb::test::RecordingPort seen(*made.port);
    qb::test::ScriptedMessages messages;
    qb::link::SharedSettings settings;
    const qb::link::Context ctx{seen, messages, settings, ""};
    qb::link::StartUp(ctx);
    made.port->flush();

    EXPECT_EQ(qb::shelltest::WithoutReadValues(seen.log),
              qb::shelltest::StartupTraffic(seen.log.front().value));
    std::vector<std::string> accesses;
    for (const std::string& line : Lines(o.traceFile))
        if (!line.starts_with("# ")) accesses.push_back(line);
    std::vector<std::string> expected;
    for (const auto& a : seen.log) expected.push_back(TraceLine(a));
    EXPECT_EQ(accesses, expected);
    EXPECT_EQ(settings.ModeRegValue, 0x21B0);
}

TEST(Trace, AFileThatCannotBeWrittenIsRefused) {
    QTemporaryDir dir;
    Options o = WithBoard("sim");
    o.traceFile = dir.filePath("no/such/folder/t.trace").toStdString();
    auto made = MakePort(o, RunKind::Window);
    EXPECT_EQ(made.port, nullptr);
    EXPECT_NE(made.error.find(o.traceFile), std::string::npos) << made.error;
    EXPECT_EQ(made.error.find('\n'), std::string::npos);
}

} // namespace
