// The noise sweep on the simulated board: the registers it writes and puts back (also after a
// failure and a stop), its figures against the board's noise model, and the plans it refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/NoiseSweep.h"
#include "platform/base/Text.h"
#include "support/BoardRig.h"

namespace qb::analysis {
namespace {

using Lines = std::vector<std::string>;

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The register transfers, each run of results as one line ("27 results").
Lines Shape(const Lines& traffic) {
    Lines out;
    int results = 0;
    for (const std::string& t : traffic) {
        if (t.rfind("D ", 0) == 0 || t == "wait") {
            results += t != "wait";
            continue;
        }
        if (results > 0) out.push_back(std::to_string(results) + " results");
        results = 0;
        out.push_back(t);
    }
    if (results > 0) out.push_back(std::to_string(results) + " results");
    return out;
}

Lines Setting(const std::string& filter) {
    return {"W filter " + filter, "R filter " + filter, "W mode 2190", "R mode 2190", "C 33"};
}
const Lines kRead{"R mode 21B0", "R filter 800225"}, kEnd{"C 48", "out 1B"}, kNoResult{"out 1A"};
const Lines kRestore{"W filter 800225", "R filter 800225", "W mode 21B0", "R mode 21B0", "R mode 21B0", "R filter 800225"};

// 20 mV at 1000 Hz, chopping off then on, 5 codes each, on a converter holding filter 800225
// (SKIP, AC, delay 5): SKIP goes, AC stays only with chopping, the delay stays, the range changes
// and nothing else of the mode.
TEST(NoiseSweep, WritesEachSettingAndPutsTheRegistersBack) {
    const struct {
        const char* name;
        board::Fault fault;
        int stopAfter;      // results, then the hook says stop (-1: never)
        bool stopInWait;    // the context's stop hook ends the wait for a result
        SweepOutcome outcome;
        std::size_t rows;
        Lines traffic;
        const char* failure;
    } cases[] = {
        {"complete", board::Fault::None, -1, false, SweepOutcome::Complete, 2,
         kRead + Setting("133005") + Lines{"27 results"} + kEnd + Setting("66035") + Lines{"27 results"} + kEnd + kRestore, ""},
        {"stopped", board::Fault::None, 30, false, SweepOutcome::Stopped, 1,
         kRead + Setting("133005") + Lines{"27 results"} + kEnd + Setting("66035") + Lines{"3 results"} + kEnd + kRestore, ""},
        {"stopped in a wait", board::Fault::NoReady, -1, true, SweepOutcome::Stopped, 0,
         kRead + Setting("133005") + kNoResult + kEnd + kRestore, ""},
        {"no result", board::Fault::NoReady, -1, false, SweepOutcome::Failed, 0,
         kRead + Setting("133005") + kNoResult + kEnd + kRestore,
         "Error occured while trying to read from QB4160: no result came at 20 mV, 1000.65 Hz, chopping off"},
        // (the filter loaded for the test reads back 800224 already)
        {"read back wrong", board::Fault::Readback, -1, false, SweepOutcome::Failed, 0,
         Lines{"R mode 21B0", "R filter 800224", "W filter 133004", "R filter 133005", "W filter 800224", "R filter 800225",
               "W mode 21B0", "R mode 21B1", "R mode 21B1", "R filter 800225"},
         "the filter register read back 133005 after 133004 was written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::BoardRig rig(-1, test::Fault(c.fault));
        rig.load(link::comms::kFilterWrite, 0x800225);
        const auto settings = PlanSettings({{20}, {1000}, ChopChoice::Both, 5}, 4915200, false);
        ASSERT_TRUE(settings.ok()) << settings.error();
        int taken = 0;
        SweepHooks hooks;
        hooks.afterEachResult = [&](double) { return ++taken != c.stopAfter; };
        const link::Context ctx = link::WithStopHook(rig.ctx, [&] { return c.stopInWait; });
        const SweepResult r = RunSweep(ctx, *settings, 5, hooks);
        EXPECT_EQ(Shape(rig.traffic()), c.traffic);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.rows.size(), c.rows);
        EXPECT_EQ(r.failure, c.failure);
    }
}

// RMS noise = 40 nV x sqrt(rate / 50 Hz), x 1.5 without chopping, the same in volts on every
// range, within four standard errors of a standard deviation of 1000 codes. Measured on the
// internal short (channel bits 10), as a data sheet measures noise.
TEST(NoiseSweep, RowsFollowTheBoardsNoiseModel) {
    test::BoardRig rig(0x21B2);
    const auto settings = PlanSettings({{10, 80}, {100, 1000}, ChopChoice::Both, 1000}, 4915200, true);
    ASSERT_TRUE(settings.ok()) << settings.error();
    const SweepResult r = RunSweep(rig.ctx, *settings, 1000);
    ASSERT_EQ(r.rows.size(), 8u);
    for (const SweepRow& row : r.rows) {
        SCOPED_TRACE(SettingText(row.setting));
        const double model = 40e-9 * std::sqrt(row.setting.rateHz / 50) * (row.setting.chop ? 1 : 1.5);
        EXPECT_NEAR(*row.figures.rmsNoiseV.value, model, model * 4 / std::sqrt(2.0 * 999));
    }
}

// Lists, counts and rates out of reach are refused, naming what is allowed.
TEST(NoiseSweep, RefusesWhatItCannotMeasure) {
    const auto planned = [](SweepPlan plan) {
        const auto s = PlanSettings(plan, 4915200, false);
        return s.ok() ? std::to_string(s->size()) + " settings, words " + std::to_string(s->front().filterWord) + " to " +
                            std::to_string(s->back().filterWord)
                      : s.error();
    };
    EXPECT_EQ(planned({{80}, {50}, ChopChoice::Held, 1000}),
              "50 Hz cannot be reached without chopping at a master clock of 4915200 Hz: the filter word gives 75.02 Hz "
              "to 2048.00 Hz");
    EXPECT_EQ(planned({{80}, {1500}, ChopChoice::Both, 1000}),
              "1500 Hz cannot be reached with chopping at a master clock of 4915200 Hz: the filter word gives 25.01 Hz to "
              "1365.33 Hz");
    EXPECT_EQ(planned({{80}, {100}, ChopChoice::Off, 5001}), "a sweep reads 5 to 5000 codes per setting, not 5001");
    EXPECT_EQ(planned({{10, 20, 40, 80}, {}, ChopChoice::On, 1000}), "40 settings, words 4095 to 75");
    EXPECT_EQ(planned({{10}, {}, ChopChoice::Both, 1000}), "20 settings, words 4095 to 75");
    std::string ladder;
    for (double hz : RateLadder(ReachableRates(4915200, true))) ladder += platform::Format(hz, "0.##") + " ";
    EXPECT_EQ(ladder, "25.01 39 61 95 150 230 360 560 880 1365.33 ");

    const auto listed = [](auto parsed) { return parsed.ok() ? std::to_string(parsed->size()) : parsed.error(); };
    EXPECT_EQ(listed(ParseRanges("10, 80")), "2");
    EXPECT_EQ(listed(ParseRanges("10,15")), "\"15\" is not an input range of 10, 20, 40 or 80 mV");
    EXPECT_EQ(listed(ParseRanges("20,20")), "\"20\" is given twice");
    EXPECT_EQ(listed(ParseRates("50,100.5")), "2");
    for (const char* bad : {"", "50,", "0", "-5", "fast"})
        EXPECT_NE(listed(ParseRates(bad)).find("is not an output rate in Hz"), std::string::npos) << bad;
}

} // namespace
} // namespace qb::analysis
