// Phase and group delay of single sections against closed forms, and the sums a crossover
// must give.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "eq/ComplexResponse.h"
#include "eq/Crossover.h"

namespace kv::eq {
namespace {

constexpr double kPi = std::numbers::pi;

struct AllPassCase {
    double coefficient;
    double freqHz;
};

class FirstOrderAllPass : public ::testing::TestWithParam<AllPassCase> {};

// H(z) = (a + z^-1) / (1 + a z^-1): unit magnitude, group delay (1 - a^2) / (1 + 2a cos w + a^2)
// samples, phase -w + 2 atan(... ) written as the closed form of its tangent half-angle.
TEST_P(FirstOrderAllPass, MatchesClosedForm) {
    const auto [a, f] = GetParam();
    const Biquad section{a, 1.0, 0.0, a, 0.0};
    const ComplexPoint p = SectionAt(section, f);
    const double w = 2.0 * kPi * f / kSampleRate;
    EXPECT_NEAR(MagnitudeDbOf(p), 0.0, 1e-9);
    const double samples = (1.0 - a * a) / (1.0 + 2.0 * a * std::cos(w) + a * a);
    EXPECT_NEAR(GroupDelayMsOf(p), samples / kSampleRate * 1000.0, 1e-9);
    // arg H = -w - 2 atan(a sin w / (1 + a cos w)) ... equivalently -2 atan(tan(w/2) (1 - a)/(1 + a)).
    const double phase = -2.0 * std::atan(std::tan(w / 2.0) * (1.0 - a) / (1.0 + a)) * 180.0 / kPi;
    EXPECT_NEAR(PhaseDegOf(p), phase, 1e-7);
}

INSTANTIATE_TEST_SUITE_P(Sections, FirstOrderAllPass,
                         ::testing::Values(AllPassCase{0.5, 100.0}, AllPassCase{-0.9, 1000.0}, AllPassCase{0.99, 20.0},
                                           AllPassCase{-0.3, 15000.0}));

struct PeakCase {
    double gainDb;
    double freqHz;
    double q;
};

class PeakAtCentre : public ::testing::TestWithParam<PeakCase> {};

// At its centre a peaking section is real: its gain, no phase; the group delay there is that
// of an all-pass pair, zero for a flat band.
TEST_P(PeakAtCentre, GainWithoutPhase) {
    const auto [gain, f, q] = GetParam();
    const ComplexPoint p = SectionAt(DesignSection(kCodePeaking, gain, f, q), f);
    EXPECT_NEAR(MagnitudeDbOf(p), gain, 1e-9);
    EXPECT_NEAR(PhaseDegOf(p), 0.0, 1e-7);
    // Above the centre a boost lags and a cut leads.
    const double above = PhaseDegOf(SectionAt(DesignSection(kCodePeaking, gain, f, q), f * 1.1));
    if (gain > 0) {
        EXPECT_LT(above, 0.0);
    } else {
        EXPECT_GT(above, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sections, PeakAtCentre,
                         ::testing::Values(PeakCase{12.0, 1000.0, 1.41}, PeakCase{-9.0, 63.0, 4.0},
                                           PeakCase{3.5, 8000.0, 0.7}));

// The box's second-order all-pass: -180 degrees at its frequency and a group delay there of
// 2Q / (pi f), as its analogue prototype has (the bilinear warp is negligible low down).
TEST(SecondOrderAllPass, HalfTurnAndDelayAtItsFrequency) {
    const double f = 100.0;
    const double q = 2.0;
    const ComplexPoint p = SectionAt(DesignSection(kCodeLastFixed + 1, 0.0, f, q), f);
    EXPECT_NEAR(MagnitudeDbOf(p), 0.0, 1e-9);
    EXPECT_NEAR(std::fabs(PhaseDegOf(p)), 180.0, 1e-6);
    const double expected = 2.0 * q / (kPi * f) * 1000.0;
    EXPECT_NEAR(GroupDelayMsOf(p), expected, expected * 0.01);
}

// A pure delay adds its time to the group delay and its phase to the phase.
TEST(Delay, AddsTimeAndPhase) {
    const ComplexPoint flat;
    const ComplexPoint d = Delayed(flat, 250.0, 0.001);
    EXPECT_NEAR(GroupDelayMsOf(d), 1.0, 1e-12);
    EXPECT_NEAR(std::fabs(PhaseDegOf(d)), 90.0, 1e-9);  // a quarter period
    EXPECT_NEAR(MagnitudeDbOf(d), 0.0, 1e-12);
}

// Crossover rows as the SUB equaliser holds them: a row of the given alignment at fc.
std::vector<BandRecord> CrossoverSide(int rowCode, int alignment, float fc, float q) {
    std::vector<BandRecord> bands(kCrossoverBands);
    for (BandRecord& b : bands) b.code = kCodeOff;
    bands[0].code = rowCode;
    bands[0].frequency = fc;
    bands[0].q = q;
    SetRowCodes(bands, 0, AlignmentCodes(rowCode, alignment));
    return bands;
}

struct SumCase {
    double crossoverHz;
    double atHz;
};

class LinkwitzRiley24Sum : public ::testing::TestWithParam<SumCase> {};

// Low and high side of the 24 dB alignment (its stages' frequency taken from the row) add up
// to an all-pass: flat in magnitude, each side -6 dB at the crossover.
TEST_P(LinkwitzRiley24Sum, FlatMagnitude) {
    const auto [fc, at] = GetParam();
    const int lr24 = 1;
    ASSERT_EQ(kAlignmentNames[lr24], "LinkwitzRiely 24dB");
    const auto low = EqualiserSections(CrossoverSide(kCodeLowPass, lr24, static_cast<float>(fc), 0.7f), true);
    const auto high = EqualiserSections(CrossoverSide(kCodeHighPass, lr24, static_cast<float>(fc), 0.7f), true);
    const ComplexPoint l = ChainAt(low, at);
    const ComplexPoint h = ChainAt(high, at);
    EXPECT_NEAR(MagnitudeDbOf(Sum(l, h)), 0.0, 0.01);
    if (at == fc) {
        EXPECT_NEAR(MagnitudeDbOf(l), 20.0 * std::log10(0.5), 0.01);
        EXPECT_NEAR(MagnitudeDbOf(h), 20.0 * std::log10(0.5), 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P(Sums, LinkwitzRiley24Sum,
                         ::testing::Values(SumCase{80.0, 80.0}, SumCase{80.0, 40.0}, SumCase{80.0, 200.0},
                                           SumCase{2000.0, 2000.0}, SumCase{2000.0, 9000.0}));

// A one-millisecond lag of one side turns the flat sum into a dip at the crossover.
TEST(CrossoverSum, DelayedSideDips) {
    const int lr24 = 1;
    const auto low = EqualiserSections(CrossoverSide(kCodeLowPass, lr24, 500.0f, 0.7f), true);
    const auto high = EqualiserSections(CrossoverSide(kCodeHighPass, lr24, 500.0f, 0.7f), true);
    const ComplexPoint sum = Sum(ChainAt(low, 500.0), Delayed(ChainAt(high, 500.0), 500.0, 0.001));
    EXPECT_LT(MagnitudeDbOf(sum), -3.0);
}

TEST(LogFrequencies, EndsAndSpacing) {
    const auto f = LogFrequencies(4, 20.0, 20000.0);
    ASSERT_EQ(f.size(), 4u);
    EXPECT_DOUBLE_EQ(f[0], 20.0);
    EXPECT_NEAR(f[1], 200.0, 1e-9);
    EXPECT_NEAR(f[2], 2000.0, 1e-9);
    EXPECT_DOUBLE_EQ(f[3], 20000.0);
}

}  // namespace
}  // namespace kv::eq
