#include "board/SimOptions.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <system_error>

namespace qb::board {
namespace {

constexpr std::string_view kPrefix = "--sim-";

std::optional<double> ParseDouble(std::string_view text) {
    // from_chars takes no leading '+'; accept it since "+10" is a natural way to write a voltage.
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<uint64_t> ParseUnsigned(std::string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string Number(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

// Parses a number in [lo, hi] for the option `name` into `target`.
std::optional<std::string> RangedNumber(std::string_view name, std::string_view text, double lo,
                                        double hi, const char* unit, double& target) {
    auto v = ParseDouble(text);
    if (!v) return "--" + std::string(name) + ": " + Quote(text) + " is not a number";
    if (*v < lo || *v > hi)
        return "--" + std::string(name) + ": " + Quote(text) + " is out of range (" + Number(lo) +
               " to " + Number(hi) + " " + unit + ")";
    target = *v;
    return std::nullopt;
}

} // namespace

bool IsSimOption(std::string_view option) { return option.substr(0, kPrefix.size()) == kPrefix; }

const char* FaultName(Fault fault) {
    switch (fault) {
    case Fault::None: return "none";
    case Fault::Absent: return "absent";
    case Fault::NoReady: return "no-ready";
    case Fault::Readback: return "readback";
    }
    return "none";
}

std::optional<std::string> ApplySimOption(SimOptions& options, std::string_view option) {
    if (!IsSimOption(option))
        return "not a simulated-board option: " + Quote(option);
    std::string_view body = option.substr(2); // "sim-NAME[=VALUE]"
    std::string_view name = body;
    std::optional<std::string_view> value;
    if (auto eq = body.find('='); eq != std::string_view::npos) {
        name = body.substr(0, eq);
        value = body.substr(eq + 1);
    }

    SimOptions changed = options;
    std::optional<std::string> error;
    auto needValue = [&](const char* picture) -> bool {
        if (value) return true;
        error = "--" + std::string(name) + " needs a value (--" + std::string(name) + "=" +
                picture + ")";
        return false;
    };

    if (name == "sim-mclk") {
        if (needValue("HZ"))
            error = RangedNumber(name, *value, kMinMasterClockHz, kMaxMasterClockHz, "Hz",
                                 changed.masterClockHz);
    } else if (name == "sim-ain1" || name == "sim-ain2") {
        double& target = name == "sim-ain1" ? changed.ain1Mv : changed.ain2Mv;
        if (needValue("MV")) error = RangedNumber(name, *value, -kMaxInputMv, kMaxInputMv, "mV", target);
    } else if (name == "sim-noise") {
        if (needValue("NV")) error = RangedNumber(name, *value, 0.0, kMaxNoiseNv, "nV", changed.noiseNv);
    } else if (name == "sim-seed") {
        if (needValue("N")) {
            if (auto seed = ParseUnsigned(*value)) changed.seed = *seed;
            else error = "--sim-seed: " + Quote(*value) + " is not a whole number from 0 to 18446744073709551615";
        }
    } else if (name == "sim-noref") {
        if (!value || *value == "1" || *value == "yes" || *value == "on") changed.noReference = true;
        else if (*value == "0" || *value == "no" || *value == "off") changed.noReference = false;
        else error = "--sim-noref: " + Quote(*value) + " is neither 1 nor 0";
    } else if (name == "sim-fault") {
        if (needValue("absent|no-ready|readback")) {
            if (*value == "absent") changed.fault = Fault::Absent;
            else if (*value == "no-ready") changed.fault = Fault::NoReady;
            else if (*value == "readback") changed.fault = Fault::Readback;
            else if (*value == "none") changed.fault = Fault::None;
            else error = "--sim-fault: " + Quote(*value) + " is not one of absent, no-ready, readback, none";
        }
    } else if (name == "sim-time") {
        if (needValue("virtual|wall")) {
            if (*value == "virtual") changed.time = TimeMode::Virtual;
            else if (*value == "wall") changed.time = TimeMode::Wall;
            else error = "--sim-time: " + Quote(*value) + " is neither virtual nor wall";
        }
    } else {
        error = "unknown simulated-board option: --" + std::string(name);
    }

    if (!error) options = changed;
    return error;
}

std::string SimOptionsHelp() {
    return "  --sim-ain1=MV        voltage on input Ain1 in mV (default +10)\n"
           "  --sim-ain2=MV        voltage on input Ain2 in mV (default -5)\n"
           "  --sim-noise=NV       RMS input noise at 50 Hz with CHOP on, in nV (default 40; 0: none)\n"
           "  --sim-seed=N         seed of the noise (default 1)\n"
           "  --sim-mclk=HZ        master clock of the converter (default 4915200)\n"
           "  --sim-noref          the reference is missing (status NOREF set)\n"
           "  --sim-fault=KIND     absent | no-ready | readback (default none)\n"
           "  --sim-time=MODE      wall (results at the converter's rate) | virtual (1 us per port access)\n";
}

} // namespace qb::board
