// The overlapping Allan deviation: short series worked by hand (also far from zero, as codes
// are), white noise falling as sigma / sqrt(m), a random walk growing as sqrt(m), codes in volts.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/AllanDeviation.h"

namespace {

using namespace qb::analysis;

TEST(AllanDeviation, ShortSeriesMatchTheSumsWorkedByHand) {
    const std::pair<std::vector<double>, std::vector<double>> cases[] = {  // readings, variance at m = 1, 2, 4
        {{1, 2, 3, 4}, {3.0 / 6, 4.0 / 2}}, {{0, 0, 1, 1, 0, 0, 1, 1}, {3.0 / 14, 3.0 / 10, 0}}, {{5, 9, 2}, {65.0 / 4}}, {{7}, {}}};
    for (const auto& [readings, variances] : cases)
        for (const double offset : {0.0, 9437184.0}) {
            std::vector<double> y = readings;
            for (double& v : y) v += offset;
            const auto points = OverlappingAllanDeviation(y, 0.02);
            ASSERT_EQ(points.size(), variances.size());
            for (std::size_t i = 0; i < points.size(); ++i) {
                const int64_t m = int64_t(1) << i;
                EXPECT_EQ(points[i].m, m);
                EXPECT_DOUBLE_EQ(points[i].tauSeconds, 0.02 * double(m));
                EXPECT_EQ(points[i].terms, int64_t(y.size()) - 2 * m + 1);
                EXPECT_NEAR(points[i].deviation, std::sqrt(variances[i]), 1e-12) << "m " << m << " offset " << offset;
            }
        }
}

// White noise of sigma: sigma / sqrt(m); a random walk of steps sigma: sigma sqrt((2m^2 + 1) / 6m).
TEST(AllanDeviation, WhiteNoiseFallsAndARandomWalkGrowsAsTheRootOfTheAveraging) {
    constexpr std::size_t n = 1 << 16;
    std::mt19937_64 random(7);
    std::normal_distribution<double> normal(0, 3.0);
    std::vector<double> white(n), walk(n);
    double position = 1e6;
    for (std::size_t i = 0; i < n; ++i) white[i] = 8388608 + normal(random), walk[i] = position += normal(random);
    const auto whitePoints = OverlappingAllanDeviation(white, 1.0), walkPoints = OverlappingAllanDeviation(walk, 1.0);
    ASSERT_EQ(whitePoints.size(), 16u);  // up to m = n / 2
    for (std::size_t i = 0; i < 8; ++i) {
        const double m = double(whitePoints[i].m);
        EXPECT_NEAR(whitePoints[i].deviation / (3.0 / std::sqrt(m)), 1.0, 0.06) << "white, m " << m;
        EXPECT_NEAR(walkPoints[i].deviation / (3.0 * std::sqrt((2 * m * m + 1) / (6 * m))), 1.0, 0.1) << "walk, m " << m;
    }
}

TEST(AllanDeviation, CodesAreTakenInVoltsAtTheSampleRate) {
    const DataFormat format{2, 80, 24, 5.0};  // LSB 9.5367431640625 nV
    const std::vector<double> codes{1, 2, 3, 4};
    const auto points = ComputeAllanDeviation(codes, format, 50.0);
    ASSERT_TRUE(points.ok());
    EXPECT_NEAR((*points)[1].deviation, std::sqrt(2.0) * 9.5367431640625e-9, 1e-20);
    EXPECT_FALSE(ComputeAllanDeviation(codes, format, std::nullopt).ok());
    EXPECT_FALSE(ComputeAllanDeviation(std::vector<double>{1}, format, 50.0).ok());
}

} // namespace
