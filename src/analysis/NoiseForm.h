#pragma once
// NoiseForm: the noise figures of the code buffer in codes, volts and bits, grouped in six
// frames. The figures come from NoiseFigures, as in the headless analysis. From here the user
// opens the code graph and, when the code span allows it, the histogram.
#include <map>
#include <string>
#include <vector>

#include "link/Context.h"
#include "platform/Form.h"

class QLabel;
class QPushButton;

namespace qb::analysis {

// The window's grouping of the figures, free of widgets (the headless analysis prints the same
// grouping): frames with their captions, each holding caption / value label rows.
struct NoiseRow {
    const char* captionName;        // the caption label
    const char* caption;
    const char* valueName;          // the value label (a NoiseLabels field of the same name)
    const char* hexName = nullptr;  // the "Hex" label beside a value in codes, if any
};
struct NoiseFrame {
    const char* name;
    const char* caption;
    std::vector<NoiseRow> rows;
};
inline constexpr const char* kNoiseTitle = "Noise Analysis";
inline constexpr const char* kHexCaption = "Hex";
// Frame2 to Frame6 in the window's reading order (Frame1 holds only the title).
const std::vector<NoiseFrame>& NoiseFrames();

class NoiseForm : public platform::Form {
    Q_OBJECT
public:
    explicit NoiseForm(const link::Context& ctx, QWidget* parent = nullptr);

    void NoisePlotCommand_Click();
    void NoiseHisCommand_Click();
    void Command3D1_Click();

protected:
    void Form_Load() override;

    // "Plot Graph": opens the code graph over this window.
    virtual void openGraph();
    // "Plot Histogram", once the code span has let it through: opens the histogram.
    virtual void openHistogram();

    const link::Context& context() const { return ctx_; }

private:
    void ComputeNoiseStatistics();
    void ShowNoiseResults();

    link::Context ctx_;
    std::map<std::string, QLabel*, std::less<>> values_;  // value labels by name
};

} // namespace qb::analysis
