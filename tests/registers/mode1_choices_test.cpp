// The mode register window's two questions: an Ain2 channel while the digital outputs are on
// (channelform), and disabling the clock output (warning); both as a click and while the window
// opens.
#include <gtest/gtest.h>

#include "registers/Mode1.h"
#include "registers/ModeProbe.h"

namespace qb::regtest {
namespace {

struct Choice {
    int32_t chip;
    const char* click;             // nullptr: only the opening
    std::deque<std::string> answers;  // buttons pressed in the windows that come up (none: closed)
    Strings seen;                  // captions of the windows that came up
    std::string state;
    Traffic traffic;               // from the opening read on
    int32_t value;                 // ModeRegValue at the end
    const char* message = nullptr;
};

void RunChoice(const Choice& c) {
    Rig rig(c.chip);
    registers::Mode1 form(rig.ctx);
    ChoiceAnswers answers(c.answers);
    RunModal(form, [&] {
        if (c.click) Click(form, c.click);
        EXPECT_EQ(State(form), c.state);
    });
    EXPECT_EQ(answers.seen, c.seen);
    EXPECT_EQ(rig.traffic(), c.traffic);
    EXPECT_EQ(rig.settings.ModeRegValue, c.value);
    EXPECT_EQ(rig.settings.DialogChoice, 0);
    EXPECT_EQ(rig.settings.TurnOffOutputsChosen, 0);
    EXPECT_EQ(rig.messages.texts(), c.message ? Strings{c.message} : Strings{});
    EXPECT_EQ(rig.settings.DigitalOutputsOn, c.state.find("den") != std::string::npos);
}

TEST(Mode1, Ain2ChannelsAndTheDigitalOutputsExcludeEachOther) {
    const Strings asked{"QB4160"};
    const Choice cases[] = {
        // Turn the outputs off: written off first, then the channel.
        {0x2980, "ch2", {"Command1"}, asked, "md1 bipolar bit24 v5 range1 ch2",
         {"R mode 2980", "W mode 2180", "R mode 2180", "W mode 2181", "R mode 2181"}, 0x2181},
        {0x2F82, "ch4", {"Command1"}, asked, "md1 bipolar bit24 v5 range1 ch4 d1 d2",
         {"R mode 2F82", "W mode 2182", "R mode 2182", "W mode 2183", "R mode 2183"}, 0x2183},
        // Cancel, or closing the window: back to the previous channel, which is written again.
        {0x2980, "ch2", {"Command2"}, asked, "md1 bipolar bit24 v5 range1 ch1 den +outputs",
         {"R mode 2980", "W mode 2980", "R mode 2980"}, 0x2980},
        {0x2982, "ch4", {}, asked, "md1 bipolar bit24 v5 range1 ch3 den +outputs",
         {"R mode 2982", "W mode 2982", "R mode 2982"}, 0x2982},
        // Enabling the outputs with Ain2 selected is refused, says why and leaves them off.
        {0x2183, "den", {}, {}, "md1 bipolar bit24 v5 range1 ch4", {"R mode 2183", "W mode 2183", "R mode 2183"}, 0x2183,
         "The Digital Outputs cannot be enabled while Ain2 is selected. Please select a different channel before "
         "turning on the digital outputs."},
        // A chip holding both at opening: asked then; the answer is kept, not written.
        {0x0801, nullptr, {"Command1"}, asked, "md0 bipolar bit16 v2 range1 ch2", {"R mode 801"}, 0x0001},
        {0x0801, nullptr, {"Command2"}, asked, "md0 bipolar bit16 v2 range1 ch2 den +outputs", {"R mode 801"}, 0x0801},
        // Once open that way, another Ain2 channel cancelled goes back to the one read, unasked.
        {0x0801, "ch4", {"Command2", "Command2"}, {"QB4160", "QB4160"}, "md0 bipolar bit16 v2 range1 ch2 den +outputs",
         {"R mode 801"}, 0x0801},
    };
    for (const Choice& c : cases) {
        SCOPED_TRACE(Hex4(c.chip) + " " + (c.click ? c.click : "opening"));
        RunChoice(c);
    }
}

TEST(Mode1, TheClockOutputWarningDecidesTheBitWhicheverWayTheBoxWasClicked) {
    const Strings warned{"QB4160 Read Error!"}, twice{"QB4160 Read Error!", "QB4160 Read Error!"};
    const std::string base = "md1 bipolar bit24 v5 range1 ch1";
    const Choice cases[] = {
        {0x2180, "CLKOUT", {"Command1"}, warned, base, {"R mode 2180", "W mode 2180", "R mode 2180"}, 0x2180},
        {0x2180, "CLKOUT", {"ReadErrorCommand"}, warned, base + " CLKOUT", {"R mode 2180", "W mode 2188", "R mode 2188"}, 0x2188},
        {0x2180, "CLKOUT", {}, warned, base, {"R mode 2180", "W mode 2180", "R mode 2180"}, 0x2180},
        // Bit 3 set at opening: warned then too; the answer is kept and written with the next change.
        {0x2188, nullptr, {"ReadErrorCommand"}, warned, base + " CLKOUT", {"R mode 2188"}, 0x2188},
        {0x2188, nullptr, {"Command1"}, warned, base, {"R mode 2188"}, 0x2180},
        {0x2188, "CLKOUT", {"ReadErrorCommand", "ReadErrorCommand"}, twice, base + " CLKOUT",
         {"R mode 2188", "W mode 2188", "R mode 2188"}, 0x2188},
        {0x2188, "CLKOUT", {"ReadErrorCommand", "Command1"}, twice, base, {"R mode 2188", "W mode 2180", "R mode 2180"}, 0x2180},
    };
    for (const Choice& c : cases) {
        SCOPED_TRACE(Hex4(c.chip) + " " + (c.click ? c.click : "opening") + " " + (c.answers.empty() ? "closed" : c.answers.back()));
        RunChoice(c);
    }
}

} // namespace
} // namespace qb::regtest
