#pragma once
// SpectrumForm: the noise spectrum of the code buffer, the amplitude spectral density in V/sqrt(Hz)
// on a logarithmic axis against frequency in Hz, at the sample rate of the filter register and
// master clock. A readout gives the frequency and density at the chart cursor, which opens on
// the highest peak; a line says how the spectrum was made. The chart's menu saves it as PNG or
// PDF, as the other charts do.
//
//     SpectrumForm f(ctx, parent);   // or SpectrumForm f(settings, parent) for a picture
//     f.showModal();
//
// It reads Codes, CodesRead, the data format, FilterRegValue and MasterClockHz, and changes no
// shared setting.
#include <functional>
#include <optional>
#include <string>

#include "analysis/NoiseSpectrum.h"
#include "link/Context.h"
#include "link/SharedSettings.h"
#include "analysis/ReadoutChartForm.h"

namespace qb::platform {
class MessageSink;
}

namespace qb::analysis {

inline constexpr int16_t kSpectrumTitleCaption = 0;   // "Noise Spectrum"
inline constexpr int16_t kSpectrumXTitleCaption = 1;  // "Frequency (Hz)"
inline constexpr int16_t kSpectrumYTitleCaption = 2;  // "Noise density", its ticks in V/sqrt(Hz)

class SpectrumForm : public ReadoutChartForm {
    Q_OBJECT
public:
    explicit SpectrumForm(const link::Context& ctx, QWidget* parent = nullptr);
    explicit SpectrumForm(const link::SharedSettings& settings, QWidget* parent = nullptr,
                          platform::MessageSink* messages = nullptr);
    // A picture of a spectrum made elsewhere (of any number of codes).
    explicit SpectrumForm(NoiseSpectrum spectrum, platform::MessageSink* messages);

    // Computes and draws the spectrum, puts the cursor on its highest peak and fills the
    // readout (what opening the window does). False, with the reason in the summary line and an
    // empty chart, when there is no spectrum (too few codes, no sample rate).
    bool PlotSpectrum();
    const std::string& whyNone() const { return whyNone_; }

    // The chart's cursor event: frequency and density at the cursor.
    void StripSpectrum_Cursor(double x);

protected:
    void Form_Load() override;

private:
    using Compute = std::function<platform::Result<NoiseSpectrum>()>;
    SpectrumForm(Compute compute, QWidget* parent, platform::MessageSink* messages);

    Compute compute_;  // the spectrum to draw
    std::optional<NoiseSpectrum> spectrum_;
    std::string whyNone_;
};

} // namespace qb::analysis
