#pragma once
// In-place sorting of 32-bit integer arrays: a median-of-three quicksort that leaves short ranges
// alone, finished by one straight insertion sort over the whole array. The histogram sorts its
// codes with it.
//
// Index ranges are inclusive (lo..hi) and count from 0. A range that does not lie inside the
// array is refused: the routine changes nothing and returns false, so no call can read or
// write outside the array. An empty range (hi < lo) is accepted and changes nothing.
#include <cstddef>
#include <cstdint>
#include <span>

namespace qb::analysis {

// The flag of SortLongArray that asks for descending order; any other value sorts ascending.
inline constexpr int32_t kSortDescending = 1;

// The cut-off SortLongArray gives the quicksort: ranges of at most five elements are left for
// the insertion sort.
inline constexpr int32_t kQuickSortCutOff = 4;

// Sorts the whole array ascending, then reverses it when flag is kSortDescending.
void SortLongArray(std::span<int32_t> a, int32_t flag);

// Partial quicksort of a[lo..hi]: ranges with hi - lo <= cut are left as they are (a cut below
// 1 counts as 1).
bool QuickSortRange(std::span<int32_t> a, int32_t cut, std::ptrdiff_t lo, std::ptrdiff_t hi);

// Straight insertion sort of a[lo..hi].
bool InsertionSortRange(std::span<int32_t> a, std::ptrdiff_t lo, std::ptrdiff_t hi);

// Reverses the order of the whole array.
void ReverseArray(std::span<int32_t> a);

// Exchanges two values.
void SwapLongs(int32_t& x, int32_t& y) noexcept;

} // namespace qb::analysis
