// Start-up of the port and of the shared settings: the Windows-version branches, the claim and
// address query with their failures, the "/SS" status message, the exact start-up traffic, the
// mode-register decoding and the command-line clock choice.
#include <functional>

#include <gtest/gtest.h>

#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "link/WindowsVersion.h"
#include "LinkTestSupport.h"

namespace qb::linktest {
namespace {

using platform::MsgIcon;

// Records the arguments the port layer is called with.
class ArgumentPort : public test::RecordingPort {
public:
    std::vector<std::pair<int, int>> claimCalls;
    std::vector<std::pair<int, platform::ParallelPortInfo>> infoCalls;
    int ClaimParallelPort(int port, int flags) override {
        claimCalls.emplace_back(port, flags);
        return RecordingPort::ClaimParallelPort(port, flags);
    }
    int GetParallelPortInfo(int port, platform::ParallelPortInfo& info) override {
        infoCalls.emplace_back(port, info);
        return RecordingPort::GetParallelPortInfo(port, info);
    }
};

struct StartRig {
    ArgumentPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx;
    explicit StartRig(std::string commandLine = "")
        : ctx{port, messages, settings, std::move(commandLine)} {}
};

link::VersionQuery version(std::string text) {
    return [text] { return text; };
}

struct VersionCase {
    const char* name;
    std::string text;
    bool claims;
};

class InitPortBranches : public ::testing::TestWithParam<VersionCase> {};

TEST_P(InitPortBranches, FixedAddressOrClaimAndQuery) {
    const VersionCase& c = GetParam();
    StartRig rig;
    rig.port.infoBase = 0x3BC;
    rig.port.fixed[c.claims ? 0x3BE : 0x37A] = 0xFF;
    link::InitPort(rig.ctx, version(c.text));
    EXPECT_EQ(rig.settings.WindowsVersionText, c.text);
    if (c.claims) {
        EXPECT_EQ(rig.port.claimCalls, (std::vector<std::pair<int, int>>{{1, -1}}));
        ASSERT_EQ(rig.port.infoCalls.size(), 1u);
        EXPECT_EQ(rig.port.infoCalls[0].first, 1);
        EXPECT_EQ(rig.port.infoCalls[0].second.size, 12u);
        EXPECT_EQ(rig.port.infoCalls[0].second.baseAddress, 0u);
        EXPECT_EQ(rig.port.infoCalls[0].second.reserved, 0u);
        EXPECT_EQ(rig.settings.PortAddress, 0x3BC);
    } else {
        EXPECT_TRUE(rig.port.claimCalls.empty());
        EXPECT_TRUE(rig.port.infoCalls.empty());
        EXPECT_EQ(rig.settings.PortAddress, 888);
    }
    // The control register, and nothing else: read, keep the bits of 212, write back.
    const uint16_t control = static_cast<uint16_t>(rig.settings.PortAddress + 2);
    EXPECT_EQ(rig.port.log, (std::vector<test::PortAccess>{{false, control, 0xFF},
                                                           {true, control, 212}}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, InitPortBranches,
                         ::testing::Values(VersionCase{"Windows95", "Windows 95", false},
                                           VersionCase{"Windows98", "Windows 98", false},
                                           VersionCase{"AnyText98", "build 1998", false},
                                           VersionCase{"NT351", "Windows NT 3.51", true},
                                           VersionCase{"NT40", "Windows NT 4.0", true},
                                           VersionCase{"Windows2000", "Windows 2000", true},
                                           VersionCase{"Failed", "Failed", true},
                                           VersionCase{"Empty", "", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InitPort, LinuxHasNoWindowsVersionSoItClaimsAndQueries) {
    EXPECT_EQ(link::GetWindowsVersion(), "");
    StartRig rig;
    link::InitPort(rig.ctx);
    EXPECT_EQ(rig.port.claimCalls.size(), 1u);
    EXPECT_EQ(rig.settings.PortAddress, 0x378);
}

TEST(InitPort, ControlRegisterKeepsOnlyTheMaskBits) {
    for (int control : {0x00, 0x2B, 0xD4, 0xFF, 0x6F}) {
        StartRig rig;
        rig.port.fixed[0x37A] = static_cast<uint8_t>(control);
        link::InitPort(rig.ctx, version(""));
        EXPECT_EQ(rig.port.writesTo(0x37A), (std::vector<int>{control & 0xD4})) << control;
    }
}

TEST(InitPort, RefusedClaimIsReportedAndStartUpCarriesOn) {
    StartRig rig;
    rig.port.claimResult = 0;
    link::InitPort(rig.ctx, version("Windows 2000"));
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "claim parallel port failed");
    EXPECT_EQ(rig.messages.shown[0].title, "");
    EXPECT_EQ(rig.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(rig.settings.PortAddress, 0x378);
    EXPECT_EQ(rig.port.writesTo(0x37A).size(), 1u);
}

struct InfoFailureCase {
    const char* name;
    int infoResult;
    uint32_t base;
};

class GetPortAddressFailure : public ::testing::TestWithParam<InfoFailureCase> {};

TEST_P(GetPortAddressFailure, ReportsAndKeepsTheAddress) {
    StartRig rig;
    rig.port.infoResult = GetParam().infoResult;
    rig.port.infoBase = GetParam().base;
    rig.settings.PortAddress = 632;
    link::GetPortAddress(rig.ctx);
    EXPECT_EQ(rig.settings.PortAddress, 632);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "This PC does not appear to have a Printer Port");
    EXPECT_EQ(rig.messages.shown[0].title, "GetPortAddress Error");
    EXPECT_EQ(rig.messages.shown[0].icon, MsgIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(Table, GetPortAddressFailure,
                         ::testing::Values(InfoFailureCase{"Refused", 0, 0x378},
                                           InfoFailureCase{"BeyondIoSpace", 1, 0x10378}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetPortAddress, HighAddressIsKeptAsItsSixteenBitPattern) {
    StartRig rig("/SS");
    rig.port.infoBase = 0xD000;
    link::InitPort(rig.ctx, version(""));
    EXPECT_EQ(static_cast<uint16_t>(rig.settings.PortAddress), 0xD000);
    EXPECT_EQ(rig.port.writesTo(0xD002).size(), 1u);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "Windows Version:\rPort Address:0xD000");
}

struct StatusCase {
    const char* name;
    std::string commandLine;
    bool shown;
};

class ShowStatusLine : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ShowStatusLine, LooksForSlashSsAnywhereInAnyCase) {
    StartRig rig(GetParam().commandLine);
    link::InitPort(rig.ctx, version("Windows 98"));
    if (!GetParam().shown) {
        EXPECT_TRUE(rig.messages.shown.empty());
        return;
    }
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    const platform::Message& m = rig.messages.shown[0];
    EXPECT_EQ(m.text, "Windows Version:Windows 98\rPort Address:0x378");
    EXPECT_EQ(m.title, "Show Status");
    EXPECT_EQ(m.icon, MsgIcon::Information);
    EXPECT_EQ(m.buttons, platform::MsgButtons::Ok);
}

INSTANTIATE_TEST_SUITE_P(Table, ShowStatusLine,
                         ::testing::Values(StatusCase{"Upper", "/SS", true},
                                           StatusCase{"Lower", "/ss", true},
                                           StatusCase{"Mixed", "/sS", true},
                                           StatusCase{"InsideAWord", "x/ssy", true},
                                           StatusCase{"AfterL", "L /SS", true},
                                           StatusCase{"Empty", "", false},
                                           StatusCase{"SlashOnly", "/S S", false},
                                           StatusCase{"NoSlash", "SS", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Status reads: the control register answers `control`; the status register plays `bits`.
void scriptStartup(StartRig& rig, uint8_t control, const std::string& bits) {
    auto queue = std::make_shared<std::deque<uint8_t>>(dataOut(bits));
    rig.port.reader = [queue, control](uint16_t address) -> uint8_t {
        if (address == kControl) return control;
        if (queue->empty()) return 0xFF;
        const uint8_t v = queue->front();
        queue->pop_front();
        return v;
    };
}

TEST(InitSettings, ExactStartUpTrafficAndAdoptedRegisters) {
    StartRig rig;
    rig.settings.TurnOffOutputsChosen = 1;
    rig.settings.DialogChoice = 3;
    rig.settings.UpdatingControls = 1;
    rig.settings.MasterClockHz = 1;
    const std::string mode = bitsOf(0x21B0, 16), filter = bitsOf(0x800010, 24);
    scriptStartup(rig, 0xEF, mode + filter);

    link::InitSettings(rig.ctx, version(""));

    std::vector<test::PortAccess> expected{{false, kControl, 0xEF}, {true, kControl, 0xEF & 212},
                                           {true, kBase, 11}};
    auto send = [&](const std::string& bits) {
        for (int b : sendBytes(bits)) expected.push_back({true, kBase, static_cast<uint8_t>(b)});
    };
    auto receive = [&](const std::string& bits) {
        expected.push_back({true, kBase, 26});
        for (char c : bits) {
            expected.push_back({true, kBase, 18});
            expected.push_back({true, kBase, 26});
            expected.push_back({false, kStatus, static_cast<uint8_t>(c == '1' ? 0x10 : 0)});
        }
    };
    send("00010010");
    receive(mode);
    send("00010011");
    receive(filter);
    EXPECT_EQ(rig.port.log, expected);

    const link::SharedSettings& s = rig.settings;
    EXPECT_EQ(s.ModeRegValue, 0x21B0);
    EXPECT_EQ(s.FilterRegValue, 0x800010);
    EXPECT_EQ(s.WordLengthBits, 24);
    EXPECT_EQ(s.Polarity, 2);
    EXPECT_EQ(s.InputRangeMv, 80);
    EXPECT_EQ(s.RefVoltage, 5.0);
    EXPECT_EQ(s.DigitalOutputsOn, 0);
    EXPECT_EQ(s.MasterClockHz, 4915200);
    EXPECT_EQ(s.TurnOffOutputsChosen, 0);
    EXPECT_EQ(s.DialogChoice, 0);
    EXPECT_EQ(s.UpdatingControls, 0);
    EXPECT_TRUE(rig.messages.shown.empty());
}

struct DecodeCase {
    const char* name;
    int32_t mode;
    int16_t wordLength, polarity, rangeMv;
    double ref;
    int16_t digitalOutputs;
};

class DecodeMode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeMode, DerivesTheDataFormat) {
    const DecodeCase& c = GetParam();
    for (const bool startHigh : {false, true}) {  // every field is overwritten either way
        link::SharedSettings s;
        s.WordLengthBits = startHigh ? 24 : 16;
        s.Polarity = startHigh ? 1 : 2;
        s.InputRangeMv = startHigh ? 80 : 10;
        s.RefVoltage = startHigh ? 5.0 : 2.5;
        s.DigitalOutputsOn = startHigh ? 1 : 0;
        s.ModeRegValue = c.mode;
        link::DecodeModeRegister(s);
        EXPECT_EQ(s.WordLengthBits, c.wordLength);
        EXPECT_EQ(s.Polarity, c.polarity);
        EXPECT_EQ(s.InputRangeMv, c.rangeMv);
        EXPECT_EQ(s.RefVoltage, c.ref);
        EXPECT_EQ(s.DigitalOutputsOn, c.digitalOutputs);
        EXPECT_EQ(s.ModeRegValue, c.mode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeMode,
    ::testing::Values(DecodeCase{"Hex0180", 0x0180, 24, 2, 10, 5.0, 0},
                      DecodeCase{"Hex31B2", 0x31B2, 24, 1, 80, 5.0, 0},
                      DecodeCase{"Hex0830", 0x0830, 16, 2, 80, 2.5, 1},
                      DecodeCase{"Hex21B0", 0x21B0, 24, 2, 80, 5.0, 0},
                      DecodeCase{"Range20", 0x0010, 16, 2, 20, 2.5, 0},
                      DecodeCase{"Range40", 0x0020, 16, 2, 40, 2.5, 0},
                      DecodeCase{"AllZeros", 0x0000, 16, 2, 10, 2.5, 0},
                      DecodeCase{"AllOnes", 0xFFFF, 24, 1, 80, 5.0, 1},
                      DecodeCase{"AllOnes32", -1, 24, 1, 80, 5.0, 1},
                      DecodeCase{"OtherBitsIgnored", 0xE64F, 16, 2, 10, 2.5, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct ClockCase {
    const char* name;
    std::string commandLine;
    int32_t clockHz;
    bool statusShown;
};

class CommandLineClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(CommandLineClock, OnlyTheWholeLineLSelectsTheSlowClock) {
    const ClockCase& c = GetParam();
    StartRig rig(c.commandLine);
    link::StartUp(rig.ctx, version(""));
    EXPECT_EQ(rig.settings.MasterClockHz, c.clockHz);
    EXPECT_EQ(rig.messages.shown.size(), c.statusShown ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineClock,
                         ::testing::Values(ClockCase{"Empty", "", 4915200, false},
                                           ClockCase{"UpperL", "L", 2457600, false},
                                           ClockCase{"LowerL", "l", 2457600, false},
                                           ClockCase{"LWithStatus", "L /SS", 4915200, true},
                                           ClockCase{"StatusLower", "/ss", 4915200, true},
                                           ClockCase{"DoubleL", "LL", 4915200, false},
                                           ClockCase{"LeadingBlank", " L", 4915200, false},
                                           ClockCase{"OtherWord", "Low", 4915200, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- No usable port address: the board is left alone ---------------------------------------

TEST(NoPort, StartUpWithoutAnAddressTouchesNoPortAndSaysSoOnce) {
    StartRig rig("/SS");
    rig.port.infoResult = 0;
    link::StartUp(rig.ctx, version(""));
    EXPECT_TRUE(rig.port.log.empty());
    EXPECT_EQ(rig.messages.texts(),
              (std::vector<std::string>{"This PC does not appear to have a Printer Port",
                                        link::kNoPortMessage,
                                        "Windows Version:\rPort Address:0x0"}));
    EXPECT_EQ(rig.messages.shown[1].icon, MsgIcon::Exclamation);
    // What an absent board shows: a floating data-out line, read as ones.
    EXPECT_EQ(rig.settings.ModeRegValue, 0xFFFF);
    EXPECT_EQ(rig.settings.FilterRegValue, 0xFFFFFF);
    EXPECT_EQ(rig.settings.WordLengthBits, 24);
    EXPECT_EQ(rig.settings.MasterClockHz, 4915200);
}

TEST(NoPort, PortLayerReportingAddressZeroIsAnUnknownPort) {
    StartRig rig;
    rig.port.infoBase = 0;
    link::InitSettings(rig.ctx, version("Windows 2000"));
    EXPECT_TRUE(rig.port.log.empty());
    EXPECT_EQ(rig.messages.texts(), (std::vector<std::string>{link::kNoPortMessage}));
}

TEST(NoPort, UsableAddresses) {
    const std::vector<std::pair<int, bool>> table{
        {0, false}, {1, false}, {2, false}, {3, true}, {0x378, true}, {0x7FFF, true},
        {static_cast<int16_t>(0xFFFD), true}, {static_cast<int16_t>(0xFFFE), false},
        {static_cast<int16_t>(0xFFFF), false}};
    for (const auto& [address, usable] : table)
        EXPECT_EQ(link::PortUsable(static_cast<int16_t>(address)), usable) << address;
}

// Every way the link reaches the port, with what an absent port gives back.
struct Access {
    const char* name;
    std::function<void(const link::Context&)> run;
};

const std::vector<Access>& everyAccess() {
    static const std::vector<Access> table{
        {"OutPort", [](const link::Context& c) { link::OutPort(c, 2, 7); }},
        {"InPort", [](const link::Context& c) { EXPECT_EQ(link::InPort(c, 1), 255); }},
        {"WriteSerial",
         [](const link::Context& c) { link::WriteSerial(c, 33, c.settings.PortAddress, 8); }},
        {"ReadSerial", [](const link::Context& c) {
             EXPECT_EQ(link::ReadSerial(c, 16, c.settings.PortAddress), 65535);
             EXPECT_EQ(link::ReadSerial(c, 24, c.settings.PortAddress), 16777215);
         }},
        {"ReadSerialWhenReady", [](const link::Context& c) {
             EXPECT_EQ(link::ReadSerialWhenReady(c, 24, c.settings.PortAddress), link::kNoData);
         }},
        {"WaitForReady", [](const link::Context& c) { link::WaitForReady(c); }},
        {"InterfaceReset", [](const link::Context& c) { link::InterfaceReset(c); }},
        {"DeviceReset", [](const link::Context& c) { link::DeviceReset(c); }},
        {"RegisterWrite", [](const link::Context& c) {
             link::Register reg(c);
             reg.setWriteAddress(2);
             reg.setWordLength(16);
             reg.setRegValue(0x21B0);
             reg.WriteReg();
         }},
        {"RegisterRead", [](const link::Context& c) {
             link::Register reg(c);
             reg.setReadAddress(16);
             reg.setWordLength(8);
             EXPECT_EQ(reg.ReadReg(), 255.0);
         }},
        {"DataRead", [](const link::Context& c) {
             link::ReadData data(c);
             data.setWordLength(24);
             EXPECT_EQ(data.Read(), link::kNoData);
         }},
    };
    return table;
}

TEST(NoPort, EveryAccessLeavesTheLowAddressesAloneAndTellsOnce) {
    for (const int address : {0, 1, 2, -2, -1}) {
        SCOPED_TRACE(address);
        Rig rig;
        rig.settings.PortAddress = static_cast<int16_t>(address);
        for (const Access& a : everyAccess()) {
            SCOPED_TRACE(a.name);
            a.run(rig.ctx);
            a.run(rig.ctx);
        }
        EXPECT_TRUE(rig.port.log.empty());
        EXPECT_EQ(rig.messages.texts(), (std::vector<std::string>{link::kNoPortMessage}));
    }
}

TEST(NoPort, EachAccessAloneTellsTheUser) {
    for (const Access& a : everyAccess()) {
        SCOPED_TRACE(a.name);
        Rig rig;
        rig.settings.PortAddress = 0;
        a.run(rig.ctx);
        EXPECT_EQ(rig.messages.shown.size(), 1u);
    }
}

TEST(NoPort, ChoosingAPortReachesTheBoardWithoutFurtherMessages) {
    Rig rig;
    rig.settings.PortAddress = 0;
    link::DeviceReset(rig.ctx);
    rig.settings.PortAddress = 888;  // the user picks LPT1
    rig.port.fixed[889] = 0x00;      // and the board is ready
    link::DeviceReset(rig.ctx);
    link::WaitForReady(rig.ctx);
    EXPECT_EQ(rig.port.writesTo(888), (std::vector<int>{24, 26}));
    EXPECT_EQ(rig.port.readsFrom(889), 1);
    EXPECT_EQ(rig.messages.shown.size(), 1u);
}

TEST(NoPort, ByteAccessNeverReachesAddressesZeroToTwoEvenWithAPort) {
    Rig rig;  // a port is known; a stray absolute address is still refused
    link::OutPort(rig.ctx, 2, 0);
    EXPECT_EQ(link::InPort(rig.ctx, 1), 255);
    EXPECT_TRUE(rig.port.log.empty());
    EXPECT_EQ(rig.messages.shown.size(), 1u);
}

} // namespace
} // namespace qb::linktest
