#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eq/Crossover.h"
#include "eq/EqMath.h"

namespace kv::eq {
namespace {

std::vector<BandRecord> SubBands() {
    std::vector<BandRecord> bands(kCrossoverBands);
    for (int i = 0; i < kCrossoverBands; ++i) {
        bands[i].index = i;
        bands[i].gain = 4.0f;
    }
    return bands;
}

TEST(Alignment, SideFollowsRowParity) {
    for (int index = 0; index <= 12; ++index) {
        for (int rowCode : {0, 2, 3, 18, 21}) {
            const RowCodes codes = AlignmentCodes(rowCode, index);
            for (int c : codes) {
                if (c == 1) continue;  // an idle stage
                EXPECT_EQ(c % 2, rowCode % 2) << "index " << index << " row code " << rowCode;
                EXPECT_GE(c, 6);
                EXPECT_LE(c, 21);
            }
        }
    }
}

TEST(Alignment, Table) {
    EXPECT_EQ(AlignmentCodes(3, 0), (RowCodes{11, 11, 1, 1}));
    EXPECT_EQ(AlignmentCodes(2, 0), (RowCodes{10, 10, 1, 1}));
    EXPECT_EQ(AlignmentCodes(0, 3), (RowCodes{18, 20, 18, 20}));
    EXPECT_EQ(AlignmentCodes(3, 2), (RowCodes{15, 11, 15, 11}));
    EXPECT_EQ(AlignmentCodes(2, 10), (RowCodes{6, 1, 1, 1}));
    EXPECT_EQ(AlignmentCodes(3, 8), (RowCodes{15, 11, 1, 1}));
    EXPECT_EQ(AlignmentCodes(3, 11), (RowCodes{1, 1, 1, 1}));
    EXPECT_EQ(AlignmentCodes(3, -4), AlignmentCodes(3, 0));
    EXPECT_EQ(AlignmentCodes(2, 42), AlignmentCodes(2, 0));
    EXPECT_EQ(MenuKindCodes(2), (RowCodes{18, 20, 1, 1}));
    EXPECT_EQ(MenuKindCodes(3), (RowCodes{19, 21, 1, 1}));
    EXPECT_EQ(MenuKindCodes(5), (RowCodes{5, 1, 1, 1}));
}

// The alignment table in full: L(n) is n - 1 on the low-pass side (row code even, off
// included) and n on the high-pass side; 1 is an idle stage and never changes side.
struct AlignmentRow {
    const char* name;
    int index;
    RowCodes n;  // the table's n, or 1 for an idle stage
};

class AlignmentTable : public ::testing::TestWithParam<AlignmentRow> {};

TEST_P(AlignmentTable, CodesOnBothSides) {
    const AlignmentRow& a = GetParam();
    RowCodes low{}, high{};
    for (std::size_t i = 0; i < low.size(); ++i) {
        low[i] = a.n[i] == 1 ? 1 : a.n[i] - 1;
        high[i] = a.n[i];
    }
    EXPECT_EQ(AlignmentCodes(0, a.index), low) << "off row";
    EXPECT_EQ(AlignmentCodes(2, a.index), low) << "low-pass row";
    EXPECT_EQ(AlignmentCodes(12, a.index), low) << "Butterworth low-pass row";
    EXPECT_EQ(AlignmentCodes(3, a.index), high) << "high-pass row";
    EXPECT_EQ(AlignmentCodes(21, a.index), high) << "fixed high-pass row";
}

INSTANTIATE_TEST_SUITE_P(
    EveryIndex, AlignmentTable,
    ::testing::Values(AlignmentRow{"LinkwitzRiley12", 0, {11, 11, 1, 1}},
                      AlignmentRow{"LinkwitzRiley24", 1, {13, 13, 1, 1}},
                      AlignmentRow{"LinkwitzRiley36", 2, {15, 11, 15, 11}},
                      AlignmentRow{"LinkwitzRiley48", 3, {19, 21, 19, 21}}, AlignmentRow{"Bessel12", 4, {9, 1, 1, 1}},
                      AlignmentRow{"Bessel18", 5, {9, 11, 1, 1}}, AlignmentRow{"Bessel24", 6, {9, 9, 1, 1}},
                      AlignmentRow{"Butterworth12", 7, {13, 1, 1, 1}}, AlignmentRow{"Butterworth18", 8, {15, 11, 1, 1}},
                      AlignmentRow{"Butterworth24", 9, {19, 21, 1, 1}}, AlignmentRow{"Chebyshev12", 10, {7, 1, 1, 1}},
                      AlignmentRow{"NoCrossover", 11, {1, 1, 1, 1}}, AlignmentRow{"Negative", -1, {11, 11, 1, 1}},
                      AlignmentRow{"PastTheList", 12, {11, 11, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Alignment, ApplySetsRowAndStagesOnly) {
    auto bands = SubBands();
    bands[1].code = 3;
    ApplyAlignment(bands, 1, 3);
    EXPECT_EQ(bands[1].code, 19);
    EXPECT_EQ(bands[StageBand(1, 0)].code, 21);
    EXPECT_EQ(bands[StageBand(1, 1)].code, 19);
    EXPECT_EQ(bands[StageBand(1, 2)].code, 21);
    EXPECT_EQ(StageBand(1, 0), 8);
    for (int i : {1, 8, 9, 10}) EXPECT_EQ(bands[i].gain, 0.0f) << i;
    for (int i : {0, 2, 7, 11}) {
        EXPECT_EQ(bands[i].code, 1) << i;
        EXPECT_EQ(bands[i].gain, 4.0f) << i;
    }
    ApplyAlignment(bands, 5, 0);  // not a row: nothing happens
    ApplyAlignment(bands, -1, 0);
    EXPECT_EQ(bands[4].code, 1);
}

TEST(CrossoverRow, StagesFollowRowAndCascade) {
    auto bands = SubBands();
    bands[0].code = 2;
    bands[0].frequency = 80.0f;
    bands[0].q = 0.9f;
    ApplyAlignment(bands, 0, 1);  // Linkwitz-Riley 24: two Butterworth sections
    EvaluateCrossoverRow(bands, 0, 800.0f);
    for (int s = 0; s < kStagesPerRow; ++s) {
        EXPECT_EQ(bands[StageBand(0, s)].frequency, 80.0f);
        EXPECT_EQ(bands[StageBand(0, s)].q, 0.9f);
        EXPECT_EQ(bands[StageBand(0, s)].gain, 0.0f);
    }
    std::array<float, kGridPoints> row{};
    RowResponse(bands, 0, row);
    const Biquad section = DesignSection(12, 0.0, 80.0, 0.9);
    // Summing the four records doubles the Butterworth slope (idle stages add 0 dB).
    const BandRecord& stage = bands[StageBand(0, 0)];
    for (int k = 0; k < kGridPoints; k += 37) {
        EXPECT_NEAR(row[k], 2 * stage.response[k], 1e-4f);
    }
    EXPECT_NEAR(2 * MagnitudeDb(section, 80.0), -6.02, 0.01);
    std::array<float, kGridPoints> all{};
    SumResponses(bands, all);
    EXPECT_NEAR(all[500], row[500], 1e-3f);  // other rows are flat PEQs
}

}  // namespace
}  // namespace kv::eq
