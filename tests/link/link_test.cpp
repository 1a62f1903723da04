// The board link: the exact data-register bytes of a send, the sampling of a receive, the two
// ready-line waits and their limits, the resets, the rounding of a register value; start-up with
// its Windows-version branches, port failures, "/SS" status, exact traffic, mode decoding and
// command-line clock; an unknown port (the board is left alone); a start on the simulated board.
#include <cmath>
#include <functional>
#include <tuple>

#include <gtest/gtest.h>

#include "app/SimPort.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::linktest {
namespace {

using link::kNoData;
using test::PortAccess;

constexpr uint16_t kBase = 0x378, kStatus = kBase + 1, kControl = kBase + 2;

// For waits of millions of polls: reads give `status` until read number `readyAt` (1-based), then
// 0, and are only counted; the log holds the writes.
struct CountingPort : test::RecordingPort {
    uint8_t status = 0xFF;
    int64_t readyAt = -1, reads = 0;
    int64_t flipEvery = 0;  // a floating data-out line: flips at every flipEvery-th read
    uint8_t InByte(uint16_t) override {
        if (++reads >= readyAt && readyAt > 0) return 0;
        return (flipEvery && (reads / flipEvery) % 2) ? status ^ 0x10 : status;
    }
};

template <class Port = test::RecordingPort>
struct Rig {
    Port port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx;
    explicit Rig(std::string commandLine = "", int address = kBase)
        : ctx{port, messages, settings, std::move(commandLine)} {
        settings.PortAddress = static_cast<int16_t>(address);
    }
    // Control-register reads give `control`; other reads play `bits` in turn ('1'/'0' data-out
    // with the ready line low, 'b' busy), then 0xFF.
    void script(const std::string& bits, uint8_t control = 0xFF) {
        port.reader = [bits, control, next = size_t{0}](uint16_t address) mutable -> uint8_t {
            if (address == kControl) return control;
            if (next == bits.size()) return 0xFF;
            const char c = bits[next++];
            return c == '1' ? 0x10 : c == 'b' ? 0x40 : 0x00;
        };
    }
};

// The data-register bytes of serial sends of these bits: each 26, then 26+b, 18+b, 26+b per bit,
// then 26.
std::vector<int> sendBytes(std::initializer_list<std::string> sends) {
    std::vector<int> out;
    for (const std::string& bits : sends) {
        out.push_back(26);
        for (char c : bits) out.insert(out.end(), {26 + (c == '1'), 18 + (c == '1'), 26 + (c == '1')});
        out.push_back(26);
    }
    return out;
}

const std::string kNoPrinterPort = "This PC does not appear to have a Printer Port";

link::VersionQuery version(std::string text) { return [text] { return text; }; }

TEST(WriteSerial, ByteThirtyThreeAsEightBitsGivesTheListedWrites) {
    Rig rig;
    link::WriteSerial(rig.ctx, 33, kBase, 8);
    const std::vector<int> expected{26,                                  // opening
                                    26, 18, 26, 26, 18, 26,              // bits 7, 6
                                    27, 19, 27,                          // bit 5
                                    26, 18, 26, 26, 18, 26, 26, 18, 26,  // bits 4, 3, 2
                                    26, 18, 26,                          // bit 1
                                    27, 19, 27,                          // bit 0
                                    26};                                 // closing
    EXPECT_EQ(rig.port.writesTo(kBase), expected);
    EXPECT_EQ(rig.port.log.size(), 26u);  // nothing else: no reads, no other address
    rig.port.clear();
    link::WriteSerial(rig.ctx, INT32_MIN | 1, 0x278, 34);  // the address given; zeros above bit 31
    EXPECT_EQ(rig.port.writesTo(0x278), sendBytes({"001" + std::string(30, '0') + "1"}));
    EXPECT_EQ(rig.port.log.size(), 3u * 34 + 2);
}

TEST(ReadSerial, StuckLineReadsOnlyBitFourAndClocksEveryBit) {
    struct Case { uint8_t status; int16_t bits; int32_t expected; };
    for (const Case& c : std::vector<Case>{{0xFF, 16, 65535}, {0x00, 16, 0}, {0xFF, 24, 16777215},
                                           {0x00, 24, 0}, {0xEF, 16, 0}, {0x10, 8, 255},
                                           {0xFF, 32, INT32_MAX}}) {
        SCOPED_TRACE(testing::Message() << int(c.status) << " " << c.bits);
        Rig rig;
        rig.port.fixed[kStatus] = c.status;
        EXPECT_EQ(link::ReadSerial(rig.ctx, c.bits, kBase), c.expected);
        std::vector<PortAccess> expected{{true, kBase, 26}};  // then clock low, high, sample
        for (int j = 0; j < c.bits; ++j)
            expected.insert(expected.end(),
                            {{true, kBase, 18}, {true, kBase, 26}, {false, kStatus, c.status}});
        EXPECT_EQ(rig.port.log, expected);
    }
}

// A stop hook that says "stop" at its `stopAt`-th question (never when 0), counting questions.
struct StopHook {
    int stopAt = 0, asked = 0;
    std::function<bool()> hook() { return [this] { return ++asked == stopAt; }; }
};

// The stop hook is asked after every 2048 busy polls and ends the wait at once, nothing clocked;
// a hook that never says stop changes nothing, and a line that falls is read before it is asked.
TEST(ReadSerialWhenReady, PollsAtMostTenMillionTimesAndClocksNothingOnTimeOutOrStop) {
    constexpr int32_t kStopped = link::kStopped;
    struct Case { int64_t readyAt; int16_t bits; int32_t result; int64_t reads; size_t writes; int stopAt, asked; int64_t flipEvery = 0; };
    for (const Case& c : std::vector<Case>{{-1, 24, kNoData, 10'000'000, 1, 0, 4882},
                                           {10'000'000, 16, kNoData, 10'000'000, 1, 0, 4882},  // too late
                                           {9'999'999, 16, 0, 9'999'999 + 16, 1 + 2 * 16, 0, 4882},
                                           {-1, 24, kStopped, 3 * 2048, 1, 3, 3},
                                           {-1, 24, kStopped, 2048, 1, 1, 1, 3},  // data-out floating
                                           {2048, 8, 0, 2048 + 8, 1 + 2 * 8, 1, 0},
                                           {2049, 8, kStopped, 2048, 1, 1, 1}}) {
        SCOPED_TRACE(testing::Message() << c.readyAt << " stop at " << c.stopAt);
        Rig<CountingPort> rig;
        rig.port.readyAt = c.readyAt;
        rig.port.flipEvery = c.flipEvery;
        StopHook stop{c.stopAt};
        EXPECT_EQ(link::ReadSerialWhenReady(link::WithStopHook(rig.ctx, stop.hook()), c.bits, kBase), c.result);
        EXPECT_EQ(rig.port.reads, c.reads);
        EXPECT_EQ(stop.asked, c.asked);
        ASSERT_EQ(rig.port.log.size(), c.writes);
        EXPECT_EQ(rig.port.log[0], (PortAccess{true, kBase, 26}));
    }
}

TEST(ReadData, WaitsForTheReadyLineAndNeverSendsItsReadAddress) {
    Rig rig;
    rig.script("bb01011");  // busy twice, ready (its data-out sample is not used), then 1011
    link::ReadData data(rig.ctx);
    data.setReadAddress(33);
    data.setWordLength(4);
    EXPECT_EQ(data.Read(), 0b1011);
    std::vector<PortAccess> expected{{true, kBase, 26}, {false, kStatus, 0x40},
                                     {false, kStatus, 0x40}, {false, kStatus, 0x00}};
    for (uint8_t s : {0x10, 0x00, 0x10, 0x10})
        expected.insert(expected.end(), {{true, kBase, 18}, {true, kBase, 26}, {false, kStatus, s}});
    EXPECT_EQ(rig.port.log, expected);
}

TEST(WaitForReady, StopsAtTheReadyLineAfterTwoHundredThousandPollsOrWhenTheHookSaysSo) {
    using W = link::WaitOutcome;
    struct Case { uint8_t status; int64_t readyAt, reads; W outcome; int stopAt = 0; int64_t flipEvery = 0; };
    for (const Case& c : std::vector<Case>{{0xBF, -1, 1, W::Ready},  // only the ready bit counts
                                           {0xFF, 1, 1, W::Ready},
                                           {0xFF, 200'000, 200'000, W::Ready},
                                           {0xFF, 200'001, 200'000, W::TimedOut},
                                           {0xFF, -1, 200'000, W::TimedOut},
                                           {0xFF, -1, 5 * 2048, W::Stopped, 5},
                                           {0xFF, -1, 200'000, W::TimedOut, 0, 3},  // data-out floating
                                           {0xFF, 2048, 2048, W::Ready, 1}}) {
        SCOPED_TRACE(testing::Message() << c.readyAt << " stop at " << c.stopAt);
        Rig<CountingPort> rig;
        rig.port.status = c.status;
        rig.port.readyAt = c.readyAt;
        rig.port.flipEvery = c.flipEvery;
        StopHook stop{c.stopAt};
        EXPECT_EQ(link::WaitForReady(link::WithStopHook(rig.ctx, stop.hook())), c.outcome);
        EXPECT_EQ(rig.port.reads, c.reads);
        EXPECT_TRUE(rig.port.log.empty());
        EXPECT_EQ(rig.messages.texts(), c.outcome == W::TimedOut ? std::vector<std::string>{"DRDY High Too Long!"}
                                                                  : std::vector<std::string>{});
    }
}

// A poll of the ready line runs to the line or its limit, however the other lines move meanwhile.
TEST(PollReadyLine, RunsToTheReadyLineOrTheLimitThroughAFloatingDataLine) {
    struct Case { int64_t readyAt, flipEvery, reads; bool ready; };
    for (const Case& c : std::vector<Case>{{-1, 0, 10'000, false}, {-1, 3, 10'000, false}, {5000, 3, 5000, true}}) {
        SCOPED_TRACE(testing::Message() << c.readyAt << " flipping every " << c.flipEvery);
        Rig<CountingPort> rig;
        rig.port.readyAt = c.readyAt;
        rig.port.flipEvery = c.flipEvery;
        const link::ReadyPoll poll = link::PollReadyLine(rig.ctx, kBase, 10'000);
        EXPECT_EQ(std::make_pair(poll.reads, poll.ready), std::make_pair(int32_t(c.reads), c.ready));
        EXPECT_EQ(rig.port.reads, c.reads);
    }
}

TEST(Resets, ClockThirtyTwoOnesOrPulseTheResetLineAtTheUnsignedAddress) {
    Rig rig("", static_cast<int16_t>(0xD000));
    link::InterfaceReset(rig.ctx);
    std::vector<int> expected;
    for (int i = 0; i < 32; ++i) expected.insert(expected.end(), {19, 27});
    expected.push_back(26);
    EXPECT_EQ(rig.port.writesTo(0xD000), expected);
    EXPECT_EQ(rig.port.log.size(), 65u);
    rig.port.clear();
    link::DeviceReset(rig.ctx);
    link::OutPort(rig.ctx, 0x37A, 0x1D4);  // the low byte only
    EXPECT_EQ(rig.port.log,
              (std::vector<PortAccess>{{true, 0xD000, 24}, {true, 0xD000, 26}, {true, 0x37A, 0xD4}}));
}

TEST(Register, WriteSendsTheCommsByteThenTheValueRoundedHalfToEvenOrNothingAtAll) {
    struct Case { int16_t address, bits; double value; std::string comms, sent; };  // no comms: refused
    for (const Case& c : std::vector<Case>{
             {3, 24, 4194320, "00000011", "010000000000000000010000"},
             {2, 16, 2.5, "00000010", "0000000000000010"},
             {2, 16, 3.5, "00000010", "0000000000000100"},
             {4, 8, -0.5, "00000100", "00000000"},
             {6, 24, 16777215.5, "00000110", std::string(24, '0')},  // rounds into bit 24
             {2, 16, NAN, "", ""}, {2, 16, INFINITY, "", ""}, {2, 16, 2147483647.5, "", ""},
             {2, 16, -2147483648.6, "", ""}, {2, 16, 1e12, "", ""}}) {
        SCOPED_TRACE(c.value);
        Rig rig;
        link::Register reg(rig.ctx);
        reg.setReadAddress(99);  // must not appear
        reg.setWriteAddress(c.address);
        reg.setWordLength(c.bits);
        reg.setRegValue(c.value);
        rig.settings.PortAddress = 0x3BC;  // the port chosen after the register was made
        reg.WriteReg();
        const std::vector<int> expected = c.comms.empty() ? std::vector<int>{} : sendBytes({c.comms, c.sent});
        EXPECT_EQ(rig.port.writesTo(0x3BC), expected);
        EXPECT_EQ(rig.port.log.size(), expected.size());
        const std::vector<std::string> told{link::kRegisterValueMessage};
        EXPECT_EQ(rig.messages.texts(), c.comms.empty() ? told : std::vector<std::string>{});
    }
}

TEST(InitPort, OldWindowsTakes888OthersClaimAndQueryThenTheControlRegisterIsMasked) {
    const std::vector<std::pair<std::string, bool>> table{
        {"Windows 95", false}, {"build 1998", false}, {"Windows NT 4.0", true},
        {"Windows 2000", true}, {"Failed", true}, {"", true}};
    for (const auto& [text, claims] : table) {
        SCOPED_TRACE(text);
        Rig rig("", 0);
        rig.port.infoBase = 0x3BC;
        rig.port.fixed[claims ? 0x3BE : 0x37A] = 0x6F;
        link::InitPort(rig.ctx, version(text));
        EXPECT_EQ(rig.port.claims, claims ? 1 : 0);
        EXPECT_EQ(rig.settings.PortAddress, claims ? 0x3BC : 888);
        const uint16_t control = static_cast<uint16_t>(rig.settings.PortAddress + 2);
        EXPECT_EQ(rig.port.log, (std::vector<PortAccess>{{false, control, 0x6F}, {true, control, 0x44}}));
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

TEST(InitPort, RefusedClaimAndFailedQueryAreReportedAndStartUpCarriesOn) {
    struct Case { int claim, info; uint32_t base; std::string text; int address; std::string reason = {}; };
    for (const Case& c : std::vector<Case>{{0, 1, 0x378, "claim parallel port failed", 0x378},
                                           {0, 1, 0x378, "claim parallel port failed\n/dev/parport0: cannot open: Permission denied",
                                            0x378, "/dev/parport0: cannot open: Permission denied"},  // the port's reason below
                                           {1, 0, 0x378, kNoPrinterPort, 632},
                                           {1, 1, 0x10378, kNoPrinterPort, 632}}) {
        SCOPED_TRACE(c.text);
        Rig rig("", 632);
        rig.port.claimResult = c.claim;
        rig.port.claimFailure = c.reason;
        rig.port.infoResult = c.info;
        rig.port.infoBase = c.base;  // beyond the I/O space it would alias another address
        link::InitPort(rig.ctx, version("Windows 2000"));
        ASSERT_EQ(rig.messages.texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(rig.messages.shown[0].title, c.claim ? "GetPortAddress Error" : "");
        EXPECT_EQ(rig.settings.PortAddress, c.address);
        EXPECT_EQ(rig.port.writesTo(static_cast<uint16_t>(c.address + 2)).size(), 1u);
    }
}

TEST(StartUp, SlashSsAnywhereShowsTheStatusAndOnlyTheWholeCommandLineLSelectsTheSlowClock) {
    struct Case { std::string commandLine; bool shown; int32_t clockHz; };
    for (const Case& c : std::vector<Case>{{"/SS", true, 4915200}, {"/ss", true, 4915200},
                                           {"x/sSy", true, 4915200}, {"L /SS", true, 4915200},
                                           {"", false, 4915200}, {"/S S", false, 4915200},
                                           {"SS", false, 4915200}, {"L", false, 2457600},
                                           {"l", false, 2457600}, {"LL", false, 4915200},
                                           {" L", false, 4915200}, {"Low", false, 4915200}}) {
        SCOPED_TRACE(c.commandLine);
        Rig rig(c.commandLine, 0);
        rig.script("0010000110110000" "100000000000000000010000");  // mode 21B0, filter 800010: a converter
        link::StartUp(rig.ctx, version("Windows 98"));
        EXPECT_EQ(rig.settings.MasterClockHz, c.clockHz);
        ASSERT_EQ(rig.messages.shown.size(), c.shown ? 1u : 0u);
        if (!c.shown) continue;
        EXPECT_EQ(rig.messages.shown[0].text, "Windows Version:Windows 98\rPort Address:0x378");
        EXPECT_EQ(rig.messages.shown[0].title, "Show Status");
        EXPECT_EQ(rig.messages.shown[0].icon, platform::MsgIcon::Information);
    }
    Rig high("/SS", 0);
    high.port.infoBase = 0xD000;
    link::InitPort(high.ctx, version(""));
    EXPECT_EQ(high.port.writesTo(0xD002).size(), 1u);
    EXPECT_EQ(high.messages.texts(), (std::vector<std::string>{"Windows Version:\rPort Address:0xD000"}));
}

TEST(InitSettings, ExactStartUpTrafficAndAdoptedRegisters) {
    Rig rig("", 0);
    rig.settings.TurnOffOutputsChosen = rig.settings.DialogChoice = rig.settings.UpdatingControls = 1;
    rig.settings.MasterClockHz = 1;
    const std::string mode = "0010000110110000", filter = "100000000000000000010000";
    rig.script(mode + filter, 0xEF);

    link::InitSettings(rig.ctx);  // Linux: no Windows version, so the claim and query path

    std::vector<PortAccess> expected{{false, kControl, 0xEF}, {true, kControl, 0xEF & 212},
                                     {true, kBase, 11}};
    auto read = [&](const std::string& comms, const std::string& bits) {
        for (int b : sendBytes({comms})) expected.push_back({true, kBase, static_cast<uint8_t>(b)});
        expected.push_back({true, kBase, 26});
        for (char c : bits)
            expected.insert(expected.end(), {{true, kBase, 18}, {true, kBase, 26},
                                             {false, kStatus, static_cast<uint8_t>(c == '1' ? 0x10 : 0)}});
    };
    read("00010010", mode);
    read("00010011", filter);
    EXPECT_EQ(rig.port.log, expected);
    const link::SharedSettings& s = rig.settings;
    EXPECT_EQ(s.ModeRegValue, 0x21B0);
    EXPECT_EQ(s.FilterRegValue, 0x800010);
    EXPECT_EQ(s.MasterClockHz, 4915200);
    EXPECT_EQ(s.TurnOffOutputsChosen + s.DialogChoice + s.UpdatingControls, 0);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(DecodeModeRegister, EveryFieldFromItsBitsWhateverItHeldBefore) {
    struct Row { int32_t mode; int16_t wordLength, polarity, rangeMv; double ref; int16_t outputs; };
    for (const Row& r : std::vector<Row>{{0x0180, 24, 2, 10, 5.0, 0}, {0x31B2, 24, 1, 80, 5.0, 0},
                                         {0x0830, 16, 2, 80, 2.5, 1}, {0x21B0, 24, 2, 80, 5.0, 0},
                                         {0x0010, 16, 2, 20, 2.5, 0}, {0x0020, 16, 2, 40, 2.5, 0},
                                         {0x0000, 16, 2, 10, 2.5, 0}, {0xFFFF, 24, 1, 80, 5.0, 1},
                                         {-1, 24, 1, 80, 5.0, 1}, {0xE64F, 16, 2, 10, 2.5, 0}}) {
        SCOPED_TRACE(r.mode);
        link::SharedSettings s;  // every field starts at the other choice
        s.WordLengthBits = static_cast<int16_t>(40 - r.wordLength);
        s.Polarity = static_cast<int16_t>(3 - r.polarity);
        s.RefVoltage = 7.5 - r.ref;
        s.DigitalOutputsOn = static_cast<int16_t>(1 - r.outputs);
        s.ModeRegValue = r.mode;
        link::DecodeModeRegister(s);
        EXPECT_EQ(std::tie(s.WordLengthBits, s.Polarity, s.InputRangeMv, s.RefVoltage, s.DigitalOutputsOn),
                  std::tie(r.wordLength, r.polarity, r.rangeMv, r.ref, r.outputs));
    }
}

// A headless command is told how to name a port on its command line, not which button to press.
// Start-up reports that no converter answered, without a second message.
TEST(NoPort, StartUpWithoutAnAddressTouchesNoPortAndSaysSoOnce) {
    for (const bool refused : {true, false}) {  // no address, or the port layer reports 0
      for (const bool headless : {false, true}) {
        Rig rig("/SS", 0);
        rig.ctx.headless = headless;
        rig.port.infoResult = refused ? 0 : 1;
        rig.port.infoBase = 0;
        EXPECT_FALSE(link::StartUp(rig.ctx, version("")));
        EXPECT_TRUE(rig.port.log.empty());
        std::vector<std::string> texts{headless ? link::kNoPortHeadlessMessage : link::kNoPortMessage,
                                       "Windows Version:\rPort Address:0x0"};
        if (refused) texts.insert(texts.begin(), kNoPrinterPort);
        EXPECT_EQ(rig.messages.texts(), texts);
        // What an absent board shows: a floating data-out line, read as ones.
        EXPECT_EQ(rig.settings.ModeRegValue, 0xFFFF);
        EXPECT_EQ(rig.settings.FilterRegValue, 0xFFFFFF);
      }
    }
}

// No working converter holds both registers all ones (a floating line) or all zeros, or a
// filter word below 19; a sane filter register beside any mode register could be a converter.
TEST(StartUp, RegistersNoConverterHoldsAreNamedOnceWithThePortAndTheCauses) {
    const struct { int32_t mode, filter; bool answered; } table[] = {
        {0xFFFF, 0xFFFFFF, false}, {0, 0, false}, {0x21B0, 0x012010, false}, {0x21B0, 0x800000, true},
        {0x21B0, 0x013010, true}, {0xFFFF, 0x800010, true}, {0, 0x800010, true}, {0x21B0, 0x7FF010, true}};
    for (const auto& c : table) {
        link::SharedSettings s;
        s.ModeRegValue = c.mode, s.FilterRegValue = c.filter;
        EXPECT_EQ(link::ConverterAnswered(s), c.answered) << std::hex << c.mode << " " << c.filter;
    }
    for (const bool headless : {false, true}) {
        board::SimOptions absent;
        absent.fault = board::Fault::Absent;
        app::SimPort sim(absent, board::TimeMode::Virtual);
        test::ScriptedMessages messages;
        link::SharedSettings s;
        link::Context ctx{sim, messages, s, ""};
        ctx.headless = headless;
        EXPECT_FALSE(link::StartUp(ctx));
        const std::string says = "The QB4160 does not answer on simulated board (virtual time, fault absent) (port "
                                 "address 0x378): the mode register reads FFFF and the filter register FFFFFF, which "
                                 "no working converter holds. Check that the board is on this port, connected and "
                                 "powered. ";
        EXPECT_EQ(messages.texts(), std::vector<std::string>{says + (headless ? "Name another port with --board=ppdev:DEVICE "
                                                                               "or --board=io:ADDRESS."
                                                                             : "Another port can be chosen with \"Select "
                                                                               "Printer Port\" on the main menu.")});
    }
}

TEST(NoPort, UsableAddressesKeepZeroToTwoOutOfReach) {
    for (const auto& [address, usable] : std::vector<std::pair<int, bool>>{
             {0, false}, {2, false}, {3, true}, {0x7FFF, true}, {0xFFFD, true}, {0xFFFE, false},
             {0xFFFF, false}})
        EXPECT_EQ(link::PortUsable(static_cast<int16_t>(address)), usable) << address;
}

TEST(NoPort, EveryAccessLeavesTheBoardAloneAndTellsOnceUntilAPortIsChosen) {
    using C = const link::Context&;
    const std::vector<std::function<void(C)>> accesses{
        [](C c) { link::OutPort(c, 2, 7); EXPECT_EQ(link::InPort(c, 1), 255); },
        [](C c) { link::WriteSerial(c, 33, c.settings.PortAddress, 8); },
        [](C c) { EXPECT_EQ(link::ReadSerial(c, 24, c.settings.PortAddress), 16777215); },
        [](C c) { EXPECT_EQ(link::ReadSerialWhenReady(c, 24, c.settings.PortAddress), link::kNoData); },
        [](C c) { link::WaitForReady(c); },
        [](C c) { link::InterfaceReset(c); link::DeviceReset(c); }};
    for (const int address : {0, 1, 2, -2, -1}) {
        for (size_t i = 0; i < accesses.size(); ++i) {
            SCOPED_TRACE(testing::Message() << address << " access " << i);
            Rig rig("", address);
            accesses[i](rig.ctx);
            accesses[i](rig.ctx);
            EXPECT_TRUE(rig.port.log.empty());
            EXPECT_EQ(rig.messages.texts(), (std::vector<std::string>{link::kNoPortMessage}));
        }
    }
    Rig rig("", 0);
    link::DeviceReset(rig.ctx);
    rig.settings.PortAddress = 888;  // the user picks LPT1: the board is reached, no further message
    accesses[0](rig.ctx);            // but a stray absolute address is still refused
    rig.port.fixed[889] = 0x00;
    link::DeviceReset(rig.ctx);
    link::WaitForReady(rig.ctx);
    EXPECT_EQ(rig.port.log, (std::vector<PortAccess>{{true, 888, 24}, {true, 888, 26}, {false, 889, 0}}));
    EXPECT_EQ(rig.messages.shown.size(), 1u);
}

TEST(SimulatedBoard, StartUpAdoptsThePowerOnRegistersAndContinuousReadDelivers) {
    app::SimPort sim;
    test::ScriptedMessages messages;
    link::SharedSettings s;
    const link::Context ctx{sim, messages, s, ""};
    link::StartUp(ctx);
    EXPECT_EQ(s.ModeRegValue, 0x21B0);
    EXPECT_EQ(s.FilterRegValue, 0x800010);
    link::ReadData data(ctx);
    data.setWordLength(24);
    link::WriteSerial(ctx, link::comms::kStartContinuousRead, s.PortAddress, 8);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(data.Read(), 0x900000, 64) << i;  // +10 mV of 80 mV
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace qb::linktest
