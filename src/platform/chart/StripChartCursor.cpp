// The strip chart's cursor, and the mouse and keys that move the cursor or the view.
#include <algorithm>
#include <cmath>
#include <limits>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/base/Numbers.h"
#include "platform/chart/StripChart.h"

namespace qb::platform {

namespace {

constexpr double kCursorGrabPixels = 4.0;

} // namespace

void StripChart::setUpCursor() {
    cursorLine_ = new QCPItemStraightLine(this);
    cursorLine_->setPen(QPen(QColor(190, 0, 90), 1, Qt::DashLine));
    cursorLine_->setSelectable(false);
    setCursorPosition(0);
}

// ---- where the cursor may go --------------------------------------------------------------------

void StripChart::setCursorOnPoints(bool on) {
    cursorOnPoints_ = on;
    setCursorPosition(cursorX_);
}

double StripChart::clampCursor(double x) const {
    if (!std::isfinite(x)) return cursorX_;
    if (cursorOnPoints_) {
        const double nearest = nearestDataX(x);
        return std::isfinite(nearest) ? nearest : x;
    }
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

// ---- reading the traces at the cursor -----------------------------------------------------------

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

// Where `steps` steps (negative: to the left) take the cursor: whole numbers, or points of the
// data when the cursor goes from point to point (never beyond the first or last).
double StripChart::stepCursor(int steps) const {
    if (!cursorOnPoints_) return cursorX_ + steps;
    double x = cursorX_;
    for (int i = 0; i < std::abs(steps); ++i) x = neighbourX(x, steps > 0 ? 1 : -1);
    return x;
}

// ---- pixels -------------------------------------------------------------------------------------

double StripChart::pixelOfX(double x) const { return xAxis->coordToPixel(x); }

double StripChart::xAtPixel(double px) const {
    const double x = xAxis->pixelToCoord(px);
    // A point drawn within reach of the mouse takes the cursor, however many whole numbers one
    // pixel spans (a histogram of a wide span): what the user sees under the mouse can be hit.
    const double nearest = nearestDataX(x);
    if (std::isfinite(nearest) && std::abs(pixelOfX(nearest) - px) <= kCursorGrabPixels) return nearest;
    return x;
}

bool StripChart::insidePlot(const QPointF& pos) const { return axisRect()->rect().contains(pos.toPoint()); }

bool StripChart::nearCursorLine(const QPointF& pos) const {
    return std::abs(pos.x() - pixelOfX(cursorX_)) <= kCursorGrabPixels;
}

// ---- mouse and keys -----------------------------------------------------------------------------

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
    // Over an axis the user may not move, the wheel does nothing (rather than zoom the other).
    const QPointF pos = event->position();
    const QRect plot = axisRect()->rect();
    const bool overY = pos.x() < plot.left() && pos.y() >= plot.top() && pos.y() <= plot.bottom();
    const bool overX = pos.y() > plot.bottom() && pos.x() >= plot.left() && pos.x() <= plot.right();
    if ((overY && !axisRect()->rangeZoom().testFlag(Qt::Vertical)) ||
        (overX && !axisRect()->rangeZoom().testFlag(Qt::Horizontal))) {
        event->accept();
        return;
    }
    const QCPRange x0 = xAxis->range(), y0 = yAxis->range();
    QCustomPlot::wheelEvent(event);
    afterUserRangeChange(x0, y0);
}

void StripChart::keyPressEvent(QKeyEvent* event) {
    const bool big = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool toPoint = event->modifiers().testFlag(Qt::ControlModifier);
    double lo = 0, hi = 0;
    const bool data = dataExtent(lo, hi);
    switch (event->key()) {
    case Qt::Key_Left:
        userMovesCursor(toPoint ? neighbourX(cursorX_, -1) : stepCursor(big ? -10 : -1), false);
        break;
    case Qt::Key_Right:
        userMovesCursor(toPoint ? neighbourX(cursorX_, +1) : stepCursor(big ? 10 : 1), false);
        break;
    case Qt::Key_PageUp: userMovesCursor(stepCursor(-10), false); break;
    case Qt::Key_PageDown: userMovesCursor(stepCursor(10), false); break;
    case Qt::Key_Home: if (data) userMovesCursor(lo, false); break;
    case Qt::Key_End: if (data) userMovesCursor(hi, false); break;
    default: QCustomPlot::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace qb::platform
