// Fuzzes the integer sort and the histogram points. The input is read as 32-bit integers; the
// first one picks the flag, the cut-off and a sub-range. Checks besides "no crash" (the address
// sanitizer catches any read outside the array):
// - SortLongArray sorts like std::sort, in the flag's direction;
// - QuickSortRange with any cut-off and InsertionSortRange on a sub-range sort exactly that
//   range, and refuse ranges outside the array;
// - the histogram points count every code once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "analysis/HistPoints.h"
#include "analysis/mdlArray.h"
#include "FuzzChecks.h"

using namespace qb::analysis;

using qb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    int32_t control = 0;
    std::memcpy(&control, data, 4);
    std::vector<int32_t> a((size - 4) / 4);
    if (!a.empty()) std::memcpy(a.data(), data + 4, a.size() * 4);
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(a.size());

    // Whole-array sort.
    {
        std::vector<int32_t> got = a, want = a;
        const int32_t flag = (control & 3) - 1;  // -1, 0, 1, 2
        SortLongArray(got, flag);
        std::sort(want.begin(), want.end());
        if (flag == kSortDescending) std::reverse(want.begin(), want.end());
        check(got == want);
    }

    // A sub-range with any cut-off, possibly reaching outside the array.
    {
        const int32_t cut = static_cast<int8_t>(control >> 8);
        const std::ptrdiff_t lo = static_cast<int8_t>(control >> 16) % (n + 2);
        const std::ptrdiff_t hi = static_cast<int8_t>(control >> 24) % (n + 2);
        std::vector<int32_t> got = a;
        const bool inside = hi < lo || (lo >= 0 && hi < n);
        check(QuickSortRange(got, cut, lo, hi) == inside);
        check(InsertionSortRange(got, lo, hi) == inside);
        std::vector<int32_t> want = a;
        if (inside && lo <= hi) std::sort(want.begin() + lo, want.begin() + hi + 1);
        check(got == want);
    }

    // Histogram points of the values as codes.
    if (!a.empty() && a.size() <= 32767) {
        std::vector<double> codes{0.0};
        for (const int32_t v : a) codes.push_back(v);
        const auto p = BuildHistPoints(codes, static_cast<int16_t>(a.size()));
        check(p.has_value());
        check(p->x.size() == p->y.size() && p->x.size() % 3 == 0);
        double total = 0;
        for (std::size_t c = 1; c < p->x.size(); c += 3) {
            total += p->y[c];
            check(CountAtCursor(*p, p->x[c]) == p->y[c]);
            if (c > 1) check(p->x[c] > p->x[c - 3]);
        }
        check(total == static_cast<double>(a.size()));
    }
    return 0;
}
