#pragma once
// GraphForm: the codes of the buffer against their reading number, the y axis scaled from the
// smallest to the largest code with both ends written in hexadecimal, a grid that the two grid
// buttons switch, and a readout of the code under the chart cursor in decimal and hexadecimal.
//
//     GraphForm f(ctx, parent);   // or GraphForm f(settings, parent)
//     f.showModal();
//
// It reads Codes, CodesRead, MaxCode and MinCode (the noise window computes the last two before
// opening it) and changes no shared setting.
#include "analysis/CursorPanel.h"
#include "link/Context.h"
#include "link/SharedSettings.h"
#include "platform/widgets/Form.h"

class QPushButton;

namespace qb::platform {
class MessageSink;
class StripChart;
}

namespace qb::analysis {

// Caption indices of the graph's chart.
inline constexpr int16_t kGraphTitleCaption = 0;   // "Graph"
inline constexpr int16_t kGraphXTitleCaption = 1;  // "Code Read"
inline constexpr int16_t kGraphYTitleCaption = 2;  // "Value(Hex)"
inline constexpr int16_t kGraphYMinCaption = 3;    // lower end of the y axis
inline constexpr int16_t kGraphYMaxCaption = 4;    // upper end of the y axis

class GraphForm : public platform::Form {
    Q_OBJECT
public:
    explicit GraphForm(const link::Context& ctx, QWidget* parent = nullptr);
    // Without a context: failed chart saves are then shown in a plain message box.
    explicit GraphForm(const link::SharedSettings& settings, QWidget* parent = nullptr,
                       platform::MessageSink* messages = nullptr);

    // Draws the buffer and fills the readout (what opening the window does).
    void PlotCodes();

    void GridCommand_Click();
    void Command3D1_Click();
    void GraphQuitCommand_Click();
    // The chart's cursor event: the readout of the code under the cursor (the argument is not
    // used; the chart's own cursor position is read).
    void StripGraph_Cursor(double x);
    // The chart's scale event: the y-axis end texts from the bounds now shown.
    void StripGraph_Scale();

    platform::StripChart& chart() { return *StripGraph; }

protected:
    void Form_Load() override;

private:
    const link::SharedSettings& settings_;
    CursorPanel panel_;  // lblDecValue, lblHexValue, lblCursPosition

    platform::StripChart* StripGraph = nullptr;
    QPushButton* GridCommand = nullptr;
    QPushButton* Command3D1 = nullptr;
    QPushButton* GraphQuitCommand = nullptr;
};

} // namespace qb::analysis
