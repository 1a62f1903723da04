// The mode register window's operating modes: power-down written as it stands, the internal and
// system calibrations (written, waited for, the chip's value adopted, idle shown without another
// write), and a calibration that never ends.
#include <gtest/gtest.h>

#include "registers/Mode1.h"
#include "registers/ModeProbe.h"

namespace qb::regtest {
namespace {

TEST(Mode1, PowerDownIsWrittenWithoutReadBack) {
    board::SimOptions readback;
    readback.fault = board::Fault::Readback;  // a read-back would differ: no message proves none is made
    Rig rig(-1, readback);
    registers::Mode1 form(rig.ctx);
    RunModal(form, [&] {
        rig.port.clear();
        Click(form, "md3");
        EXPECT_EQ(Text(form, "Label4"), "21B0");  // keeps the text of the last read
        EXPECT_EQ(Shapes(form), 0x61B0u);
    });
    EXPECT_EQ(rig.traffic(), Traffic{"W mode 61B0"});
    EXPECT_EQ(rig.settings.ModeRegValue, 0x61B0);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(Mode1, CalibrationsWriteWaitAdoptTheChipsValueAndEndInIdleWithoutAnotherWrite) {
    const std::tuple<const char*, const char*, const char*> cases[] = {  // button, written, prompt
        {"md4", "W mode 8180", nullptr},
        {"md5", "W mode A180", nullptr},
        {"md6", "W mode C180", "Please connect a Zero-Scale voltage to the analog input."},
        {"md7", "W mode E180", "Please connect a Full-Scale voltage to the analog input."}};
    for (const auto& [button, written, prompt] : cases) {
        SCOPED_TRACE(button);
        const bool internal = prompt == nullptr;
        Rig rig(0x2180);
        registers::Mode1 form(rig.ctx);
        QWidget* notice = Find<QWidget>(form, "textlabel");
        int64_t noticedPolls = 0;
        rig.port.onBusyPoll = [&] { noticedPolls += notice->isVisible(); };
        std::vector<std::size_t> accessesAtPrompt;
        rig.messages.onShow = [&](const platform::Message&) { accessesAtPrompt.push_back(rig.port.log.size()); };
        RunModal(form, [&, &button = button] {  // clang 14 captures no binding by itself
            rig.port.clear();
            rig.port.busyPolls = 0;
            Click(form, button);
            EXPECT_EQ(State(form), "md0 bipolar bit24 v5 range1 ch1");
            EXPECT_EQ(Text(form, "Label4"), "180");
            EXPECT_EQ(Shapes(form), 0x180u);
            EXPECT_FALSE(notice->isVisible());
        });
        // The chip is busy for four conversion periods (80 ms at 50 Hz, one poll a microsecond);
        // then one poll finds it ready, the read-back shows it idle, and the second wait finds it
        // ready at once.
        EXPECT_EQ(rig.traffic(), (Traffic{written, "wait", "R mode 180", "wait"}));
        EXPECT_GT(rig.port.busyPolls, 60000);
        EXPECT_EQ(noticedPolls, internal ? rig.port.busyPolls : 0);
        EXPECT_EQ(rig.port.waits, internal ? std::vector<double>{0.005} : std::vector<double>{});
        EXPECT_EQ(rig.messages.texts(), prompt ? Strings{prompt} : Strings{});
        EXPECT_EQ(accessesAtPrompt, prompt ? std::vector<std::size_t>{0} : std::vector<std::size_t>{});
        EXPECT_EQ(rig.settings.ModeRegValue, 0x180);
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
    }
}

TEST(Mode1, ACalibrationThatNeverEndsGivesTheReadErrorThenDrdyAndEndsInIdle) {
    board::SimOptions options;
    options.fault = board::Fault::NoReady;
    Rig rig(-1, options);
    registers::Mode1 form(rig.ctx);
    std::vector<int64_t> pollsAtMessage;
    rig.messages.onShow = [&](const platform::Message&) { pollsAtMessage.push_back(rig.port.busyPolls); };
    RunModal(form, [&] {
        rig.port.clear();
        Click(form, "md4");
        EXPECT_EQ(State(form), "md0 bipolar bit24 v5 range4 ch1");
        EXPECT_EQ(Text(form, "Label4"), "21B0");  // no read-back was made
        EXPECT_FALSE(Find<QWidget>(form, "textlabel")->isVisible());
    });
    EXPECT_EQ(rig.messages.texts(), (Strings{"Error occured while trying to read from QB4160", "DRDY High Too Long!"}));
    EXPECT_EQ(pollsAtMessage, (std::vector<int64_t>{20'000'001, 20'200'001}));
    EXPECT_EQ(rig.port.busyPolls, 20'200'001);
    EXPECT_EQ(rig.traffic(), Traffic{"W mode 81B0"});
    EXPECT_EQ(rig.port.waits, std::vector<double>{0.005});
    EXPECT_EQ(rig.settings.ModeRegValue, 0x01B0);
    EXPECT_EQ(rig.settings.DialogChoice, 0);
}

} // namespace
} // namespace qb::regtest
