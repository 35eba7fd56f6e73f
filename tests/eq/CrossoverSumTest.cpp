#include <gtest/gtest.h>

#include <cmath>

#include "eq/Crossover.h"
#include "eq/CrossoverSum.h"

namespace kv::eq {
namespace {

constexpr int kLr24 = 1;  // LinkwitzRiely 24dB

// One side of a 24 dB crossover at fc as the SUB rows hold it, or a flat path.
std::vector<Biquad> Side(int rowCode, float fc) {
    if (rowCode == kCodeOff) return {};
    std::vector<BandRecord> bands(kCrossoverBands);
    for (BandRecord& b : bands) b.code = kCodeOff;
    bands[0] = BandRecord{};
    bands[0].code = rowCode;
    bands[0].frequency = fc;
    bands[0].q = 0.7f;
    SetRowCodes(bands, 0, AlignmentCodes(rowCode, kLr24));
    return EqualiserSections(bands, true);
}

struct SumRow {
    const char* name;
    int ownCode, otherCode;
    double otherDelayMs;
    bool crossover;    // a crossover near 100 Hz is found
    double minLossDb;  // the dip marked is at least this deep; 0: none is marked
};

class ListenerSumTest : public ::testing::TestWithParam<SumRow> {};

TEST_P(ListenerSumTest, MarksOnlyACancellingSum) {
    const SumRow r = GetParam();
    const ListenerPath own{Side(r.ownCode, 100.0f), 0.0};
    const ListenerPath other{Side(r.otherCode, 100.0f), r.otherDelayMs / 1000.0};
    const std::vector<double> f = LogFrequencies(512, 18.0, 23000.0);
    const CrossoverSum s = SumAtListener(own, other, f);
    ASSERT_EQ(s.sum.size(), f.size());
    EXPECT_EQ(s.crossoverHz.has_value(), r.crossover);
    if (r.crossover) {
        EXPECT_NEAR(*s.crossoverHz, 100.0, 2.0);
    }
    ASSERT_EQ(s.dip.has_value(), r.minLossDb > 0.0);
    if (!s.dip) return;
    EXPECT_GT(s.dip->lossDb, r.minLossDb);
    EXPECT_NEAR(s.dip->frequencyHz, 100.0, 20.0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ListenerSumTest,
                         ::testing::Values(SumRow{"aligned", kCodeLowPass, kCodeHighPass, 0.0, true, 0.0},
                                           SumRow{"half a millisecond late", kCodeLowPass, kCodeHighPass, 0.5, true,
                                                  0.0},
                                           // Half a period late or early at the crossover: the two sides cancel there.
                                           SumRow{"half a period late", kCodeLowPass, kCodeHighPass, 5.0, true, 20.0},
                                           SumRow{"half a period early", kCodeLowPass, kCodeHighPass, -5.0, true, 20.0},
                                           // Full-range mains meet SUB where it is 6 dB down and half a turn behind.
                                           SumRow{"full-range other", kCodeLowPass, kCodeOff, 0.0, true, 6.0},
                                           // Two flat paths cross nowhere, whatever comb their delay makes.
                                           SumRow{"two flat paths", kCodeOff, kCodeOff, 5.0, false, 0.0}));

}  // namespace
}  // namespace kv::eq
