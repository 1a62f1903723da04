#pragma once
// HistForm: how often each code of the buffer occurs, one spike per distinct code from 0 to its
// count, the x axis from the smallest to the largest code with both ends in hexadecimal, and a
// readout of the code under the cursor (decimal and hexadecimal) with its count.
//
//     HistForm f(ctx, parent);   // or HistForm f(settings, parent)
//     f.showModal();
//
// It reads Codes, CodesRead, MaxCode and MinCode (the noise window opens it only when the code
// span is at least 2) and changes no shared setting. The cursor snaps to whole codes, so every
// spike can be hit; on a code that does not occur the count keeps what it showed before.
#include <optional>

#include "analysis/CursorPanel.h"
#include "analysis/HistPoints.h"
#include "link/Context.h"
#include "link/SharedSettings.h"
#include "platform/widgets/Form.h"

class QPushButton;

namespace qb::platform {
class MessageSink;
class StripChart;
}

namespace qb::analysis {

// Caption indices of the histogram's chart.
inline constexpr int16_t kHistTitleCaption = 0;   // "Histogram"
inline constexpr int16_t kHistYTitleCaption = 1;  // "Nb of codes"
inline constexpr int16_t kHistXMinCaption = 2;    // left end of the x axis
inline constexpr int16_t kHistXMaxCaption = 3;    // right end of the x axis
inline constexpr int16_t kHistXTitleCaption = 4;  // "Code"

// Shown when the buffer holds codes that cannot be counted (outside the 32-bit range, or not a
// number); the chart then stays empty.
inline constexpr const char* kHistNotCountable =
    "The codes cannot be shown as a histogram: a code is not a whole number within the 32-bit range.";

class HistForm : public platform::Form {
    Q_OBJECT
public:
    explicit HistForm(const link::Context& ctx, QWidget* parent = nullptr);
    // Without a context: messages then go to a plain message box.
    explicit HistForm(const link::SharedSettings& settings, QWidget* parent = nullptr,
                      platform::MessageSink* messages = nullptr);

    // Counts, sorts and draws the codes and fills the readout (what opening the window does).
    // False, with an empty chart, when the codes cannot be counted.
    bool BuildHistogram();

    void Command3D1_Click();
    // The chart's cursor event with the cursor's x.
    void StripHist_Cursor(double x);
    // The chart's scale event: the x-axis end texts from the bounds now shown.
    void StripHist_Scale();

    platform::StripChart& chart() { return *StripHist; }
    // The points drawn (empty before BuildHistogram or when the codes cannot be counted).
    const std::optional<HistPoints>& points() const { return points_; }

protected:
    void Form_Load() override;

private:
    const link::SharedSettings& settings_;
    platform::MessageSink* messages_;
    std::optional<HistPoints> points_;
    CursorPanel panel_;  // lblDecValue, lblHexValue, lblCursPosition

    platform::StripChart* StripHist = nullptr;
    QPushButton* Command3D1 = nullptr;
};

} // namespace qb::analysis
