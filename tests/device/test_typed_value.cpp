// The one reader of typed values: the shared rows in both ways of reading, then where a box
// and the command line part (out of range, off the step, more decimals than shown).

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "device/SettingTable.h"
#include "device/TypedValue.h"
#include "tests/common/TypedRows.h"

namespace kv::test {
namespace {

const Setting& At(const char* address) {
    const Setting* s = FindSetting(address);
    EXPECT_NE(s, nullptr) << address;
    return *s;
}

void ExpectRow(const TypedRow& row, TypedMode mode) {
    const Setting& s = At(row.address);
    const TypedValue v = ReadTyped(s, row.typed, mode);
    if (*row.refused) {
        EXPECT_FALSE(v) << "taken as " << v.value.value_or(0);
        EXPECT_EQ(RefusalText(v.refusal), row.refused);
        EXPECT_FALSE(RefusalText(v.refusal, TypedLanguage::Chinese).empty());
        EXPECT_NE(RefusalText(v.refusal, TypedLanguage::Chinese), RefusalText(v.refusal));
        return;
    }
    ASSERT_TRUE(v) << RefusalText(v.refusal);
    EXPECT_DOUBLE_EQ(*v.value, row.value);
    EXPECT_EQ(FormatSetting(s, *v.value), row.shown);
}

class SharedRows : public ::testing::TestWithParam<TypedRow> {};

TEST_P(SharedRows, ReadAlikeByABoxAndTheCommandLine) {
    ExpectRow(GetParam(), TypedMode::Box);
    ExpectRow(GetParam(), TypedMode::Exact);
}

INSTANTIATE_TEST_SUITE_P(Units, SharedRows, ::testing::ValuesIn(TypedRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- where the two part ----

struct ModeRow {
    const char* name;
    const char* address;
    const char* typed;
    double boxValue;      // what a box applies
    bool boxClamped;      // the box took it only by clamping
    const char* refused;  // why the command line refuses it, or empty when it takes boxValue
};

const ModeRow kModeRows[] = {
    {"FreqBelow", "eq.music.9.freq", "5", 20, true, "out of range 20Hz..20000Hz"},
    {"FreqZero", "eq.music.9.freq", "0Hz", 20, true, "out of range 20Hz..20000Hz"},
    {"FreqAbove", "eq.music.9.freq", "30k", 20000, true, "out of range 20Hz..20000Hz"},
    {"FreqOddHertz", "eq.music.9.freq", "1234.6", 1235, false, "a whole number expected"},
    {"FreqKiloTooFine", "eq.music.9.freq", "1.2345k", 1235, false, "a whole number expected"},
    {"FreqFarTooLong", "eq.music.9.freq", "1000000000000000000000000000000000000000000000000000", 20000, true,
     "out of range 20Hz..20000Hz"},
    {"GainAbove", "eq.music.9.gain", "40", 15, true, "out of range -15.0dB..15.0dB"},
    {"GainHundredths", "eq.music.9.gain", "2.56dB", 2.6, false, "at most 1 decimals"},
    {"GainRoundsToNothing", "eq.music.9.gain", "-0.04", 0, false, "at most 1 decimals"},
    {"QThousandths", "eq.music.9.q", "1.234", 1.23, false, "at most 2 decimals"},
    {"QAbove", "eq.music.9.q", "45", 30, true, "out of range 0.10..30.00"},
    {"DelayBelow", "delay.main.l", "0.5ms", 1.5, true, "out of range 1.5ms..100.0ms"},
    {"DelayAbove", "delay.main.l", "250", 100, true, "out of range 1.5ms..100.0ms"},
    {"DelayHundredths", "delay.main.l", "3.55", 3.6, false, "at most 1 decimals"},
    {"CrossoverOffTheStep", "delay.main.l.crossover", "1250Hz", 1300, false, "not in steps of 100Hz"},
    {"CrossoverKilo", "delay.main.l.crossover", "1.2k", 1200, false, ""},
    {"PositionBeyond", "position.main.l.x", "9", 5, true, "out of range -5.0m..5.0m"},
    {"RoomBelow", "room.width", "0", 1, true, "out of range 1m..10m"},
    {"RoomTenths", "room.width", "4.7", 5, false, "a whole number expected"},
    {"LevelAbove", "music.level", "120", 99, true, "out of range 0..99"},
    {"LevelHalf", "music.level", "2,5", 3, false, "a whole number expected"},
    {"RatioTenths", "main.comp.ratio", "4.25:1", 4.3, false, "at most 1 decimals"},
};

class ModeRows : public ::testing::TestWithParam<ModeRow> {};

TEST_P(ModeRows, ABoxClampsAndRoundsTheCommandLineRefuses) {
    const ModeRow& row = GetParam();
    const Setting& s = At(row.address);
    const TypedValue box = ReadTyped(s, row.typed, TypedMode::Box);
    ASSERT_TRUE(box) << RefusalText(box.refusal);
    EXPECT_NEAR(*box.value, row.boxValue, 1e-9);
    EXPECT_EQ(box.clamped, row.boxClamped);
    // What a box applies is one of the setting's values as it shows them.
    EXPECT_EQ(ReadTyped(s, FormatSetting(s, *box.value), TypedMode::Exact).value.value_or(NAN), *box.value);

    const TypedValue exact = ReadTyped(s, row.typed, TypedMode::Exact);
    if (!*row.refused) {
        ASSERT_TRUE(exact) << RefusalText(exact.refusal);
        EXPECT_NEAR(*exact.value, row.boxValue, 1e-9);
        return;
    }
    EXPECT_FALSE(exact);
    EXPECT_EQ(RefusalText(exact.refusal), row.refused);
    EXPECT_FALSE(ParseSetting(s, row.typed).has_value());
}

INSTANTIATE_TEST_SUITE_P(Limits, ModeRows, ::testing::ValuesIn(kModeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TypedValue, AZeroTypedBelowTheRangeIsKnownAsTyped) {
    // The output pages keep a band's frequency for a typed 0: they need the number as typed.
    const TypedValue v = ReadTyped(At("eq.main.1.freq"), "0", TypedMode::Box);
    ASSERT_TRUE(v);
    EXPECT_EQ(v.typed, 0.0);
    EXPECT_EQ(*v.value, 20.0);
    EXPECT_FALSE(std::signbit(*ReadTyped(At("eq.music.9.gain"), "-0.04", TypedMode::Box).value));
}

TEST(TypedValue, ChoicesByNameInAnyCaseTheLastOfEqualNames) {
    const Setting& shift = At("mica.shift");
    EXPECT_EQ(ReadTyped(shift, " OFF ", TypedMode::Exact).value, 1.0);
    EXPECT_EQ(ReadTyped(shift, "3hz", TypedMode::Box).value, 3.0);
    const TypedValue v = ReadTyped(shift, "6Hz", TypedMode::Box);
    EXPECT_FALSE(v);
    EXPECT_EQ(RefusalText(v.refusal), "off, 2Hz, 3Hz, 4Hz or 5Hz expected");
}

TEST(TypedValue, ChineseReasonsNameTheSameDetail) {
    const TypedValue unit = ReadTyped(At("eq.music.9.freq"), "3dB", TypedMode::Box);
    EXPECT_EQ(RefusalText(unit.refusal, TypedLanguage::Chinese), "单位应为 Hz");
    const TypedValue range = ReadTyped(At("eq.music.9.freq"), "5", TypedMode::Exact);
    EXPECT_EQ(RefusalText(range.refusal, TypedLanguage::Chinese), "超出范围 20Hz..20000Hz");
    EXPECT_EQ(RefusalText(ReadTyped(At("eq.music.9.q"), "x", TypedMode::Box).refusal, TypedLanguage::Chinese),
              "不是数字");
}

}  // namespace
}  // namespace kv::test
