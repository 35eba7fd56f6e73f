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
        LineCase{"on, no type", "Filter 5: ON None", 0, 1000, 0, 0.707, false},
        LineCase{"decimal comma", "Filter 1: ON PK Fc 1000 Hz Gain -3,5 dB Q 0,71", 1, 1000, -3.5, 0.71, false},
        LineCase{"decimal comma in Fc", "Filter 1: ON PK Fc 41,5 Hz Gain 1 dB Q 2", 1, 41.5, 1, 2, false},
        // Below the box's lowest frequency: its nearest one, with a note.
        LineCase{"below 20 Hz", "Filter 1: ON PK Fc 17 Hz Gain -4 dB Q 3", 1, 20, -4, 3, true},
        LineCase{"no number", "Filter: ON PK Fc 500 Hz Gain 2 dB Q 1", 1, 500, 2, 1, false},
        LineCase{"carriage return", "Filter 1: ON PK Fc 500 Hz Gain 2 dB Q 1\r", 1, 500, 2, 1, false}),
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
    ::testing::Values(
        RefusedCase{"unknown type", "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON NO Fc 100 Hz",
                    "line 2: filter type"},
        RefusedCase{"too many", "Filter 1: OFF\nFilter 2: OFF\n\nFilter 3: OFF\n", "line 4: more filters than"},
        RefusedCase{"gain", "Filter 1: ON PK Fc 100 Hz Gain -20 dB Q 1", "line 1: gain -20 dB"},
        RefusedCase{"frequency", "Filter 1: ON PK Fc 30000 Hz Gain 1 dB Q 1", "line 1: Fc 30000 Hz"},
        RefusedCase{"shelf Q", "Filter 1: ON LS Fc 100 Hz Gain 1 dB Q 5", "line 1: Q 5"},
        RefusedCase{"not a number", "Filter 1: ON PK Fc 1k Hz Gain 1 dB Q 1", "line 1: \"1k\""},
        RefusedCase{"no filters", "just text\n", "no filter lines"},
        RefusedCase{"comma of thousands", "Filter 1: ON PK Fc 1,000 Hz Gain 1 dB Q 1", "line 1: Fc \"1,000\""},
        RefusedCase{"no frequency", "Filter 1: ON PK Fc 0 Hz Gain 1 dB Q 1", "line 1: Fc 0 Hz"}),
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

namespace kv::eq {
namespace {

// Lines that are not filters are never dropped in silence: each file's notes, by line.
struct NotedCase {
    const char* name;
    const char* text;
    std::vector<std::string> notes;  // the start of each note, in order
};
class FilterNotes : public ::testing::TestWithParam<NotedCase> {};
TEST_P(FilterNotes, NameTheLine) {
    const FilterFile f = ReadFilters(GetParam().text, 10);
    ASSERT_EQ(f.error, "");
    ASSERT_EQ(f.notes.size(), GetParam().notes.size()) << (f.notes.empty() ? "" : f.notes[0]);
    ASSERT_EQ(f.notesZh.size(), f.notes.size());
    for (std::size_t i = 0; i < f.notes.size(); ++i) {
        EXPECT_EQ(f.notes[i].rfind(GetParam().notes[i], 0), 0u) << f.notes[i];
        EXPECT_NE(f.notesZh[i].find(" 行："), std::string::npos) << f.notesZh[i];
    }
}
INSTANTIATE_TEST_SUITE_P(
    Files, FilterNotes,
    ::testing::Values(
        NotedCase{"preamp lowers",
                  "Preamp: -6.4 dB\nFilter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n",
                  {"line 1: the equaliser has no preamp: the file's Preamp -6.4 dB is not applied; lower the "
                   "channel's volume by 6.4 dB instead"}},
        NotedCase{"preamp raises",
                  "Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 1\nPreamp 2,5 dB\n",
                  {"line 2: the equaliser has no preamp: the file's Preamp 2.5 dB is not applied; raise"}},
        NotedCase{"preamp zero",
                  "Preamp: 0.0 dB\nFilter 1: ON PK Fc 100 Hz Gain -3 dB Q 1\n",
                  {"line 1: Preamp 0 dB, nothing to apply"}},
        NotedCase{
            "preamp unreadable", "Preamp: auto\nFilter 1: ON PK Fc 100 Hz Gain -3 dB Q 1\n", {"line 1: a preamp line"}},
        NotedCase{"other lines",
                  "Filter Settings file\n\nRoom EQ V5.20\n# a comment\nFilter 1: OFF\nAverage 1\n",
                  {"lines 3, 6: not filter lines, skipped"}},
        NotedCase{"one other line", "Filter 1: OFF\nChannel: left\n", {"line 2: not a filter line, skipped"}},
        NotedCase{"own export", "Filter Settings file\n\nFilter 1: ON PK Fc 100 Hz Gain -3.0 dB Q 1.000\n", {}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

// At the box's resolution the lines read as measurement programs write them.
TEST(FilterWrite, BoxDigitsAreTheBoxsResolution) {
    const std::vector<FilterBand> bands{{1, 1234.0, static_cast<float>(98 / 10.0 - 15.0), 4.1f},
                                        {4, 41.0, -0.0f, 0.7f},
                                        {3, 25.0, 0.0, 0.707f},
                                        {0, 1000.0, 0.0, 0.707}};
    EXPECT_EQ(WriteFilters(bands, FilterDigits::Box),
              "Filter Settings file\n\n"
              "Filter 1: ON PK Fc 1234 Hz Gain -5.2 dB Q 4.100\n"
              "Filter 2: ON LS Fc 41 Hz Gain 0.0 dB Q 0.700\n"
              "Filter 3: ON HP Fc 25 Hz Q 0.707\n"
              "Filter 4: OFF None Fc 1000 Hz Gain 0.0 dB Q 0.707\n");
}

}  // namespace
}  // namespace kv::eq
