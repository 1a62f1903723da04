#pragma once
// The program-wide settings through which the windows exchange state. One instance lives for the
// whole run (owned by the application, passed by reference); every window reads and writes it.
// Widths are those the board link and the windows rely on.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/Conditions.h"

namespace qb::link {

struct SharedSettings {
    // Port
    int16_t PortAddress = 0;          // data register; status at +1, control at +2
    std::string WindowsVersionText;   // empty on Linux
    bool NoPortMessageShown = false;  // the user has been told that no port is known

    // Last known register contents
    int32_t ModeRegValue = 0;
    int32_t FilterRegValue = 0;
    int16_t DacRegValue = 0;
    int32_t OffsetRegValue = 0;
    int32_t GainRegValue = 0;

    // Data format, decoded from the mode register
    int16_t WordLengthBits = 0;       // 16 or 24
    int16_t Polarity = 0;             // 1 unipolar, 2 bipolar
    int16_t InputRangeMv = 0;         // 10, 20, 40 or 80
    double RefVoltage = 0.0;          // 5.0 or 2.5
    int16_t DigitalOutputsOn = 0;

    int32_t MasterClockHz = 0;

    // Answers between windows
    int16_t DialogChoice = 0;
    int16_t UpdatingControls = 0;
    int16_t TurnOffOutputsChosen = 0;

    // Filter window
    int16_t FilterDelayValue = 0;
    int32_t FilterWordValue = 0;

    // Code buffer: codes at indices 1..CodesRead, index 0 unused (present whenever the buffer
    // has been filled, so Codes.size() == CodesRead + 1 then; empty before the first fill).
    int16_t CodesToRead = 0;
    int16_t CodesRead = 0;
    std::vector<double> Codes;
    int32_t LastCode = 0;
    // When the codes in the buffer were read from the converter (the start of the read); none
    // for codes loaded from a file.
    std::optional<std::chrono::system_clock::time_point> CodesCapturedAt;
    // The conditions the codes in the buffer were taken under, when they came with them (a CSV
    // file of the program's); none for codes read from the converter or loaded from a data
    // file: the converter's present set-up applies to those. Kept apart from the register
    // values above, which the register windows rely on as the converter's own.
    std::optional<Conditions> CodesConditions;

    // Noise statistics of the buffer
    double MaxCode = 0, MinCode = 0, AverageCode = 0, RmsNoiseCodes = 0;

    // Fast-step demonstration
    std::vector<double> FastStepOffCodes, FastStepOnCodes;  // indices 0..80
    int32_t SavedModeReg = 0, SavedFilterReg = 0;
    int16_t SavedDacReg = 0;
    int16_t StepReadCount = 0;
};

} // namespace qb::link
