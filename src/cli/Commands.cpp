#include "cli/Commands.h"

#include <algorithm>
#include <iomanip>
#include <map>
#include <ostream>
#include <vector>

#include "analysis/AnalysisRead.h"
#include "analysis/ChartImages.h"
#include "analysis/NoiseFigures.h"
#include "analysis/ResolutionFigures.h"
#include "cli/Evaluation.h"
#include "cli/Interrupt.h"
#include "cli/Report.h"
#include "files/DataFile.h"
#include "link/Register.h"
#include "link/Startup.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/Numbers.h"
#include "platform/chart/PlotImage.h"
#include "platform/base/Result.h"
#include "platform/base/SafeSave.h"

namespace qb::cli {

namespace {

constexpr const char* kDefaultMode = "21B0";
constexpr const char* kDefaultFilter = "800010";  // the converter's power-on value: 50 Hz

} // namespace

std::optional<int32_t> ParseModeRegister(std::string_view text) { return ParseRegisterHex(text, 4); }

std::optional<int32_t> ParseFilterRegister(std::string_view text) { return ParseRegisterHex(text, 6); }

namespace {

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

// The files an analysis writes besides its printout: each with what the messages call it, what
// writes it, and whether it is a chart image (a PNG or PDF by its name).
struct AnalysisOutput {
    std::string file;
    const char* what;
    platform::Result<> (*save)(const link::SharedSettings&, const std::string&);
    bool (*nameOk)(const std::string&);  // whether the name's ending says a form it can take
    const char* nameRule;                // what the name must be
};

bool anyName(const std::string&) { return true; }
bool imageName(const std::string& path) { return platform::ImageFormatOf(path).has_value(); }
bool spectrumName(const std::string& path) { return SpectrumFormOf(path).has_value(); }

std::vector<AnalysisOutput> analysisOutputs(const AnalyseRequest& request) {
    std::vector<AnalysisOutput> outputs;
    const AnalysisOutput all[] = {
        {request.spectrumFile, "the spectrum", &WriteSpectrum, &spectrumName, kSpectrumNameMessage},
        {request.csvFile, "the codes", &WriteCodesCsv, &anyName, ""},
        {request.graphFile, "the graph", &analysis::SaveGraphImage, &imageName, analysis::kImageNameMessage},
        {request.histogramFile, "the histogram", &analysis::SaveHistogramImage, &imageName, analysis::kImageNameMessage}};
    for (const AnalysisOutput& output : all)
        if (!output.file.empty()) outputs.push_back(output);
    return outputs;
}

// The `name` register's value as given (`fallback` when none is): 1 to `digits` hexadecimal
// digits; nullopt, with a line on `err` saying so, for anything else.
std::optional<int32_t> registerValue(const std::string& given, const char* name, const char* fallback, std::size_t digits,
                                     std::ostream& err) {
    const std::string text = given.empty() ? fallback : given;
    const std::optional<int32_t> value = ParseRegisterHex(text, digits);
    if (!value)
        err << kProgram << "bad " << name << " register value \"" << text << "\": give 1 to " << digits
            << " hexadecimal digits, for example " << fallback << '\n';
    return value;
}

// DacRegValue as the converter holds it (the low six bits, as the DAC window keeps it), for the
// header of a CSV file.
void readDacRegister(const link::Context& ctx) {
    link::Register dac(ctx);
    dac.setReadAddress(link::comms::kDacRead);
    dac.setWordLength(link::comms::kDacBits);
    ctx.settings.DacRegValue = static_cast<int16_t>(platform::ToInt32(dac.ReadReg()).value_or(0) & 63);
}

} // namespace

int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err) {
    const std::optional<int32_t> mode = registerValue(request.modeHex, "mode", kDefaultMode, 4, err);
    if (!mode) return platform::kExitUsage;
    const std::optional<int32_t> filter = registerValue(request.filterHex, "filter", kDefaultFilter, 6, err);
    if (!filter) return platform::kExitUsage;

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

    const files::CodeForm form = request.hex ? files::CodeForm::Hex : files::CodeForm::Decimal;
    const files::ReadResult loaded = files::ReadCodesFile(request.file, form);
    if (!loaded.ok()) {
        err << kProgram << describeLoadFailure(request.file, loaded.error(), form) << '\n';
        return platform::kExitFailure;
    }
    if (loaded->empty()) {  // the reader never returns this, but nothing to analyse is an error
        err << kProgram << request.file << " holds no codes to analyse\n";
        return platform::kExitFailure;
    }

    link::SharedSettings settings;
    settings.ModeRegValue = *mode;
    link::DecodeModeRegister(settings);
    settings.FilterRegValue = *filter;
    settings.MasterClockHz = request.masterClockHz;
    if (!files::LoadIntoBuffer(settings, *loaded)) {
        err << kProgram << request.file << " holds too many codes\n";
        return platform::kExitFailure;
    }
    analysis::ComputeNoiseStatistics(settings);
    const analysis::NoiseLabels labels = analysis::ShowNoiseResults(settings);
    const analysis::ResolutionFigures figures = analysis::ComputeResolutionFigures(settings);
    // Every output is made before anything is printed, and they are saved all or none.
    platform::SaveSet made;
    for (const AnalysisOutput& output : outputs) {
        if (const platform::Result<> saved = output.save(settings, output.file); !saved.ok()) {
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

int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err) {
    if (!link::CodeCountAllowed(request.count)) {
        err << kProgram << "the number of codes to read must be from " << link::kMinCodes
            << " to " << link::kMaxCodes << ", not " << request.count << '\n';
        return platform::kExitUsage;
    }
    if (request.outFile.empty() && request.csvFile.empty()) {
        err << kProgram << "no output file given (--out FILE or --csv=FILE)\n";
        return platform::kExitUsage;
    }
    for (const std::string* file : {&request.outFile, &request.csvFile}) {
        if (file->empty()) continue;
        if (const auto writable = platform::CheckSaveTarget(*file); !writable.ok()) {
            err << CannotWrite("", *file, writable.error());
            return platform::kExitFailure;
        }
    }

    if (!analysis::CheckContinuousMode(ctx)) return platform::kExitFailure;

    const auto count = static_cast<int16_t>(request.count);
    analysis::ReadOutcome outcome;
    // Until the files are written, a signal only stops the read: a second one cannot cut the
    // saves short.
    InterruptGuard guard;
    {
        // A signal also ends a wait for the next result, not only the read between two results.
        link::ReadData reader(link::WithStopHook(ctx, [&guard] { return guard.interrupted(); }));
        reader.setReadAddress(link::comms::kStartContinuousRead);
        reader.setWordLength(ctx.settings.WordLengthBits);
        outcome = analysis::ReadForAnalysis(ctx, reader, count, [&](int16_t done, int16_t total) {
            if (request.progress) err << "\rRead " << done << " of " << total << " codes" << std::flush;
            return !guard.interrupted();
        });
    }
    if (request.progress) err << '\n';
    // A port that failed during the read gave no codes to trust: the caller names its failure.
    if (outcome == analysis::ReadOutcome::NoData || !ctx.port.failureReason().empty()) return platform::kExitFailure;
    std::string targets;  // the files that are to hold the codes
    for (const std::string* file : {&request.outFile, &request.csvFile})
        if (!file->empty()) targets += (targets.empty() ? "" : " and ") + *file;
    if (ctx.settings.CodesRead < 1) {
        err << kProgram << "stopped before the first code came; " << targets
            << (targets.find(" and ") == std::string::npos ? " was" : " were") << " not written\n";
        return guard.status();
    }

    // Both files are made, then saved together: all or none.
    platform::SaveSet made;
    if (!request.outFile.empty()) {
        const files::CodeForm form = request.hex ? files::CodeForm::Hex : files::CodeForm::Decimal;
        const auto encoded = files::EncodeCodes(ctx.settings.Codes, ctx.settings.CodesRead, form);
        const platform::Result<> saved =
            encoded.ok() ? files::SaveFileSafely(request.outFile, *encoded) : platform::Fail(encoded.error());
        if (!saved.ok()) {
            err << CannotWrite("", request.outFile, saved.error());
            return platform::kExitFailure;
        }
    }
    if (!request.csvFile.empty()) {
        readDacRegister(ctx);
        if (const platform::Result<> saved = WriteCodesCsv(ctx.settings, request.csvFile); !saved.ok()) {
            err << CannotWrite("", request.csvFile, saved.error());
            return platform::kExitFailure;
        }
    }
    if (const auto saved = made.SaveAll(); !saved.ok()) {
        err << CannotWrite("", made.files()[saved.error().file].path, saved.error().reason);
        return platform::kExitFailure;
    }
    if (outcome == analysis::ReadOutcome::Stopped) {
        err << kProgram << "stopped after " << ctx.settings.CodesRead << " of " << count << " codes; "
            << targets << (targets.find(" and ") == std::string::npos ? " holds" : " hold") << " those "
            << ctx.settings.CodesRead << " codes\n";
        return guard.status();
    }
    return platform::kExitOk;
}

} // namespace qb::cli
