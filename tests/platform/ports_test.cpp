// The real port backends (ppdev, direct I/O) and the tracing port.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <linux/ppdev.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/DirectIoPort.h"
#include "platform/PpdevPort.h"
#include "platform/TracePort.h"
#include "support/RecordingPort.h"

namespace qb::platform {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("qb-h1-") + info->test_suite_name() + "-" + info->name() + "-" +
                           std::to_string(::getpid());
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = fs::temp_directory_path() / name;
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    void write(const std::string& relative, const std::string& text) const {
        const fs::path file = path_ / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

private:
    fs::path path_;
};

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// ---------------------------------------------------------------------------------------------
// ppdev

struct Request {
    unsigned long request;
    int argument;  // the byte or int passed in; -1 for requests without one
    bool operator==(const Request&) const = default;
};

// A ppdev device in memory: records every request and answers reads from a register table.
class FakePpdev : public PpdevSystem {
public:
    struct State {
        bool openFails = false;
        bool claimFails = false;
        bool transfersFail = false;
        std::map<unsigned long, unsigned char> answers{{PPRDATA, 0x5A}, {PPRSTATUS, 0x7F}, {PPRCONTROL, 0xC4}};
        std::vector<Request> requests;
        std::vector<std::string> opened;
        int closes = 0;
    };
    explicit FakePpdev(State& state) : s_(state) {}

    int open(const std::string& path) override {
        s_.opened.push_back(path);
        if (s_.openFails) {
            errno = EACCES;
            return -1;
        }
        return 42;
    }
    int ioctl(int fd, unsigned long request, void* argument) override {
        EXPECT_EQ(fd, 42);
        int value = -1;
        if (request == PPWDATA || request == PPWCONTROL) value = *static_cast<unsigned char*>(argument);
        if (request == PPDATADIR) value = *static_cast<int*>(argument);
        s_.requests.push_back({request, value});
        if ((request == PPCLAIM && s_.claimFails) || (s_.transfersFail && request != PPCLAIM && request != PPRELEASE)) {
            errno = EIO;
            return -1;
        }
        if (auto it = s_.answers.find(request); it != s_.answers.end())
            *static_cast<unsigned char*>(argument) = it->second;
        return 0;
    }
    void close(int fd) override {
        EXPECT_EQ(fd, 42);
        ++s_.closes;
    }

private:
    State& s_;
};

TEST(PpdevPortTest, MissingDeviceFailsCleanly) {
    TempDir dir;
    PpdevPort port((dir.path() / "parport7").string(), nullptr, dir.path().string());
    EXPECT_EQ(port.ClaimParallelPort(1, -1), 0);
    EXPECT_FALSE(port.claimed());
    EXPECT_NE(port.lastError().find("parport7"), std::string::npos) << port.lastError();
    ParallelPortInfo info;
    EXPECT_EQ(port.GetParallelPortInfo(1, info), 0);
    EXPECT_EQ(info.baseAddress, 0u);
    for (uint16_t address : {0x378, 0x379, 0x37A}) {
        EXPECT_EQ(port.InByte(address), 0xFF);
        port.OutByte(address, 0x1A);
    }
    EXPECT_EQ(port.describe(), "ppdev " + (dir.path() / "parport7").string());
}

TEST(PpdevPortTest, RefusedOpenOrClaimLeavesPortUnclaimedAndClosed) {
    for (const bool openFails : {true, false}) {
        FakePpdev::State state;
        state.openFails = openFails;
        state.claimFails = !openFails;
        {
            PpdevPort port("/dev/parport0", std::make_unique<FakePpdev>(state));
            EXPECT_EQ(port.ClaimParallelPort(1, -1), 0);
            EXPECT_FALSE(port.lastError().empty());
            EXPECT_EQ(port.InByte(0x379), 0xFF);
            port.OutByte(0x378, 0x1A);
        }
        const size_t expectedRequests = openFails ? 0 : 1;  // the refused claim only
        EXPECT_EQ(state.requests.size(), expectedRequests) << "open fails: " << openFails;
        EXPECT_EQ(state.closes, openFails ? 0 : 1) << "open fails: " << openFails;
    }
}

TEST(PpdevPortTest, ClaimsOnceAndReleasesOnDestruction) {
    FakePpdev::State state;
    {
        PpdevPort port("/dev/parport0", std::make_unique<FakePpdev>(state));
        EXPECT_NE(port.ClaimParallelPort(1, -1), 0);
        EXPECT_NE(port.ClaimParallelPort(1, -1), 0);
        EXPECT_TRUE(port.claimed());
        EXPECT_EQ(state.opened, std::vector<std::string>{"/dev/parport0"});
    }
    EXPECT_EQ(state.requests, (std::vector<Request>{{PPCLAIM, -1}, {PPRELEASE, -1}}));
    EXPECT_EQ(state.closes, 1);
}

struct RegisterCase {
    const char* name;
    bool write;
    uint16_t address;
    uint8_t value;  // written, or expected from a read
    std::vector<Request> requests;
};

class PpdevRegisterTest : public ::testing::TestWithParam<RegisterCase> {};

TEST_P(PpdevRegisterTest, MapsAddressesAtBaseToRegisters) {
    const RegisterCase& c = GetParam();
    FakePpdev::State state;
    PpdevPort port("/dev/parport0", std::make_unique<FakePpdev>(state));
    ASSERT_NE(port.ClaimParallelPort(1, -1), 0);
    state.requests.clear();
    if (c.write) {
        port.OutByte(c.address, c.value);
    } else {
        EXPECT_EQ(port.InByte(c.address), c.value);
    }
    EXPECT_EQ(state.requests, c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Registers, PpdevRegisterTest,
    ::testing::Values(
        RegisterCase{"ReadData", false, 0x378, 0x5A, {{PPRDATA, -1}}},
        RegisterCase{"ReadStatus", false, 0x379, 0x7F, {{PPRSTATUS, -1}}},
        RegisterCase{"ReadControl", false, 0x37A, 0xC4, {{PPRCONTROL, -1}}},
        RegisterCase{"ReadBelowBase", false, 0x377, 0xFF, {}},
        RegisterCase{"ReadPastControl", false, 0x37B, 0xFF, {}},
        RegisterCase{"ReadOtherPort", false, 0x279, 0xFF, {}},
        RegisterCase{"WriteData", true, 0x378, 0x1A, {{PPWDATA, 0x1A}}},
        RegisterCase{"WriteStatusIgnored", true, 0x379, 0x1A, {}},
        RegisterCase{"WriteControlForward", true, 0x37A, 0xC4, {{PPWCONTROL, 0x04}, {PPDATADIR, 0}}},
        RegisterCase{"WriteControlReverse", true, 0x37A, 0x2B, {{PPWCONTROL, 0x0B}, {PPDATADIR, 1}}},
        RegisterCase{"WriteOtherAddress", true, 0x000, 0x1A, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PpdevPortTest, FailedTransferReadsFFAndTellsWhy) {
    FakePpdev::State state;
    PpdevPort port("/dev/parport0", std::make_unique<FakePpdev>(state));
    ASSERT_NE(port.ClaimParallelPort(1, -1), 0);
    state.transfersFail = true;
    EXPECT_EQ(port.InByte(0x379), 0xFF);
    EXPECT_NE(port.lastError().find("status"), std::string::npos) << port.lastError();
}

struct BaseCase {
    const char* name;
    const char* device;
    std::optional<std::string> sysfs;  // /sys/class/parport/parportN/base_addr
    std::optional<std::string> procfs; // /proc/sys/dev/parport/parportN/base-addr
    int result;
    uint32_t base;  // in the record when found
};

class PpdevBaseTest : public ::testing::TestWithParam<BaseCase> {};

TEST_P(PpdevBaseTest, ReportsKernelBaseAndUsesIt) {
    const BaseCase& c = GetParam();
    TempDir dir;
    for (const char* n : {"0", "1"}) {
        if (c.sysfs) dir.write(std::string("sys/class/parport/parport") + n + "/base_addr", *c.sysfs);
        if (c.procfs) dir.write(std::string("proc/sys/dev/parport/parport") + n + "/base-addr", *c.procfs);
    }
    // Only parport1's files count for /dev/parport1.
    if (std::string(c.device) == "/dev/parport1") {
        dir.write("proc/sys/dev/parport/parport0/base-addr", "956\t1980\n");
        dir.write("sys/class/parport/parport0/base_addr", "956\n");
    }
    FakePpdev::State state;
    PpdevPort port(c.device, std::make_unique<FakePpdev>(state), dir.path().string());
    ParallelPortInfo info;
    EXPECT_EQ(port.GetParallelPortInfo(1, info), c.result);
    EXPECT_EQ(info.baseAddress, c.result ? c.base : 0u);
    EXPECT_EQ(info.size, 12u);
    if (!c.result) {
        EXPECT_FALSE(port.lastError().empty());
    }

    // Traffic follows the reported base, or 0x378 when none was reported.
    const uint16_t base = c.result ? static_cast<uint16_t>(c.base) : 0x378;
    ASSERT_NE(port.ClaimParallelPort(1, -1), 0);
    EXPECT_EQ(port.InByte(base + 1), 0x7F);
    EXPECT_EQ(port.InByte(base == 0x378 ? 0x279 : 0x379), 0xFF);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PpdevBaseTest,
    ::testing::Values(
        BaseCase{"ProcDecimal", "/dev/parport0", std::nullopt, "888\t1912\n", 1, 888},
        BaseCase{"SysHex", "/dev/parport0", "0x278\n", std::nullopt, 1, 0x278},
        BaseCase{"SysBeforeProc", "/dev/parport0", "632\n", "888\t1912\n", 1, 632},
        BaseCase{"BadSysThenProc", "/dev/parport0", "junk\n", "888\t1912\n", 1, 888},
        BaseCase{"SecondPort", "/dev/parport1", std::nullopt, "632\t1656\n", 1, 632},
        BaseCase{"NoFiles", "/dev/parport0", std::nullopt, std::nullopt, 0, 0},
        BaseCase{"ZeroBase", "/dev/parport0", std::nullopt, "0\t0\n", 0, 0},
        BaseCase{"EmptyFile", "/dev/parport0", "", "", 0, 0},
        BaseCase{"NegativeText", "/dev/parport0", std::nullopt, "-888\n", 0, 0},
        BaseCase{"NoRoomForRegisters", "/dev/parport0", std::nullopt, "65535\n", 0, 0},
        BaseCase{"TooLarge", "/dev/parport0", std::nullopt, "99999999999\n", 0, 0},
        BaseCase{"DeviceWithoutNumber", "/dev/lp", std::nullopt, "888\n", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Direct I/O

TEST(DirectIoPortTest, UnclaimedPortTouchesNothing) {
    DirectIoPort port(0x378);
    EXPECT_FALSE(port.claimed());
    for (uint16_t address : {0x378, 0x379, 0x37A}) {
        EXPECT_EQ(port.InByte(address), 0xFF);
        port.OutByte(address, 0x1A);
    }
    ParallelPortInfo info;
    EXPECT_NE(port.GetParallelPortInfo(1, info), 0);
    EXPECT_EQ(info.baseAddress, 0x378u);
    EXPECT_EQ(port.describe(), "direct I/O at 0x378");
}

TEST(DirectIoPortTest, RangePastLastAddressIsRefused) {
    DirectIoPort port(0xFFFE);
    EXPECT_EQ(port.ClaimParallelPort(1, -1), 0);
    EXPECT_FALSE(port.claimed());
    EXPECT_FALSE(port.lastError().empty());
    EXPECT_EQ(port.InByte(0xFFFE), 0xFF);
}

TEST(DirectIoPortTest, ClaimEitherSucceedsOrExplains) {
    DirectIoPort port(0x378);
    const int result = port.ClaimParallelPort(1, -1);
    EXPECT_EQ(result != 0, port.claimed());
    if (result == 0) {
        EXPECT_FALSE(port.lastError().empty());
        EXPECT_EQ(port.InByte(0x379), 0xFF);
    }
    // With or without permission, addresses outside the port's three registers are not touched.
    EXPECT_EQ(port.InByte(0x80), 0xFF);
    EXPECT_EQ(port.InByte(0x37B), 0xFF);
}

// ---------------------------------------------------------------------------------------------
// Trace

class FlushCountingPort : public test::RecordingPort {
public:
    int flushes = 0;
    void flush() override { ++flushes; }
};

struct TraceCase {
    bool write;
    uint16_t address;
    uint8_t value;
    const char* line;
};

class TraceLineTest : public ::testing::TestWithParam<TraceCase> {};

TEST_P(TraceLineTest, OneLinePerAccess) {
    const TraceCase& c = GetParam();
    TempDir dir;
    test::RecordingPort inner;
    inner.fixed[c.address] = c.value;
    std::string error;
    auto trace = TracePort::open(inner, (dir.path() / "trace.txt").string(), error);
    ASSERT_NE(trace, nullptr) << error;
    if (c.write) {
        trace->OutByte(c.address, c.value);
    } else {
        EXPECT_EQ(trace->InByte(c.address), c.value);
    }
    trace->flush();
    const auto lines = linesOf(dir.path() / "trace.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("# ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], c.line);
    EXPECT_EQ(inner.log, (std::vector<test::PortAccess>{{c.write, c.address, c.value}}));
}

INSTANTIATE_TEST_SUITE_P(Lines, TraceLineTest,
                         ::testing::Values(TraceCase{true, 0x378, 0x1A, "W 0378 1A"},
                                           TraceCase{false, 0x379, 0x7F, "R 0379 7F"},
                                           TraceCase{false, 0x0001, 0x00, "R 0001 00"},
                                           TraceCase{true, 0x3BE, 0x0B, "W 03BE 0B"},
                                           TraceCase{true, 0xFFFF, 0xFF, "W FFFF FF"},
                                           TraceCase{false, 0x27A, 0xC4, "R 027A C4"}));

TEST(TracePortTest, RecordsClaimsAndPortInfo) {
    TempDir dir;
    const auto file = dir.path() / "trace.txt";
    test::RecordingPort inner;
    std::string error;
    {
        auto trace = TracePort::open(inner, file.string(), error);
        ASSERT_NE(trace, nullptr) << error;
        ParallelPortInfo info;
        EXPECT_EQ(trace->ClaimParallelPort(1, -1), 1);
        EXPECT_EQ(trace->GetParallelPortInfo(1, info), 1);
        EXPECT_EQ(info.baseAddress, 0x378u);
        inner.claimResult = 0;
        inner.infoResult = 0;
        EXPECT_EQ(trace->ClaimParallelPort(2, -1), 0);
        EXPECT_EQ(trace->GetParallelPortInfo(2, info), 0);
    }  // closing writes everything out
    const auto lines = linesOf(file);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "# port trace of recording port");
    EXPECT_EQ(lines[1], "# claim port 1 -> 1");
    EXPECT_EQ(lines[2], "# port info 1 -> base 0378");
    EXPECT_EQ(lines[3], "# claim port 2 -> 0");
    EXPECT_EQ(lines[4], "# port info 2 -> 0");
}

TEST(TracePortTest, FlushWritesEveryBufferedLineAndFlushesInner) {
    TempDir dir;
    const auto file = dir.path() / "trace.txt";
    FlushCountingPort inner;
    inner.reader = [](uint16_t address) { return static_cast<uint8_t>(address); };
    std::string error;
    auto trace = TracePort::open(inner, file.string(), error);
    ASSERT_NE(trace, nullptr) << error;
    constexpr int kAccesses = 20000;  // several buffers' worth
    for (int i = 0; i < kAccesses; ++i) {
        const auto address = static_cast<uint16_t>(0x300 + i % 256);
        if (i % 2) trace->OutByte(address, static_cast<uint8_t>(i));
        else trace->InByte(address);
    }
    trace->flush();
    EXPECT_EQ(inner.flushes, 1);
    const auto lines = linesOf(file);  // the trace is still open
    ASSERT_EQ(lines.size(), 1u + kAccesses);
    EXPECT_EQ(lines[1], "R 0300 00");
    EXPECT_EQ(lines[2], "W 0301 01");
    EXPECT_EQ(lines.back(), "W 031F 1F");  // i = 19999: 0x300 + 31, value 19999 & 0xFF
}

TEST(TracePortTest, UnwritableFileIsReportedNotFatal) {
    TempDir dir;
    const std::string path = (dir.path() / "no-such-folder" / "trace.txt").string();
    std::string error;
    test::RecordingPort inner;
    EXPECT_EQ(TracePort::open(inner, path, error), nullptr);
    EXPECT_NE(error.find(path), std::string::npos) << error;

    std::unique_ptr<PortIo> owned = std::make_unique<test::RecordingPort>();
    error.clear();
    EXPECT_EQ(TracePort::open(owned, path, error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_NE(owned, nullptr) << "a failed trace must leave the port to the caller";
}

TEST(TracePortTest, OwningTraceTakesThePort) {
    TempDir dir;
    std::unique_ptr<PortIo> owned = std::make_unique<test::RecordingPort>();
    std::string error;
    auto trace = TracePort::open(owned, (dir.path() / "trace.txt").string(), error);
    ASSERT_NE(trace, nullptr) << error;
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(trace->InByte(0x379), 0xFF);
    EXPECT_NE(trace->describe().find("recording port"), std::string::npos);
}

} // namespace
} // namespace qb::platform
