#include "platform/chart/LogLogChart.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qb::platform {

namespace {

// Room around the points, as a factor beyond the smallest and largest value.
constexpr double kMargin = 1.25;

// Ticks at 1, 2 and 5 times each power of ten in the range, labelled as plain numbers; at every
// whole multiple of the power of ten where that would give fewer than two (a narrow range).
class OneTwoFiveTicker : public QCPAxisTicker {
protected:
    QVector<double> createTickVector(double, const QCPRange& range) override {
        QVector<double> ticks;
        if (!(range.lower > 0)) return ticks;
        for (const std::vector<double>& multiples : {std::vector<double>{1, 2, 5}, std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}}) {
            ticks.clear();
            for (double decade = std::pow(10.0, std::floor(std::log10(range.lower))); decade <= range.upper; decade *= 10)
                for (double m : multiples)
                    if (m * decade >= range.lower && m * decade <= range.upper) ticks.push_back(m * decade);
            if (ticks.size() >= 2) break;
        }
        return ticks;
    }
    QVector<double> createSubTickVector(int, const QVector<double>&) override { return {}; }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override { return QString::number(tick, 'g', 6); }
};

const QColor kColors[] = {QColor(31, 119, 180), QColor(214, 39, 40), QColor(44, 160, 44), QColor(148, 103, 189),
                          QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75), QColor(127, 127, 127)};
const QCPScatterStyle::ScatterShape kShapes[] = {QCPScatterStyle::ssCircle, QCPScatterStyle::ssSquare,
                                                 QCPScatterStyle::ssTriangle, QCPScatterStyle::ssDiamond};

} // namespace

LogLogChart::LogLogChart(const char* name, QWidget* parent) : QCustomPlot(parent) {
    setObjectName(name);
    const QSharedPointer<QCPAxisTicker> ticker(new OneTwoFiveTicker);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setScaleType(QCPAxis::stLogarithmic);
        axis->setTicker(ticker);
        axis->grid()->setSubGridVisible(false);
    }
    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, QString(), QFont(font().family(), font().pointSize() + 1, QFont::Bold));
    plotLayout()->addElement(0, 0, title_);
    legend->setVisible(true);
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
}

void LogLogChart::setTitles(std::string_view title, std::string_view xTitle, std::string_view yTitle) {
    title_->setText(QString::fromUtf8(title.data(), qsizetype(title.size())));
    setAccessibleName(title_->text());  // a screen reader names the chart by its title
    xAxis->setLabel(QString::fromUtf8(xTitle.data(), qsizetype(xTitle.size())));
    yAxis->setLabel(QString::fromUtf8(yTitle.data(), qsizetype(yTitle.size())));
}

void LogLogChart::setSeries(const std::vector<Series>& series) {
    clearGraphs();
    double lo[2] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    double hi[2] = {0, 0};
    for (std::size_t i = 0; i < series.size(); ++i) {
        const Series& s = series[i];
        QCPGraph* graph = addGraph();
        graph->setName(QString::fromStdString(s.name));
        const QColor color = kColors[i % std::size(kColors)];
        graph->setPen(QPen(color, 1.5));
        graph->setScatterStyle(QCPScatterStyle(kShapes[i % std::size(kShapes)], color, 7));
        for (std::size_t k = 0; k < std::min(s.x.size(), s.y.size()); ++k) {
            if (!(s.x[k] > 0 && s.y[k] > 0)) continue;
            graph->addData(s.x[k], s.y[k]);
            const double v[2] = {s.x[k], s.y[k]};
            for (int a = 0; a < 2; ++a) lo[a] = std::min(lo[a], v[a]), hi[a] = std::max(hi[a], v[a]);
        }
    }
    QCPAxis* axes[2] = {xAxis, yAxis};
    for (int a = 0; a < 2; ++a)
        if (hi[a] > 0) axes[a]->setRange(lo[a] / kMargin, hi[a] * kMargin);
    replot();
}

Result<> LogLogChart::saveImage(const std::string& path, ChartImageFormat format, int width, int height) {
    return SavePlotImage(*this, path, format, width, height);
}

} // namespace qb::platform
