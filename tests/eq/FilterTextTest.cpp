// Filter lines as measurement programs write them: what each line becomes, which files are
// refused (with the line), shelves given without Q, and writing and reading back exactly.

#include <gtest/gtest.h>

#include <cmath>

#include "eq/FilterText.h"

namespace kv::eq {
namespace {

struct LineCase {
    const char* name;
    const char* line;
    int code;
    double hz, gain, q;
    bool noted;
};
class FilterLines : public ::testing::TestWithParam<LineCase> {};
TEST_P(FilterLines, BecomeOneBand) {
    const LineCase& c = GetParam();
    const FilterFile f = ReadFilters(std::string("Filter Settings file\n\n") + c.line + "\n", 10);
    ASSERT_EQ(f.error, "") << c.name;
    ASSERT_EQ(f.bands.size(), 1u);
    EXPECT_EQ(f.bands[0].code, c.code);
    EXPECT_DOUBLE_EQ(f.bands[0].frequency, c.hz);
    EXPECT_DOUBLE_EQ(f.bands[0].gain, c.gain);
    EXPECT_NEAR(f.bands[0].q, c.q, 1e-3);
    EXPECT_EQ(!f.notes.empty(), c.noted);
}
INSTANTIATE_TEST_SUITE_P(
    Lines, FilterLines,
    ::testing::Values(
        LineCase{"peaking", "Filter 1: ON PK Fc 1000 Hz Gain -3.5 dB Q 1.41", 1, 1000, -3.5, 1.41, false},
        LineCase{"wide spacing", "Filter  12: ON  PK   Fc   63.0 Hz  Gain  -6.0 dB  Q  4.20", 1, 63, -6, 4.2, false},
        LineCase{"low shelf with Q", "Filter 2: ON LSC Fc 100 Hz Gain 5.0 dB Q 0.71", 4, 100, 5, 0.71, false},
        // A shelf without Q is the 12 dB/octave one; the reader says so.
        LineCase{"low shelf without Q", "Filter 2: ON LS Fc 100 Hz Gain 5.0 dB", 4, 100, 5, 0.707, true},
        // A 6 dB/octave slope: S = 0.5 at +6 dB gives Q 1/sqrt((A + 1/A) + 2).
        LineCase{"high shelf by slope", "Filter 3: ON HSC 6dB Fc 8000 Hz Gain 6 dB", 5, 8000, 6,
                 1.0 / std::sqrt(std::pow(10, 6.0 / 40) + std::pow(10, -6.0 / 40) + 2), true},
        LineCase{"high pass ignores a gain", "Filter 4: ON HP Fc 25 Hz Gain 3 dB", 3, 25, 0, 0.707, false},
        LineCase{"low pass with Q", "Filter 4: ON LPQ Fc 90 Hz Q 0.5", 2, 90, 0, 0.5, false},
        LineCase{"off", "Filter 5: OFF None", 0, 1000, 0, 0.707, false},
        LineCase{"on, no type", "Filter 5: ON None", 0, 1000, 0, 0.707, false}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

struct RefusedCase {
    const char* name;
    const char* text;
    const char* error;  // the start of the message
};
class FilterRefused : public ::testing::TestWithParam<RefusedCase> {};
TEST_P(FilterRefused, WholeFileWithTheLine) {
    const FilterFile f = ReadFilters(GetParam().text, 2);
    EXPECT_TRUE(f.bands.empty());
    EXPECT_EQ(f.error.rfind(GetParam().error, 0), 0u) << f.error;
}
INSTANTIATE_TEST_SUITE_P(
    Files, FilterRefused,
    ::testing::Values(RefusedCase{"unknown type", "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON NO Fc 100 Hz",
                                  "line 2: filter type"},
                      RefusedCase{"too many", "Filter 1: OFF\nFilter 2: OFF\n\nFilter 3: OFF\n",
                                  "line 4: more filters than"},
                      RefusedCase{"gain", "Filter 1: ON PK Fc 100 Hz Gain -20 dB Q 1", "line 1: gain -20 dB"},
                      RefusedCase{"frequency", "Filter 1: ON PK Fc 30000 Hz Gain 1 dB Q 1", "line 1: Fc 30000 Hz"},
                      RefusedCase{"shelf Q", "Filter 1: ON LS Fc 100 Hz Gain 1 dB Q 5", "line 1: Q 5"},
                      RefusedCase{"not a number", "Filter 1: ON PK Fc 1k Hz Gain 1 dB Q 1", "line 1: \"1k\""},
                      RefusedCase{"no filters", "just text\n", "no filter lines"}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(FilterWrite, ReadsBackToTheLastBit) {
    // Single-precision values as the panels hold them, none exact in decimal.
    const std::vector<FilterBand> bands{{1, 1234.0f, -0.3f, 1.41f},
                                        {4, 100.0f, 5.5f, 0.7f},
                                        {2, 80.0f, 0.0f, 0.707f},
                                        {0, 1000.0, 0.0, 0.707},
                                        {5, 12000.0f, -2.7f, 0.35f}};
    const FilterFile back = ReadFilters(WriteFilters(bands), 5);
    ASSERT_EQ(back.error, "");
    ASSERT_EQ(back.bands.size(), bands.size());
    for (std::size_t i = 0; i < bands.size(); ++i) {
        EXPECT_EQ(back.bands[i].code, bands[i].code) << i;
        if (bands[i].code == 0) continue;
        EXPECT_EQ(static_cast<float>(back.bands[i].frequency), static_cast<float>(bands[i].frequency)) << i;
        EXPECT_EQ(static_cast<float>(back.bands[i].gain), static_cast<float>(bands[i].gain)) << i;
        EXPECT_EQ(static_cast<float>(back.bands[i].q), static_cast<float>(bands[i].q)) << i;
    }
}

}  // namespace
}  // namespace kv::eq
