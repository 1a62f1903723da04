#include "cli/Evaluation.h"

#include <algorithm>
#include <cctype>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include "analysis/CodesCsv.h"
#include "analysis/NoiseSpectrum.h"
#include "platform/SafeSave.h"

namespace qb::cli {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

std::string AnalysisJson(const analysis::NoiseLabels& labels, const analysis::ResolutionFigures& figures) {
    QJsonObject texts;
    for (const auto& [name, text] : labels.Entries())
        texts.insert(qs(name), qs(text ? *text : analysis::kNoiseLabelPlaceholder));
    QJsonObject numbers;
    for (const auto& e : figures.Entries())
        numbers.insert(qs(e.key), e.figure->value ? QJsonValue(*e.figure->value) : QJsonValue(QJsonValue::Null));
    const QJsonObject object{{"labels", texts}, {"figures", numbers}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<int32_t> ParseRegisterHex(std::string_view text, std::size_t maxDigits) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

std::optional<SpectrumForm> SpectrumFormOf(const std::string& path) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.ends_with(".csv")) return SpectrumForm::Csv;
    return std::nullopt;
}

platform::Result<> WriteSpectrum(const link::SharedSettings& settings, const std::string& path) {
    const std::optional<SpectrumForm> form = SpectrumFormOf(path);
    if (!form) return platform::Fail("the name must end in .csv");
    const auto spectrum = analysis::ComputeNoiseSpectrum(
        settings.Codes, settings.CodesRead, analysis::DataFormatOf(settings), analysis::SampleRateOf(settings));
    if (!spectrum.ok()) return platform::Fail("no spectrum: " + spectrum.error());
    return platform::SaveFileSafely(path, analysis::SpectrumCsv(*spectrum));
}

platform::Result<> WriteCodesCsv(const link::SharedSettings& settings, const std::string& path) {
    return platform::SaveFileSafely(path, analysis::CodesCsv(settings));
}

} // namespace qb::cli
