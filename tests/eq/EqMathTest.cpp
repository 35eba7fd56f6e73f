#include <gtest/gtest.h>

#include <cmath>

#include "eq/EqMath.h"
#include "eq/ResponseGrid.h"

namespace kv::eq {
namespace {

constexpr float kWidth = 800.0f;

void ExpectCoefficients(const Biquad& got, const Biquad& want, double tol = 5e-7) {
    EXPECT_NEAR(got.b0, want.b0, tol);
    EXPECT_NEAR(got.b1, want.b1, tol);
    EXPECT_NEAR(got.b2, want.b2, tol);
    EXPECT_NEAR(got.a1, want.a1, tol);
    EXPECT_NEAR(got.a2, want.a2, tol);
}

TEST(DesignSection, KnownCoefficients) {
    ExpectCoefficients(DesignSection(1, 6.0, 1000.0, 1.41), {1.031578, -1.919976, 0.904966, -1.919976, 0.936544});
    ExpectCoefficients(DesignSection(12, 0.0, 1000.0, 1.0), {0.003916, 0.007832, 0.003916, -1.815341, 0.831006});
    ExpectCoefficients(DesignSection(6, 0.0, 100.0, 1.0),
                       {0.000077327, 2 * 0.000077327, 0.000077327, -1.978441, 0.978754}, 1e-6);
    EXPECT_NEAR(DesignSection(6, 0.0, 100.0, 1.0).b0, 0.000077327, 5e-10);
}

TEST(DesignSection, ChebyshevMagnitudes) {
    const Biquad low = DesignSection(6, 0.0, 100.0, 1.0);
    EXPECT_NEAR(MagnitudeDb(low, 100.0), -0.10, 0.005);
    EXPECT_NEAR(MagnitudeDb(low, 10.0), -0.09, 0.005);
    EXPECT_NEAR(MagnitudeDb(low, 1000.0), -34.76, 0.005);
    // The high-pass twin mirrors it about the corner.
    const Biquad high = DesignSection(7, 0.0, 1000.0, 1.0);
    EXPECT_NEAR(MagnitudeDb(high, 1000.0), -0.10, 0.01);
    EXPECT_LT(MagnitudeDb(high, 100.0), -30.0);
}

struct CornerCase {
    int code;
    double q;
    double expectedDb;
};

class CornerMagnitude : public ::testing::TestWithParam<CornerCase> {};

TEST_P(CornerMagnitude, AtOwnFrequency) {
    const CornerCase c = GetParam();
    for (double f : {50.0, 1000.0, 8000.0}) {
        EXPECT_NEAR(MagnitudeDb(DesignSection(c.code, 0.0, f, c.q), f), c.expectedDb, 0.006)
            << "code " << c.code << " at " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Sections, CornerMagnitude,
                         ::testing::Values(CornerCase{2, 0.707, -3.01}, CornerCase{3, 0.707, -3.01},
                                           CornerCase{12, 5.0, -3.01}, CornerCase{13, 0.2, -3.01},
                                           CornerCase{16, 1.0, -6.02}, CornerCase{17, 1.0, -6.02},
                                           CornerCase{8, 1.0, -4.77}, CornerCase{10, 1.0, -3.01},
                                           CornerCase{11, 1.0, -3.01}));

TEST(DesignSection, FixedQSectionsIgnoreBandQ) {
    for (int code = 6; code <= 21; ++code) {
        ExpectCoefficients(DesignSection(code, 0.0, 500.0, 0.3), DesignSection(code, 0.0, 500.0, 7.0), 1e-12);
    }
}

TEST(DesignSection, PassbandCarriesGainShelvesReachIt) {
    EXPECT_NEAR(MagnitudeDb(DesignSection(2, 6.0, 1000.0, 0.707), 20.0), 6.0, 0.01);
    EXPECT_NEAR(MagnitudeDb(DesignSection(11, -4.0, 100.0, 1.0), 20000.0), -4.0, 0.05);
    EXPECT_NEAR(MagnitudeDb(DesignSection(4, 6.0, 1000.0, 0.7), 20.0), 6.0, 0.05);
    EXPECT_NEAR(MagnitudeDb(DesignSection(4, 6.0, 1000.0, 0.7), 20000.0), 0.0, 0.1);
    EXPECT_NEAR(MagnitudeDb(DesignSection(5, -6.0, 1000.0, 0.7), 20000.0), -6.0, 0.1);
    EXPECT_NEAR(MagnitudeDb(DesignSection(5, -6.0, 1000.0, 0.7), 20.0), 0.0, 0.05);
    // Output gain only raises a peaking section.
    EXPECT_NEAR(MagnitudeDb(DesignSection(1, 0.0, 1000.0, 1.0, 3.0), 50.0), 3.0, 1e-9);
}

TEST(DesignSection, OffIsIdentityAndTinyQStaysFinite) {
    ExpectCoefficients(DesignSection(0, 9.0, 1000.0, 2.0), Biquad{1, 0, 0, 0, 0}, 0.0);
    for (int code = -2; code <= 24; ++code) {
        for (double q : {0.0, -1.0, 1e-9}) {
            const Biquad b = DesignSection(code, 6.0, 1000.0, q);
            for (double v : {b.b0, b.b1, b.b2, b.a1, b.a2}) EXPECT_TRUE(std::isfinite(v)) << code;
            if (code != 0) {
                ExpectCoefficients(b, DesignSection(code, 6.0, 1000.0, 0.1), 0.0);
            }
        }
    }
}

// A band descriptor's gain code spans -15 .. 6538.5 dB (a box or a mode file may hold any of
// them); every section designed from one must stay finite, or the band sent mutes the output.
class ExtremeGain : public ::testing::TestWithParam<double> {};

TEST_P(ExtremeGain, EverySectionStaysFiniteAndAtTheLimit) {
    const double gain = GetParam();
    const double limit = gain > 0 ? kMaxDesignGainDb : -kMaxDesignGainDb;
    for (int code = -1; code <= 23; ++code) {
        for (double hz : {20.0, 1400.0, 23999.0}) {
            const Biquad b = DesignSection(code, gain, hz, 1.41, gain);
            for (double v : {b.b0, b.b1, b.b2, b.a1, b.a2}) EXPECT_TRUE(std::isfinite(v)) << code << " at " << hz;
            if (!std::isnan(gain)) ExpectCoefficients(b, DesignSection(code, limit, hz, 1.41, limit), 0.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(GainCodes, ExtremeGain, ::testing::Values(6538.5, 6531.0, 61.0, -1e308, std::nan("")));

// A descriptor may hold 0 Hz; the Chebyshev sections design it as their lowest corner.
class ChebyshevCorner : public ::testing::TestWithParam<double> {};

TEST_P(ChebyshevCorner, BelowOneHertzIsOneHertz) {
    for (int code : {6, 7}) {
        const Biquad b = DesignSection(code, 0.0, GetParam(), 1.0);
        for (double v : {b.b0, b.b1, b.b2, b.a1, b.a2}) EXPECT_TRUE(std::isfinite(v)) << code;
        ExpectCoefficients(b, DesignSection(code, 0.0, 1.0, 1.0), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Frequencies, ChebyshevCorner, ::testing::Values(0.0, 0.5, -100.0, std::nan("")));

TEST(EvaluateBand, AllPassAndFlatPeakingGiveZero) {
    for (int code : {-1, 22, 40, 1}) {
        BandRecord band;
        band.code = code;
        band.gain = code == 1 ? 0.0f : 8.0f;  // all-pass ignores gain
        band.frequency = 700.0f;
        band.q = 3.0f;
        EvaluateBand(band, kWidth);
        for (float v : band.response) ASSERT_NEAR(v, 0.0f, 1e-5f) << "code " << code;
    }
}

TEST(EvaluateBand, PeakingPinsItsGain) {
    BandRecord band;
    band.frequency = 1000.0f;
    band.gain = 6.0f;
    band.q = 1.41f;
    EvaluateBand(band, kWidth);
    const int pinned = PinnedIndex(1000.0, kWidth);
    ASSERT_GE(pinned, 0);
    EXPECT_EQ(band.response[pinned], 6.0f);
    // The neighbours are the true response, a little below the peak.
    EXPECT_LT(band.response[pinned + 1], 6.0f);
    EXPECT_GT(band.response[pinned + 1], 5.5f);
    EXPECT_NEAR(band.response[0], 0.0f, 0.05f);
}

TEST(EvaluateBand, PinnedIndexDependsOnWidthAndStaysInGrid) {
    // p = log10(1000/18)/log10(23000/18) = 0.56168...; floor(p*W)/(W/512).
    EXPECT_EQ(PinnedIndex(1000.0, 800.0f), 287);  // floor(449 / 1.5625)
    EXPECT_EQ(PinnedIndex(1000.0, 512.0f), 287);
    EXPECT_EQ(PinnedIndex(1000.0, 301.0f), 287);  // floor(169 / 0.587890625)
    EXPECT_EQ(PinnedIndex(18.0, kWidth), 0);
    EXPECT_EQ(PinnedIndex(10.0, kWidth), -1);
    EXPECT_EQ(PinnedIndex(23000.0, kWidth), -1);
    EXPECT_EQ(PinnedIndex(22990.0, kWidth), 511);
    // A band outside the grid pins nothing and leaves no stray value.
    BandRecord band;
    band.frequency = 10.0f;
    band.gain = 12.0f;
    EvaluateBand(band, kWidth);
    for (float v : band.response) EXPECT_LT(v, 12.0f);
}

TEST(EvaluateBand, OffBandKeepsResponseAndAddsNothing) {
    BandRecord off;
    off.code = 0;
    off.response.fill(3.0f);
    EvaluateBand(off, kWidth);
    for (float v : off.response) ASSERT_EQ(v, 3.0f);

    BandRecord on;
    on.frequency = 1000.0f;
    on.gain = 6.0f;
    EvaluateBand(on, kWidth);
    BandRecord bands[] = {off, on, on};
    std::array<float, kGridPoints> sum{};
    SumResponses(bands, sum);
    for (int k = 0; k < kGridPoints; ++k) ASSERT_FLOAT_EQ(sum[k], 2 * on.response[k]);
}

TEST(ResponseGrid, SpansAxisInSinglePrecision) {
    const ResponseGrid grid(kWidth);
    EXPECT_FLOAT_EQ(grid.Frequency(0), 18.0f);
    EXPECT_LT(grid.Frequency(kGridPoints - 1), 23000.0f);
    EXPECT_GT(grid.Frequency(kGridPoints - 1), 22000.0f);
    for (int k = 1; k < kGridPoints; ++k) ASSERT_GT(grid.Frequency(k), grid.Frequency(k - 1));
    EXPECT_NEAR(grid.Frequency(256), std::sqrt(18.0 * 23000.0), 0.05);
    EXPECT_EQ(&ResponseGrid::ForWidth(640.0f), &ResponseGrid::ForWidth(640.0f));
    EXPECT_EQ(ResponseGrid::ForWidth(641.0f).PlotWidth(), 641.0f);
}

}  // namespace
}  // namespace kv::eq
