// The analysis read shared by the data reading window and the headless acquisition: count
// parsing, the continuous-mode check, the exact traffic of a read, stopping, and the no-data path.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AnalysisRead.h"
#include "analysis/ReadRig.h"
#include "board/SimOptions.h"
#include "link/Serial.h"

namespace {

using namespace qb;
using namespace qb::readtest;
using analysis::ReadOutcome;

// ---- count parsing ------------------------------------------------------------------------------

struct CountCase {
    const char* text;
    std::optional<int16_t> count;
};
void PrintTo(const CountCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class CodeCountText : public ::testing::TestWithParam<CountCase> {};

TEST_P(CodeCountText, IsTakenWithTwoDecimalsThenRoundedHalfEven) {
    EXPECT_EQ(analysis::ParseCodeCount(GetParam().text), GetParam().count) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodeCountText,
    ::testing::Values(CountCase{"500", 500}, CountCase{" 500 ", 500}, CountCase{"12.5", 12},
                      CountCase{"13.5", 14}, CountCase{"12.499", 12},  // "12.5" after two decimals
                      CountCase{"12.505", 13}, CountCase{"4.995", 5}, CountCase{"-3", -3},
                      CountCase{"1e3", 1000}, CountCase{"32767", 32767},
                      CountCase{"32767.5", std::nullopt},  // rounds to 32768: beyond 16 bits
                      CountCase{"40000", std::nullopt}, CountCase{"abc", std::nullopt},
                      CountCase{"", std::nullopt}, CountCase{"12abc", std::nullopt},
                      CountCase{"1,000", std::nullopt}));

TEST(CodeCountRange, FiveToFiveThousandInclusive) {
    const struct {
        int count;
        bool allowed;
    } cases[] = {{4, false}, {5, true}, {500, true}, {5000, true}, {5001, false}, {-5, false}, {0, false}};
    for (const auto& c : cases) EXPECT_EQ(analysis::CodeCountAllowed(c.count), c.allowed) << c.count;
}

// ---- reads on the simulated board ----------------------------------------------------------------

TEST(ContinuousModeCheck, ReadsTheModeRegisterOnceAndDecodesIt) {
    Rig rig;
    rig.settings.WordLengthBits = 0;  // must come back from the decode
    ASSERT_TRUE(analysis::CheckContinuousMode(rig.ctx));
    Traffic t(rig.port.log);
    t.send(18, 8);
    EXPECT_EQ(t.read(16), 0x21B0);
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(rig.settings.ModeRegValue, 0x21B0);
    EXPECT_EQ(rig.settings.WordLengthBits, 24);
    EXPECT_EQ(rig.settings.Polarity, 2);
    EXPECT_EQ(rig.settings.InputRangeMv, 80);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(ContinuousModeCheck, OtherModesAreRefusedWithTheirMessageAndNothingMoreIsSent) {
    // The check looks at bit 13 alone: sync (000) and single conversion (010) are refused; 011
    // (power-down) has bit 13 set and passes, as continuous conversion (001) does.
    const struct {
        int32_t mode;
        bool passes;
    } cases[] = {{0x01B0, false}, {0x41B0, false}, {0x61B0, true}, {0x21B0, true}, {0x0100, false}};
    for (const auto& c : cases) {
        Rig rig;
        rig.writeMode(c.mode);
        EXPECT_EQ(analysis::CheckContinuousMode(rig.ctx), c.passes) << std::hex << c.mode;
        EXPECT_EQ(rig.settings.ModeRegValue, c.mode);
        Traffic t(rig.port.log);
        t.send(18, 8);
        t.read(16);
        EXPECT_TRUE(t.atEnd());
        if (c.passes) {
            EXPECT_TRUE(rig.messages.shown.empty());
        } else {
            ASSERT_EQ(rig.messages.texts(), std::vector<std::string>{analysis::kNotContinuousMessage});
            EXPECT_EQ(rig.messages.shown[0].icon, platform::MsgIcon::Exclamation);
        }
    }
}

TEST(AnalysisRead, SixteenBitWordsFollowTheReadersWordLength) {
    Rig rig;
    rig.fastFilter();
    rig.writeMode(0x20B0);  // continuous, bipolar, 16-bit words
    ASSERT_TRUE(analysis::CheckContinuousMode(rig.ctx));
    rig.port.clear();
    auto reader = rig.reader();
    ASSERT_EQ(reader.WordLength(), 16);
    analysis::ReadForAnalysis(rig.ctx, reader, 5, {});
    Traffic t(rig.port.log);
    t.send(33, 8);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(t.readWhenReady(16), rig.settings.Codes[i]);
    t.send(48, 8);
    t.write(27);
    EXPECT_TRUE(t.atEnd());
    EXPECT_NEAR(rig.settings.Codes[1], 0x9000, 4);
}

TEST(AnalysisRead, NoReadySignalEmptiesTheBufferWithItsMessageAndStopsContinuousReading) {
    board::SimOptions options;
    options.fault = board::Fault::NoReady;
    Rig rig(options);
    rig.settings.Codes = {0, 1, 2, 3};  // an earlier read: lost, as the read starts afresh
    rig.settings.CodesRead = 3;
    auto reader = rig.reader();
    int calls = 0;
    const ReadOutcome outcome = analysis::ReadForAnalysis(rig.ctx, reader, 500, [&](int16_t, int16_t) {
        ++calls;
        return true;
    });
    EXPECT_EQ(outcome, ReadOutcome::NoData);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(rig.settings.CodesRead, 0);
    EXPECT_EQ(rig.settings.Codes.size(), 1u);
    EXPECT_EQ(rig.settings.LastCode, link::kNoData);
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{analysis::kReadErrorMessage});
    EXPECT_EQ(rig.port.busyPolls, link::kDataReadyPolls);

    Traffic t(rig.port.log);
    t.send(33, 8);
    t.write(26);  // the data read's opening byte; then only busy polls, none logged
    t.send(48, 8);
    t.write(27);
    EXPECT_TRUE(t.atEnd());
}

} // namespace
