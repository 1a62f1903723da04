#include "cli/Evaluation.h"

#include <algorithm>
#include <cctype>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

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

std::optional<SpectrumForm> SpectrumFormOf(const std::string& path) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.ends_with(".csv")) return SpectrumForm::Csv;
    if (platform::ImageFormatOf(path)) return SpectrumForm::Image;
    return std::nullopt;
}

platform::Result<> WriteSpectrumCsv(std::span<const double> codes, const analysis::DataFormat& format,
                                    std::optional<double> sampleRateHz, const std::string& path) {
    const auto spectrum = analysis::ComputeNoiseSpectrum(codes, format, sampleRateHz);
    if (!spectrum.ok()) return platform::Fail("no spectrum: " + spectrum.error());
    return platform::SaveFileSafely(path, analysis::SpectrumCsv(*spectrum));
}

platform::Result<> WriteCodesCsv(std::span<const double> codes, const link::Conditions& conditions,
                                 analysis::CaptureTime capturedAt, const std::string& path) {
    return platform::SaveFileSafely(path, analysis::CodesCsv(codes, conditions, capturedAt));
}

} // namespace qb::cli
