#pragma once
// The noise sweep: the converter's noise and resolution measured at every input range, output
// rate and chopping asked for, the table a sigma-delta data sheet prints. Free of widgets: the
// headless --sweep and the "Noise Sweep..." window plan and run the sweep with these routines.
//
// Each setting writes the filter register (the filter word for the rate, chopping on or off, SKIP
// cleared, AC kept only with chopping) and then the mode register (the range; every other field
// as the converter held it), each read back; drops the results the filter gives while it settles;
// reads the codes and computes their figures. The mode and filter registers are put back at the
// end, also after a failure and after a stop.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResolutionFigures.h"
#include "link/Context.h"
#include "platform/base/Result.h"

namespace qb::analysis {

inline constexpr std::array<int16_t, 4> kSweepRangesMv = {10, 20, 40, 80};
inline constexpr int kDefaultSweepCodes = 1000;
// Rates of the default ladder.
inline constexpr int kLadderRates = 10;
// The word's twelve bits: the lowest rate a sweep reaches.
inline constexpr int32_t kLargestSweepWord = 4095;
// Results dropped after each setting's register writes: the filter's second stage averages 22
// first-stage outputs, and the 22nd result after a restart is the first with a full window.
inline constexpr int kSettlingResults = 22;

// --chop: as the converter holds it, off, on, or off and then on.
enum class ChopChoice { Held, Off, On, Both };
// "on", "off" or "both"; nullopt for anything else.
std::optional<ChopChoice> ParseChopChoice(std::string_view text);

// The rates the filter word gives at this clock and chopping: from the largest word to the least
// the filter window allows (150, or 75 with chopping).
struct RateSpan {
    double lowestHz = 0, highestHz = 0;
};
RateSpan ReachableRates(double masterClockHz, bool chop);

// kLadderRates rates spread evenly on a logarithmic scale across the span: its two ends, and
// between them rates rounded to two significant digits (39, 61, 95, 150 Hz ...).
std::vector<double> RateLadder(const RateSpan& span);

// A list as typed after --ranges: input ranges in mV among 10, 20, 40 and 80, separated by
// commas, none twice. Fails saying which entry is wrong.
platform::Result<std::vector<int16_t>> ParseRanges(std::string_view list);
// A list as typed after --rates: output rates in Hz, positive numbers separated by commas, none
// twice. Fails saying which entry is wrong.
platform::Result<std::vector<double>> ParseRates(std::string_view list);

struct SweepPlan {
    std::vector<int16_t> rangesMv{kSweepRangesMv.begin(), kSweepRangesMv.end()};
    std::vector<double> ratesHz;  // empty: the ladder of each chopping's span
    ChopChoice chop = ChopChoice::Held;
    int codes = kDefaultSweepCodes;  // per setting, 5..5000
};

struct SweepSetting {
    int16_t rangeMv = 0;
    bool chop = false;
    double requestedRateHz = 0;
    int32_t filterWord = 0;
    double rateHz = 0;  // what the filter word gives
    bool operator==(const SweepSetting&) const = default;
};

// The plan's settings at this master clock, the converter holding chopping as `heldChop`:
// chopping outermost, then the rates as given (or the ladder), then the ranges. Fails, naming
// the reachable span, for a rate the filter word cannot give with a chopping asked for; and for
// a count outside 5..5000.
platform::Result<std::vector<SweepSetting>> PlanSettings(const SweepPlan& plan, double masterClockHz, bool heldChop);

// The register values of a setting, from those the converter held.
int32_t SweepModeValue(int32_t heldMode, int16_t rangeMv);
int32_t SweepFilterValue(int32_t heldFilter, const SweepSetting& setting);

// "80 mV, 50.00 Hz, chopping on"
std::string SettingText(const SweepSetting& setting);

struct SweepRow {
    SweepSetting setting;
    int codes = 0;
    ResolutionFigures figures;
    // Some code stood at an end of the range (0 or all ones): the input lies outside the range,
    // so the figures measure the clipping, not the noise.
    bool clipped = false;
};

struct SweepRegisters {
    int32_t mode = 0, filter = 0;
    bool operator==(const SweepRegisters&) const = default;
};

enum class SweepOutcome { Complete, Stopped, Failed };

struct SweepResult {
    SweepOutcome outcome = SweepOutcome::Complete;
    std::vector<SweepRow> rows;   // the settings measured in full, in order
    SweepRegisters before, after;  // as read before the sweep and after the registers went back
    std::string failure;          // why, when Failed
};

struct SweepHooks {
    // After each result taken (also those dropped while the filter settles), with the part of the
    // sweep done (0..1). False stops the sweep; a setting not measured in full gives no row.
    std::function<bool(double done)> afterEachResult;
    // When a setting's row is complete.
    std::function<void(const SweepRow& row)> rowDone;
};

// Runs the settings on the converter, `codes` codes each (the caller has planned them). Reads the
// mode and filter registers first; a converter not in continuous conversion fails at once with
// kNotContinuousMessage and nothing written. A register that reads back other than written, or a
// result that never comes, ends the sweep as Failed; a stop (the hooks, or the context's stop
// hook during a wait) as Stopped. On every way out after the first write, the filter and then
// the mode register get their values back, each read back.
SweepResult RunSweep(const link::Context& ctx, const std::vector<SweepSetting>& settings, int codes,
                     const SweepHooks& hooks = {});

} // namespace qb::analysis
