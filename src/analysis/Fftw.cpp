#include "analysis/Fftw.h"

#include <dlfcn.h>

#include <string>
#include <type_traits>

namespace qb::analysis {

namespace {

platform::Result<Fftw> open() {
    void* library = dlopen(kFftwLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) return platform::Fail(std::string(dlerror()));
    Fftw f;
    bool complete = true;
    const auto take = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        complete = complete && function != nullptr;
    };
    take(f.alloc_real, "fftw_alloc_real");
    take(f.alloc_complex, "fftw_alloc_complex");
    take(f.free, "fftw_free");
    take(f.plan_dft_r2c_1d, "fftw_plan_dft_r2c_1d");
    take(f.execute, "fftw_execute");
    take(f.destroy_plan, "fftw_destroy_plan");
    if (!complete) return platform::Fail(std::string(kFftwLibrary) + " lacks a function the spectrum needs");
    return f;  // the library stays open for the rest of the run
}

} // namespace

const platform::Result<Fftw>& OpenFftw() {
    static const platform::Result<Fftw> fftw = open();
    return fftw;
}

} // namespace qb::analysis
