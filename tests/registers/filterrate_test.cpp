// The rate the filter window shows is the rate the simulated board then converts at: for CHOP
// on and off and for both master clocks, ten results read on virtual time are spaced by one
// period of the rate shown.
#include <gtest/gtest.h>

#include <QTest>

#include "link/Register.h"
#include "platform/widgets/Controls.h"
#include "platform/base/Text.h"
#include "registers/RegisterRig.h"
#include "registers/filter.h"

namespace {

using namespace qb;
using namespace qb::regtest;

TEST(FilterRate, ResultsComeAtTheRateShown) {
    const struct { double clockHz; const char* commandLine; bool chop; const char* shown; } cases[] = {
        {4915200, "", true, "100.00"},
        {4915200, "", false, "300.00"},
        {2457600, "L", true, "100.00"},
        {2457600, "L", false, "300.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.shown) + " at " + std::to_string(c.clockHz));
        board::SimOptions options;
        options.masterClockHz = c.clockHz;
        Rig rig(-1, options, c.commandLine);
        registers::filter form(rig.ctx);
        std::string shown;
        RunModal(form, [&] {  // the board starts with CHOP on
            auto* rate = Find<platform::TextBox>(form, "Text2");
            rate->setText("100");
            QTest::keyClick(rate, Qt::Key_Return);
            if (!c.chop) Click(form, "chop");
            shown = rate->str();
        });
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(rig.messages.shown.empty());

        link::StartContinuousRead(rig.ctx);
        link::ReadData data(rig.ctx);
        data.setWordLength(24);
        std::vector<double> times;
        for (int i = 0; i < 10; ++i) {
            ASSERT_NE(data.Read(), link::kNoData);
            times.push_back(rig.sim.virtualTimeSeconds());
        }
        link::StopContinuousRead(rig.ctx);
        const double period = 1.0 / platform::ParseNumber(shown).value();
        for (std::size_t i = 1; i < times.size(); ++i)
            EXPECT_NEAR(times[i] - times[i - 1], period, period * 1e-3) << "result " << i;
    }
}

} // namespace
