// The serial routines: the exact data-register bytes of a send, the sampling of a receive, the
// two ready-line waits and their limits, the resets, and the single-byte access.
#include <gtest/gtest.h>

#include "link/Serial.h"
#include "LinkTestSupport.h"

namespace qb::linktest {
namespace {

using link::kNoData;

TEST(WriteSerial, ByteThirtyThreeAsEightBitsGivesTheListedWrites) {
    Rig rig;
    link::WriteSerial(rig.ctx, 33, static_cast<int16_t>(kBase), 8);
    const std::vector<int> expected{26,                                  // opening
                                    26, 18, 26, 26, 18, 26,              // bits 7, 6
                                    27, 19, 27,                          // bit 5
                                    26, 18, 26, 26, 18, 26, 26, 18, 26,  // bits 4, 3, 2
                                    26, 18, 26,                          // bit 1
                                    27, 19, 27,                          // bit 0
                                    26};                                 // closing
    EXPECT_EQ(rig.port.writesTo(kBase), expected);
    EXPECT_EQ(rig.port.log.size(), 26u);  // nothing else: no reads, no other address
}

struct SendCase {
    const char* name;
    int32_t value;
    int16_t bits;
    std::string sent;  // the bits that must reach the line, most significant first
};

class WriteSerialSends : public ::testing::TestWithParam<SendCase> {};

TEST_P(WriteSerialSends, OnlyTheLowBitsMostSignificantFirst) {
    const SendCase& c = GetParam();
    Rig rig;
    rig.settings.PortAddress = 0;  // the routine takes the address it is given
    link::WriteSerial(rig.ctx, c.value, 0x278, c.bits);
    EXPECT_EQ(rig.port.writesTo(0x278), sendBytes(c.sent));
    EXPECT_EQ(rig.port.log.size(), sendBytes(c.sent).size());
    EXPECT_TRUE(rig.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteSerialSends,
    ::testing::Values(
        SendCase{"CommsByte", 33, 8, "00100001"},
        SendCase{"HighBitsDropped", 0x7FFF21, 8, "00100001"},
        SendCase{"FilterWord", 4194320, 24, "010000000000000000010000"},
        SendCase{"NegativeSendsItsLowBits", -1, 16, "1111111111111111"},
        SendCase{"SignBitAboveCount", INT32_MIN | 0x00A5A5A5, 24, "101001011010010110100101"},
        SendCase{"OneBit", 3, 1, "1"},
        SendCase{"ThirtyTwoBits", INT32_MIN, 32, "10000000000000000000000000000000"},
        SendCase{"CountsAboveWordSendZeros", 1, 34, "0000000000000000000000000000000001"},
        SendCase{"NoBits", 0xFF, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReceiveCase {
    const char* name;
    uint8_t status;  // the status register, fixed
    int16_t bits;
    int32_t expected;
};

class ReadSerialStuckLine : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(ReadSerialStuckLine, ReadsOnlyBitFourAndClocksEveryBit) {
    const ReceiveCase& c = GetParam();
    Rig rig;
    rig.port.fixed[kStatus] = c.status;
    EXPECT_EQ(link::ReadSerial(rig.ctx, c.bits, static_cast<int16_t>(kBase)), c.expected);

    // 26, then per bit: clock low, clock high, sample. No closing write.
    std::vector<test::PortAccess> expected{{true, kBase, 26}};
    for (int j = 0; j < c.bits; ++j) {
        expected.push_back({true, kBase, 18});
        expected.push_back({true, kBase, 26});
        expected.push_back({false, kStatus, c.status});
    }
    EXPECT_EQ(rig.port.log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadSerialStuckLine,
    ::testing::Values(ReceiveCase{"High16", 0xFF, 16, 65535},
                      ReceiveCase{"Low16", 0x00, 16, 0},
                      ReceiveCase{"High24", 0xFF, 24, 16777215},
                      ReceiveCase{"Low24", 0x00, 24, 0},
                      ReceiveCase{"OnlyDataOutSet", 0x10, 8, 255},
                      ReceiveCase{"AllButDataOutSet", 0xEF, 16, 0},
                      ReceiveCase{"ThirtyTwoBitsStayPositive", 0xFF, 32, INT32_MAX}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadSerial, AssemblesMostSignificantBitFirstAtTheGivenPort) {
    Rig rig;
    const std::string pattern = "101100000000000000000001";
    rig.scriptStatus(dataOut(pattern));
    EXPECT_EQ(link::ReadSerial(rig.ctx, 24, 0x278), 0xB00001);
    EXPECT_EQ(rig.port.readsFrom(0x279), 24);
    EXPECT_EQ(rig.port.readsFrom(kStatus), 0);
}

TEST(ReadSerialWhenReady, NeverReadyGivesTheMarkerAfterTenMillionPollsWithNothingClocked) {
    CountingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    EXPECT_EQ(link::ReadSerialWhenReady(ctx, 24, static_cast<int16_t>(kBase)), kNoData);
    EXPECT_EQ(kNoData, -2147483648LL);
    EXPECT_EQ(port.reads, 10'000'000);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], (test::PortAccess{true, kBase, 26}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(ReadSerialWhenReady, ReadyOnTheLastAllowedPollStillGivesTheMarker) {
    CountingPort port;
    port.readyAtRead = 10'000'000;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    EXPECT_EQ(link::ReadSerialWhenReady(ctx, 16, static_cast<int16_t>(kBase)), kNoData);
    EXPECT_EQ(port.reads, 10'000'000);
    EXPECT_EQ(port.writes.size(), 1u);
}

TEST(ReadSerialWhenReady, ReadyOneBeforeTheLimitClocksTheWord) {
    CountingPort port;
    port.readyAtRead = 9'999'999;  // then every read gives 0: data-out low
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    EXPECT_EQ(link::ReadSerialWhenReady(ctx, 16, static_cast<int16_t>(kBase)), 0);
    EXPECT_EQ(port.reads, 9'999'999 + 16);
    EXPECT_EQ(port.writes.size(), 1u + 2u * 16u);
}

TEST(ReadSerialWhenReady, WaitsForTheReadyLineThenReadsLikeReadSerial) {
    Rig rig;
    std::deque<uint8_t> script{0x40 | 0x10, 0x40, 0x40 | 0x10, 0x10};  // busy three times, ready
    for (uint8_t s : dataOut("1000000000000001")) script.push_back(s);
    rig.scriptStatus(script);
    EXPECT_EQ(link::ReadSerialWhenReady(rig.ctx, 16, static_cast<int16_t>(kBase)), 0x8001);

    // 26, three busy polls and the ready one, then the 16 bits as a plain read clocks them.
    ASSERT_EQ(rig.port.log.size(), 1u + 4u + 3u * 16u);
    EXPECT_EQ(rig.port.log[0], (test::PortAccess{true, kBase, 26}));
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(rig.port.log[i].write);
    EXPECT_EQ(rig.port.log[5], (test::PortAccess{true, kBase, 18}));
    EXPECT_EQ(rig.port.log[6], (test::PortAccess{true, kBase, 26}));
    EXPECT_EQ(rig.port.writesTo(kBase).size(), 1u + 2u * 16u);
}

TEST(ReadSerialWhenReady, FullWordOfOnesIsNeverTheMarker) {
    Rig rig;
    rig.scriptStatus({0x10}, 0x10);  // ready at once, data-out high throughout
    EXPECT_EQ(link::ReadSerialWhenReady(rig.ctx, 24, static_cast<int16_t>(kBase)), 16777215);
}

struct WaitCase {
    const char* name;
    int64_t readyAtRead;  // -1: never
    int64_t expectedReads;
    bool timesOut;
};

class WaitForReadyPolls : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitForReadyPolls, StopsAtTheReadyLineOrTheLimit) {
    const WaitCase& c = GetParam();
    CountingPort port;
    port.status = 0xFF;  // busy, every other line high too
    port.readyAtRead = c.readyAtRead;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    settings.PortAddress = static_cast<int16_t>(kBase);
    link::Context ctx{port, messages, settings, ""};
    link::WaitForReady(ctx);
    EXPECT_EQ(port.reads, c.expectedReads);
    EXPECT_TRUE(port.writes.empty());
    if (c.timesOut) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "DRDY High Too Long!");
        EXPECT_EQ(messages.shown[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_EQ(messages.shown[0].buttons, platform::MsgButtons::Ok);
        EXPECT_EQ(messages.shown[0].title, "");
    } else {
        EXPECT_TRUE(messages.shown.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WaitForReadyPolls,
                         ::testing::Values(WaitCase{"AlreadyLow", 1, 1, false},
                                           WaitCase{"LowOnThirdPoll", 3, 3, false},
                                           WaitCase{"LowOnLastPoll", 200'000, 200'000, false},
                                           WaitCase{"LowOneTooLate", 200'001, 200'000, true},
                                           WaitCase{"NeverLow", -1, 200'000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WaitForReady, IgnoresStatusBitsOtherThanReady) {
    Rig rig;
    rig.port.fixed[kStatus] = 0xBF;  // everything set but the ready line
    link::WaitForReady(rig.ctx);
    EXPECT_EQ(rig.port.readsFrom(kStatus), 1);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(Resets, InterfaceResetClocksThirtyTwoOnesThenRests) {
    Rig rig;
    rig.settings.PortAddress = 0x278;
    link::InterfaceReset(rig.ctx);
    std::vector<int> expected;
    for (int i = 0; i < 32; ++i) expected.insert(expected.end(), {19, 27});
    expected.push_back(26);
    EXPECT_EQ(rig.port.writesTo(0x278), expected);
    EXPECT_EQ(rig.port.log.size(), 65u);
}

TEST(Resets, DeviceResetPulsesTheResetLineForOneWrite) {
    Rig rig;
    link::DeviceReset(rig.ctx);
    EXPECT_EQ(rig.port.writesTo(kBase), (std::vector<int>{24, 26}));
    EXPECT_EQ(rig.port.log.size(), 2u);
}

TEST(ByteAccess, OutPortWritesTheLowByteAndInPortMasks) {
    Rig rig;
    link::OutPort(rig.ctx, 0x37A, 0x1D4);
    link::OutPort(rig.ctx, 0x378, -1);
    EXPECT_EQ(rig.port.writesTo(0x37A), (std::vector<int>{0xD4}));
    EXPECT_EQ(rig.port.writesTo(0x378), (std::vector<int>{0xFF}));
    rig.port.fixed[0x379] = 0x87;
    EXPECT_EQ(link::InPort(rig.ctx, 0x379), 0x87);
}

TEST(ByteAccess, AddressesAboveSevenFffReachThePortAsUnsigned) {
    Rig rig;
    rig.settings.PortAddress = static_cast<int16_t>(0xD000);
    link::DeviceReset(rig.ctx);
    rig.port.fixed[0xD001] = 0x10;
    EXPECT_EQ(link::ReadSerial(rig.ctx, 1, rig.settings.PortAddress), 1);
    EXPECT_EQ(rig.port.writesTo(0xD000).size(), 2u + 3u);
    EXPECT_EQ(rig.port.readsFrom(0xD001), 1);
}

} // namespace
} // namespace qb::linktest
