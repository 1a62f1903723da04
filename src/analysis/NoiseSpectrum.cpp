#include "analysis/NoiseSpectrum.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <numbers>

#include "analysis/Fftw.h"
#include "analysis/ResolutionFigures.h"
#include "link/CodeCount.h"
#include "link/SharedSettings.h"
#include "platform/base/Text.h"

namespace qb::analysis {

namespace {

constexpr int kSingleSegmentBelow = 16;
constexpr int kMinSegmentLength = 8;

struct FftwFree {
    decltype(&fftw_free) free;
    void operator()(void* p) const { free(p); }
};
struct PlanDestroy {
    decltype(&fftw_destroy_plan) destroy;
    void operator()(fftw_plan p) const { destroy(p); }
};
using Plan = std::unique_ptr<std::remove_pointer_t<fftw_plan>, PlanDestroy>;

// Periodic Hann window, whose equivalent noise bandwidth is 1.5 bins.
std::vector<double> hann(int length) {
    std::vector<double> w(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        w[static_cast<std::size_t>(i)] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / length);
    return w;
}


} // namespace

Segmentation SegmentationFor(int codes) {
    if (codes < kMinSpectrumCodes) return {};
    if (codes < kSingleSegmentBelow) return {codes, codes, 1};
    // At least eight half-overlapping segments of L need 4.5 L codes.
    const int length = std::max(kMinSegmentLength, static_cast<int>(std::bit_floor(static_cast<unsigned>(2 * codes / 9))));
    const int step = length / 2;
    return {length, step, (codes - length) / step + 1};
}

NoiseSpectrum WelchDensity(std::span<const double> samples, double sampleRateHz, double unit) {
    NoiseSpectrum out;
    const Segmentation seg = SegmentationFor(static_cast<int>(std::min<std::size_t>(samples.size(), 1u << 30)));
    const platform::Result<Fftw>& fftw = OpenFftw();
    if (seg.count == 0 || !(sampleRateHz > 0) || !std::isfinite(sampleRateHz) || !fftw.ok()) return out;

    const int L = seg.length;
    const int bins = L / 2 + 1;
    const std::vector<double> window = hann(L);
    double windowPower = 0;
    for (double w : window) windowPower += w * w;

    std::unique_ptr<double[], FftwFree> in(fftw->alloc_real(static_cast<std::size_t>(L)), {fftw->free});
    std::unique_ptr<fftw_complex[], FftwFree> spectrum(fftw->alloc_complex(static_cast<std::size_t>(bins)), {fftw->free});
    const Plan plan(fftw->plan_dft_r2c_1d(L, in.get(), spectrum.get(), FFTW_ESTIMATE), {fftw->destroy_plan});

    std::vector<double> power(static_cast<std::size_t>(bins), 0.0);
    for (int s = 0; s < seg.count; ++s) {
        const double* x = samples.data() + static_cast<std::ptrdiff_t>(s) * seg.step;
        double mean = 0;
        for (int i = 0; i < L; ++i) mean += x[i];
        mean /= L;
        for (int i = 0; i < L; ++i) in[i] = (x[i] - mean) * unit * window[static_cast<std::size_t>(i)];
        fftw->execute(plan.get());
        for (int k = 0; k < bins; ++k) {
            const double re = spectrum[k][0], im = spectrum[k][1];
            power[static_cast<std::size_t>(k)] += re * re + im * im;
        }
    }

    // One-sided density: every bin but 0 (and, for an even length, the last at fs/2) holds the
    // power of its negative-frequency twin too.
    const double scale = 1.0 / (sampleRateHz * windowPower * seg.count);
    out.sampleRateHz = sampleRateHz;
    out.segmentLength = L;
    out.segments = seg.count;
    out.binWidthHz = sampleRateHz / L;
    out.frequencyHz.resize(static_cast<std::size_t>(bins));
    out.densityVPerRootHz.resize(static_cast<std::size_t>(bins));
    for (int k = 0; k < bins; ++k) {
        const bool twin = k > 0 && !(L % 2 == 0 && k == L / 2);
        const std::size_t i = static_cast<std::size_t>(k);
        out.frequencyHz[i] = k * out.binWidthHz;
        out.densityVPerRootHz[i] = std::sqrt(power[i] * scale * (twin ? 2.0 : 1.0));
    }
    return out;
}

platform::Result<NoiseSpectrum> ComputeNoiseSpectrum(std::span<const double> codes, const DataFormat& format,
                                                     std::optional<double> sampleRateHz) {
    const std::size_t n = codes.size();
    if (n < static_cast<std::size_t>(kMinSpectrumCodes))
        return platform::Fail("a spectrum needs at least " + std::to_string(kMinSpectrumCodes) + " codes");
    if (!sampleRateHz || !(*sampleRateHz > 0))
        return platform::Fail(kNoSampleRateReason);
    if (const auto& fftw = OpenFftw(); !fftw.ok()) return platform::Fail("the FFT library cannot be loaded: " + fftw.error());

    return WelchDensity(codes, *sampleRateHz, LsbNanovolts(format) * 1e-9);
}

platform::Result<NoiseSpectrum> ComputeNoiseSpectrum(const link::SharedSettings& settings) {
    return ComputeNoiseSpectrum(link::HeldCodes(settings.Codes, settings.CodesRead), DataFormatOf(settings),
                                SampleRateOf(settings));
}

namespace {

// `v` volts in the engineering unit that keeps the number below 1000 once rounded.
struct EngineeringVolts {
    double shown;
    const char* unit;
};
EngineeringVolts InEngineeringUnits(double v) {
    static constexpr struct { double scale; const char* name; } units[] = {
        {1e12, "pV"}, {1e9, "nV"}, {1e6, "\u00B5V"}, {1e3, "mV"}, {1, "V"}};
    std::size_t u = 0;
    while (u + 1 < std::size(units) && std::fabs(v) * units[u].scale >= 999.5) ++u;
    return {v * units[u].scale, units[u].name};
}

} // namespace

std::string VoltsText(double v) {
    if (!std::isfinite(v)) return "none";
    const auto [shown, unit] = InEngineeringUnits(v);
    const int decimals = shown == 0 ? 2 : std::clamp(2 - static_cast<int>(std::floor(std::log10(std::fabs(shown)))), 0, 2);
    return platform::Format(shown, decimals ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0") +
           " " + unit;
}

std::string DensityText(double v) { return std::isfinite(v) ? VoltsText(v) + "/\u221AHz" : VoltsText(v); }

std::string VoltsTickText(double v) {
    const auto [shown, unit] = InEngineeringUnits(v);
    return platform::Format(shown, "0.##") + " " + unit;
}

std::string DensityTickText(double v) { return VoltsTickText(v) + "/\u221AHz"; }

std::string FrequencyText(double hz, double binWidthHz) {
    int decimals = 2;
    if (binWidthHz > 0 && std::isfinite(binWidthHz))
        decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(binWidthHz))), 0, 6);
    return platform::Format(hz, decimals ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0") + " Hz";
}

double MeanDensity(const NoiseSpectrum& s) {
    if (s.densityVPerRootHz.size() < 2) return 0;
    double sum = 0;
    for (std::size_t k = 1; k < s.densityVPerRootHz.size(); ++k) sum += s.densityVPerRootHz[k];
    return sum / static_cast<double>(s.densityVPerRootHz.size() - 1);
}

std::size_t PeakBin(const NoiseSpectrum& s) {
    if (s.densityVPerRootHz.size() < 2) return 0;
    return static_cast<std::size_t>(std::max_element(s.densityVPerRootHz.begin() + 1, s.densityVPerRootHz.end()) -
                                    s.densityVPerRootHz.begin());
}

std::string SpectrumSummary(const NoiseSpectrum& s) {
    return "Sample rate " + platform::Format(s.sampleRateHz, "0.00") + " Hz, " + std::to_string(s.segments) +
           (s.segments == 1 ? " segment of " : " segments of ") + std::to_string(s.segmentLength) +
           " codes, bins of " + FrequencyText(s.binWidthHz, s.binWidthHz / 100) + "; mean density " +
           DensityText(MeanDensity(s));
}

std::string SpectrumCsv(const NoiseSpectrum& s) {
    std::string text;
    text += "# noise spectrum: amplitude spectral density, one-sided\n";
    text += "# sample_rate_hz: " + platform::ShortestText(s.sampleRateHz) + "\n";
    text += "# bin_width_hz: " + platform::ShortestText(s.binWidthHz) + "\n";
    text += "# segments: " + std::to_string(s.segments) + " of " + std::to_string(s.segmentLength) +
            " codes, half overlapping, mean removed, Hann window\n";
    text += "frequency_hz,asd_v_per_sqrt_hz\n";
    for (std::size_t i = 0; i < s.frequencyHz.size(); ++i)
        text += platform::ShortestText(s.frequencyHz[i]) + "," + platform::ShortestText(s.densityVPerRootHz[i]) + "\n";
    return text;
}

} // namespace qb::analysis
