#pragma once
// What the noise spectrum and the Allan deviation windows share: a resizable chart window whose
// chart fills it above a readout of the two values at the chart cursor, a line saying how the
// chart was made, and "Back...". Each window plots its own data and fills the readout from its
// cursor handler.
#include <initializer_list>
#include <string>

#include "platform/chart/StripChart.h"
#include "platform/widgets/Form.h"

class QLabel;
class QPushButton;

namespace qb::analysis {

class ReadoutChartForm : public platform::Form {
    Q_OBJECT
public:
    // One row of the readout: the caption label's name and text, the value label's name and what
    // it reads as ("Frequency at the cursor").
    struct ReadoutRow {
        const char* captionName;
        const char* caption;
        const char* valueName;
        const char* valueMeaning;
    };
    struct Setup {
        const char* caption;  // the window's
        const char* chartName;
        std::initializer_list<platform::StripChart::CaptionSetup> captions;
        ReadoutRow first, second;
        const char* summaryMeaning;  // what the summary line reads as
    };

    void Command3D1_Click();
    platform::StripChart& chart() { return *chart_; }

protected:
    ReadoutChartForm(const Setup& setup, QWidget* parent, platform::MessageSink* messages);

    // The two values at the cursor; empty texts clear them.
    void showReadout(const std::string& first, const std::string& second);
    void showSummary(const std::string& text);
    // A cursor at a point of a logarithmic axis, which the window's cursor handler reads out.
    void onCursorAtPoints(const std::function<void()>& readOut);

    platform::StripChart* chart_ = nullptr;

private:
    QLabel* values_[2] = {};
    QLabel* lblSummary = nullptr;
    QPushButton* Command3D1 = nullptr;
};

// The decade at or below (direction -1) or at or above (+1) a positive value.
double Decade(double v, int direction);

} // namespace qb::analysis
