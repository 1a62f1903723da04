// Register and ReadData: the communications byte, the bits that follow, the rounding of the value
// written, and a data read that never names its register.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "link/Register.h"
#include "link/Serial.h"
#include "LinkTestSupport.h"

namespace qb::linktest {
namespace {

// Splits the data-register writes of one or more serial sends back into their bit strings, or
// fails the test when a write does not fit the frame (26, then triples 26+b 18+b 26+b, then 26).
std::vector<std::string> decodeSends(const std::vector<int>& writes) {
    std::vector<std::string> sends;
    const size_t n = writes.size();
    size_t i = 0;
    while (i < n) {
        EXPECT_EQ(writes[i], 26) << "a send opens with 26 (write " << i << ")";
        ++i;
        std::string bits;
        // A bit frame is the only place where the clock goes low (18 or 19).
        while (i + 1 < n && (writes[i + 1] == 18 || writes[i + 1] == 19)) {
            if (i + 2 >= n) {
                ADD_FAILURE() << "truncated bit frame at write " << i;
                return sends;
            }
            const int b = writes[i] - 26;
            EXPECT_TRUE(b == 0 || b == 1) << "write " << i;
            EXPECT_EQ(writes[i + 1], 18 + b) << "write " << i + 1;
            EXPECT_EQ(writes[i + 2], 26 + b) << "write " << i + 2;
            bits += b ? '1' : '0';
            i += 3;
        }
        if (i >= n) {
            ADD_FAILURE() << "a send has no closing 26";
            return sends;
        }
        EXPECT_EQ(writes[i], 26) << "a send closes with 26 (write " << i << ")";
        ++i;
        sends.push_back(bits);
    }
    return sends;
}

TEST(Register, ANewInstanceHoldsZeros) {
    Rig rig;
    link::Register reg(rig.ctx);
    EXPECT_EQ(reg.WriteAddress(), 0);
    EXPECT_EQ(reg.ReadAddress(), 0);
    EXPECT_EQ(reg.RegValue(), 0.0);
    EXPECT_EQ(reg.WordLength(), 0);
    link::ReadData data(rig.ctx);
    EXPECT_EQ(data.ReadAddress(), 0);
    EXPECT_EQ(data.WordLength(), 0);
}

TEST(Register, ReadRegSendsTheReadByteThenClocksWithoutWaiting) {
    Rig rig;
    rig.settings.PortAddress = 0x278;
    rig.port.fixed[0x279] = 0xFF;  // data-out high, ready line high (busy): not looked at
    link::Register reg(rig.ctx);
    reg.setReadAddress(18);
    reg.setWriteAddress(2);
    reg.setWordLength(16);
    EXPECT_EQ(reg.ReadReg(), 65535.0);

    // The comms byte 0001 0010, then 26 and sixteen (18, 26, read) groups, nothing more.
    const std::vector<int> comms = sendBytes("00010010");
    std::vector<test::PortAccess> expected;
    for (int b : comms) expected.push_back({true, 0x278, static_cast<uint8_t>(b)});
    expected.push_back({true, 0x278, 26});
    for (int j = 0; j < 16; ++j) {
        expected.push_back({true, 0x278, 18});
        expected.push_back({true, 0x278, 26});
        expected.push_back({false, 0x279, 0xFF});
    }
    EXPECT_EQ(rig.port.log, expected);
}

TEST(Register, ReadRegReturnsTheUnsignedPattern) {
    Rig rig;
    rig.scriptStatus(dataOut("100000000000000000000001"));
    link::Register reg(rig.ctx);
    reg.setReadAddress(19);
    reg.setWordLength(24);
    EXPECT_EQ(reg.ReadReg(), 8388609.0);  // top bit set: no sign applied
}

struct WriteCase {
    const char* name;
    int16_t writeAddress;
    int16_t wordLength;
    double value;
    std::string comms;
    std::string sent;
};

class RegisterWrites : public ::testing::TestWithParam<WriteCase> {};

TEST_P(RegisterWrites, CommsByteThenTheRoundedLowBits) {
    const WriteCase& c = GetParam();
    Rig rig;
    link::Register reg(rig.ctx);
    reg.setReadAddress(99);  // must not appear
    reg.setWriteAddress(c.writeAddress);
    reg.setWordLength(c.wordLength);
    reg.setRegValue(c.value);
    reg.WriteReg();
    EXPECT_EQ(rig.port.readsFrom(kStatus), 0);
    EXPECT_EQ(rig.port.writesTo(kBase).size(), rig.port.log.size());
    EXPECT_EQ(decodeSends(rig.port.writesTo(kBase)), (std::vector<std::string>{c.comms, c.sent}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegisterWrites,
    ::testing::Values(
        WriteCase{"FilterExample", 3, 24, 4194320, "00000011", "010000000000000000010000"},
        WriteCase{"HalfRoundsDownToEven", 2, 16, 2.5, "00000010", "0000000000000010"},
        WriteCase{"HalfRoundsUpToEven", 2, 16, 3.5, "00000010", "0000000000000100"},
        WriteCase{"BelowHalf", 4, 8, 6.4999, "00000100", "00000110"},
        WriteCase{"NegativeHalfToZero", 4, 8, -0.5, "00000100", "00000000"},
        WriteCase{"MaskedToWordLength", 4, 8, 0x1C5, "00000100", "11000101"},
        WriteCase{"NegativeSendsLowBits", 5, 24, -1, "00000101", "111111111111111111111111"},
        WriteCase{"RoundsIntoBitTwentyFour", 6, 24, 16777215.5, "00000110",
                  "000000000000000000000000"},
        WriteCase{"DacByte", 4, 8, 29, "00000100", "00011101"}),
    [](const auto& info) { return std::string(info.param.name); });

class RegisterRefusesValue : public ::testing::TestWithParam<double> {};

TEST_P(RegisterRefusesValue, NothingReachesThePortAndTheUserIsTold) {
    Rig rig;
    link::Register reg(rig.ctx);
    reg.setWriteAddress(2);
    reg.setWordLength(16);
    reg.setRegValue(GetParam());
    reg.WriteReg();
    EXPECT_TRUE(rig.port.log.empty());
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].icon, platform::MsgIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(Table, RegisterRefusesValue,
                         ::testing::Values(std::numeric_limits<double>::quiet_NaN(),
                                           std::numeric_limits<double>::infinity(), 2147483647.5,
                                           -2147483648.6, 1e12));

TEST(ReadData, NeverSendsItsReadAddress) {
    Rig rig;
    rig.scriptStatus({0x40, 0x40 | 0x10, 0x00, 0x10, 0x00, 0x10, 0x10});  // busy twice, ready
    link::ReadData data(rig.ctx);
    data.setReadAddress(33);
    data.setWordLength(4);
    EXPECT_EQ(data.ReadAddress(), 33);
    EXPECT_EQ(data.Read(), 0b1011);
    // The only writes are the opening rest byte and the clock pulses.
    std::vector<int> expected{26};
    for (int j = 0; j < 4; ++j) expected.insert(expected.end(), {18, 26});
    EXPECT_EQ(rig.port.writesTo(kBase), expected);
    EXPECT_EQ(rig.port.readsFrom(kStatus), 3 + 4);
}

TEST(ReadData, ZeroWordLengthGivesZeroOnceReady) {
    Rig rig;
    rig.scriptStatus({0x40, 0x00});
    link::ReadData data(rig.ctx);
    EXPECT_EQ(data.Read(), 0);
    EXPECT_EQ(rig.port.writesTo(kBase), (std::vector<int>{26}));
    EXPECT_EQ(rig.port.readsFrom(kStatus), 2);
}

TEST(ReadData, NoResultGivesTheMarkerSilently) {
    CountingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    settings.PortAddress = static_cast<int16_t>(kBase);
    link::Context ctx{port, messages, settings, ""};
    link::ReadData data(ctx);
    data.setWordLength(24);
    EXPECT_EQ(data.Read(), link::kNoData);
    EXPECT_EQ(port.reads, link::kDataReadyPolls);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(Register, FollowsThePortAddressChosenAfterCreation) {
    Rig rig;
    link::Register reg(rig.ctx);
    reg.setWriteAddress(4);
    reg.setWordLength(8);
    rig.settings.PortAddress = 0x3BC;
    reg.WriteReg();
    EXPECT_EQ(rig.port.writesTo(0x3BC).size(), rig.port.log.size());
    EXPECT_FALSE(rig.port.log.empty());
}

} // namespace
} // namespace qb::linktest
