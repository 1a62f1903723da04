// The --sim-* options: each valid text sets exactly its setting; bad texts are refused with a
// message that names the option, and change nothing.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "board/SimOptions.h"

namespace qb::board {
namespace {

bool Same(const SimOptions& a, const SimOptions& b) {
    return a.masterClockHz == b.masterClockHz && a.ain1Mv == b.ain1Mv && a.ain2Mv == b.ain2Mv &&
           a.seed == b.seed && a.noiseNv == b.noiseNv && a.noReference == b.noReference &&
           a.fault == b.fault && a.time == b.time;
}

struct Valid {
    const char* text;
    std::function<void(SimOptions&)> expect;
};

class ValidSimOption : public ::testing::TestWithParam<Valid> {};

TEST_P(ValidSimOption, SetsOnlyItsSetting) {
    SimOptions options;
    SimOptions expected;
    GetParam().expect(expected);
    const auto error = ApplySimOption(options, GetParam().text);
    ASSERT_FALSE(error) << *error;
    EXPECT_TRUE(Same(options, expected)) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValidSimOption,
    ::testing::Values(
        Valid{"--sim-ain1=12.5", [](SimOptions& o) { o.ain1Mv = 12.5; }},
        Valid{"--sim-ain1=+3", [](SimOptions& o) { o.ain1Mv = 3; }},
        Valid{"--sim-ain2=-80", [](SimOptions& o) { o.ain2Mv = -80; }},
        Valid{"--sim-ain2=-5000", [](SimOptions& o) { o.ain2Mv = -5000; }},
        Valid{"--sim-mclk=2457600", [](SimOptions& o) { o.masterClockHz = 2457600; }},
        Valid{"--sim-noise=0", [](SimOptions& o) { o.noiseNv = 0; }},
        Valid{"--sim-noise=150", [](SimOptions& o) { o.noiseNv = 150; }},
        Valid{"--sim-seed=18446744073709551615", [](SimOptions& o) { o.seed = UINT64_MAX; }},
        Valid{"--sim-noref", [](SimOptions& o) { o.noReference = true; }},
        Valid{"--sim-noref=0", [](SimOptions&) {}},
        Valid{"--sim-fault=absent", [](SimOptions& o) { o.fault = Fault::Absent; }},
        Valid{"--sim-fault=no-ready", [](SimOptions& o) { o.fault = Fault::NoReady; }},
        Valid{"--sim-fault=readback", [](SimOptions& o) { o.fault = Fault::Readback; }},
        Valid{"--sim-time=virtual", [](SimOptions& o) { o.time = TimeMode::Virtual; }},
        Valid{"--sim-time=wall", [](SimOptions& o) { o.time = TimeMode::Wall; }}));

struct Invalid {
    const char* text;
    const char* messagePart;
};

class InvalidSimOption : public ::testing::TestWithParam<Invalid> {};

TEST_P(InvalidSimOption, IsRefusedWithAMessageAndChangesNothing) {
    SimOptions options;
    const auto error = ApplySimOption(options, GetParam().text);
    ASSERT_TRUE(error) << GetParam().text;
    EXPECT_NE(error->find(GetParam().messagePart), std::string::npos) << *error;
    EXPECT_TRUE(Same(options, SimOptions{}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, InvalidSimOption,
    ::testing::Values(Invalid{"--sim-ain3=1", "unknown simulated-board option: --sim-ain3"},
                      Invalid{"--sim-ain1=abc", "not a number"},
                      Invalid{"--sim-ain1=", "not a number"},
                      Invalid{"--sim-ain1=1.5mV", "not a number"},
                      Invalid{"--sim-ain1=nan", "not a number"},
                      Invalid{"--sim-ain1=inf", "not a number"},
                      Invalid{"--sim-ain1", "needs a value"},
                      Invalid{"--sim-ain2=5001", "out of range"},
                      Invalid{"--sim-mclk=0", "out of range"},
                      Invalid{"--sim-mclk=1e9", "out of range"},
                      Invalid{"--sim-noise=-1", "out of range"},
                      Invalid{"--sim-seed=-1", "--sim-seed"},
                      Invalid{"--sim-seed=1.5", "--sim-seed"},
                      Invalid{"--sim-seed=99999999999999999999", "--sim-seed"},
                      Invalid{"--sim-fault=broken", "--sim-fault"},
                      Invalid{"--sim-time=fast", "--sim-time"},
                      Invalid{"--sim-noref=maybe", "--sim-noref"},
                      Invalid{"--board=sim", "not a simulated-board option"}));

TEST(SimOptions, LaterOptionsOverrideEarlierOnes) {
    SimOptions options;
    ASSERT_FALSE(ApplySimOption(options, "--sim-ain1=1"));
    ASSERT_FALSE(ApplySimOption(options, "--sim-ain1=2"));
    ASSERT_TRUE(ApplySimOption(options, "--sim-ain1=x"));
    EXPECT_EQ(options.ain1Mv, 2);
}

} // namespace
} // namespace qb::board
