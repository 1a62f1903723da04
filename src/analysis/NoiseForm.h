#pragma once
// NoiseForm: the noise figures of the code buffer in codes, volts and bits, grouped in six
// frames. The figures come from NoiseFigures, as in the headless analysis. From here the user
// opens the code graph and, when the code span allows it, the histogram; the noise spectrum;
// the evaluator's figures in decimal ("More..."); and saves the codes as CSV.
#include <optional>
#include <map>
#include <string>

#include "analysis/NoiseFigures.h"
#include "link/Context.h"
#include "platform/widgets/Form.h"

class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;

namespace qb::analysis {

class NoiseForm : public platform::Form {
    Q_OBJECT
public:
    explicit NoiseForm(const link::Context& ctx, QWidget* parent = nullptr);

    void NoisePlotCommand_Click();
    void NoiseHisCommand_Click();
    void Command3D1_Click();
    void SpectrumCommand_Click();
    void AllanCommand_Click();
    void MoreCommand_Click();
    void CsvCommand_Click();

protected:
    void Form_Load() override;

    // "Plot Graph": opens the code graph over this window.
    virtual void openGraph();
    // "Plot Histogram", once the code span has let it through: opens the histogram.
    virtual void openHistogram();
    // "Noise Spectrum...", once the buffer has a spectrum: opens the spectrum window.
    virtual void openSpectrum();
    // "Allan Deviation...", once the buffer has one: opens the Allan deviation window.
    virtual void openAllan();
    // "More...": opens the evaluator's figures.
    virtual void openFigures();
    // "Save as CSV...": the file the user chooses; nullopt when the choice is cancelled.
    virtual std::optional<std::string> chooseCsvFile();

    const link::Context& context() const { return ctx_; }

private:
    // The window, built top-down: a frame each, the buttons, and their layout.
    using FigureFrames = std::map<std::string, QGroupBox*, std::less<>>;
    FigureFrames makeFigureFrames();
    QGridLayout* makeButtons();
    void layOut(QGroupBox* Frame1, const FigureFrames& frames, QGridLayout* buttons);
    void ShowConditions();

    void ComputeNoiseStatistics();
    void ShowNoiseResults();

    link::Context ctx_;
    std::map<std::string, QLabel*, std::less<>> values_;  // value labels by name
    QLabel* lblConditions;  // the conditions the figures are worked out in, and where they come from
};

} // namespace qb::analysis
