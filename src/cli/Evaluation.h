#pragma once
// What the headless commands give an evaluator beyond the noise window's texts: the figures as
// JSON numbers, the codes as CSV and the noise spectrum as CSV or as a picture.
#include <optional>
#include <string>
#include <string_view>

#include "analysis/NoiseFigures.h"
#include "analysis/ResolutionFigures.h"
#include "link/SharedSettings.h"
#include "platform/base/Result.h"

namespace qb::cli {

// One line: {"labels": {label name: window text}, "figures": {key: number or null}}.
std::string AnalysisJson(const analysis::NoiseLabels& labels, const analysis::ResolutionFigures& figures);

// A register value as typed: 1 to maxDigits hexadecimal digits of either case, optionally after
// "0x". nullopt for anything else.
std::optional<int32_t> ParseRegisterHex(std::string_view text, std::size_t maxDigits);

enum class SpectrumForm { Csv, Image };
inline constexpr const char* kSpectrumNameMessage = "a spectrum is a .csv, .png or .pdf file";
// The form a spectrum file's name asks for (".csv", or ".png" or ".pdf" for a picture of the
// spectrum chart; either case); nullopt otherwise.
std::optional<SpectrumForm> SpectrumFormOf(const std::string& path);

// Writes the noise spectrum of the buffer, at the sample rate of its filter register, as CSV or as
// a picture of the spectrum chart (which needs a QApplication). Fails, saying why, with too few
// codes, no sample rate, a name that is not .csv, .png or .pdf, or a file that cannot be written.
platform::Result<> WriteSpectrum(const link::SharedSettings& settings, const std::string& path);

// Writes the codes as CSV (analysis::CodesCsv) by safe save.
platform::Result<> WriteCodesCsv(const link::SharedSettings& settings, const std::string& path);

} // namespace qb::cli
