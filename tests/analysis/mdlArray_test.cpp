// The integer sort of the histogram: compared with std::sort on many shapes and sizes, with
// guard values around the sorted range that would move if the sort stepped outside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "analysis/mdlArray.h"

namespace qb::analysis {
namespace {

using Array = std::vector<int32_t>;

struct Shape {
    std::string name;
    std::function<Array(std::size_t, std::mt19937&)> make;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> all = {
        {"random_wide", [](std::size_t n, std::mt19937& g) {
             std::uniform_int_distribution<int32_t> d(INT32_MIN, INT32_MAX);
             Array a(n);
             for (auto& v : a) v = d(g);
             return a;
         }},
        {"random_few_values", [](std::size_t n, std::mt19937& g) {
             std::uniform_int_distribution<int32_t> d(8388600, 8388603);
             Array a(n);
             for (auto& v : a) v = d(g);
             return a;
         }},
        {"all_equal", [](std::size_t n, std::mt19937&) { return Array(n, 7); }},
        {"sorted", [](std::size_t n, std::mt19937&) {
             Array a(n);
             for (std::size_t i = 0; i < n; ++i) a[i] = static_cast<int32_t>(i) - 3;
             return a;
         }},
        {"reversed", [](std::size_t n, std::mt19937&) {
             Array a(n);
             for (std::size_t i = 0; i < n; ++i) a[i] = static_cast<int32_t>(n - i);
             return a;
         }},
        {"organ_pipe", [](std::size_t n, std::mt19937&) {
             Array a(n);
             for (std::size_t i = 0; i < n; ++i) a[i] = static_cast<int32_t>(std::min(i, n - i));
             return a;
         }},
        {"extremes", [](std::size_t n, std::mt19937& g) {
             Array a(n);
             for (auto& v : a) v = (g() & 1) ? INT32_MIN : INT32_MAX;
             return a;
         }},
    };
    return all;
}

std::vector<std::size_t> sizes() {
    std::vector<std::size_t> s;
    for (std::size_t n = 0; n <= 40; ++n) s.push_back(n);
    for (std::size_t n : {63u, 64u, 65u, 100u, 1000u, 5000u}) s.push_back(n);
    return s;
}

class SortShapes : public ::testing::TestWithParam<std::size_t> {};

// Every shape and size, in both directions and with a flag that is neither 0 nor 1, sorts like
// std::sort and leaves the guards around the span alone.
TEST_P(SortShapes, MatchesStdSortAndStaysInside) {
    const Shape& shape = shapes()[GetParam()];
    std::mt19937 g(12345);
    for (const std::size_t n : sizes()) {
        for (const int32_t flag : {0, 1, -1, 2}) {
            const Array original = shape.make(n, g);
            Array guarded;
            guarded.push_back(INT32_MAX);
            guarded.insert(guarded.end(), original.begin(), original.end());
            guarded.push_back(INT32_MIN);
            SortLongArray(std::span<int32_t>(guarded).subspan(1, n), flag);

            Array expected = original;
            std::sort(expected.begin(), expected.end());
            if (flag == kSortDescending) std::reverse(expected.begin(), expected.end());
            const Array got(guarded.begin() + 1, guarded.end() - 1);
            ASSERT_EQ(got, expected) << shape.name << " n=" << n << " flag=" << flag;
            ASSERT_EQ(guarded.front(), INT32_MAX) << shape.name << " n=" << n;
            ASSERT_EQ(guarded.back(), INT32_MIN) << shape.name << " n=" << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, SortShapes, ::testing::Range<std::size_t>(0, 7),
                         [](const auto& info) { return shapes()[info.param].name; });

TEST(SortLongArray, SmallArraysAsTheHistogramSees) {
    struct Case {
        Array in;
        int32_t flag;
        Array out;
    };
    const std::vector<Case> cases = {
        {{}, 0, {}},
        {{4}, 1, {4}},
        {{2, 1}, 0, {1, 2}},
        {{1, 2}, 1, {2, 1}},
        {{5, 3, 9, 1, 7}, 0, {1, 3, 5, 7, 9}},
        {{5, 3, 9, 1, 7}, 1, {9, 7, 5, 3, 1}},
        {{5, 3, 9, 1, 7}, -1, {1, 3, 5, 7, 9}},
        {{6, 5, 4, 3, 2, 1}, 0, {1, 2, 3, 4, 5, 6}},
        {{5, 5, 7}, 0, {5, 5, 7}},
    };
    for (const auto& c : cases) {
        Array a = c.in;
        SortLongArray(a, c.flag);
        EXPECT_EQ(a, c.out) << "flag " << c.flag << " size " << c.in.size();
    }
}

// The quicksort alone must leave every element close to its place (within blocks of at most
// cut + 1 elements), so the insertion sort afterwards has little to do; a quicksort that did
// nothing would still give a sorted result, only slowly, and only this test would notice.
TEST(QuickSortRange, LeavesOnlyShortUnsortedBlocks) {
    std::mt19937 g(7);
    for (const int32_t cut : {1, 2, 4, 9}) {
        for (const std::size_t n : {50u, 1000u, 5000u}) {
            Array a(n);
            std::uniform_int_distribution<int32_t> d(0, 100000);
            for (auto& v : a) v = d(g);
            const Array before = a;
            ASSERT_TRUE(QuickSortRange(a, cut, 0, static_cast<std::ptrdiff_t>(n) - 1));
            Array sortedA = a, sortedBefore = before;
            std::sort(sortedA.begin(), sortedA.end());
            std::sort(sortedBefore.begin(), sortedBefore.end());
            ASSERT_EQ(sortedA, sortedBefore) << "not a permutation, cut " << cut;
            long long inversions = 0;
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t j = i + 1; j < n && j <= i + 64; ++j) inversions += a[i] > a[j];
            EXPECT_LE(inversions, static_cast<long long>(n) * cut) << "cut " << cut << " n " << n;
        }
    }
}

TEST(RangeRoutines, SortOnlyTheirRangeAndRefuseRangesOutsideTheArray) {
    const Array base = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    struct Case {
        std::string what;
        std::function<bool(Array&)> run;
        bool accepted;
        Array out;
    };
    const std::vector<Case> cases = {
        {"insertion 2..6", [](Array& a) { return InsertionSortRange(a, 2, 6); }, true,
         {9, 8, 3, 4, 5, 6, 7, 2, 1, 0}},
        {"quick+insertion 1..8 with cut 0",
         [](Array& a) { return QuickSortRange(a, 0, 1, 8) && InsertionSortRange(a, 1, 8); }, true,
         {9, 1, 2, 3, 4, 5, 6, 7, 8, 0}},
        {"quick with negative cut on whole",
         [](Array& a) { return QuickSortRange(a, -3, 0, 9) && InsertionSortRange(a, 0, 9); }, true,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"empty range", [](Array& a) { return QuickSortRange(a, 4, 5, 4); }, true, base},
        {"quick hi past end", [](Array& a) { return QuickSortRange(a, 4, 0, 10); }, false, base},
        {"quick negative lo", [](Array& a) { return QuickSortRange(a, 4, -1, 9); }, false, base},
        {"insertion hi past end", [](Array& a) { return InsertionSortRange(a, 3, 12); }, false, base},
        {"insertion negative lo", [](Array& a) { return InsertionSortRange(a, -2, 3); }, false, base},
    };
    for (const auto& c : cases) {
        Array a = base;
        EXPECT_EQ(c.run(a), c.accepted) << c.what;
        EXPECT_EQ(a, c.out) << c.what;
    }
}

TEST(ReverseArray, ReversesEveryLength) {
    for (std::size_t n = 0; n <= 6; ++n) {
        Array a(n);
        for (std::size_t i = 0; i < n; ++i) a[i] = static_cast<int32_t>(i);
        ReverseArray(a);
        for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(a[i], static_cast<int32_t>(n - 1 - i)) << n;
    }
}

} // namespace
} // namespace qb::analysis
