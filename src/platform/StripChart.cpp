#include "platform/StripChart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/Messages.h"
#include "platform/Numbers.h"
#include "platform/QtMessages.h"

namespace qb::platform {

namespace {

constexpr int kXLow = 0, kXHigh = 1, kYLow = 2, kYHigh = 3;
constexpr double kCursorGrabPixels = 4.0;
// Beyond this QCustomPlot refuses a range; values past it are drawn at it.
constexpr double kLargestDrawn = 1e200;

int endSlot(CaptionRole role) {
    switch (role) {
    case CaptionRole::XAxisLowEnd: return kXLow;
    case CaptionRole::XAxisHighEnd: return kXHigh;
    case CaptionRole::YAxisLowEnd: return kYLow;
    default: return kYHigh;
    }
}

// The range QCustomPlot draws for the bounds a window set: never empty (equal bounds are drawn
// around their value), padded by `padding` of the span on each side, and `previous` when a bound
// is not a finite number.
QCPRange drawnRange(double a, double b, double padding, const QCPRange& previous) {
    if (!std::isfinite(a) || !std::isfinite(b)) return previous;
    double lo = std::clamp(std::min(a, b), -kLargestDrawn, kLargestDrawn);
    double hi = std::clamp(std::max(a, b), -kLargestDrawn, kLargestDrawn);
    const double span = hi - lo;
    const double mid = lo / 2 + hi / 2;
    const double scale = std::max(std::abs(lo), std::abs(hi));
    if (span <= scale * 1e-12 || !QCPRange::validRange(lo, hi)) {
        const double half = std::max(1.0, std::abs(mid) * 1e-9);
        return {mid - half, mid + half};
    }
    const double pad = span * std::max(0.0, padding);
    return {lo - pad, hi + pad};
}

// Smallest power of two at least x (x >= 1).
double powerOfTwoAtLeast(double x) {
    double p = 1;
    while (p < x && p < 1e300) p *= 2;
    return p;
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
        return std::max(1.0, QCPAxisTicker::getTickStep(range));
    }
    int getSubTickCount(double tickStep) override {
        if (tickStep < 2) return 0;
        if (notation == TickNotation::Hex) return tickStep >= 4 ? 3 : 1;
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

StripChart::StripChart(const char* name, QWidget* parent) : QCustomPlot(parent) {
    setObjectName(QString::fromUtf8(name));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phFastPolylines, true);
    setAutoAddPlottableToLegend(false);

    xTicker_ = QSharedPointer<Ticker>::create(this, Qt::Horizontal);
    yTicker_ = QSharedPointer<Ticker>::create(this, Qt::Vertical);
    xAxis->setTicker(xTicker_);
    yAxis->setTicker(yTicker_);

    const QColor colours[kTraces] = {QColor(0, 70, 180), QColor(200, 40, 30)};
    for (int t = 0; t < kTraces; ++t) {
        traces_[t].graph = addGraph();
        traces_[t].curve = new QCPCurve(xAxis, yAxis);
        for (QCPAbstractPlottable* p : {static_cast<QCPAbstractPlottable*>(traces_[t].graph),
                                        static_cast<QCPAbstractPlottable*>(traces_[t].curve)}) {
            QPen pen(colours[t], 1);
            pen.setCosmetic(true);
            p->setPen(pen);
            p->setSelectable(QCP::stNone);
        }
    }
    legend->setVisible(false);
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

    cursorLine_ = new QCPItemStraightLine(this);
    cursorLine_->setPen(QPen(QColor(190, 0, 90), 1, Qt::DashLine));
    cursorLine_->setSelectable(false);

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
    connect(this, &QCustomPlot::afterReplot, this, [this] {
        // Which tick labels give way to the end texts depends on the laid-out axis lengths; when
        // this drawing laid the chart out anew, draw once more with the fitting choice.
        const double oldX[2] = {xTicker_->clearLow, xTicker_->clearHigh};
        const double oldY[2] = {yTicker_->clearLow, yTicker_->clearHigh};
        placeEndTexts();
        const auto moved = [](double a, double b) { return std::abs(a - b) > 0.002; };
        if (moved(oldX[0], xTicker_->clearLow) || moved(oldX[1], xTicker_->clearHigh) ||
            moved(oldY[0], yTicker_->clearLow) || moved(oldY[1], yTicker_->clearHigh))
            replot(rpQueuedReplot);
    });

    setGridMode(kGridOff);
    applyRanges();
    setCursorPosition(0);
}

StripChart::~StripChart() = default;

// ---- configuration ------------------------------------------------------------------------------

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

void StripChart::setTickNotation(Qt::Orientation axis, TickNotation notation) {
    (axis == Qt::Horizontal ? xTicker_ : yTicker_)->notation = notation;
    scheduleDraw();
}

void StripChart::setViewPadding(Qt::Orientation axis, double fraction) {
    (axis == Qt::Horizontal ? xPadding_ : yPadding_) = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    if (!userView_) applyRanges();
}

void StripChart::setTracePen(int trace, const QPen& pen) {
    if (trace < 0 || trace >= kTraces) return;
    traces_[trace].graph->setPen(pen);
    traces_[trace].curve->setPen(pen);
    scheduleDraw();
}

// ---- data ---------------------------------------------------------------------------------------

void StripChart::clearTraces() {
    for (Trace& t : traces_) {
        t.x.clear();
        t.y.clear();
        t.ascending = true;
        t.graph->data()->clear();
        t.curve->data()->clear();
    }
    updateLegend();
    scheduleDraw();
}

void StripChart::loadYSeries(std::span<const double> y, int trace, std::size_t first) {
    if (trace < 0 || trace >= kTraces) return;
    Trace& t = traces_[trace];
    t.x.clear();
    t.y.clear();
    QVector<double> keys, values;
    if (first < y.size()) {
        const std::size_t n = y.size() - first;
        t.x.reserve(n);
        t.y.assign(y.begin() + static_cast<std::ptrdiff_t>(first), y.end());
        keys.reserve(static_cast<qsizetype>(n));
        values.reserve(static_cast<qsizetype>(n));
        for (std::size_t i = first; i < y.size(); ++i) {
            t.x.push_back(static_cast<double>(i));
            keys.push_back(static_cast<double>(i));
            values.push_back(y[i]);
        }
    }
    t.ascending = true;
    t.graph->setData(keys, values, true);
    t.curve->data()->clear();
    cursorX_ = clampCursor(cursorX_);
    updateCursorLine();
    updateLegend();
    scheduleDraw();
}

void StripChart::loadXYSeries(std::span<const double> x, std::span<const double> y, int trace) {
    if (trace < 0 || trace >= kTraces) return;
    Trace& t = traces_[trace];
    const std::size_t n = std::min(x.size(), y.size());
    t.x.assign(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
    t.y.assign(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    t.ascending = std::is_sorted(t.x.begin(), t.x.end());
    // A curve keeps the order of its points, so spikes (c, 0), (c, n), (c, 0) draw as given.
    t.curve->setData(QVector<double>(t.x.begin(), t.x.end()), QVector<double>(t.y.begin(), t.y.end()));
    t.graph->data()->clear();
    cursorX_ = clampCursor(cursorX_);
    updateCursorLine();
    updateLegend();
    scheduleDraw();
}

std::size_t StripChart::tracePoints(int trace) const {
    if (trace < 0 || trace >= kTraces) return 0;
    return traces_[trace].x.size();
}

// ---- ranges -------------------------------------------------------------------------------------

void StripChart::setTraceScaleUpper(double y) {
    traceUpper_ = y;
    yUpper_ = y;
    userView_ = false;
    applyRanges();
}

void StripChart::setTraceScaleLower(double y) {
    traceLower_ = y;
    yLower_ = y;
    userView_ = false;
    applyRanges();
}

void StripChart::setYAxisUpper(double y) {
    yUpper_ = y;
    userView_ = false;
    applyRanges();
}

void StripChart::setYAxisLower(double y) {
    yLower_ = y;
    userView_ = false;
    applyRanges();
}

void StripChart::setXRange(double from, double to) {
    xFrom_ = from;
    xTo_ = to;
    userView_ = false;
    applyRanges();
}

void StripChart::applyRanges() {
    xAxis->setRange(drawnRange(xFrom_, xTo_, xPadding_, xAxis->range()));
    yAxis->setRange(drawnRange(yLower_, yUpper_, yPadding_, yAxis->range()));
    scheduleDraw();
}

double StripChart::yAxisUpperShown() const { return userView_ ? yAxis->range().upper : yUpper_; }
double StripChart::yAxisLowerShown() const { return userView_ ? yAxis->range().lower : yLower_; }
double StripChart::xAxisLowerShown() const { return userView_ ? xAxis->range().lower : std::min(xFrom_, xTo_); }
double StripChart::xAxisUpperShown() const { return userView_ ? xAxis->range().upper : std::max(xFrom_, xTo_); }

void StripChart::showFullRange() {
    const QCPRange x0 = xAxis->range(), y0 = yAxis->range();
    const bool wasUserView = userView_;
    userView_ = false;
    applyRanges();
    if ((wasUserView || xAxis->range() != x0 || yAxis->range() != y0) && scaleHandler_) scaleHandler_();
    replot(rpImmediateRefresh);
}

void StripChart::afterUserRangeChange(const QCPRange& x0, const QCPRange& y0) {
    if (xAxis->range() == x0 && yAxis->range() == y0) return;
    userView_ = true;
    if (scaleHandler_) scaleHandler_();
    replot(rpImmediateRefresh);  // the new range with the texts the handler wrote for it
}

// ---- captions -----------------------------------------------------------------------------------

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

std::string StripChart::traceName(int trace) const {
    for (const auto& [index, place] : places_)
        if (place.role == CaptionRole::TraceName && place.trace == trace) return caption(index);
    return {};
}

void StripChart::updateLegend() {
    bool any = false;
    for (int t = 0; t < kTraces; ++t) {
        const Trace& tr = traces_[t];
        QCPAbstractPlottable* used = tr.curve->dataCount() > 0 ? static_cast<QCPAbstractPlottable*>(tr.curve)
                                                               : static_cast<QCPAbstractPlottable*>(tr.graph);
        QCPAbstractPlottable* unused = used == tr.curve ? static_cast<QCPAbstractPlottable*>(tr.graph)
                                                        : static_cast<QCPAbstractPlottable*>(tr.curve);
        unused->removeFromLegend();
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
            for (QCPAbstractPlottable* p : {static_cast<QCPAbstractPlottable*>(tr.graph),
                                            static_cast<QCPAbstractPlottable*>(tr.curve)})
                if (legend->hasItemWithPlottable(p)) order.push_back(p);
        for (QCPAbstractPlottable* p : order) p->removeFromLegend();
        for (QCPAbstractPlottable* p : order) p->addToLegend();
    }
    legend->setVisible(any);
}

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
    if (size[kXHigh].width() > 0) minimum.setRight(size[kXHigh].width() / 2 + 12);
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

QString StripChart::tickText(Qt::Orientation axis, double value) const {
    const TickNotation notation = (axis == Qt::Horizontal ? xTicker_ : yTicker_)->notation;
    if (notation == TickNotation::Hex) return QString::fromStdString(Hex(value));
    const double r = RoundHalfEven(value);
    if (r == value && std::abs(r) < 1e15) return QString::number(static_cast<qint64>(r));
    return QString::number(value, 'g', 10);
}

// ---- drawing ------------------------------------------------------------------------------------

void StripChart::redraw() { replot(rpImmediateRefresh); }

void StripChart::scheduleDraw() { replot(rpQueuedReplot); }

void StripChart::setGridMode(int32_t mode) {
    gridMode_ = mode;
    xAxis->grid()->setVisible((mode & 1) != 0);
    yAxis->grid()->setVisible((mode & 2) != 0);
    scheduleDraw();
}

// ---- cursor -------------------------------------------------------------------------------------

bool StripChart::dataExtent(double& lo, double& hi) const {
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    for (const Trace& t : traces_)
        for (double x : t.x)
            if (std::isfinite(x)) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
    return lo <= hi;
}

double StripChart::clampCursor(double x) const {
    if (!std::isfinite(x)) return cursorX_;
    double r = RoundHalfEven(x);
    double lo = 0, hi = 0;
    if (dataExtent(lo, hi)) {
        const double first = std::ceil(lo), last = std::floor(hi);
        if (first > last) return RoundHalfEven(lo);  // no whole number inside the data
        r = std::clamp(r, first, last);
    }
    return r;
}

void StripChart::updateCursorLine() {
    cursorLine_->point1->setCoords(cursorX_, 0);
    cursorLine_->point2->setCoords(cursorX_, 1);
}

void StripChart::setCursorVisible(bool visible) {
    cursorLine_->setVisible(visible);
    scheduleDraw();
}

bool StripChart::cursorVisible() const { return cursorLine_->visible(); }

void StripChart::setCursorPosition(double x) {
    cursorX_ = clampCursor(x);
    updateCursorLine();
    scheduleDraw();
}

void StripChart::userMovesCursor(double x, bool alwaysReport) {
    const double next = clampCursor(x);
    const bool moved = next != cursorX_;
    cursorX_ = next;
    updateCursorLine();
    if (moved) replot(rpImmediateRefresh);
    if ((moved || alwaysReport) && cursorHandler_) cursorHandler_(cursorX_);
}

double StripChart::valueAtCursor(int trace) const {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (trace < 0 || trace >= kTraces) return nan;
    const Trace& t = traces_[trace];
    if (t.x.empty()) return nan;
    // The x nearest the cursor...
    double best = nan, bestDistance = std::numeric_limits<double>::infinity();
    const auto consider = [&](double x) {
        const double d = std::abs(x - cursorX_);
        if (d < bestDistance) {
            bestDistance = d;
            best = x;
        }
    };
    if (t.ascending) {
        const auto it = std::lower_bound(t.x.begin(), t.x.end(), cursorX_);
        if (it != t.x.end()) consider(*it);
        if (it != t.x.begin()) consider(*(it - 1));
    } else {
        for (double x : t.x) consider(x);
    }
    if (std::isnan(best)) return nan;
    // ... and the largest y among the points at it.
    double value = nan;
    for (std::size_t i = 0; i < t.x.size(); ++i)
        if (t.x[i] == best && !std::isnan(t.y[i]) && (std::isnan(value) || t.y[i] > value)) value = t.y[i];
    return value;
}

double StripChart::nearestDataX(double x) const {
    double best = std::numeric_limits<double>::quiet_NaN(), distance = std::numeric_limits<double>::infinity();
    const auto consider = [&](double candidate) {
        if (std::isfinite(candidate) && std::abs(candidate - x) < distance) {
            distance = std::abs(candidate - x);
            best = candidate;
        }
    };
    for (const Trace& t : traces_) {
        if (t.ascending) {
            const auto it = std::lower_bound(t.x.begin(), t.x.end(), x);
            if (it != t.x.end()) consider(*it);
            if (it != t.x.begin()) consider(*(it - 1));
        } else {
            for (double v : t.x) consider(v);
        }
    }
    return best;
}

double StripChart::xAtPixel(double px) const {
    const double x = xOfPixel(px);
    // A point drawn within reach of the mouse takes the cursor, however many whole numbers one
    // pixel spans (a histogram of a wide span): what the user sees under the mouse can be hit.
    const double nearest = nearestDataX(x);
    if (std::isfinite(nearest) && std::abs(pixelOfX(nearest) - px) <= kCursorGrabPixels) return nearest;
    return x;
}

double StripChart::neighbourX(double x, int direction) const {
    // The next point of any trace beyond the cursor's whole number in that direction.
    double best = x;
    bool found = false;
    for (const Trace& t : traces_)
        for (double v : t.x) {
            if (!std::isfinite(v)) continue;
            const double r = clampCursor(v);
            if ((direction > 0 ? r > x : r < x) && (!found || (direction > 0 ? r < best : r > best))) {
                best = r;
                found = true;
            }
        }
    return best;
}

double StripChart::pixelOfX(double x) const { return xAxis->coordToPixel(x); }
double StripChart::xOfPixel(double px) const { return xAxis->pixelToCoord(px); }

bool StripChart::insidePlot(const QPointF& pos) const { return axisRect()->rect().contains(pos.toPoint()); }

bool StripChart::nearCursorLine(const QPointF& pos) const {
    return std::abs(pos.x() - pixelOfX(cursorX_)) <= kCursorGrabPixels;
}

// ---- user input ---------------------------------------------------------------------------------

void StripChart::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (event->button() == Qt::LeftButton && insidePlot(pos) && nearCursorLine(pos)) {
        drag_ = Drag::Cursor;
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        drag_ = Drag::Plot;
        pressPos_ = pos;
        panning_ = false;
    }
    QCustomPlot::mousePressEvent(event);
}

void StripChart::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (drag_ == Drag::Cursor) {
        userMovesCursor(xAtPixel(pos.x()), false);
        event->accept();
        return;
    }
    if (drag_ == Drag::Plot && !panning_) {
        // A click that shakes a little is still a click: the view moves only past the drag distance.
        if ((pos - pressPos_).manhattanLength() < QApplication::startDragDistance()) {
            event->accept();
            return;
        }
        panning_ = true;
    }
    const QCPRange x0 = xAxis->range(), y0 = yAxis->range();
    QCustomPlot::mouseMoveEvent(event);
    afterUserRangeChange(x0, y0);
}

void StripChart::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == Drag::Cursor) {
        drag_ = Drag::None;
        event->accept();
        return;
    }
    const bool click = drag_ == Drag::Plot && !panning_ && event->button() == Qt::LeftButton;
    drag_ = Drag::None;
    panning_ = false;
    const QCPRange x0 = xAxis->range(), y0 = yAxis->range();
    QCustomPlot::mouseReleaseEvent(event);
    afterUserRangeChange(x0, y0);
    if (click && insidePlot(pressPos_)) userMovesCursor(xAtPixel(pressPos_.x()), true);
}

void StripChart::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) showFullRange();
}

void StripChart::wheelEvent(QWheelEvent* event) {
    const QCPRange x0 = xAxis->range(), y0 = yAxis->range();
    QCustomPlot::wheelEvent(event);
    afterUserRangeChange(x0, y0);
}

void StripChart::keyPressEvent(QKeyEvent* event) {
    const bool big = event->modifiers().testFlag(Qt::ShiftModifier);
    double lo = 0, hi = 0;
    const bool data = dataExtent(lo, hi);
    switch (event->key()) {
    case Qt::Key_Left:
        if (event->modifiers().testFlag(Qt::ControlModifier)) userMovesCursor(neighbourX(cursorX_, -1), false);
        else userMovesCursor(cursorX_ - (big ? 10 : 1), false);
        break;
    case Qt::Key_Right:
        if (event->modifiers().testFlag(Qt::ControlModifier)) userMovesCursor(neighbourX(cursorX_, +1), false);
        else userMovesCursor(cursorX_ + (big ? 10 : 1), false);
        break;
    case Qt::Key_PageUp: userMovesCursor(cursorX_ - 10, false); break;
    case Qt::Key_PageDown: userMovesCursor(cursorX_ + 10, false); break;
    case Qt::Key_Home: if (data) userMovesCursor(lo, false); break;
    case Qt::Key_End: if (data) userMovesCursor(hi, false); break;
    default: QCustomPlot::keyPressEvent(event); return;
    }
    event->accept();
}

void StripChart::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* png = menu.addAction(tr("Save as PNG..."));
    QAction* pdf = menu.addAction(tr("Save as PDF..."));
    menu.addSeparator();
    QAction* full = menu.addAction(tr("Full range"));
    full->setEnabled(userView_);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == png) saveFromMenu(ChartImageFormat::Png);
    else if (chosen == pdf) saveFromMenu(ChartImageFormat::Pdf);
    else if (chosen == full) showFullRange();
}

// ---- images -------------------------------------------------------------------------------------

Result<> StripChart::saveImage(const QString& path, ChartImageFormat format, int width, int height) {
    if (path.trimmed().isEmpty()) return Fail("No file name was given for the chart image.");
    placeEndTexts();
    const bool ok = format == ChartImageFormat::Png ? savePng(path, width, height)
                                                    : savePdf(path, width, height);
    if (!ok) return Fail("The chart could not be written to " + QDir::toNativeSeparators(path).toStdString() + ".");
    return {};
}

void StripChart::saveFromMenu(ChartImageFormat format) {
    const bool png = format == ChartImageFormat::Png;
    QString base = title_ ? title_->text().trimmed() : QString();
    if (base.isEmpty()) base = QStringLiteral("Chart");
    QFileDialog dialog(this, png ? tr("Save chart as PNG") : tr("Save chart as PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(png ? tr("PNG images (*.png)") : tr("PDF documents (*.pdf)"));
    dialog.setDefaultSuffix(png ? QStringLiteral("png") : QStringLiteral("pdf"));
    dialog.selectFile(base + (png ? QStringLiteral(".png") : QStringLiteral(".pdf")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const Result<> saved = saveImage(dialog.selectedFiles().first(), format);
    if (saved.ok()) return;
    if (messages_) {
        messages_->exclamation(saved.error());
    } else {
        QtMessages boxes;
        boxes.exclamation(saved.error());
    }
}

} // namespace qb::platform
