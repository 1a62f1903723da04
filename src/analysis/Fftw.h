#pragma once
// FFTW, the transform library of the noise spectrum, opened the first time a spectrum is made
// rather than when the program starts: most runs never make one, and loading and linking it
// costs start-up time.
#include <fftw3.h>

#include "platform/base/Result.h"

namespace qb::analysis {

inline constexpr const char* kFftwLibrary = "libfftw3.so.3";

// The functions the spectrum uses.
struct Fftw {
    decltype(&fftw_alloc_real) alloc_real = nullptr;
    decltype(&fftw_alloc_complex) alloc_complex = nullptr;
    decltype(&fftw_free) free = nullptr;
    decltype(&fftw_plan_dft_r2c_1d) plan_dft_r2c_1d = nullptr;
    decltype(&fftw_execute) execute = nullptr;
    decltype(&fftw_destroy_plan) destroy_plan = nullptr;
};

// The library's functions, or why it could not be opened ("libfftw3.so.3: cannot open shared
// object file: No such file or directory"). Opened once and kept for the run.
const platform::Result<Fftw>& OpenFftw();

} // namespace qb::analysis
