#pragma once
// Shared by the fast-step tests: the simulated board on virtual time behind a recording port that
// leaves the busy polls out (registers/RegisterRig.h), and the register traffic a run must send.
#include <string>
#include <vector>

#include "faststep/FastStepRun.h"
#include "platform/base/Numbers.h"
#include "registers/RegisterRig.h"

namespace qb::fasttest {

using regtest::Rig;

// The traffic with every result's value left out ("D 100000" -> "D"), so runs on different
// boards or from different register contents compare.
inline std::vector<std::string> Shape(std::vector<std::string> traffic) {
    for (std::string& t : traffic)
        if (t.starts_with("D ")) t = "D";
    return traffic;
}

// `count` results.
inline std::vector<std::string> Results(int count) { return std::vector<std::string>(static_cast<std::size_t>(count), "D"); }

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The register writes that put back what was found.
inline std::vector<std::string> Restore(const faststep::SavedRegisters& r) {
    return {"W mode " + platform::Hex(r.mode), "W filter " + platform::Hex(r.filter), "W DAC " + platform::Hex(r.dac)};
}

// Writes `r` into the board's registers and clears the log: what the window or command finds.
inline void Load(Rig& rig, const faststep::SavedRegisters& r) {
    rig.writeReg(link::comms::kModeWrite, link::comms::kModeBits, r.mode);
    rig.writeReg(link::comms::kFilterWrite, link::comms::kFilterBits, r.filter);
    rig.writeReg(link::comms::kDacWrite, link::comms::kDacBits, r.dac);
    rig.port.clear();
}

inline const std::vector<std::string> kStop = {"C 48", "out 1B"};

// A whole run that nothing interrupts, N = 40.
inline std::vector<std::string> FullRun() {
    return std::vector<std::string>{"W mode 31B2", "W filter 400010", "W DAC 2", "C 33"} + Results(40) + kStop +
           std::vector<std::string>{"W DAC 1D", "C 33"} + Results(40) + kStop +
           std::vector<std::string>{"W DAC 2", "W filter 400110", "C 33"} + Results(40) + kStop +
           std::vector<std::string>{"W DAC 1D", "C 33"} + Results(40) + kStop;
}

// The results a traffic carries, in order.
inline std::vector<double> ResultValues(const std::vector<std::string>& traffic) {
    std::vector<double> out;
    for (const std::string& t : traffic)
        if (t.starts_with("D ")) out.push_back(static_cast<double>(std::stoul(t.substr(2), nullptr, 16)));
    return out;
}

} // namespace qb::fasttest
