#include "analysis/ChartImages.h"

#include <QApplication>
#include <QString>

#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "analysis/SpectrumForm.h"
#include "platform/base/Messages.h"
#include "platform/chart/LogLogChart.h"
#include "platform/chart/StripChart.h"

namespace qb::analysis {

namespace {

// Messages the forms would show go into `error` instead of a box.
class CollectMessages : public platform::MessageSink {
public:
    std::string last;
    platform::MsgAnswer show(const platform::Message& message) override {
        last = message.text;
        return message.buttons == platform::MsgButtons::Ok ? platform::MsgAnswer::Ok : platform::MsgAnswer::No;
    }
};

// The settings the forms read, with the statistics computed from the buffer.
platform::Result<link::SharedSettings> prepare(const link::SharedSettings& settings) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return platform::Fail("Chart images need a QApplication.");
    if (settings.CodesRead < 1 || settings.Codes.size() < 2) return platform::Fail("There are no codes to draw.");
    link::SharedSettings copy = settings;
    ComputeNoiseStatistics(copy);
    return copy;
}

platform::Result<> write(platform::StripChart& chart, const std::string& path) {
    const std::optional<platform::ChartImageFormat> format = platform::ImageFormatOf(path);
    if (!format) return platform::Fail(kImageNameMessage);
    chart.setCursorVisible(false);  // a picture of the data, not of the session
    return chart.saveImage(QString::fromStdString(path), *format, kChartImageWidth, kChartImageHeight);
}

} // namespace

platform::Result<> SaveGraphImage(const link::SharedSettings& settings, const std::string& path) {
    const auto copy = prepare(settings);
    if (!copy.ok()) return platform::Fail(copy.error());
    CollectMessages messages;
    GraphForm form(*copy, nullptr, &messages);
    form.PlotCodes();
    return write(form.chart(), path);
}

platform::Result<> SaveHistogramImage(const link::SharedSettings& settings, const std::string& path) {
    const auto copy = prepare(settings);
    if (!copy.ok()) return platform::Fail(copy.error());
    CollectMessages messages;
    HistForm form(*copy, nullptr, &messages);
    if (!form.BuildHistogram())
        return platform::Fail(messages.last.empty() ? std::string(kHistNotCountable) : messages.last);
    return write(form.chart(), path);
}

platform::Result<> SaveSpectrumImage(const NoiseSpectrum& spectrum, const std::string& path) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return platform::Fail("Chart images need a QApplication.");
    CollectMessages messages;
    SpectrumForm form(spectrum, &messages);
    form.PlotSpectrum();
    return write(form.chart(), path);
}

platform::Result<> SaveLogLogImage(const char* name, const std::function<void(platform::LogLogChart&)>& draw,
                                   const std::string& path) {
    const std::optional<platform::ChartImageFormat> format = platform::ImageFormatOf(path);
    if (!format) return platform::Fail(kImageNameMessage);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return platform::Fail("Chart images need a QApplication.");
    platform::LogLogChart chart(name);
    chart.resize(kChartImageWidth, kChartImageHeight);
    draw(chart);
    return chart.saveImage(path, *format, kChartImageWidth, kChartImageHeight);
}

} // namespace qb::analysis
