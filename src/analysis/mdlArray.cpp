#include "analysis/mdlArray.h"

#include <utility>
#include <vector>

#include "platform/base/Numbers.h"

namespace qb::analysis {

namespace {

bool rangeInside(std::span<int32_t> a, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (hi < lo) return true;  // empty: nothing to touch
    return lo >= 0 && hi < static_cast<std::ptrdiff_t>(a.size());
}

// The middle of lo..hi: their mean rounded to the nearest index, halves to the even one.
std::ptrdiff_t middle(std::ptrdiff_t lo, std::ptrdiff_t hi) {
    return static_cast<std::ptrdiff_t>(
        platform::RoundHalfEven((static_cast<double>(lo) + static_cast<double>(hi)) / 2.0));
}

} // namespace

void SwapLongs(int32_t& x, int32_t& y) noexcept { std::swap(x, y); }

bool QuickSortRange(std::span<int32_t> a, int32_t cut, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (!rangeInside(a, lo, hi)) return false;
    // The median of three and the partition below need at least three elements; a cut-off
    // below 1 would let ranges of one or two elements in, whose scans run past the range, so it
    // is raised to 1.
    const std::ptrdiff_t cutOff = cut < 1 ? 1 : cut;

    // The ranges still to sort, taken last-in first-out so they are worked in the same order as
    // "sort the left part, then the right part" recursion, without a deep call stack on
    // unlucky inputs.
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending{{lo, hi}};
    while (!pending.empty()) {
        const auto [l, h] = pending.back();
        pending.pop_back();
        if (h - l <= cutOff) continue;

        const std::ptrdiff_t mid = middle(l, h);
        if (a[l] > a[mid]) SwapLongs(a[l], a[mid]);
        if (a[l] > a[h]) SwapLongs(a[l], a[h]);
        if (a[mid] > a[h]) SwapLongs(a[mid], a[h]);

        // a[l] <= pivot and a[h - 1] == pivot now stand at both ends of the scanned part and
        // stop the scans: i never passes h - 1 and j never passes l.
        SwapLongs(a[mid], a[h - 1]);
        const int32_t pivot = a[h - 1];
        std::ptrdiff_t i = l;
        std::ptrdiff_t j = h - 1;
        for (;;) {
            do ++i; while (a[i] < pivot);
            do --j; while (a[j] > pivot);
            if (j < i) break;
            SwapLongs(a[i], a[j]);
        }
        SwapLongs(a[i], a[h - 1]);
        pending.emplace_back(i + 1, h);
        pending.emplace_back(l, j);
    }
    return true;
}

bool InsertionSortRange(std::span<int32_t> a, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (!rangeInside(a, lo, hi)) return false;
    for (std::ptrdiff_t i = lo + 1; i <= hi; ++i) {
        const int32_t v = a[i];
        std::ptrdiff_t j = i;
        while (j > lo && a[j - 1] > v) {
            a[j] = a[j - 1];
            --j;
        }
        a[j] = v;
    }
    return true;
}

void ReverseArray(std::span<int32_t> a) {
    if (a.empty()) return;
    std::ptrdiff_t i = 0;
    std::ptrdiff_t j = static_cast<std::ptrdiff_t>(a.size()) - 1;
    while (i < j) {
        SwapLongs(a[i], a[j]);
        ++i;
        --j;
    }
}

void SortLongArray(std::span<int32_t> a, int32_t flag) {
    const std::ptrdiff_t lo = 0;
    const std::ptrdiff_t hi = static_cast<std::ptrdiff_t>(a.size()) - 1;
    QuickSortRange(a, kQuickSortCutOff, lo, hi);
    InsertionSortRange(a, lo, hi);
    if (flag == kSortDescending) ReverseArray(a);
}

} // namespace qb::analysis
