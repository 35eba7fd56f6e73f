// A setting reads as what the box works with: a stored value the encoders would not send as it
// stands reads as what they send instead, so the page, the window and `get` show the same.

#include <gtest/gtest.h>

#include <string>

#include "BoxFixture.h"
#include "device/SettingTable.h"
#include "model/Fields.h"

namespace kv::test {
namespace {

struct Case {
    const char* name;
    int field;
    float stored;
    const char* address;
    const char* shown;
};

const Case kCases[] = {
    {"FreshRatioIsOneToOne", fld::kMain.compRatio(), 0.0f, "main.comp.ratio", "1.0:1"},
    {"RatioBelowOneIsOneToOne", fld::kSub.compRatio(), 0.5f, "sub.comp.ratio", "1.0:1"},
    {"RatioAsStored", fld::kRear.compRatio(), 4.0f, "rear.comp.ratio", "4.0:1"},
    {"FreshAttackIsTheLeast", fld::kMain.compAttack(), 0.0f, "main.comp.attack", "1ms"},
    {"FreshReleaseIsTheLeast", fld::kTop.compRelease(), 0.0f, "top.comp.release", "1ms"},
    {"ReleaseAsStored", fld::kCenter.compRelease(), 250.0f, "center.comp.release", "250ms"},
    // The box's own level, also where the slider cannot follow it.
    {"AgcLevelOfZero", fld::kMusicAgcLevel, 0.0f, "music.agc.level", "12.0dB"},
    {"AgcLevelInRange", fld::kMusicAgcLevel, -14.5f, "music.agc.level", "-2.5dB"},
    {"AgcLevelBelowRange", fld::kMusicAgcLevel, -30.0f, "music.agc.level", "-18.0dB"},
};

class SettingRead : public ::testing::TestWithParam<Case> {};

TEST_P(SettingRead, ShowsWhatIsSent) {
    const Case& c = GetParam();
    Box b;
    b.core->store.SetFloat(c.field, c.stored);
    const Setting* s = FindSetting(c.address);
    ASSERT_NE(s, nullptr) << c.address;
    EXPECT_EQ(FormatSetting(*s, s->read(*b.core)), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingRead, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
