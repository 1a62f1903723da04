// The strip chart's captions (title, axis titles, legend entries, axis-end texts) and its ticks.
#include <algorithm>
#include <cmath>

#include <QFontMetrics>

#include "platform/base/Numbers.h"
#include "platform/chart/StripChart.h"

namespace qb::platform {

namespace {

constexpr int kXLow = 0, kXHigh = 1, kYLow = 2, kYHigh = 3;

int endSlot(CaptionRole role) {
    switch (role) {
    case CaptionRole::XAxisLowEnd: return kXLow;
    case CaptionRole::XAxisHighEnd: return kXHigh;
    case CaptionRole::YAxisLowEnd: return kYLow;
    default: return kYHigh;
    }
}

// Smallest power of two at least x (x >= 1).
double powerOfTwoAtLeast(double x) {
    double p = 1;
    while (p < x && p < 1e300) p *= 2;
    return p;
}

// The smallest of 1, 2, 5, 10, 20, 50, ... at least x: a whole step that reads well.
double roundStepAtLeast(double x) {
    if (!(x > 1)) return 1;
    double decade = std::pow(10.0, std::floor(std::log10(x)));
    for (;;) {
        for (double m : {1.0, 2.0, 5.0})
            if (m * decade >= x * (1 - 1e-12)) return m * decade;
        decade *= 10;
    }
}

} // namespace

// Ticks on whole numbers only, labels in the axis's notation, and no label where an axis-end
// text stands.
class StripChart::Ticker : public QCPAxisTicker {
public:
    Ticker(const StripChart* chart, Qt::Orientation axis) : chart_(chart), axis_(axis) {}

    TickNotation notation = TickNotation::Decimal;
    // Labels closer to the lower/upper end than this fraction of the visible span are left out.
    double clearLow = 0, clearHigh = 0;

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks, QVector<QString>* tickLabels) override {
        range_ = range;
        QCPAxisTicker::generate(range, locale, formatChar, precision, ticks, subTicks, tickLabels);
    }

protected:
    double getTickStep(const QCPRange& range) override {
        if (notation == TickNotation::Hex) {
            // Steps of 1, 2, 4, 8, 10 (hex), ... keep the hexadecimal labels round.
            return powerOfTwoAtLeast(std::max(1.0, range.size() / std::max(1, tickCount())));
        }
        // The base ticker may choose 2.5 (or 0.25 below): counts and reading numbers are whole.
        const double step = QCPAxisTicker::getTickStep(range);
        return step == std::floor(step) && step >= 1 ? step : roundStepAtLeast(step);
    }
    int getSubTickCount(double tickStep) override {
        if (tickStep < 2) return 0;
        if (notation == TickNotation::Hex) return tickStep >= 4 ? 3 : 1;
        if (tickStep == 2) return 1;
        return QCPAxisTicker::getSubTickCount(tickStep);
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        const double span = range_.size();
        if (span > 0 && (tick - range_.lower < clearLow * span || range_.upper - tick < clearHigh * span))
            return {};
        return chart_->tickText(axis_, tick);
    }

private:
    const StripChart* chart_;
    Qt::Orientation axis_;
    QCPRange range_;
};

// Ticks at the powers of ten, labelled "1e-9" or by the window's texts (which then label the
// steps between them too, where a short axis has them labelled).
class LogTicker : public QCPAxisTickerLog {
public:
    explicit LogTicker(const std::function<std::string(double)>& text) : text_(text) {
        setLogBase(10);
        setSubTickCount(8);
    }

protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        if (!(tick > 0)) return {};
        if (text_) return QString::fromStdString(text_(tick));
        const double exponent = std::round(std::log10(tick));
        if (std::abs(tick / std::pow(10.0, exponent) - 1) > 1e-9) return QString::number(tick, 'g', 3);
        return QStringLiteral("1e%1").arg(static_cast<int>(exponent));
    }

private:
    const std::function<std::string(double)>& text_;  // the chart's, for this axis
};

void StripChart::setUpCaptions() {
    xTicker_ = QSharedPointer<Ticker>::create(this, Qt::Horizontal);
    yTicker_ = QSharedPointer<Ticker>::create(this, Qt::Vertical);
    xAxis->setTicker(xTicker_);
    yAxis->setTicker(yTicker_);

    legend->setVisible(false);
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

    QFont endFont = xAxis->tickLabelFont();
    endFont.setBold(true);
    for (QCPItemText*& text : endText_) {
        text = new QCPItemText(this);
        text->setClipToAxisRect(false);
        text->setSelectable(false);
        text->setFont(endFont);
        text->setColor(QColor(0, 0, 110));
        text->position->setType(QCPItemPosition::ptAxisRectRatio);
        text->position->setAxisRect(axisRect());
        text->setVisible(false);
    }
    endText_[kXLow]->position->setCoords(0, 1);
    endText_[kXHigh]->position->setCoords(1, 1);
    endText_[kYLow]->position->setCoords(0, 1);
    endText_[kYHigh]->position->setCoords(0, 0);
    for (int k : {kXLow, kXHigh}) endText_[k]->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (int k : {kYLow, kYHigh}) endText_[k]->setPositionAlignment(Qt::AlignRight | Qt::AlignVCenter);

    connect(this, &QCustomPlot::beforeReplot, this, [this] { placeEndTexts(); });
    connect(this, &QCustomPlot::afterLayout, this, [this] {
        // Which tick labels give way to the end texts depends on the laid-out axis lengths; when
        // this layout changed them, lay out once more with the fitting choice before drawing.
        if (layingOutAgain_) return;
        const double oldX[2] = {xTicker_->clearLow, xTicker_->clearHigh};
        const double oldY[2] = {yTicker_->clearLow, yTicker_->clearHigh};
        placeEndTexts();
        const auto moved = [](double a, double b) { return std::abs(a - b) > 0.002; };
        if (moved(oldX[0], xTicker_->clearLow) || moved(oldX[1], xTicker_->clearHigh) ||
            moved(oldY[0], yTicker_->clearLow) || moved(oldY[1], yTicker_->clearHigh)) {
            layingOutAgain_ = true;
            updateLayout();
            placeEndTexts();
            layingOutAgain_ = false;
        }
    });
}

void StripChart::setLegendCorner(Qt::Alignment corner) {
    axisRect()->insetLayout()->setInsetAlignment(0, corner);
    scheduleDraw();
}

void StripChart::setTickNotation(Qt::Orientation axis, TickNotation notation) {
    (axis == Qt::Horizontal ? xTicker_ : yTicker_)->notation = notation;
    scheduleDraw();
}

void StripChart::setAxisScale(Qt::Orientation axis, AxisScale scale) {
    const bool logarithmic = scale == AxisScale::Logarithmic;
    QCPAxis* a = axis == Qt::Horizontal ? xAxis : yAxis;
    logarithmic_[axis == Qt::Horizontal ? 0 : 1] = logarithmic;
    const int i = axis == Qt::Horizontal ? 0 : 1;
    if (!logTickers_[i]) logTickers_[i] = QSharedPointer<LogTicker>::create(logTickTexts_[i]);
    a->setScaleType(logarithmic ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    a->setTicker(logarithmic ? logTickers_[i] : QSharedPointer<QCPAxisTicker>(axis == Qt::Horizontal ? xTicker_ : yTicker_));
    applyRanges();
}

void StripChart::setLogTickTexts(Qt::Orientation axis, std::function<std::string(double)> text) {
    logTickTexts_[axis == Qt::Horizontal ? 0 : 1] = std::move(text);
    scheduleDraw();
}

QString StripChart::tickText(Qt::Orientation axis, double value) const {
    const TickNotation notation = (axis == Qt::Horizontal ? xTicker_ : yTicker_)->notation;
    if (notation == TickNotation::Hex) return QString::fromStdString(Hex(value));
    const double r = RoundHalfEven(value);
    if (r == value && std::abs(r) < 1e15) return QString::number(static_cast<qint64>(r));
    return QString::number(value, 'g', 10);
}

// ---- captions -----------------------------------------------------------------------------------

void StripChart::setCaptionRole(int16_t index, CaptionRole role, int trace) {
    const auto old = places_.find(index);
    if (old != places_.end()) {
        // Empty the place the caption leaves.
        const std::string text = caption(index);
        captions_[index].clear();
        applyCaption(index);
        captions_[index] = text;
    }
    places_[index] = Place{role, std::clamp(trace, 0, kTraces - 1)};
    applyCaption(index);
}

void StripChart::setCaptions(std::initializer_list<CaptionSetup> captions) {
    for (const CaptionSetup& c : captions) {
        setCaptionRole(c.index, c.role);
        setCaption(c.index, c.text);
    }
}

void StripChart::setCaption(int16_t index, std::string_view text) {
    captions_[index] = std::string(text);
    applyCaption(index);
}

std::string StripChart::caption(int16_t index) const {
    const auto it = captions_.find(index);
    return it == captions_.end() ? std::string() : it->second;
}

void StripChart::applyCaption(int16_t index) {
    const auto place = places_.find(index);
    if (place == places_.end()) return;
    const std::string text = caption(index);
    const QString q = QString::fromUtf8(text.data(), qsizetype(text.size()));
    switch (place->second.role) {
    case CaptionRole::None:
        break;
    case CaptionRole::Title:
        if (!title_) {
            plotLayout()->insertRow(0);
            QFont font = this->font();
            font.setPointSizeF(font.pointSizeF() * 1.3);
            font.setBold(true);
            title_ = new QCPTextElement(this, q, font);
            plotLayout()->addElement(0, 0, title_);
        }
        title_->setText(q);
        setAccessibleName(q);  // a screen reader names the chart by its title
        break;
    case CaptionRole::XAxisTitle:
        xAxis->setLabel(q);
        break;
    case CaptionRole::YAxisTitle:
        yAxis->setLabel(q);
        break;
    case CaptionRole::TraceName:
        updateLegend();
        break;
    default: {
        QCPItemText* item = endText_[endSlot(place->second.role)];
        item->setText(q);
        item->setVisible(!text.empty());
        break;
    }
    }
    scheduleDraw();
}

// ---- legend -------------------------------------------------------------------------------------

std::string StripChart::traceName(int trace) const {
    for (const auto& [index, place] : places_)
        if (place.role == CaptionRole::TraceName && place.trace == trace) return caption(index);
    return {};
}

void StripChart::updateLegend() {
    bool any = false;
    for (int t = 0; t < kTraces; ++t) {
        const Trace& tr = traces_[t];
        QCPAbstractPlottable* used = shown(tr);
        for (QCPAbstractPlottable* p : plottables(tr))
            if (p != used) p->removeFromLegend();
        const std::string name = traceName(t);
        if (name.empty()) {
            used->removeFromLegend();
            continue;
        }
        used->setName(QString::fromStdString(name));
        if (!legend->hasItemWithPlottable(used)) used->addToLegend();
        any = true;
    }
    // Trace 0 above trace 1, whichever was named first.
    if (any) {
        std::vector<QCPAbstractPlottable*> order;
        for (const Trace& tr : traces_)
            for (QCPAbstractPlottable* p : plottables(tr))
                if (legend->hasItemWithPlottable(p)) order.push_back(p);
        for (QCPAbstractPlottable* p : order) p->removeFromLegend();
        for (QCPAbstractPlottable* p : order) p->addToLegend();
    }
    legend->setVisible(any);
}

// ---- axis-end texts -----------------------------------------------------------------------------

void StripChart::placeEndTexts() {
    const QRect rect = axisRect()->rect();
    const auto textSize = [](const QCPItemText* item) {
        if (!item->visible()) return QSize(0, 0);
        return QFontMetrics(item->font()).size(Qt::TextSingleLine, item->text());
    };
    const QSize size[4] = {textSize(endText_[0]), textSize(endText_[1]), textSize(endText_[2]), textSize(endText_[3])};

    const int xGap = xAxis->tickLengthOut() + xAxis->tickLabelPadding() + xAxis->offset();
    const int yGap = yAxis->tickLengthOut() + yAxis->tickLabelPadding() + yAxis->offset();
    for (int k : {kXLow, kXHigh}) endText_[k]->setPadding(QMargins(0, xGap, 0, 0));
    for (int k : {kYLow, kYHigh}) endText_[k]->setPadding(QMargins(0, 0, yGap, 0));

    // Room in the margins for the end texts; the axes take more when their own labels need it.
    const auto titleRoom = [](const QCPAxis* axis) {
        if (axis->label().isEmpty()) return 0;
        return QFontMetrics(axis->labelFont()).height() + axis->labelPadding();
    };
    const int left = std::max(size[kYLow].width(), size[kYHigh].width());
    const int bottom = std::max(size[kXLow].height(), size[kXHigh].height());
    QMargins minimum(0, 0, 0, 0);
    if (left > 0) minimum.setLeft(left + yGap + titleRoom(yAxis) + yAxis->padding() + 2);
    if (bottom > 0) minimum.setBottom(bottom + xGap + titleRoom(xAxis) + xAxis->padding() + 2);
    // The label of a tick at the right end of the x axis, or the end text there, stands half
    // outside the plot.
    const int rightLabel = QFontMetrics(xAxis->tickLabelFont()).horizontalAdvance(tickText(Qt::Horizontal, xAxis->range().upper));
    minimum.setRight(std::max(size[kXHigh].width(), rightLabel) / 2 + 12);
    if (size[kYHigh].height() > 0) minimum.setTop(size[kYHigh].height() / 2 + 4);
    axisRect()->setMinimumMargins(minimum);

    // Tick labels give way where an end text stands: along x a label as wide as the end text
    // would touch it nearer than that width, along y nearer than a text height.
    const auto fraction = [](int pixels, int length) {
        return pixels > 0 && length > 20 ? std::min(0.45, double(pixels) / length) : 0.0;
    };
    xTicker_->clearLow = fraction(size[kXLow].width() ? size[kXLow].width() + 6 : 0, rect.width());
    xTicker_->clearHigh = fraction(size[kXHigh].width() ? size[kXHigh].width() + 6 : 0, rect.width());
    yTicker_->clearLow = fraction(size[kYLow].height() ? size[kYLow].height() + 2 : 0, rect.height());
    yTicker_->clearHigh = fraction(size[kYHigh].height() ? size[kYHigh].height() + 2 : 0, rect.height());
}

} // namespace qb::platform
