#pragma once
// Shared by the tests of the evaluator's windows: a context around a code buffer in a data
// format and at a filter register, and a noise window whose openings are counted instead of
// shown.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QPushButton>
#include <QTimer>

#include "analysis/NoiseForm.h"
#include "link/Startup.h"
#include "support/MemoryPreferences.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::evaltest {

struct Rig {
    test::RecordingPort port;
    test::ScriptedMessages messages;
    test::MemoryPreferences preferences;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};

    // codes[1..] in the data format of `mode`, at the rate of `filter` on the 4.9152 MHz clock.
    Rig(const std::vector<double>& codes, int32_t mode = 0x21B0, int32_t filter = 0x096000) {
        settings.ModeRegValue = mode;
        link::DecodeModeRegister(settings);
        settings.FilterRegValue = filter;
        settings.MasterClockHz = 4915200;
        settings.Codes = codes;
        settings.Codes.insert(settings.Codes.begin(), 0.0);
        settings.CodesRead = static_cast<int16_t>(codes.size());
        ctx.preferences = &preferences;
    }
};

// n codes around 900000 (hex): a sine of `amplitude` codes at `hz` sampled at `fs`, plus a
// pattern of +-2 codes.
inline std::vector<double> SineCodes(int n, double hz, double fs, double amplitude) {
    std::vector<double> codes;
    for (int i = 0; i < n; ++i)
        codes.push_back(std::round(9437184 + amplitude * std::sin(2 * 3.14159265358979 * hz * i / fs) + (i * 7 % 5) - 2));
    return codes;
}

// The noise window with its openings counted and the CSV file dialog answered by `csvChoice`.
struct CountingNoiseForm : analysis::NoiseForm {
    int spectra = 0, figures = 0;
    std::optional<std::string> csvChoice;
    using NoiseForm::NoiseForm;
    void openSpectrum() override { ++spectra; }
    void openFigures() override { ++figures; }
    std::optional<std::string> chooseCsvFile() override { return csvChoice; }

    // Clicks the buttons while the window is open, then closes it.
    void click(std::initializer_list<const char*> buttons) {
        QTimer::singleShot(0, this, [this, names = std::vector<const char*>(buttons)] {
            for (const char* name : names) findChild<QPushButton*>(name)->click();
            unload();
        });
        showModal();
    }
};

} // namespace qb::evaltest
