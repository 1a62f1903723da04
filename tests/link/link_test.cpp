// The board link: the exact data-register bytes of a send, the sampling of a receive, the two
// ready-line waits and their limits, the resets, the rounding of a register value; start-up with
// its Windows-version branches, port failures, "/SS" status, exact traffic, mode decoding and
// command-line clock; an unknown port (the board is left alone).
#include <cmath>
#include <functional>
#include <tuple>

#include <gtest/gtest.h>

#include "app/SimPort.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "support/RecordingPort.h"
#include "support/RegisterTraffic.h"
#include "support/ScriptedMessages.h"

namespace qb::linktest {
namespace {

using link::kNoData;
using test::PortAccess;
using Texts = std::vector<std::string>;

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
    // Control-register reads (base + 2, at 378h or D000h) give `control`; other reads play `bits`
    // in turn ('1'/'0' data-out with the ready line low, 'b' busy), then 0xFF.
    void script(const std::string& bits, uint8_t control = 0xFF) {
        port.reader = [bits, control, next = size_t{0}](uint16_t address) mutable -> uint8_t {
            if (address == kControl || address == 0xD002) return control;
            if (next == bits.size()) return 0xFF;
            const char c = bits[next++];
            return c == '1' ? 0x10 : c == 'b' ? 0x40 : 0x00;
        };
    }
};

// A stop hook that says "stop" at its `stopAt`-th question (never when 0), counting questions.
struct StopHook {
    int stopAt = 0, asked = 0;
    std::function<bool()> hook() { return [this] { return ++asked == stopAt; }; }
};

link::VersionQuery version(std::string text) { return [text] { return text; }; }

// A send is 26, then 26+b, 18+b, 26+b per bit, most significant first, then 26. A receive is 26, then per bit 18, 26 and a status read of which only bit 4
// counts; a stuck line reads as all ones or all zeros.
TEST(Serial, SendsAndReceivesBitByBit) {
    Rig rig;
    link::WriteSerial(rig.ctx, 33, kBase, 8);
    EXPECT_EQ(rig.port.writesTo(kBase), (std::vector<int>{26,                                  // opening
                                                           26, 18, 26, 26, 18, 26,              // bits 7, 6
                                                           27, 19, 27,                          // bit 5
                                                           26, 18, 26, 26, 18, 26, 26, 18, 26,  // bits 4, 3, 2
                                                           26, 18, 26,                          // bit 1
                                                           27, 19, 27,                          // bit 0
                                                           26}));                               // closing
    EXPECT_EQ(rig.port.log.size(), 26u);  // nothing else: no reads, no other address

    struct Case { uint8_t status; int16_t bits; int32_t expected; };
    for (const Case& c : std::vector<Case>{{0xFF, 16, 65535}, {0x00, 24, 0}, {0xFF, 24, 16777215}, {0xEF, 16, 0},
                                           {0x10, 8, 255}, {0xFF, 32, INT32_MAX}}) {
        SCOPED_TRACE(testing::Message() << int(c.status) << " " << c.bits);
        Rig reader;
        reader.port.fixed[kStatus] = c.status;
        EXPECT_EQ(link::ReadSerial(reader.ctx, c.bits, kBase), c.expected);
        std::vector<PortAccess> expected{{true, kBase, 26}};
        for (int j = 0; j < c.bits; ++j)
            expected.insert(expected.end(), {{true, kBase, 18}, {true, kBase, 26}, {false, kStatus, c.status}});
        EXPECT_EQ(reader.port.log, expected);
    }
}

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
    // ReadData waits the same way and never sends its read address.
    Rig rig;
    rig.script("bb01011");  // busy twice, ready (its data-out sample is not used), then 1011
    link::ReadData data(rig.ctx);
    data.setReadAddress(33);
    data.setWordLength(4);
    EXPECT_EQ(data.Read(), 0b1011);
    EXPECT_EQ(test::RegisterTraffic(rig.port.log), Texts{"D B"});
    EXPECT_EQ(rig.port.readsFrom(kStatus), 3 + 4);
}

TEST(WaitForReady, StopsAtTheReadyLineAfterTwoHundredThousandPollsOrWhenTheHookSaysSo) {
    using W = link::WaitOutcome;
    struct Case { uint8_t status; int64_t readyAt, reads; W outcome; int stopAt = 0; int64_t flipEvery = 0; };
    for (const Case& c : std::vector<Case>{{0xBF, -1, 1, W::Ready},  // only the ready bit counts
                                           {0xFF, 200'000, 200'000, W::Ready},
                                           {0xFF, 200'001, 200'000, W::TimedOut},
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
        EXPECT_EQ(rig.messages.texts(), c.outcome == W::TimedOut ? Texts{"DRDY High Too Long!"} : Texts{});
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
    struct Case { int16_t address, bits; double value; const char* sent; };  // none: refused
    for (const Case& c : std::vector<Case>{
             {3, 24, 4194320, "W filter 400010"}, {2, 16, 2.5, "W mode 2"}, {2, 16, 3.5, "W mode 4"},
             {4, 8, -0.5, "W DAC 0"}, {6, 24, 16777215.5, "W gain 0"},  // rounds into bit 24
             {2, 16, NAN, nullptr}, {2, 16, INFINITY, nullptr}, {2, 16, 2147483647.5, nullptr},
             {2, 16, -2147483648.6, nullptr}, {2, 16, 1e12, nullptr}}) {
        SCOPED_TRACE(c.value);
        Rig rig;
        link::Register reg(rig.ctx);
        reg.setReadAddress(99);  // must not appear
        reg.setWriteAddress(c.address);
        reg.setWordLength(c.bits);
        reg.setRegValue(c.value);
        rig.settings.PortAddress = 0x3BC;  // the port chosen after the register was made
        reg.WriteReg();
        EXPECT_EQ(test::RegisterTraffic(rig.port.log, 0x3BC), c.sent ? Texts{c.sent} : Texts{});
        EXPECT_EQ(rig.messages.texts(), c.sent ? Texts{} : Texts{link::kRegisterValueMessage});
    }
}

// Old Windows takes 888; others claim the port and ask for its base, then the control register
// is masked. A refused claim (the port's own reason below) or a failed query is said, and start-up
// carries on at 888 or at the address it had.
TEST(InitPort, OldWindowsTakes888OthersClaimAndQueryAndARefusalIsSaid) {
    struct Case { std::string version; int claim = 1, info = 1; uint32_t base = 0x3BC; int address; std::string text = {}, reason = {}; };
    const std::string none = "This PC does not appear to have a Printer Port";
    for (const Case& c : std::vector<Case>{
             {"Windows 95", 1, 1, 0x3BC, 888}, {"build 1998", 1, 1, 0x3BC, 888}, {"Windows NT 4.0", 1, 1, 0x3BC, 0x3BC},
             {"", 1, 1, 0x3BC, 0x3BC}, {"Windows 2000", 0, 1, 0x378, 0x378, "claim parallel port failed"},
             {"Windows 2000", 0, 1, 0x378, 0x378, "claim parallel port failed\n/dev/parport0: cannot open: Permission denied",
              "/dev/parport0: cannot open: Permission denied"},
             {"Windows 2000", 1, 0, 0x378, 632, none},
             {"Windows 2000", 1, 1, 0x10378, 632, none}}) {  // beyond the I/O space it would alias
        SCOPED_TRACE(c.version + " " + c.text);
        Rig rig("", 632);
        rig.port.claimResult = c.claim;
        rig.port.claimFailure = c.reason;
        rig.port.infoResult = c.info;
        rig.port.infoBase = c.base;
        const uint16_t control = static_cast<uint16_t>(c.address + 2);
        rig.port.fixed[control] = 0x6F;
        link::InitPort(rig.ctx, version(c.version));
        EXPECT_EQ(rig.port.claims, c.address == 888 && c.text.empty() ? 0 : 1);  // old Windows takes 888 unasked
        EXPECT_EQ(rig.settings.PortAddress, c.address);
        EXPECT_EQ(rig.port.log, (std::vector<PortAccess>{{false, control, 0x6F}, {true, control, 0x44}}));
        EXPECT_EQ(rig.messages.texts(), c.text.empty() ? Texts{} : Texts{c.text});
        for (const auto& m : rig.messages.shown) EXPECT_EQ(m.title, c.claim ? "GetPortAddress Error" : "");
    }
}

// "/SS" anywhere, in any case, shows the status (the address as the unsigned I/O address); only a
// command line that is exactly "L", in any case, selects the slow clock.
TEST(StartUp, SlashSsAnywhereShowsTheStatusAndOnlyTheWholeCommandLineLSelectsTheSlowClock) {
    struct Case { std::string commandLine; bool shown; int32_t clockHz; };
    for (const Case& c : std::vector<Case>{{"/ss", true, 4915200}, {"x/sSy", true, 4915200}, {"L /SS", true, 4915200},
                                           {"/S S", false, 4915200}, {"L", false, 2457600}, {"l", false, 2457600},
                                           {"LL", false, 4915200}, {" L", false, 4915200}}) {
        SCOPED_TRACE(c.commandLine);
        Rig rig(c.commandLine, 0);
        rig.port.infoBase = 0xD000;
        rig.script("0010000110110000" "100000000000000000010000");  // mode 21B0, filter 800010: a converter
        link::StartUp(rig.ctx, version("Windows 2000"));
        EXPECT_EQ(rig.settings.MasterClockHz, c.clockHz);
        EXPECT_EQ(rig.messages.texts(), Texts(c.shown, "Windows Version:Windows 2000\rPort Address:0xD000"));
        for (const auto& m : rig.messages.shown) EXPECT_TRUE(m.title == "Show Status" && m.icon == platform::MsgIcon::Information);
    }
}

TEST(InitSettings, ExactStartUpTrafficAndAdoptedRegisters) {
    Rig rig("", 0);
    rig.settings.TurnOffOutputsChosen = rig.settings.DialogChoice = rig.settings.UpdatingControls = 1;
    rig.settings.MasterClockHz = 1;
    rig.script("0010000110110000" "100000000000000000010000", 0xEF);
    link::InitSettings(rig.ctx);  // Linux: no Windows version, so the claim and query path
    EXPECT_EQ(test::RegisterTraffic(rig.port.log),
              (Texts{"in 37A", "out 37A=C4", "out B", "R mode 21B0", "R filter 800010"}));  // EF & 212, then 11
    const link::SharedSettings& s = rig.settings;
    EXPECT_EQ(std::make_tuple(s.ModeRegValue, s.FilterRegValue, s.MasterClockHz), std::make_tuple(0x21B0, 0x800010, 4915200));
    EXPECT_EQ(s.TurnOffOutputsChosen + s.DialogChoice + s.UpdatingControls, 0);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(DecodeModeRegister, EveryFieldFromItsBitsWhateverItHeldBefore) {
    struct Row { int32_t mode; int16_t wordLength, polarity, rangeMv; double ref; int16_t outputs; };
    for (const Row& r : std::vector<Row>{{0x0180, 24, 2, 10, 5.0, 0}, {0x31B2, 24, 1, 80, 5.0, 0},
                                         {0x0830, 16, 2, 80, 2.5, 1}, {0x0010, 16, 2, 20, 2.5, 0},
                                         {0x0020, 16, 2, 40, 2.5, 0}, {-1, 24, 1, 80, 5.0, 1}, {0xE64F, 16, 2, 10, 2.5, 0}}) {
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

// No working converter holds both registers all ones (a floating line) or all zeros, or a
// filter word below 19; a sane filter register beside any mode register could be a converter.
// Start-up names such registers once, with the port and the causes, and where another port is
// chosen (a headless command is told how to name one, not which button to press).
TEST(StartUp, RegistersNoConverterHoldsAreNamedOnceWithThePortAndTheCauses) {
    const struct { int32_t mode, filter; bool answered; } table[] = {
        {0xFFFF, 0xFFFFFF, false}, {0, 0, false}, {0x21B0, 0x012010, false}, {0x21B0, 0x013010, true},
        {0xFFFF, 0x800010, true}, {0, 0x800010, true}};
    for (const auto& c : table) {
        link::SharedSettings s;
        s.ModeRegValue = c.mode, s.FilterRegValue = c.filter;
        EXPECT_EQ(link::ConverterAnswered(s), c.answered) << std::hex << c.mode << " " << c.filter;
    }
    board::SimOptions absent;  // (headless, a command is told how to name another port: the program's test)
    absent.fault = board::Fault::Absent;
    app::SimPort sim(absent, board::TimeMode::Virtual);
    test::ScriptedMessages messages;
    link::SharedSettings s;
    EXPECT_FALSE(link::StartUp({sim, messages, s, ""}));
    EXPECT_EQ(messages.texts(), Texts{"The QB4160 does not answer on simulated board (virtual time, fault absent) (port "
                                      "address 0x378): the mode register reads FFFF and the filter register FFFFFF, "
                                      "which no working converter holds. Check that the board is on this port, "
                                      "connected and powered. Another port can be chosen with \"Select Printer Port\" "
                                      "on the main menu."});
}

// Without a usable address (none known, or so near either end of the I/O space that the port's
// registers would reach 0 to 2) nothing reaches the port: reads give a floating line, and the
// user is told once per run how to choose a port (headless: how to name one), also at start-up.
TEST(NoPort, EveryAccessLeavesTheBoardAloneAndTellsOnceUntilAPortIsChosen) {
    for (const auto& [address, usable] : std::vector<std::pair<int, bool>>{
             {0, false}, {2, false}, {3, true}, {0x7FFF, true}, {0xFFFD, true}, {0xFFFE, false}, {0xFFFF, false}})
        EXPECT_EQ(link::PortUsable(static_cast<int16_t>(address)), usable) << address;
    using C = const link::Context&;
    const std::vector<std::function<void(C)>> accesses{
        [](C c) { link::OutPort(c, 2, 7); EXPECT_EQ(link::InPort(c, 1), 255); },
        [](C c) { link::WriteSerial(c, 33, c.settings.PortAddress, 8); },
        [](C c) { EXPECT_EQ(link::ReadSerial(c, 24, c.settings.PortAddress), 16777215); },
        [](C c) { EXPECT_EQ(link::ReadSerialWhenReady(c, 24, c.settings.PortAddress), link::kNoData); },
        [](C c) { link::WaitForReady(c); },
        [](C c) { link::InterfaceReset(c); link::DeviceReset(c); }};
    for (const int address : {0, 2, -2}) {
        for (size_t i = 0; i < accesses.size(); ++i) {
            SCOPED_TRACE(testing::Message() << address << " access " << i);
            Rig rig("", address);
            accesses[i](rig.ctx);
            accesses[i](rig.ctx);
            EXPECT_TRUE(rig.port.log.empty());
            EXPECT_EQ(rig.messages.texts(), (Texts{link::kNoPortMessage}));
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

    for (const bool headless : {false, true}) {  // the port layer reports no address
        Rig start("/SS", 0);
        start.ctx.headless = headless;
        start.port.infoResult = 0;
        EXPECT_FALSE(link::StartUp(start.ctx, version("")));
        EXPECT_TRUE(start.port.log.empty());
        EXPECT_EQ(start.messages.texts(), (Texts{"This PC does not appear to have a Printer Port",
                                                 headless ? link::kNoPortHeadlessMessage : link::kNoPortMessage,
                                                 "Windows Version:" + link::SystemName() + "\rPort Address:0x0"}));
        // What an absent board shows: a floating data-out line, read as ones.
        EXPECT_EQ(std::make_pair(start.settings.ModeRegValue, start.settings.FilterRegValue), std::make_pair(0xFFFF, 0xFFFFFF));
    }
}

} // namespace
} // namespace qb::linktest
