// Where the limiter panel draws: level to x and y, the three parts of the curve, the shaded
// band and the grid labels, on a 300 x 245 client (a 240 x 200 plot).

#include <gtest/gtest.h>

#include "eq/CompressorCurve.h"

namespace kv::eq {
namespace {

struct LevelCase {
    double level, x, y;
};
class CurveLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(CurveLevels, MapToThePlot) {
    const CompressorCurve c(300, 245);
    EXPECT_DOUBLE_EQ(c.X(GetParam().level), GetParam().x);
    EXPECT_DOUBLE_EQ(c.Y(GetParam().level), GetParam().y);
}
INSTANTIATE_TEST_SUITE_P(Levels, CurveLevels,
                         ::testing::Values(LevelCase{-90, 40, 220}, LevelCase{6, 280, 20}, LevelCase{0, 265, 32.5},
                                           LevelCase{-30, 190, 95}, LevelCase{-60, 115, 157.5}));

struct PartsCase {
    const char* name;
    double threshold, floor, slope;
    CurvePoint start, floorPoint, threshold_, end;
};
class CurveParts : public ::testing::TestWithParam<PartsCase> {};

TEST_P(CurveParts, ThreeSegmentsAndShade) {
    const PartsCase& p = GetParam();
    const CompressorCurve c(300, 245);
    const auto parts = c.Curve(p.threshold, p.floor, p.slope);
    for (auto [got, want] : {std::pair{parts.start, p.start}, std::pair{parts.floor, p.floorPoint},
                             std::pair{parts.threshold, p.threshold_}, std::pair{parts.end, p.end}}) {
        EXPECT_NEAR(got.x, want.x, 1e-9) << p.name;
        EXPECT_NEAR(got.y, want.y, 1e-9) << p.name;
    }
    const CurveRect shade = c.Shade(parts);
    EXPECT_DOUBLE_EQ(shade.left, 40);
    EXPECT_DOUBLE_EQ(shade.right, 280);
    EXPECT_NEAR(shade.top, p.end.y, 1e-9);
    EXPECT_NEAR(shade.bottom, p.start.y, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Curves, CurveParts,
                         ::testing::Values(
                             // Floor at the bottom: the first part is a point; 4:1 above -20 dB.
                             PartsCase{"4 to 1",
                                       -20,
                                       -90,
                                       0.25,
                                       {40, 220},
                                       {40, 220},
                                       {215, 20 + 26 * 200 / 96.0},
                                       {280, 20 + 26 * 200 / 96.0 - 26 * 200 / 96.0 * 0.25}},
                             // 1:1 is one straight line through the threshold up to +6 dB at the top.
                             PartsCase{"1 to 1", -30, -90, 1.0, {40, 220}, {40, 220}, {190, 95}, {280, 20}},
                             // Threshold 0 dB sits on the 0 dB crossing.
                             PartsCase{
                                 "threshold 0 dB", 0, -90, 0.5, {40, 220}, {40, 220}, {265, 32.5}, {280, 32.5 - 6.25}},
                             // A raised floor: the first part runs down to the plot's bottom at the left edge.
                             PartsCase{"floor -60",
                                       -20,
                                       -60,
                                       0.5,
                                       {40, 220},
                                       {115, 157.5},
                                       {215, 20 + 26 * 200 / 96.0},
                                       {280, 20 + 26 * 200 / 96.0 - 26 * 200 / 96.0 * 0.5}}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST(CurveLabels, ReadAsTheGridShowsThem) {
    EXPECT_EQ(CompressorCurve::RowLabel(6), "+6dB");
    EXPECT_EQ(CompressorCurve::RowLabel(0), "0dB");
    EXPECT_EQ(CompressorCurve::RowLabel(-90), "-90dB");
    EXPECT_EQ(CompressorCurve::ColumnLabel(6), "6dB");
    EXPECT_EQ(CompressorCurve::ColumnLabel(-10), "-10dB");
}

}  // namespace
}  // namespace kv::eq
