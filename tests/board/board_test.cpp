// The simulated board, reached only through port bytes as the program makes them: output rates,
// coding, the DAC and calibration registers, noise, the filter's step response, the serial
// interface, modes, calibrations, resets, faults, hostile traffic, and the --sim-* options.
#include <cmath>
#include <cstdlib>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "board/Qb4160Board.h"
#include "board/SimOptions.h"
#include "board/Transfer.h"

namespace qb::test {
namespace {

// The board on its three port registers (data, status, control), noiseless unless an option asks
// otherwise, each access a microsecond after the last as on a parallel port, driven with the
// program's byte sequences: rest 26; a bit b is sent as 26+b, 18+b, 26+b; a bit is read as 18,
// 26, then status bit 4; a data read first polls the ready line (status bit 6).
// A register's number (its write byte; the read byte is 16 more) and width.
struct Reg { int number, bits; };
inline constexpr Reg kStatusReg{0, 8}, kModeReg{2, 16}, kFilterReg{3, 24}, kDacReg{4, 8},
    kOffsetReg{5, 24}, kGainReg{6, 24};

board::SimOptions Options(const std::vector<std::string>& texts) {
    board::SimOptions o;
    o.noiseNv = 0;
    for (const auto& text : texts)
        EXPECT_EQ(text.empty() ? std::nullopt : board::ApplySimOption(o, text), std::nullopt) << text;
    return o;
}

struct SimRig {
    static constexpr int kData = 0, kStatus = 1, kControl = 2;  // register offsets from the port base
    explicit SimRig(const std::vector<std::string>& options = {}) : board(Options(options)) {}
    board::Qb4160Board board;
    double time = 0;

    double now() const { return time; }
    void advance(double seconds) { time += seconds; }
    void out(int value, int offset = kData) { board.write(offset, static_cast<uint8_t>(value), time += 1e-6); }
    uint8_t in(int offset) { return board.read(offset, time += 1e-6); }
    uint8_t status() { return in(kStatus); }
    bool readyLow() { return !(status() & 0x40); }
    void send(uint32_t value, int bits) {
        out(26);
        for (int j = bits - 1; j >= 0; --j)
            for (int b : {26, 18, 26}) out(b + ((value >> j) & 1u));
        out(26);
    }
    uint32_t clockIn(int bits) {
        uint32_t result = 0;
        for (int j = bits - 1; j >= 0; --j) {
            out(18);
            out(26);
            if (status() & 0x10) result |= 1u << j;
        }
        return result;
    }
    void write(Reg r, uint32_t value) { send(r.number, 8); send(value, r.bits); }
    uint32_t read(Reg r) { send(16 + r.number, 8); out(26); return clockIn(r.bits); }
    std::optional<uint32_t> readWhenReady(int bits = 24, long maxPolls = 10'000'000) {
        out(26);
        for (long n = 0; n < maxPolls; ++n)
            if (readyLow()) return clockIn(bits);
        return std::nullopt;
    }
    // `count` results in continuous read (fewer when one never comes).
    std::vector<uint32_t> results(int count, int bits = 24, long maxPolls = 10'000'000) {
        std::vector<uint32_t> codes;
        send(33, 8);
        for (std::optional<uint32_t> c; int(codes.size()) < count && (c = readWhenReady(bits, maxPolls));)
            codes.push_back(*c);
        send(48, 8);
        out(27);
        return codes;
    }
    void interfaceReset() {
        for (int i = 0; i < 32; ++i) out(19), out(27);
        out(26);
    }
};

TEST(Conversion, OutputRateFollowsFilterWordClockAndChop) {
    struct Case { uint32_t filter, mode; std::string mclk; double period; };
    for (const Case& c : std::vector<Case>{{0x400010, 0x21B0, "", 0.010},  // 100 Hz with CHOP
                                           {0x800010, 0x21B0, "", 0.020},  // the power-on 50 Hz
                                           {0x400000, 0x21B0, "", 0.010 / 3},  // CHOP off
                                           {0x400010, 0x21B0, "--sim-mclk=2457600", 0.020},
                                           {0x013000, 0x20B0, "", 16.0 * 19 / 4915200}}) {  // 16 kHz
        SCOPED_TRACE(testing::Message() << std::hex << c.filter << c.mclk);
        SimRig rig({c.mclk});
        rig.write(kFilterReg, c.filter);
        rig.write(kModeReg, c.mode);
        const int bits = (c.mode & 0x100) ? 24 : 16;
        rig.send(33, 8);
        ASSERT_TRUE(rig.readWhenReady(bits));
        const double start = rig.now();
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(rig.readWhenReady(bits));
        EXPECT_NEAR((rig.now() - start) / 10, c.period, c.period * 1e-3);
    }
    for (uint32_t filter : {0x000000u, 0x012000u}) {  // words below 19 give no results
        SimRig rig;
        rig.write(kFilterReg, filter);
        EXPECT_TRUE(rig.results(1, 24, 300'000).empty()) << filter;
        EXPECT_EQ(rig.read(kFilterReg), filter);
    }
}

TEST(Conversion, CodesForBothPolaritiesWordLengthsChannelsAndDacOffsets) {
    struct Case { uint32_t mode, dac; std::string option; uint32_t code; };
    for (const Case& c : std::vector<Case>{
             {0x21B0, 0, "", 0x900000}, {0x20B0, 0, "", 0x9000},  // +10 mV of 80 mV, bipolar
             {0x31B0, 0, "", 0x200000}, {0x30B0, 0, "", 0x2000},  // unipolar
             {0x21A0, 0, "", 0xA00000}, {0x21B0, 0, "--sim-ain1=12.3", 0x93AE14},  // 40 mV range
             {0x2180, 0, "", 0xFFFFFF}, {0x2180, 0, "--sim-ain1=-10.5", 0},  // clamped at both ends
             {0x31B0, 0, "--sim-ain1=-0.001", 0}, {0x3080, 0, "--sim-ain1=50", 0xFFFF},
             {0x21B1, 0, "", 0x780000}, {0x21B2, 0, "", 0x800000}, {0x21B3, 0, "", 0x780000},
             {0x21B2, 2, "", 0x880000}, {0x21B2, 34, "", 0x780000},  // DAC: 2.5 mV, bit 5 negative
             {0x21B2, 0xC2, "", 0x880000}, {0x2132, 2, "", 0x840000},  // bits 7..6 ignored; 2.5 V
             {0x21B2, 32, "", 0x800000}, {0x21B0, 29, "", 0xFFFFFF}, {0x31B2, 63, "", 0},
             {0x20B0, 0, "--sim-noref", 0xFFFF},  // without a reference: all ones
             {0x21B0, 0, "--sim-ain1=7.152557373046875e-06", 0x800000}}) {  // exactly 800000.C: the floor
        SCOPED_TRACE(testing::Message() << std::hex << c.mode << " dac " << c.dac << " " << c.option);
        SimRig rig({c.option});
        rig.write(kDacReg, c.dac);
        rig.write(kModeReg, c.mode);
        EXPECT_EQ(rig.results(1, (c.mode & 0x100) ? 24 : 16), std::vector<uint32_t>{c.code});
    }
}

TEST(Conversion, FastStepSettlesTheDacStepWithinFourResultsAndFullFilteringTakesTen) {
    constexpr double kLow = 0x100000, kHigh = 0xE80000;  // 5 mV and 72.5 mV of 80 mV
    struct Case { uint32_t filter; int atLeast, atMost; };
    for (const Case& c : std::vector<Case>{{0x400010, 10, 30}, {0x400110, 1, 4}, {0x400200, 1, 4},
                                           {0xC00000, 10, 30}, {0xC00100, 1, 4}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.filter);
        SimRig rig({"--sim-noise=40", "--sim-seed=3"});  // the demonstration: mode 31B2h, the short
        rig.write(kModeReg, 0x31B2);  // continuous, unipolar, 24 bit, 5 V, 0..80 mV
        rig.write(kFilterReg, c.filter);
        rig.write(kDacReg, 2);
        rig.advance(0.1);
        std::vector<uint32_t> codes = rig.results(40);  // 40 readings at DAC 2, then 40 at DAC 29
        rig.write(kDacReg, 29);
        for (uint32_t code : rig.results(40)) codes.push_back(code);
        ASSERT_EQ(codes.size(), 80u);
        for (int i = 0; i < 40; ++i) EXPECT_NEAR(codes[i], kLow, kLow * 1e-3) << i;
        int settle = 1;  // readings after the step until every later one is within 0.1 %
        for (int i = 40; i < 80; ++i)
            if (std::abs(codes[i] - kHigh) > kHigh * 1e-3) settle = i - 40 + 2;
        EXPECT_GE(settle, c.atLeast);
        EXPECT_LE(settle, c.atMost);
    }
}

TEST(Conversion, ModeWriteRestartsTheFilter) {
    SimRig rig;
    rig.results(30);  // settled on Ain1 = +10 mV
    rig.write(kModeReg, 0x21B2);  // to the short: no trace of the old input may remain
    const double written = rig.now();
    EXPECT_EQ(rig.results(1), std::vector<uint32_t>{0x800000});
    EXPECT_GE(rig.now() - written, 0.040 - 1e-4) << "two periods of 20 ms";
    EXPECT_TRUE(rig.read(kStatusReg) & 0x40) << "STDY: the filter is still filling";
}

// Polls the ready line for up to `seconds` of virtual time; true when it went low.
bool ReadyWithin(SimRig& rig, double seconds) {
    for (const double end = rig.now() + seconds; rig.now() < end;)
        if (rig.readyLow()) return true;
    return false;
}

TEST(Board, RegistersPowerOnReadBackAndReturnToPowerOnAfterTheResetLineIsHeldLow) {
    const std::vector<std::pair<Reg, uint32_t>> powerOn{
        {kModeReg, 0x21B0}, {kFilterReg, 0x800010}, {kDacReg, 0}, {kOffsetReg, 0x800000},
        {kGainReg, 0x555555}};
    SimRig rig;
    for (const auto& [reg, value] : powerOn) EXPECT_EQ(rig.read(reg), value) << reg.number;
    for (const auto& [reg, value] : powerOn) rig.write(reg, value ^ 0x5A);
    for (const auto& [reg, value] : powerOn) EXPECT_EQ(rig.read(reg), value ^ 0x5A) << reg.number;
    rig.out(24);
    for (int i = 0; i < 200; ++i) rig.out(i % 2 ? 0x19 : 0x11);  // clocks while held are ignored
    EXPECT_TRUE(rig.status() & 0x40) << "no result while held in reset";
    rig.out(26);
    for (const auto& [reg, value] : powerOn) EXPECT_EQ(rig.read(reg), value) << reg.number;
    for (uint32_t word : {4u, 0x3Fu})  // a whole DAC write with the board line low is ignored
        for (int j = 7; j >= 0; --j)
            for (int b : {26, 18, 26}) rig.out((b + ((word >> j) & 1)) & ~0x10);
    rig.out(11);  // the start-up byte: board line low, clock high
    EXPECT_EQ(rig.read(kDacReg), 0u);
}

TEST(Board, InterfaceResetAbandonsAHalfDoneWriteAndEndsContinuousRead) {
    SimRig rig;
    rig.send(3, 8);  // write the filter ...
    rig.send(0x12, 5);  // ... only five of its 24 bits
    rig.interfaceReset();
    EXPECT_EQ(rig.read(kFilterReg), 0x800010u);
    rig.send(5, 8);  // a write of ones takes effect when data-in returns to 0
    rig.send(0xFFFFFF, 24);
    EXPECT_EQ(rig.read(kOffsetReg), 0xFFFFFFu);
    rig.send(33, 8);
    ASSERT_TRUE(rig.readWhenReady());
    rig.write(kDacReg, 6);  // not obeyed during continuous read
    rig.interfaceReset();
    EXPECT_EQ(rig.read(kModeReg), 0x21B0u);
    EXPECT_EQ(rig.read(kDacReg), 0u);
    rig.write(kDacReg, 7);  // ones at the end of a write, then a reset: still in step
    rig.interfaceReset();
    EXPECT_EQ(rig.read(kModeReg), 0x21B0u);
    EXPECT_EQ(rig.read(kDacReg), 7u);
}

TEST(Board, EachCalibrationTakesFourPeriodsThenSetsItsRegisterAndEndsInMode000) {
    struct Case { std::string ain1; Reg pre; uint32_t preValue, mode; Reg result;
                  uint32_t expected, codeAfter; };
    for (const Case& c : std::vector<Case>{
             {"", kOffsetReg, 0x812345, 0x81B0, kOffsetReg, 0x800000, 0x900000},  // internal zero
             {"", kGainReg, 0x600000, 0xA1B0, kGainReg, 0x555555, 0x900000},  // internal full
             {"", kDacReg, 2, 0xC1B0, kOffsetReg, 0x980000, 0x780000},  // system: +15 mV with the DAC
             {"60", kDacReg, 0, 0xE1B0, kGainReg, 0x71C71C, 0xFFFFFF}}) {  // +60 mV is full scale
        SCOPED_TRACE(testing::Message() << std::hex << c.mode);
        SimRig rig({"--sim-noise=40", c.ain1.empty() ? "" : "--sim-ain1=" + c.ain1});
        rig.write(c.pre, c.preValue);
        rig.write(kModeReg, c.mode);
        const double start = rig.now();
        EXPECT_TRUE(rig.read(kStatusReg) & 0x08) << "status shows the calibration";
        ASSERT_TRUE(ReadyWithin(rig, 1.0));
        EXPECT_NEAR(rig.now() - start, 4.5 * 0.020, 1.5 * 0.020) << "four periods of 20 ms";
        EXPECT_EQ(rig.read(kModeReg), c.mode & 0x1FFF) << "mode field back to 000";
        const uint32_t after = rig.read(c.result);  // changed: each register starts elsewhere
        EXPECT_LE(std::abs(int(after) - int(c.expected)), 64) << std::hex << after;
        rig.write(kDacReg, 0);
        rig.write(kModeReg, 0x21B0);  // the results follow the new register
        const auto codes = rig.results(1);
        ASSERT_EQ(codes.size(), 1u);
        EXPECT_LE(std::abs(int(codes[0]) - int(c.codeAfter)), 64) << std::hex << codes[0];
    }
}

TEST(Board, SingleConversionGivesOneResultPowerDownAndSyncGiveNone) {
    SimRig rig;
    rig.write(kModeReg, 0x41B0);
    EXPECT_EQ(rig.results(2, 24, 300'000), std::vector<uint32_t>{0x900000});
    EXPECT_EQ(rig.read(kModeReg), 0x01B0u);
    for (uint32_t mode : {0x61B0u, 0x01B0u}) {
        rig.write(kModeReg, mode);
        EXPECT_EQ((rig.read(kStatusReg) & 0x20) != 0, mode == 0x61B0) << "STBY";
        EXPECT_FALSE(ReadyWithin(rig, 0.3)) << std::hex << mode;
        rig.write(kModeReg, 0x21B0);
        EXPECT_EQ(rig.read(kStatusReg) & 0x20, 0);
        EXPECT_EQ(rig.results(2).size(), 2u) << "conversions resume";
    }
}

TEST(Board, EachFault) {
    struct Case { std::string fault; uint32_t mode, dacAfter5; bool results; };
    for (const Case& c : std::vector<Case>{{"none", 0x21B0, 5, true}, {"absent", 0xFFFF, 0xFF, false},
                                           {"no-ready", 0x21B0, 5, false}, {"readback", 0x21B0, 4, true}}) {
        SCOPED_TRACE(c.fault);
        SimRig rig({"--sim-fault=" + c.fault});
        EXPECT_EQ(rig.read(kModeReg), c.mode);
        rig.write(kDacReg, 5);
        EXPECT_EQ(rig.read(kDacReg), c.dacAfter5);
        EXPECT_EQ(rig.read(kFilterReg), c.fault == "absent" ? 0xFFFFFFu : 0x800010u) << "not written";
        EXPECT_EQ(rig.results(1, 24, 300'000).size(), c.results ? 1u : 0u);
        rig.out(0xC4, SimRig::kControl);  // the port's own registers work even without a board
        EXPECT_EQ(rig.in(SimRig::kControl), 0xC4);
    }
}

TEST(Board, ResultsAfterADayAtTheHighestRateAreCurrent) {
    SimRig rig;
    rig.write(kFilterReg, 0x013000);  // word 19, no CHOP: about 16 kHz
    rig.results(5);
    rig.board.setAnalogInput(1, 20.0, rig.now());
    rig.advance(86400.0);
    EXPECT_EQ(rig.results(1), std::vector<uint32_t>{0xA00000});
    EXPECT_EQ(rig.read(kStatusReg) & 0x40, 0) << "settled";
}

auto Fields(const board::SimOptions& o) {
    return std::tie(o.masterClockHz, o.ain1Mv, o.ain2Mv, o.seed, o.noiseNv, o.noReference, o.fault, o.time);
}

// A bad text is refused by name and changes nothing; the good texts whose effect no test above
// shows give these fields.
TEST(SimOptions, BadTextsAreRefusedByNameAndChangeNothing) {
    const std::pair<const char*, const char*> table[] = {
        {"--sim-ain3=1", "unknown simulated-board option: --sim-ain3"}, {"--sim-ain1=1.5mV", "not a number"},
        {"--sim-ain1=", "not a number"}, {"--sim-ain1=nan", "not a number"}, {"--sim-ain1", "needs a value"},
        {"--sim-ain2=5001", "out of range"}, {"--sim-mclk=1e9", "out of range"}, {"--sim-noise=-1", "out of range"},
        {"--sim-seed=-1", "--sim-seed"}, {"--sim-seed=99999999999999999999", "--sim-seed"},
        {"--sim-fault=broken", "--sim-fault"}, {"--sim-time=fast", "--sim-time"}, {"--sim-noref=maybe", "--sim-noref"},
        {"--board=sim", "not a simulated-board option"}};
    for (const auto& [text, part] : table) {
        board::SimOptions options;
        const auto error = board::ApplySimOption(options, text);
        EXPECT_NE(error.value_or("").find(part), std::string::npos) << text;
        EXPECT_TRUE(Fields(options) == Fields(board::SimOptions{})) << text;
    }
    board::SimOptions o;
    for (const char* text : {"--sim-ain1=+3", "--sim-ain2=-5000", "--sim-seed=18446744073709551615", "--sim-noref",
                             "--sim-noref=0", "--sim-time=wall"})
        EXPECT_EQ(board::ApplySimOption(o, text), std::nullopt) << text;
    EXPECT_TRUE(Fields(o) == std::make_tuple(4915200.0, 3.0, -5000.0, UINT64_MAX, 40.0, false,
                                             board::Fault::None, board::TimeMode::Wall));
}

} // namespace
} // namespace qb::test
