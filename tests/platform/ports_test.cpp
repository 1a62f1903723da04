// The real port backends (ppdev, direct I/O) and the tracing port.
#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/resource.h>

#include <csignal>

#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/port/DirectIoPort.h"
#include "platform/port/PpdevPort.h"
#include "platform/port/TracePort.h"
#include "support/RecordingPort.h"
#include "support/TraceReader.h"

namespace qb::platform {
namespace {

namespace fs = std::filesystem;

// ---- ppdev --------------------------------------------------------------------------------------

struct Request {
    unsigned long request;
    int argument;  // the byte or int passed in; -1 for requests without one
    bool operator==(const Request&) const = default;
};
using Requests = std::vector<Request>;

// A ppdev device in memory: records every request; reads give 5Ah (data), 7Fh (status), C4h
// (control); an open that fails says EACCES.
struct FakeState {
    bool openFails = false, claimFails = false, transfersFail = false;
    Requests requests;
    int closes = 0;
};

struct FakePpdev : PpdevSystem {
    FakeState& state;
    explicit FakePpdev(FakeState& s) : state(s) {}
    int open(const std::string&) override {
        errno = EACCES;
        return state.openFails ? -1 : 42;
    }
    int ioctl(int fd, unsigned long request, void* argument) override {
        EXPECT_EQ(fd, 42);
        auto* byte = static_cast<unsigned char*>(argument);
        int value = -1;
        if (request == PPWDATA || request == PPWCONTROL) value = *byte;
        if (request == PPDATADIR) value = *static_cast<int*>(argument);
        state.requests.push_back({request, value});
        errno = EIO;
        const bool transfer = request != PPCLAIM && request != PPRELEASE;
        if ((request == PPCLAIM && state.claimFails) || (state.transfersFail && transfer)) return -1;
        if (request == PPRDATA || request == PPRSTATUS || request == PPRCONTROL)
            *byte = request == PPRDATA ? 0x5A : request == PPRSTATUS ? 0x7F : 0xC4;
        return 0;
    }
    void close(int) override { ++state.closes; }
};

// A port is claimed once and released at the end; a refused one is left untouched and says why,
// in words a user can act on (a device that is not a parallel port through the real system
// calls; a missing device, one the user may not open and a busy one are the emulated port's).
TEST(PpdevPort, ClaimsOnceReleasesAtTheEndAndARefusedPortSaysWhy) {
    PpdevPort notAPort("/dev/null");
    EXPECT_EQ(notAPort.ClaimParallelPort(1, -1), 0);
    EXPECT_EQ(notAPort.failureReason(), "/dev/null: not a parallel port device (Inappropriate ioctl for device)");
    struct Case { bool openFails, claimFails; Requests requests; int closes; std::string reason; };
    for (const Case& c : {Case{true, false, {}, 0, "/dev/parport0: cannot open: Permission denied (the user needs "
                                                   "read and write access to the device, usually through the lp group)"},
                          Case{false, true, {{PPCLAIM, -1}, {PPCLAIM, -1}}, 2,
                               "/dev/parport0: cannot claim the port: Input/output error"},
                          Case{false, false, {{PPCLAIM, -1}, {PPRSTATUS, -1}, {PPWDATA, 0x1A}, {PPRELEASE, -1}}, 1, ""}}) {
        FakeState state;
        state.openFails = c.openFails;
        state.claimFails = c.claimFails;
        {
            PpdevPort port("/dev/parport0", std::make_unique<FakePpdev>(state));
            const int claimed = c.openFails || c.claimFails ? 0 : 1;
            EXPECT_EQ(port.ClaimParallelPort(1, -1), claimed);
            EXPECT_EQ(port.ClaimParallelPort(1, -1), claimed);  // a second claim keeps the first
            EXPECT_EQ(port.failureReason(), c.reason);
            EXPECT_EQ(port.InByte(0x379), claimed ? 0x7F : 0xFF);
            port.OutByte(0x378, 0x1A);
        }
        EXPECT_EQ(state.requests, c.requests) << "open fails: " << c.openFails;
        EXPECT_EQ(state.closes, c.closes);
    }
}

TEST(PpdevPort, MapsTheThreeAddressesAtTheBaseToRegisterRequests) {
    struct Case { bool write; uint16_t address; uint8_t value; Requests requests; };
    const Case cases[] = {
        {false, 0x378, 0x5A, {{PPRDATA, -1}}}, {false, 0x379, 0x7F, {{PPRSTATUS, -1}}},
        {false, 0x37A, 0xC4, {{PPRCONTROL, -1}}}, {false, 0x377, 0xFF, {}}, {false, 0x37B, 0xFF, {}},
        {true, 0x378, 0x1A, {{PPWDATA, 0x1A}}}, {true, 0x379, 0x1A, {}},
        // The direction bit (20h) of the control register goes to PPDATADIR, the rest to PPWCONTROL.
        {true, 0x37A, 0xC4, {{PPWCONTROL, 0x04}, {PPDATADIR, 0}}},
        {true, 0x37A, 0x2B, {{PPWCONTROL, 0x0B}, {PPDATADIR, 1}}}};
    FakeState state;
    PpdevPort port("/dev/parport0", std::make_unique<FakePpdev>(state));
    ASSERT_NE(port.ClaimParallelPort(1, -1), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.write ? "write " : "read ") << std::hex << c.address);
        state.requests.clear();
        if (c.write) port.OutByte(c.address, c.value);
        else EXPECT_EQ(port.InByte(c.address), c.value);
        EXPECT_EQ(state.requests, c.requests);
    }
    state.transfersFail = true;
    EXPECT_EQ(port.InByte(0x379), 0xFF);
    EXPECT_NE(port.lastError().find("status"), std::string::npos) << port.lastError();
}

// The base comes from sysfs (hex or decimal) before procfs, for the device's own port number;
// traffic follows the reported base, or 378h when none was reported.
TEST(PpdevPort, ReportsTheKernelsBaseAndTalksAtIt) {
    struct Case { const char* name; const char* device; const char* sys; const char* proc; uint32_t base; };
    const Case cases[] = {  // sys: /sys/class/.../base_addr, proc: /proc/sys/.../base-addr; nullptr: no file
        {"proc decimal", "/dev/parport0", nullptr, "888\t1912\n", 888},
        {"sys hex before proc", "/dev/parport0", "0x278\n", "888\t1912\n", 0x278},
        {"bad sys, then proc", "/dev/parport0", "junk\n", "0x378\t1912\n", 888},
        {"second port", "/dev/parport1", nullptr, "632\t1656\n", 632},
        {"no files", "/dev/parport0", nullptr, nullptr, 0},
        {"device without a number", "/dev/lp", nullptr, "888\n", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const fs::path root = tmp.path().toStdString();
        for (const char* n : {"0", "1"}) {  // parport0 holds another count when parport1 is asked for
            const bool other = std::string(c.device) == "/dev/parport1" && *n == '0';
            const fs::path sys = root / "sys/class/parport" / ("parport" + std::string(n));
            const fs::path proc = root / "proc/sys/dev/parport" / ("parport" + std::string(n));
            fs::create_directories(sys), fs::create_directories(proc);
            if (c.sys || other) std::ofstream(sys / "base_addr") << (other ? "956\n" : c.sys);
            if (c.proc || other) std::ofstream(proc / "base-addr") << (other ? "956\t1980\n" : c.proc);
        }
        FakeState state;
        PpdevPort port(c.device, std::make_unique<FakePpdev>(state), root.string());
        ParallelPortInfo info;
        EXPECT_EQ(port.GetParallelPortInfo(1, info), c.base ? 1 : 0);
        EXPECT_EQ(info.baseAddress, c.base);
        EXPECT_EQ(port.lastError().empty(), c.base != 0);
        const uint16_t base = c.base ? static_cast<uint16_t>(c.base) : 0x378;
        ASSERT_NE(port.ClaimParallelPort(1, -1), 0);
        EXPECT_EQ(port.InByte(base + 1), 0x7F);
        EXPECT_EQ(port.InByte(base == 0x378 ? 0x279 : 0x379), 0xFF);
    }
}

// ---- direct I/O ---------------------------------------------------------------------------------

TEST(DirectIoPort, ReportsItsBaseAndTouchesNothingUntilClaimed) {
    DirectIoPort port(0x378), high(0xFFFE);
    ParallelPortInfo info;
    EXPECT_NE(port.GetParallelPortInfo(1, info), 0);
    EXPECT_EQ(info.baseAddress, 0x378u);
    EXPECT_EQ(port.InByte(0x379), 0xFF);  // unclaimed: no I/O instruction that could fault
    EXPECT_EQ(high.ClaimParallelPort(1, -1), 0);  // the registers would run past 0xFFFF
    EXPECT_FALSE(high.lastError().empty());
}

// ---- trace --------------------------------------------------------------------------------------

std::vector<std::string> LinesOf(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One line per access, claim and port query (a refused claim with its reason) and wait of the
// program (passed on); a run of identical accesses is one line with its count. Read back, the
// trace gives exactly the accesses the port behind it saw, whether it ends by a flush (before a
// message box, several buffers' worth too) or by closing (the end of the program).
TEST(TracePort, OneLinePerAccessOrRunOfThemAndReadBackExactly) {
    using Lines = std::vector<std::string>;
    const auto reads = [](int n) {
        return [n](TracePort& t, test::RecordingPort&) {
            for (int i = 0; i < n; ++i) t.InByte(0x379);
        };
    };
    Lines many;  // 20,000 writes, no two alike in a row
    for (int i = 0; i < 20000; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "W %04X %02X", 0x300 + i % 256, i % 256);
        many.push_back(line);
    }
    // The status read n (from 1) gives: the ready line falls at read fallsAt (never at 0), and the
    // data line falls at read dataFallsAt (never at 0) while the ready line stays high.
    const struct { const char* name; int fallsAt; std::function<void(TracePort&, test::RecordingPort&)> act; Lines lines; int dataFallsAt = 0; } cases[] = {
        {"claims and queries", 0,
         [](TracePort& t, test::RecordingPort& inner) {
             ParallelPortInfo info;
             t.ClaimParallelPort(1, -1), t.GetParallelPortInfo(1, info);
             inner.claimResult = inner.infoResult = 0;
             inner.claimFailure = "/dev/parport9: cannot open: No such file or directory";
             t.ClaimParallelPort(2, -1), t.GetParallelPortInfo(2, info);
             EXPECT_EQ(t.failureReason(), inner.claimFailure);
             t.OutByte(0xFFFF, 0x0B), t.InByte(0x0001);
         },
         {"# claim port 1 -> 1", "# port info 1 -> base 0378",
          "# claim port 2 -> 0 (/dev/parport9: cannot open: No such file or directory)", "# port info 2 -> 0",
          "W FFFF 0B", "R 0001 7F"}},
        {"many writes", 0, [](TracePort& t, test::RecordingPort&) { for (int i = 0; i < 20000; ++i) t.OutByte(uint16_t(0x300 + i % 256), uint8_t(i)); }, many},
        {"a run of one", 0, reads(1), {"R 0379 7F"}},
        {"a run of two", 0, reads(2), {"R 0379 7F x2"}},
        {"a wait", 20000, reads(20000), {"R 0379 7F x19999", "R 0379 3F"}},
        {"a write between reads", 0,
         [](TracePort& t, test::RecordingPort&) { t.InByte(0x379), t.OutByte(0x378, 0x1A), t.InByte(0x379), t.InByte(0x379); },
         {"R 0379 7F", "W 0378 1A", "R 0379 7F x2"}},
        {"a flush before a message box", 0,
         [](TracePort& t, test::RecordingPort&) { t.InByte(0x379), t.InByte(0x379), t.flush(), t.InByte(0x379); },
         {"R 0379 7F x2", "R 0379 7F"}},
        {"a comment ends a run", 0,
         [](TracePort& t, test::RecordingPort&) { t.InByte(0x379), t.passTime(0.001), t.InByte(0x379); },
         {"R 0379 7F", "# wait 1 ms", "R 0379 7F"}},
        {"a poll until the ready line falls", 4,
         [](TracePort& t, test::RecordingPort&) { EXPECT_EQ(t.pollUntil(0x379, 0x40, 0, 100).reads, 4); },
         {"R 0379 7F x3", "R 0379 3F"}},
        {"a poll that reaches its limit", 0, [](TracePort& t, test::RecordingPort&) { t.pollUntil(0x379, 0x40, 0, 2); }, {"R 0379 7F x2"}},
        {"a poll that sees another value", 0, [](TracePort& t, test::RecordingPort&) { EXPECT_EQ(t.pollUntil(0x379, 0x40, 0, 100).reads, 3); },
         {"R 0379 7F x2", "R 0379 6F"}, 3},
    };
    QTemporaryDir tmp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingPort inner;
        int status = 0;
        inner.reader = [&](uint16_t) {
            ++status;
            return static_cast<uint8_t>((status == c.fallsAt ? 0x3F : 0x7F) & (status == c.dataFallsAt ? 0xEF : 0xFF));
        };
        const std::string file = tmp.filePath(c.name).toStdString();
        auto opened = TracePort::open(inner, file);
        ASSERT_TRUE(opened.ok()) << opened.error();
        std::unique_ptr<TracePort> trace = std::move(*opened);
        c.act(*trace, inner);
        trace->flush();
        EXPECT_EQ(test::ReadTrace(file), inner.log);  // complete while the program waits
        trace.reset();
        EXPECT_EQ(test::ReadTrace(file), inner.log);
        Lines lines = LinesOf(file);
        lines.erase(lines.begin());  // "# port trace of recording port"
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(inner.waits, std::string(c.name) == "a comment ends a run" ? std::vector<double>{0.001} : std::vector<double>{});
    }
}

// A trace that cannot be written (a full disk) keeps the port working and hands its first error
// out once, so the user is told once; a file that cannot be made leaves the port to the caller.
TEST(TracePort, AWriteErrorIsHandedOutOnceAndAnUnwritableFileLeavesThePort) {
    {
        // A file that may not grow (as on a full disk): writes fail with EFBIG.
        QTemporaryDir tmp;
        const std::string path = tmp.filePath("t.trace").toStdString();
        test::RecordingPort inner;
        auto opened = TracePort::open(inner, path);
        ASSERT_TRUE(opened.ok()) << opened.error();
        auto& trace = *opened;
        EXPECT_EQ(trace->takeNewError(), "");
        rlimit limit{}, none{0, RLIM_INFINITY};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &none);
        trace->OutByte(0x378, 0x1A);
        trace->flush();
        EXPECT_EQ(inner.log.size(), 1u);
        const std::string expected = "cannot write the trace file " + path + ": File too large";
        EXPECT_EQ(trace->takeNewError(), expected);
        trace->OutByte(0x378, 0x1B);
        trace->flush();
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(trace->takeNewError(), "");
        EXPECT_EQ(trace->lastError(), expected);
    }
    QTemporaryDir tmp;
    const std::string bad = tmp.filePath("no-such-folder/trace.txt").toStdString();
    std::unique_ptr<PortIo> owned = std::make_unique<test::RecordingPort>();
    EXPECT_EQ(TracePort::open(owned, bad).error(),
              "cannot write the trace file " + bad + ": the directory " + tmp.filePath("no-such-folder").toStdString() + " does not exist");
    ASSERT_NE(owned, nullptr) << "a failed trace must leave the port to the caller";
    auto opened = TracePort::open(owned, tmp.filePath("trace.txt").toStdString());
    ASSERT_TRUE(opened.ok()) << opened.error();
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ((*opened)->InByte(0x379), 0xFF);
    EXPECT_NE((*opened)->describe().find("recording port"), std::string::npos);
}

} // namespace
} // namespace qb::platform
