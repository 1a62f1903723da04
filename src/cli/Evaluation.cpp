#include "cli/Evaluation.h"

#include <algorithm>
#include <cctype>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include "analysis/ChartImages.h"
#include "analysis/CodesCsv.h"
#include "analysis/NoiseSpectrum.h"
#include "platform/chart/PlotImage.h"
#include "platform/base/SafeSave.h"
#include "platform/base/Text.h"
#include "platform/widgets/QtText.h"

namespace qb::cli {

using platform::ToQt;

std::string AnalysisJson(const analysis::NoiseLabels& labels, const analysis::ResolutionFigures& figures) {
    QJsonObject texts;
    for (const auto& [name, text] : labels.Entries())
        texts.insert(ToQt(name), ToQt(text ? *text : analysis::kNoiseLabelPlaceholder));
    QJsonObject numbers;
    for (const auto& e : figures.Entries())
        numbers.insert(ToQt(e.key), e.figure->value ? QJsonValue(*e.figure->value) : QJsonValue(QJsonValue::Null));
    const QJsonObject object{{"labels", texts}, {"figures", numbers}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<int32_t> ParseRegisterHex(std::string_view text, std::size_t maxDigits) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    const std::optional<uint32_t> value = platform::ParseHexDigits(text, maxDigits);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(*value);
}

std::optional<SpectrumForm> SpectrumFormOf(const std::string& path) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.ends_with(".csv")) return SpectrumForm::Csv;
    if (platform::ImageFormatOf(path)) return SpectrumForm::Image;
    return std::nullopt;
}

platform::Result<> WriteSpectrum(const link::SharedSettings& settings, const std::string& path) {
    const std::optional<SpectrumForm> form = SpectrumFormOf(path);
    if (!form) return platform::Fail(kSpectrumNameMessage);
    if (*form == SpectrumForm::Image) return analysis::SaveSpectrumImage(settings, path);
    const auto spectrum = analysis::ComputeNoiseSpectrum(
        settings.Codes, settings.CodesRead, analysis::DataFormatOf(settings), analysis::SampleRateOf(settings));
    if (!spectrum.ok()) return platform::Fail("no spectrum: " + spectrum.error());
    return platform::SaveFileSafely(path, analysis::SpectrumCsv(*spectrum));
}

platform::Result<> WriteCodesCsv(const link::SharedSettings& settings, const std::string& path) {
    return platform::SaveFileSafely(path, analysis::CodesCsv(settings));
}

} // namespace qb::cli
