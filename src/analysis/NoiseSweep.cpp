#include "analysis/NoiseSweep.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "analysis/AnalysisRead.h"
#include "analysis/NoiseFigures.h"
#include "link/CodeCount.h"
#include "link/FilterRate.h"
#include "link/ProgramRegisters.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::analysis {

namespace {

constexpr int32_t kRangeBits = 0x30;  // mode register bits 5..4

using link::SetUpRegister;

// The mode and filter registers as the converter holds them, kept in the shared settings (the
// mode decoded).
SweepRegisters readRegisters(const link::Context& ctx) {
    constexpr SetUpRegister kModeThenFilter[] = {SetUpRegister::Mode, SetUpRegister::Filter};
    const link::SetUp held = link::ReadRegisters(ctx, kModeThenFilter);
    return {*held[SetUpRegister::Mode], *held[SetUpRegister::Filter]};
}

// Writes the filter register and then the mode register, each read back, as far as the first one
// that reads back other than written; what went wrong, if one did.
std::optional<std::string> writeRegisters(const link::Context& ctx, std::optional<int32_t> filter,
                                          std::optional<int32_t> mode) {
    link::SetUp setUp;
    setUp[SetUpRegister::Filter] = filter;
    setUp[SetUpRegister::Mode] = mode;
    if (const std::optional<link::Mismatch> mismatch = link::ProgramRegisters(ctx, setUp))
        return link::MismatchText(*mismatch);
    return std::nullopt;
}

int32_t leastWord(bool chop) { return chop ? link::kLeastRateWordChop : link::kLeastRateWord; }

std::string rateText(double hz) { return platform::Format(hz, "0.00") + " Hz"; }

// The entries of a comma-separated list, blanks around each taken off.
std::vector<std::string_view> entries(std::string_view list) {
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t comma = list.find(',');
        std::string_view entry = list.substr(0, comma);
        while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
        while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
        out.push_back(entry);
        if (comma == std::string_view::npos) return out;
        list.remove_prefix(comma + 1);
    }
}

// Each entry of the list through `parse` (nullopt: the entry is wrong, as `wanted` says), none twice.
template <class T, class Parse>
platform::Result<std::vector<T>> parseList(std::string_view list, const char* wanted, Parse parse) {
    std::vector<T> out;
    for (std::string_view entry : entries(list)) {
        const std::optional<T> value = parse(entry);
        if (!value) return platform::Fail("\"" + std::string(entry) + "\" is not " + wanted);
        if (std::find(out.begin(), out.end(), *value) != out.end())
            return platform::Fail("\"" + std::string(entry) + "\" is given twice");
        out.push_back(*value);
    }
    return out;
}

// How the reading of one setting's results ended.
enum class Taken { All, Stopped, NoData };

} // namespace

std::optional<ChopChoice> ParseChopChoice(std::string_view text) {
    if (text == "on") return ChopChoice::On;
    if (text == "off") return ChopChoice::Off;
    if (text == "both") return ChopChoice::Both;
    return std::nullopt;
}

RateSpan ReachableRates(double masterClockHz, bool chop) {
    return {link::UpdateRateHz(masterClockHz, kLargestSweepWord, chop).value_or(0),
            link::UpdateRateHz(masterClockHz, leastWord(chop), chop).value_or(0)};
}

std::vector<double> RateLadder(const RateSpan& span) {
    std::vector<double> rates;
    const double ratio = span.highestHz / span.lowestHz;
    for (int i = 0; i < kLadderRates; ++i) {
        if (i == 0 || i == kLadderRates - 1) {
            rates.push_back(i == 0 ? span.lowestHz : span.highestHz);
            continue;
        }
        const double rate = span.lowestHz * std::pow(ratio, double(i) / (kLadderRates - 1));
        const double step = std::pow(10.0, std::floor(std::log10(rate)) - 1);  // two significant digits
        rates.push_back(std::round(rate / step) * step);
    }
    return rates;
}

platform::Result<std::vector<int16_t>> ParseRanges(std::string_view list) {
    return parseList<int16_t>(list, "an input range of 10, 20, 40 or 80 mV", [](std::string_view e) {
        const std::optional<double> mv = platform::ParseNumber(e);
        std::optional<int16_t> range;
        for (int16_t r : kSweepRangesMv)
            if (mv && *mv == r) range = r;
        return range;
    });
}

platform::Result<std::vector<double>> ParseRates(std::string_view list) {
    return parseList<double>(list, "an output rate in Hz", [](std::string_view e) {
        const std::optional<double> hz = platform::ParseNumber(e);
        return hz && *hz > 0 && std::isfinite(*hz) ? hz : std::nullopt;
    });
}

platform::Result<std::vector<SweepSetting>> PlanSettings(const SweepPlan& plan, double masterClockHz, bool heldChop) {
    if (!link::CodeCountAllowed(plan.codes))
        return platform::Fail("a sweep reads " + std::to_string(link::kMinCodes) + " to " +
                              std::to_string(link::kMaxCodes) + " codes per setting, not " + std::to_string(plan.codes));
    std::vector<bool> chops;
    switch (plan.chop) {
    case ChopChoice::Held: chops = {heldChop}; break;
    case ChopChoice::Off: chops = {false}; break;
    case ChopChoice::On: chops = {true}; break;
    case ChopChoice::Both: chops = {false, true}; break;
    }
    std::vector<SweepSetting> settings;
    for (bool chop : chops) {
        const RateSpan span = ReachableRates(masterClockHz, chop);
        const std::vector<double> rates = plan.ratesHz.empty() ? RateLadder(span) : plan.ratesHz;
        for (double requested : rates) {
            const double word = platform::RoundHalfEven(masterClockHz / (link::ClockDivisor(chop) * requested));
            if (!(word >= leastWord(chop) && word <= kLargestSweepWord))
                return platform::Fail(platform::Format(requested, "0.##") + " Hz cannot be reached " +
                                      (chop ? "with" : "without") + " chopping at a master clock of " +
                                      platform::Format(masterClockHz, "0") + " Hz: the filter word gives " +
                                      rateText(span.lowestHz) + " to " + rateText(span.highestHz));
            for (int16_t range : plan.rangesMv) {
                SweepSetting s{range, chop, requested, static_cast<int32_t>(word), 0};
                s.rateHz = link::UpdateRateHz(masterClockHz, s.filterWord, chop).value_or(0);
                settings.push_back(s);
            }
        }
    }
    return settings;
}

int32_t SweepModeValue(int32_t heldMode, int16_t rangeMv) {
    int32_t bits = 0;
    for (int32_t i = 0; i < int32_t(kSweepRangesMv.size()); ++i)
        if (kSweepRangesMv[std::size_t(i)] == rangeMv) bits = i << 4;
    return (heldMode & ~kRangeBits) | bits;
}

int32_t SweepFilterValue(int32_t heldFilter, const SweepSetting& setting) {
    using namespace link::filterbits;
    int32_t value = link::WithFilterWord(heldFilter, setting.filterWord) & kSkipOff;
    return setting.chop ? value | kChopOn : value & kChopOff & kAcOff;
}

std::string SettingText(const SweepSetting& s) {
    return std::to_string(s.rangeMv) + " mV, " + rateText(s.rateHz) + ", chopping " + (s.chop ? "on" : "off");
}

SweepResult RunSweep(const link::Context& ctx, const std::vector<SweepSetting>& settings, int codes,
                     const SweepHooks& hooks) {
    SweepResult result;
    result.before = readRegisters(ctx);
    result.after = result.before;
    if ((result.before.mode & kContinuousModeBit) == 0) {
        result.outcome = SweepOutcome::Failed;
        result.failure = kNotContinuousMessage;
        return result;
    }

    const auto fail = [&](SweepOutcome outcome, std::string why) {
        result.outcome = outcome;
        result.failure = std::move(why);
    };
    const double perSetting = kSettlingResults + codes;
    link::ReadData reader(ctx);
    for (std::size_t i = 0; i < settings.size() && result.outcome == SweepOutcome::Complete; ++i) {
        const SweepSetting& setting = settings[i];
        if (const std::optional<std::string> wrong =
                writeRegisters(ctx, SweepFilterValue(result.before.filter, setting),
                               SweepModeValue(result.before.mode, setting.rangeMv))) {
            fail(SweepOutcome::Failed, *wrong);
            break;
        }
        reader.setWordLength(ctx.settings.WordLengthBits);

        std::vector<double> taken;
        taken.reserve(static_cast<std::size_t>(codes));
        Taken how = Taken::All;
        bool stop = false;
        link::StartContinuousRead(ctx);
        for (int k = 0; k < kSettlingResults + codes && !stop; ++k) {
            const int32_t code = reader.Read();
            if (code == link::kStopped || code == link::kNoData) {
                how = code == link::kStopped ? Taken::Stopped : Taken::NoData;
                break;
            }
            if (k >= kSettlingResults) taken.push_back(code);
            stop = hooks.afterEachResult && !hooks.afterEachResult((double(i) * perSetting + k + 1) /
                                                                    (double(settings.size()) * perSetting));
        }
        link::StopContinuousRead(ctx);

        if (how == Taken::NoData) {
            fail(SweepOutcome::Failed, std::string(link::kReadErrorMessage) + ": no result came at " +
                                           SettingText(setting));
            break;
        }
        if (static_cast<int>(taken.size()) == codes) {
            const double allOnes = std::ldexp(1.0, ctx.settings.WordLengthBits) - 1;
            const auto [least, most] = std::minmax_element(taken.begin(), taken.end());
            const bool clipped = *least <= 0 || *most >= allOnes;
            result.rows.push_back(
                {setting, codes, ComputeResolutionFigures(taken, PresentDataFormat(ctx.settings), setting.rateHz), clipped});
            if (hooks.rowDone) hooks.rowDone(result.rows.back());
        }
        if (how == Taken::Stopped || stop) result.outcome = SweepOutcome::Stopped;
    }

    // Each register goes back on its own, so a filter that reads back wrong still has the mode
    // written after it.
    const std::optional<std::string> wrongFilter = writeRegisters(ctx, result.before.filter, std::nullopt);
    const std::optional<std::string> wrongMode = writeRegisters(ctx, std::nullopt, result.before.mode);
    if (const auto& wrong = wrongFilter ? wrongFilter : wrongMode; wrong && result.outcome != SweepOutcome::Failed)
        fail(SweepOutcome::Failed, "the registers could not be put back: " + *wrong);
    result.after = readRegisters(ctx);
    return result;
}

} // namespace qb::analysis
