#pragma once
// The noise spectrum of the code buffer: the amplitude spectral density of the codes in volts
// per root hertz against frequency, averaged over overlapping segments as Welch's method does
// (each segment has its mean removed and a Hann window applied; the transforms come from FFTW).
// Free of widgets, so the spectrum window, the headless analysis and the tests share it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/NoiseFigures.h"
#include "platform/base/Result.h"

namespace qb::analysis {

struct NoiseSpectrum {
    std::vector<double> frequencyHz;  // bins 0 .. segmentLength / 2: 0, binWidthHz, ... up to fs/2
    std::vector<double> densityVPerRootHz;  // one-sided: the density over the bins adds up to the variance
    double sampleRateHz = 0;
    double binWidthHz = 0;  // sampleRateHz / segmentLength
    int segmentLength = 0;
    int segments = 0;
};

// How the codes are cut into segments: `length` codes each, the next starting `length / 2`
// later (half overlapping), as many as fit. Up to 15 codes make one segment of all of them;
// from 16 codes on, the longest power of two that gives at least eight segments (at least 8
// long), so that 5000 codes give eight segments of 1024.
struct Segmentation {
    int length = 0;
    int step = 0;
    int count = 0;
};
Segmentation SegmentationFor(int codes);

// Fewest codes a spectrum is made of.
inline constexpr int kMinSpectrumCodes = 2;

// The spectrum of `samples` times `unit` at `sampleRateHz`: the density is in the unit per root
// hertz. Each segment's mean is taken from the samples as given, before they are scaled, so
// codes near full scale lose no digits to their level. Needs at least kMinSpectrumCodes samples
// and a positive rate; otherwise the result holds no bins.
NoiseSpectrum WelchDensity(std::span<const double> samples, double sampleRateHz, double unit = 1.0);

// The spectrum of the codes in volts (one code step = the LSB of the data format) at the given
// sample rate (nullopt when the filter register gives none). Fails, saying why, with fewer than
// kMinSpectrumCodes codes or no sample rate.
platform::Result<NoiseSpectrum> ComputeNoiseSpectrum(std::span<const double> codes, const DataFormat& format,
                                                     std::optional<double> sampleRateHz);

// The same on the shared code buffer, in its data format at its sample rate.
platform::Result<NoiseSpectrum> ComputeNoiseSpectrum(const link::SharedSettings& settings);

// Texts of the spectrum and Allan deviation windows and the headless pictures.
// A voltage with three significant digits in the unit that suits: "41.3 nV" ("none" when not finite).
std::string VoltsText(double volts);
// A density with three significant digits in the unit that suits: "41.3 nV/\u221AHz".
std::string DensityText(double vPerRootHz);
// A tick of a volts axis: "100 nV", "1 \u00B5V", "2.5 nV".
std::string VoltsTickText(double volts);
// A tick of the density axis: "100 nV/\u221AHz", "1 \u00B5V/\u221AHz", "2.5 nV/\u221AHz".
std::string DensityTickText(double vPerRootHz);
// A frequency with as many decimals as the bin width needs: "12.30 Hz" for bins of 0.049 Hz.
std::string FrequencyText(double hz, double binWidthHz);
// The mean density over every bin but the first (bin 0 holds what the segments' means lost);
// for white noise of sigma volts it is about sigma x sqrt(2 / fs).
double MeanDensity(const NoiseSpectrum& spectrum);
// The bin of the largest density, bin 0 left out (0 when there is no other bin).
std::size_t PeakBin(const NoiseSpectrum& spectrum);
// One line on how the spectrum was made and what it holds: "Sample rate 50.00 Hz, 8 segments of
// 1024 codes, bins of 0.049 Hz; mean density 41.3 nV/\u221AHz".
std::string SpectrumSummary(const NoiseSpectrum& spectrum);

// The spectrum as CSV: comment lines ("# ...") giving the sample rate, the bin width, the
// segments and the window, then "frequency_hz,asd_v_per_sqrt_hz" and one line per bin.
std::string SpectrumCsv(const NoiseSpectrum& spectrum);

} // namespace qb::analysis
