#include "cli/Commands.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iomanip>
#include <map>
#include <ostream>
#include <system_error>

#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "analysis/AnalysisRead.h"
#include "analysis/ChartImages.h"
#include "analysis/NoiseFigures.h"
#include "files/DataFile.h"
#include "link/Register.h"
#include "link/Startup.h"
#include "platform/Result.h"

namespace qb::cli {

namespace {

constexpr const char* kProgram = "qb4160-eval: ";
constexpr const char* kDefaultMode = "21B0";

// ---- the mode register value -----------------------------------------------------------------

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<int32_t> ParseModeRegister(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 4) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

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

void printPlain(const analysis::NoiseLabels& labels, std::ostream& out) {
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
}

void printJson(const analysis::NoiseLabels& labels, std::ostream& out) {
    QJsonObject object;
    for (const auto& [name, text] : labelTexts(labels))
        object.insert(QString::fromStdString(name), QString::fromStdString(text));
    out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
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

// ---- Ctrl-C during an acquisition ---------------------------------------------------------------

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterrupt(int) { g_interrupted.store(true); }

// Ctrl-C stops the read while this object lives; the previous handling comes back afterwards.
class InterruptGuard {
public:
    InterruptGuard() {
        g_interrupted.store(false);
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        installed_ = sigaction(SIGINT, &action, &previous_) == 0;
    }
    ~InterruptGuard() {
        if (installed_) sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    bool interrupted() const { return g_interrupted.load(); }

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

// Whether a file can be written to `path`, checked before a long read.
platform::Result<> canWrite(const std::string& path) {
    namespace fs = std::filesystem;
    using platform::Fail;
    std::error_code ec;
    const fs::path target(path);
    if (fs::is_directory(target, ec)) return Fail(path + " is a directory");
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    if (!fs::is_directory(dir, ec)) return Fail("the directory " + dir.string() + " does not exist");
    if (::access(dir.c_str(), W_OK) != 0) return Fail("the directory " + dir.string() + " is not writable");
    return {};
}

} // namespace

int RunAnalyse(const AnalyseRequest& request, std::ostream& out, std::ostream& err) {
    const std::string modeText = request.modeHex.empty() ? kDefaultMode : request.modeHex;
    const std::optional<int32_t> mode = ParseModeRegister(modeText);
    if (!mode) {
        err << kProgram << "bad mode register value \"" << modeText
            << "\": give 1 to 4 hexadecimal digits, for example 21B0\n";
        return 2;
    }

    const files::CodeForm form = request.hex ? files::CodeForm::Hex : files::CodeForm::Decimal;
    const files::ReadResult loaded = files::ReadCodesFile(request.file, form);
    if (!loaded.ok()) {
        err << kProgram << describeLoadFailure(request.file, loaded.error(), form) << '\n';
        return 1;
    }
    if (loaded->empty()) {  // the reader never returns this, but nothing to analyse is an error
        err << kProgram << request.file << " holds no codes to analyse\n";
        return 1;
    }

    link::SharedSettings settings;
    settings.ModeRegValue = *mode;
    link::DecodeModeRegister(settings);
    if (!files::LoadIntoBuffer(settings, *loaded)) {
        err << kProgram << request.file << " holds too many codes\n";
        return 1;
    }
    analysis::ComputeNoiseStatistics(settings);
    const analysis::NoiseLabels labels = analysis::ShowNoiseResults(settings);
    if (request.json)
        printJson(labels, out);
    else
        printPlain(labels, out);
    out.flush();

    const auto chart = [&](const std::string& file, const char* what, auto save) {
        if (file.empty()) return true;
        const platform::Result<> saved = save(settings, file);
        if (!saved.ok()) err << kProgram << "cannot write the " << what << " to " << file << ": " << saved.error() << '\n';
        return saved.ok();
    };
    if (!chart(request.graphFile, "graph", &analysis::SaveGraphImage) ||
        !chart(request.histogramFile, "histogram", &analysis::SaveHistogramImage))
        return 1;
    return out ? 0 : 1;
}

int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err) {
    if (!link::CodeCountAllowed(request.count)) {
        err << kProgram << "the number of codes to read must be from " << link::kMinCodes
            << " to " << link::kMaxCodes << ", not " << request.count << '\n';
        return 2;
    }
    if (request.outFile.empty()) {
        err << kProgram << "no output file given (--out FILE)\n";
        return 2;
    }
    if (const auto writable = canWrite(request.outFile); !writable.ok()) {
        err << kProgram << "cannot write " << request.outFile << ": " << writable.error() << '\n';
        return 1;
    }

    if (!analysis::CheckContinuousMode(ctx)) return 1;

    const auto count = static_cast<int16_t>(request.count);
    analysis::ReadOutcome outcome;
    {
        InterruptGuard guard;
        // Ctrl-C also ends a wait for the next result, not only the read between two results.
        link::ReadData reader(link::WithStopHook(ctx, [&guard] { return guard.interrupted(); }));
        reader.setReadAddress(link::comms::kStartContinuousRead);
        reader.setWordLength(ctx.settings.WordLengthBits);
        outcome = analysis::ReadForAnalysis(ctx, reader, count, [&](int16_t done, int16_t total) {
            if (request.progress) err << "\rRead " << done << " of " << total << " codes" << std::flush;
            return !guard.interrupted();
        });
    }
    if (request.progress) err << '\n';
    if (outcome == analysis::ReadOutcome::NoData) return 1;
    if (ctx.settings.CodesRead < 1) {
        err << kProgram << "stopped before the first code came; " << request.outFile << " was not written\n";
        return 1;
    }

    const files::CodeForm form = request.hex ? files::CodeForm::Hex : files::CodeForm::Decimal;
    const auto encoded = files::EncodeCodes(ctx.settings.Codes, ctx.settings.CodesRead, form);
    const platform::Result<> saved =
        encoded.ok() ? files::SaveFileSafely(request.outFile, *encoded) : platform::Fail(encoded.error());
    if (!saved.ok()) {
        err << kProgram << "cannot write " << request.outFile << ": " << saved.error() << '\n';
        return 1;
    }
    if (outcome == analysis::ReadOutcome::Stopped)
        err << kProgram << "stopped after " << ctx.settings.CodesRead << " of " << count << " codes; "
            << ctx.settings.CodesRead << " codes written to " << request.outFile << '\n';
    return 0;
}

} // namespace qb::cli
