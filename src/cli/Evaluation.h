#pragma once
// What the headless commands give an evaluator beyond the noise window's texts: the figures as
// JSON numbers, the codes as CSV and the noise spectrum as CSV or as a picture.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/CodesCsv.h"
#include "analysis/NoiseFigures.h"
#include "analysis/ResolutionFigures.h"
#include "link/Conditions.h"
#include "platform/base/Result.h"

namespace qb::cli {

// One line: {"labels": {label name: window text}, "figures": {key: number or null}}.
std::string AnalysisJson(const analysis::NoiseLabels& labels, const analysis::ResolutionFigures& figures);

enum class SpectrumForm { Csv, Image };
inline constexpr const char* kSpectrumNameMessage = "a spectrum is a .csv, .png or .pdf file";
inline constexpr const char* kAllanNameMessage = "an Allan deviation is a .csv, .png or .pdf file";
// The form a spectrum's (or Allan deviation's) file name asks for (".csv", or ".png" or ".pdf" for a picture of the
// spectrum chart; either case); nullopt otherwise.
std::optional<SpectrumForm> SpectrumFormOf(const std::string& path);

// Writes the noise spectrum of the codes in the data format at the sample rate as CSV
// (analysis::SpectrumCsv) by safe save. Fails, saying why, with too few codes, no sample rate, or
// a file that cannot be written.
platform::Result<> WriteSpectrumCsv(std::span<const double> codes, const analysis::DataFormat& format,
                                    std::optional<double> sampleRateHz, const std::string& path);

// Writes the codes as CSV (analysis::CodesCsv) by safe save.
platform::Result<> WriteCodesCsv(std::span<const double> codes, const link::Conditions& conditions,
                                 analysis::CaptureTime capturedAt, const std::string& path);

} // namespace qb::cli
