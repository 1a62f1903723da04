// The link against the simulated board: start-up adopts the board's power-on registers, a
// register written reads back, and a continuous read delivers results until it is stopped.
#include <gtest/gtest.h>

#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "platform/SimPort.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::linktest {
namespace {

struct SimRig {
    platform::SimPort sim;
    test::RecordingPort port{sim};
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
};

TEST(SimulatedBoard, StartUpAdoptsThePowerOnRegisters) {
    SimRig rig;
    link::StartUp(rig.ctx);
    EXPECT_EQ(rig.settings.PortAddress, 0x378);
    EXPECT_EQ(rig.settings.ModeRegValue, 0x21B0);
    EXPECT_EQ(rig.settings.FilterRegValue, 0x800010);
    EXPECT_EQ(rig.settings.WordLengthBits, 24);
    EXPECT_EQ(rig.settings.Polarity, 2);
    EXPECT_EQ(rig.settings.InputRangeMv, 80);
    EXPECT_EQ(rig.settings.RefVoltage, 5.0);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(SimulatedBoard, RegisterWriteReadsBackAndContinuousReadDelivers) {
    SimRig rig;
    link::StartUp(rig.ctx);

    link::Register filter(rig.ctx);
    filter.setReadAddress(link::comms::kFilterRead);
    filter.setWriteAddress(link::comms::kFilterWrite);
    filter.setWordLength(link::comms::kFilterBits);
    filter.setRegValue(0x400010);
    filter.WriteReg();
    EXPECT_EQ(filter.ReadReg(), static_cast<double>(0x400010));

    const int16_t port = rig.settings.PortAddress;
    link::ReadData data(rig.ctx);
    data.setReadAddress(link::comms::kStartContinuousRead);
    data.setWordLength(rig.settings.WordLengthBits);
    link::WriteSerial(rig.ctx, link::comms::kStartContinuousRead, port, 8);
    for (int i = 0; i < 5; ++i) {
        const int32_t code = data.Read();
        ASSERT_NE(code, link::kNoData) << "result " << i;
        EXPECT_GE(code, 0);
        EXPECT_LT(code, 1 << 24);
    }
    link::WriteSerial(rig.ctx, link::comms::kStopContinuousRead, port, 8);
    link::OutPort(rig.ctx, port, link::kDataHighByte);

    // Out of continuous-read mode the register protocol works again.
    link::Register mode(rig.ctx);
    mode.setReadAddress(link::comms::kModeRead);
    mode.setWordLength(link::comms::kModeBits);
    EXPECT_EQ(mode.ReadReg(), static_cast<double>(0x21B0));
    EXPECT_TRUE(rig.messages.shown.empty());
}

} // namespace
} // namespace qb::linktest
