#include "cli/Commands.h"

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <map>
#include <ostream>
#include <span>
#include <vector>

#include "analysis/AllanChart.h"
#include "analysis/AllanDeviation.h"
#include "analysis/ChartImages.h"
#include "analysis/CodesCsv.h"
#include "analysis/NoiseFigures.h"
#include "analysis/ResolutionFigures.h"
#include "cli/Evaluation.h"
#include "cli/Report.h"
#include "files/CodesCsvFile.h"
#include "files/DataFile.h"
#include "link/SharedSettings.h"
#include "link/Startup.h"
#include "platform/base/ExitStatus.h"
#include "platform/chart/PlotImage.h"
#include "platform/base/Result.h"
#include "platform/base/SafeSave.h"

namespace qb::cli {

platform::Result<link::SetUp> ParseRegisterOptions(const RegisterOptions& options, bool programmable) {
    link::SetUp setUp;
    for (const auto& [reg, text] : options) {
        const auto value = programmable ? link::ParseProgrammableValue(reg, text) : link::ParseRegisterValue(reg, text);
        if (!value.ok()) return platform::Fail("--" + std::string(link::TraitsOf(reg).key) + "=" + text + ": " + value.error());
        setUp[reg] = *value;
    }
    return setUp;
}

namespace {

// A data file says nothing of its conditions: the converter's power-on mode (bipolar, 24-bit,
// 5 V reference, +-80 mV) and filter (word 2048 with chopping, 50 Hz) at the usual master clock.
constexpr int32_t kDefaultMode = 0x21B0;
constexpr int32_t kDefaultFilter = 0x800010;

// ---- noise figures as text --------------------------------------------------------------------

// The text a value label shows: its figure, or the placeholder a fresh window shows.
std::string shown(const std::optional<std::string>& text) {
    return text ? *text : std::string(analysis::kNoiseLabelPlaceholder);
}

std::map<std::string, std::string, std::less<>> labelTexts(const analysis::NoiseLabels& labels) {
    std::map<std::string, std::string, std::less<>> texts;
    for (const auto& [name, text] : labels.Entries()) texts.emplace(std::string(name), shown(text));
    return texts;
}

void printPlain(const analysis::NoiseLabels& labels, const analysis::ResolutionFigures& figures, std::ostream& out) {
    const auto texts = labelTexts(labels);
    std::size_t width = 0;
    for (const auto& frame : analysis::NoiseFrames())
        for (const auto& row : frame.rows) width = std::max(width, std::string_view(row.caption).size());

    out << analysis::kNoiseTitle << '\n';
    for (const auto& frame : analysis::NoiseFrames()) {
        out << '\n' << frame.caption << '\n';
        for (const auto& row : frame.rows) {
            out << "  " << std::left << std::setw(static_cast<int>(width)) << row.caption << "  "
                << texts.at(row.valueName);
            if (row.hexName) out << ' ' << analysis::kHexCaption;
            out << '\n';
        }
    }
    out << '\n' << analysis::FiguresText(figures);
}

std::string describeLoadFailure(const std::string& file, const files::ReadError& error, files::CodeForm form) {
    switch (error.kind) {
    case files::ReadFailure::Unreadable:
        return "cannot read " + file + (error.detail.empty() ? std::string() : ": " + error.detail);
    case files::ReadFailure::Empty:
        return file + " is empty: there are no codes to analyse";
    default:
        return file + ": " + error.Describe(form);
    }
}

// The codes of the file with the conditions they were taken under: a CSV file's header, a data
// file's defaults, then the options in their place.
platform::Result<files::CsvCapture> loadMeasurement(const AnalyseRequest& request, const link::SetUp& given) {
    files::CsvCapture m;
    if (files::IsCodesCsvFile(request.file)) {
        auto capture = files::ReadCodesCsvFile(request.file);
        if (!capture.ok()) return platform::Fail(request.file + ": " + capture.error());
        m = std::move(*capture);
    } else {
        const files::CodeForm form = request.hex ? files::CodeForm::Hex : files::CodeForm::Decimal;
        files::ReadResult loaded = files::ReadCodesFile(request.file, form);
        if (!loaded.ok()) return platform::Fail(describeLoadFailure(request.file, loaded.error(), form));
        m.codes = std::move(*loaded);
        m.conditions = {kDefaultMode, kDefaultFilter, link::kDefaultMasterClockHz, {}, {}, {}, {}};
    }
    link::Conditions& c = m.conditions;
    using R = link::SetUpRegister;
    if (given[R::Mode]) c.mode = *given[R::Mode];
    if (given[R::Filter]) c.filter = *given[R::Filter];
    if (given[R::Dac]) c.dac = given[R::Dac];
    if (given[R::Offset]) c.offset = given[R::Offset];
    if (given[R::Gain]) c.gain = given[R::Gain];
    if (request.masterClockHz) c.masterClockHz = *request.masterClockHz;
    return m;
}

// What an analysis has made of its file, for the outputs.
struct Analysed {
    files::CsvCapture measurement;
    analysis::DataFormat format;
    std::optional<double> sampleRateHz;
    link::SharedSettings buffer;  // the codes in a code buffer, for the charts (at most 32767)

    std::span<const double> codes() const { return measurement.codes; }
};

// The files an analysis writes besides its printout: each with what the messages call it, what
// writes it, what its name must be, and whether it is drawn from the code buffer.
struct AnalysisOutput {
    std::string file;
    const char* what;
    platform::Result<> (*save)(const Analysed&, const std::string&);
    bool (*nameOk)(const std::string&);  // whether the name's ending says a form it can take
    const char* nameRule;                // what the name must be
    bool drawn;                          // a chart of the code buffer
};

bool anyName(const std::string&) { return true; }
bool imageName(const std::string& path) { return platform::ImageFormatOf(path).has_value(); }
bool spectrumName(const std::string& path) { return SpectrumFormOf(path).has_value(); }

platform::Result<> saveSpectrum(const Analysed& a, const std::string& path) {
    if (SpectrumFormOf(path) != SpectrumForm::Image) return WriteSpectrumCsv(a.codes(), a.format, a.sampleRateHz, path);
    // The picture of the whole file, however many codes it holds.
    const auto spectrum = analysis::ComputeNoiseSpectrum(a.codes(), a.format, a.sampleRateHz);
    if (!spectrum.ok()) return platform::Fail("no spectrum: " + spectrum.error());
    return analysis::SaveSpectrumImage(*spectrum, path);
}
platform::Result<> saveAllan(const Analysed& a, const std::string& path) {
    const auto points = analysis::ComputeAllanDeviation(a.codes(), a.format, a.sampleRateHz);
    if (!points.ok()) return platform::Fail("no Allan deviation: " + points.error());
    if (SpectrumFormOf(path) == SpectrumForm::Image) return analysis::SaveAllanImage(*points, path);
    return platform::SaveFileSafely(path, analysis::AllanCsv(*points, *a.sampleRateHz, a.codes().size()));
}
platform::Result<> saveCodes(const Analysed& a, const std::string& path) {
    return WriteCodesCsv(a.codes(), a.measurement.conditions, a.measurement.capturedAt, path);
}
platform::Result<> saveGraph(const Analysed& a, const std::string& path) { return analysis::SaveGraphImage(a.buffer, path); }
platform::Result<> saveHistogram(const Analysed& a, const std::string& path) {
    return analysis::SaveHistogramImage(a.buffer, path);
}

std::vector<AnalysisOutput> analysisOutputs(const AnalyseRequest& request) {
    std::vector<AnalysisOutput> outputs;
    const AnalysisOutput all[] = {
        {request.spectrumFile, "the spectrum", &saveSpectrum, &spectrumName, kSpectrumNameMessage, false},
        {request.allanFile, "the Allan deviation", &saveAllan, &spectrumName, kAllanNameMessage, false},
        {request.csvFile, "the codes", &saveCodes, &anyName, "", false},
        {request.graphFile, "the graph", &saveGraph, &imageName, analysis::kImageNameMessage, true},
        {request.histogramFile, "the histogram", &saveHistogram, &imageName, analysis::kImageNameMessage, true}};
    for (const AnalysisOutput& output : all)
        if (!output.file.empty()) outputs.push_back(output);
    return outputs;
}

} // namespace

int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err) {
    const platform::Result<link::SetUp> given = ParseRegisterOptions(request.registers, false);
    if (!given.ok()) {
        err << kProgram << given.error() << '\n';
        return platform::kExitUsage;
    }

    // The output files are checked before anything is read or printed: an image name that says
    // neither PNG nor PDF is a usage error, a place that cannot be written a failure.
    const std::vector<AnalysisOutput> outputs = analysisOutputs(request);
    for (const AnalysisOutput& output : outputs) {
        if (!output.nameOk(output.file)) {
            err << CannotWrite(output.what, output.file, output.nameRule);
            return platform::kExitUsage;
        }
    }
    for (const AnalysisOutput& output : outputs) {
        if (const platform::Result<> target = platform::CheckSaveTarget(output.file); !target.ok()) {
            err << CannotWrite(output.what, output.file, target.error());
            return platform::kExitFailure;
        }
    }

    platform::Result<files::CsvCapture> loaded = loadMeasurement(request, *given);
    if (!loaded.ok()) {
        err << kProgram << loaded.error() << '\n';
        return platform::kExitFailure;
    }
    Analysed a{std::move(*loaded), {}, {}, {}};
    const link::Conditions& c = a.measurement.conditions;
    a.format = analysis::DataFormatOfMode(c.mode);
    a.sampleRateHz = analysis::SampleRateOf(c.filter, c.masterClockHz);
    const bool drawn = std::any_of(outputs.begin(), outputs.end(), [](const AnalysisOutput& o) { return o.drawn; });
    if (drawn && !files::LoadIntoBuffer(a.buffer, a.measurement)) {
        err << kProgram << "the charts take at most " << INT16_MAX << " codes; " << request.file << " holds "
            << a.codes().size() << '\n';
        return platform::kExitFailure;
    }

    const analysis::NoiseStatistics stats = analysis::ComputeNoiseStatistics(a.codes());
    const analysis::NoiseLabels labels = analysis::ShowNoiseResults(stats, a.codes().size(), a.format);
    const analysis::ResolutionFigures figures = analysis::ComputeResolutionFigures(a.codes(), a.format, a.sampleRateHz);
    // Every output is made before anything is printed, and they are saved all or none.
    platform::SaveSet made;
    for (const AnalysisOutput& output : outputs) {
        if (const platform::Result<> saved = output.save(a, output.file); !saved.ok()) {
            err << CannotWrite(output.what, output.file, saved.error());
            return platform::kExitFailure;
        }
    }
    if (request.json)
        out << AnalysisJson(labels, figures) << '\n';
    else
        printPlain(labels, figures, out);
    out.flush();
    if (const auto saved = made.SaveAll(); !saved.ok()) {
        const AnalysisOutput& output = outputs[saved.error().file];
        err << CannotWrite(output.what, output.file, saved.error().reason);
        return platform::kExitFailure;
    }
    return out ? platform::kExitOk : platform::kExitFailure;
}

} // namespace qb::cli
