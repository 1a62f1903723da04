#include "analysis/ChartWindow.h"

#include <QVBoxLayout>

#include "platform/widgets/Form.h"

namespace qb::analysis {

platform::StripChart* MakeChartWindow(platform::Form& window, const char* caption, const char* chartName,
                                      std::initializer_list<platform::StripChart::CaptionSetup> captions,
                                      platform::MessageSink* messages) {
    window.setCaption(caption);
    window.setResizable(true);
    auto* chart = new platform::StripChart(chartName);
    chart->setMinimumSize(kChartLeast);
    chart->setMessageSink(messages);
    chart->setCaptions(captions);
    chart->setGridMode(platform::StripChart::kGridOn);
    return chart;
}

void LayOutChartWindow(platform::Form& window, platform::StripChart* chart, QLayout* bottom) {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(chart, 1);
    layout->addLayout(bottom);
}

} // namespace qb::analysis
