#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "eq/EqPanelGeometry.h"
#include "eq/SmallEqGeometry.h"

namespace kv::eq {
namespace {

TEST(EqPanelGeometry, AxisTable) {
    const EqPanelGeometry g(842, 438);  // plot 800 x 400
    EXPECT_EQ(g.Width(), 800);
    EXPECT_EQ(g.Height(), 400);
    EXPECT_EQ(g.Right(), 836);
    EXPECT_EQ(g.Bottom(), 418);
    struct Row {
        double freq, x;
    };
    for (Row r : {Row{18, 36}, Row{23000, 836}, Row{1000, 485.3166}, Row{20, 47.7838}}) {
        EXPECT_NEAR(g.XOfFrequency(r.freq), r.x, 1e-3) << r.freq;
        EXPECT_NEAR(g.FrequencyAtPointer(r.x), r.freq, r.freq * 1e-5);
    }
    struct GainRow {
        double gain, y;
    };
    for (GainRow r : {GainRow{15, 18}, GainRow{0, 218}, GainRow{-15, 418}, GainRow{6, 138}}) {
        EXPECT_DOUBLE_EQ(g.YOfGain(r.gain), r.y);
        EXPECT_DOUBLE_EQ(g.GainAtPlotY(r.y - g.Top()), r.gain);
    }
    EXPECT_DOUBLE_EQ(g.XOfGridPoint(0), 36);
    EXPECT_DOUBLE_EQ(g.XOfGridPoint(512), 836);
    EXPECT_EQ(EqPanelGeometry(10, 10).Width(), 0);  // too small: empty plot, no negative size
}

// The group-delay axis: eight steps above zero hold the largest delay, two below it.
struct DelayAxisRow {
    double largestMs, step, low, high;
    int decimals;
};
class GroupDelayAxisTest : public ::testing::TestWithParam<DelayAxisRow> {};
TEST_P(GroupDelayAxisTest, HoldsTheLargestDelay) {
    const DelayAxisRow r = GetParam();
    const ValueAxis a = GroupDelayAxis(r.largestMs);
    EXPECT_DOUBLE_EQ(a.step, r.step);
    EXPECT_DOUBLE_EQ(a.low, r.low);
    EXPECT_DOUBLE_EQ(a.high, r.high);
    EXPECT_EQ(a.decimals, r.decimals);
}
INSTANTIATE_TEST_SUITE_P(Rows, GroupDelayAxisTest,
                         ::testing::Values(DelayAxisRow{0.0, 0.25, -0.5, 2.0, 2}, DelayAxisRow{2.0, 0.25, -0.5, 2.0, 2},
                                           DelayAxisRow{2.01, 0.5, -1.0, 4.0, 1}, DelayAxisRow{7.9, 1.0, -2.0, 8.0, 0},
                                           DelayAxisRow{33.0, 5.0, -10.0, 40.0, 0},
                                           DelayAxisRow{500.0, 20.0, -40.0, 160.0, 0}));

TEST(SmallEqGeometry, AxisTable) {
    const SmallEqGeometry g(116, 64);  // plot 112 x 60
    EXPECT_DOUBLE_EQ(g.XOfFrequency(10), 2);
    EXPECT_NEAR(g.XOfFrequency(1000), 2 + 2 * 112 / 3.4, 1e-9);
    EXPECT_DOUBLE_EQ(g.YOfGain(0), 32);
    EXPECT_DOUBLE_EQ(g.YOfGain(15), 2);
    EXPECT_DOUBLE_EQ(g.YOfGain(-15), 62);
    EXPECT_DOUBLE_EQ(g.GainOfY(g.YOfGain(-7.5)), -7.5);
    EXPECT_FLOAT_EQ(g.PointX(28), 58.0f);
    // Points are whole hertz, truncated: 10 * 10^(u/56 * 3.4).
    EXPECT_EQ(g.PointFrequency(0), 10);
    EXPECT_EQ(g.PointFrequency(28), 501);    // 501.187...
    EXPECT_EQ(g.PointFrequency(55), 21841);  // 21841.3...
}

// The read-out of a band, 10 px labels and 40 px values on 10 px lines, in an 800 x 400 plot.
struct ReadoutCase {
    const char* name;
    double frequency, gain;
    std::vector<std::array<double, 2>> others;  // other markers, as (frequency, gain)
    bool expectAbove;
    bool expectUsual;  // labels end 10 px left of the marker, values start 13 px right of it
};

class ReadoutPlacementTest : public testing::TestWithParam<ReadoutCase> {};

TEST_P(ReadoutPlacementTest, StaysInThePlotClearOfLabelsAndMarkers) {
    const ReadoutCase& c = GetParam();
    const EqPanelGeometry g(842, 438);
    const double x = g.XOfFrequency(c.frequency), y = g.YOfGain(c.gain);
    std::vector<std::array<double, 2>> others;
    for (const auto& o : c.others) others.push_back({g.XOfFrequency(o[0]), g.YOfGain(o[1])});
    const ReadoutPlacement p = g.PlaceReadout(x, y, c.gain < -0.01, 10, 10, 40, others);
    EXPECT_EQ(p.above, c.expectAbove);
    if (c.expectUsual) {
        EXPECT_DOUBLE_EQ(p.labelLeft, x - 20);
        EXPECT_DOUBLE_EQ(p.valueLeft, x + 13);
    }
    const PanelBox block{p.labelLeft, p.tops[0], p.valueLeft + 40 - p.labelLeft, p.tops[2] + 10 - p.tops[0]};
    // The gain labels stand left of the plot, the frequency labels below it.
    EXPECT_GE(block.left, g.Left());
    EXPECT_LE(block.Right(), g.Right());
    EXPECT_GE(block.top, g.Top());
    EXPECT_LE(block.Bottom(), g.Bottom());
    // Never over the band's own marker.
    EXPECT_FALSE(block.Intersects({x - 9, y - 9, 18, 18}));
    EXPECT_LT(p.valueLeft - p.labelLeft, 10 + 40);  // labels before values, not over them
    for (const auto& o : others) EXPECT_FALSE(block.Intersects({o[0] - 9, o[1] - 9, 18, 18}));
}

INSTANTIATE_TEST_SUITE_P(EqPanelGeometry, ReadoutPlacementTest,
                         testing::Values(ReadoutCase{"MidPlotBoostBelow", 1000, 3, {}, false, true},
                                         ReadoutCase{"MidPlotCutAbove", 1000, -3, {}, true, true},
                                         ReadoutCase{"LowestBandRightOfItsMarker", 20, 0, {}, false, false},
                                         ReadoutCase{"HighestBandLeftOfItsMarker", 20000, 0, {}, false, false},
                                         ReadoutCase{"TopOfThePlot", 1000, 15, {}, false, true},
                                         ReadoutCase{"BottomOfThePlot", 1000, -15, {}, true, true},
                                         ReadoutCase{"AMarkerBelowSendsItAbove", 1000, 0, {{1100, -2}}, true, true},
                                         ReadoutCase{"AMarkerAboveSendsItBelow", 1000, -3, {{1100, -1}}, false, true}),
                         [](const testing::TestParamInfo<ReadoutCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::eq
