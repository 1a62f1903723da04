// Histogram points and the cursor readout.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "analysis/HistPoints.h"

namespace qb::analysis {
namespace {

// Buffer layout: index 0 is not a code.
std::vector<double> buffer(const std::vector<double>& codes) {
    std::vector<double> b{0.0};
    b.insert(b.end(), codes.begin(), codes.end());
    return b;
}

struct BuildCase {
    std::string name;
    std::vector<double> codes;
    std::vector<double> x, y;
    int16_t largest;
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.name; }

class BuildHistPointsTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildHistPointsTest, GivesThreePointsPerDistinctCode) {
    const BuildCase& c = GetParam();
    const auto p = BuildHistPoints(buffer(c.codes), static_cast<int16_t>(c.codes.size()));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->x, c.x);
    EXPECT_EQ(p->y, c.y);
    EXPECT_EQ(p->largestCount, c.largest);
    EXPECT_EQ(p->LastCentre() + 1, c.x.size() - 1);  // the last point follows the last centre
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildHistPointsTest,
    ::testing::Values(
        BuildCase{"FiveFiveSeven", {5, 5, 7}, {5, 5, 5, 7, 7, 7}, {0, 2, 0, 0, 1, 0}, 2},
        BuildCase{"OneCode", {8388608}, {8388608, 8388608, 8388608}, {0, 1, 0}, 1},
        BuildCase{"UnsortedInput", {9, 3, 9, 3, 9}, {3, 3, 3, 9, 9, 9}, {0, 2, 0, 0, 3, 0}, 3},
        // Halves go to the even neighbour: 7.5 counts as 8 and 6.5 as 6.
        BuildCase{"HalvesToEven", {7.5, 8, 6.5, 6}, {6, 6, 6, 8, 8, 8}, {0, 2, 0, 0, 2, 0}, 2},
        BuildCase{"NearHalves", {6.49, 6.51}, {6, 6, 6, 7, 7, 7}, {0, 1, 0, 0, 1, 0}, 1},
        BuildCase{"Int32Ends",
                  {-2147483648.5, 2147483647.4, -2147483648.0},
                  {-2147483648.0, -2147483648.0, -2147483648.0, 2147483647, 2147483647, 2147483647},
                  {0, 2, 0, 0, 1, 0}, 2}),
    [](const auto& info) { return info.param.name; });

// Random buffers: every distinct code once, ascending, with its count.
TEST(BuildHistPoints, AgreesWithACountingMap) {
    std::mt19937 g(99);
    for (const int n : {2, 17, 500, 5000}) {
        std::uniform_int_distribution<int> d(8388600, 8388640);
        std::vector<double> codes(static_cast<std::size_t>(n));
        for (auto& c : codes) c = d(g);
        std::map<double, int> counts;
        for (double c : codes) ++counts[c];

        const auto p = BuildHistPoints(buffer(codes), static_cast<int16_t>(n));
        ASSERT_TRUE(p.has_value());
        ASSERT_EQ(p->x.size(), 3 * counts.size());
        std::size_t k = 0;
        int largest = 0;
        for (const auto& [code, count] : counts) {
            EXPECT_EQ(p->x[3 * k], code);
            EXPECT_EQ(p->x[3 * k + 1], code);
            EXPECT_EQ(p->x[3 * k + 2], code);
            EXPECT_EQ(p->y[3 * k], 0);
            EXPECT_EQ(p->y[3 * k + 1], count);
            EXPECT_EQ(p->y[3 * k + 2], 0);
            largest = std::max(largest, count);
            ++k;
        }
        EXPECT_EQ(p->largestCount, largest);
    }
}

TEST(BuildHistPoints, LargestBufferKeepsItsCountIn16Bits) {
    const std::vector<double> codes(32767, 42.0);
    const auto p = BuildHistPoints(buffer(codes), 32767);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->largestCount, 32767);
}

TEST(BuildHistPoints, RefusesWhatCannotBeCountedAs32BitCodes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string name;
        std::vector<double> buffer;
        int16_t codesRead;
    };
    const std::vector<Case> cases = {
        {"no code", {0.0}, 0},
        {"negative count", {0.0, 1.0}, -1},
        {"buffer shorter than the count", {0.0, 1.0, 2.0}, 5},
        {"never filled", {}, 1},
        {"not a number", {0.0, 5.0, nan}, 2},
        {"infinite", {0.0, inf, 5.0}, 2},
        {"above 32 bits", {0.0, 2147483647.5, 5.0}, 2},  // rounds to 2^31
        {"below 32 bits", {0.0, 5.0, -2147483649.0}, 2},
    };
    for (const auto& c : cases) EXPECT_FALSE(BuildHistPoints(c.buffer, c.codesRead).has_value()) << c.name;
}

TEST(CountAtCursor, FindsTheSpikeWhoseCodeIsExactlyTheCursor) {
    const auto p = BuildHistPoints(buffer({5, 5, 7, 7, 7, 10}), 6);
    ASSERT_TRUE(p.has_value());
    struct Case {
        double x;
        std::optional<double> count;
    };
    const std::vector<Case> cases = {
        {5, 2}, {7, 3}, {10, 1}, {6, std::nullopt}, {4, std::nullopt}, {11, std::nullopt},
        {7.0000001, std::nullopt}, {6.9999999, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(CountAtCursor(*p, c.x), c.count) << c.x;
}

TEST(ReadCursor, CodeTextsFollowTheCursorAndTheCountOnlyOnASpike) {
    const auto p = BuildHistPoints(buffer({8388608, 8388608, 8388610}), 3);
    ASSERT_TRUE(p.has_value());

    const CursorReadout on = ReadCursor(*p, 8388608);
    EXPECT_EQ(on.count, " 2");
    EXPECT_EQ(on.hex, "800000");
    EXPECT_EQ(on.dec, " 8388608");

    const CursorReadout between = ReadCursor(*p, 8388609);
    EXPECT_EQ(between.count, std::nullopt);
    EXPECT_EQ(between.hex, "800001");
    EXPECT_EQ(between.dec, " 8388609");
}

} // namespace
} // namespace qb::analysis
