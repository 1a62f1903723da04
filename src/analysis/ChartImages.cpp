#include "analysis/ChartImages.h"

#include <QApplication>
#include <QString>

#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "platform/Messages.h"
#include "platform/StripChart.h"

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
bool prepare(const link::SharedSettings& settings, link::SharedSettings& copy, std::string& error) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        error = "Chart images need a QApplication.";
        return false;
    }
    if (settings.CodesRead < 1 || settings.Codes.size() < 2) {
        error = "There are no codes to draw.";
        return false;
    }
    copy = settings;
    const NoiseStatistics stats = ComputeNoiseStatistics(copy.Codes, copy.CodesRead);
    copy.MaxCode = stats.MaxCode;
    copy.MinCode = stats.MinCode;
    copy.AverageCode = stats.AverageCode;
    copy.RmsNoiseCodes = stats.RmsNoiseCodes;
    return true;
}

bool write(platform::StripChart& chart, const std::string& pngPath, std::string& error) {
    chart.setCursorVisible(false);  // a picture of the data, not of the session
    return chart.saveImage(QString::fromStdString(pngPath), platform::ChartImageFormat::Png, error,
                           kChartImageWidth, kChartImageHeight);
}

} // namespace

bool SaveGraphImage(const link::SharedSettings& settings, const std::string& pngPath, std::string& error) {
    error.clear();
    link::SharedSettings copy;
    if (!prepare(settings, copy, error)) return false;
    CollectMessages messages;
    GraphForm form(copy, nullptr, &messages);
    form.PlotCodes();
    return write(form.chart(), pngPath, error);
}

bool SaveHistogramImage(const link::SharedSettings& settings, const std::string& pngPath, std::string& error) {
    error.clear();
    link::SharedSettings copy;
    if (!prepare(settings, copy, error)) return false;
    CollectMessages messages;
    HistForm form(copy, nullptr, &messages);
    if (!form.BuildHistogram()) {
        error = messages.last.empty() ? std::string(kHistNotCountable) : messages.last;
        return false;
    }
    return write(form.chart(), pngPath, error);
}

} // namespace qb::analysis
