#include <gtest/gtest.h>

#include <cmath>

#include "device/DeviceContext.h"
#include "device/ListenerPaths.h"
#include "device/SettingTable.h"
#include "device/StoreDiff.h"

namespace kv {
namespace {

// MAIN left's delay and switch, SUB's, and how far MAIN arrives after SUB.
struct PathRow {
    const char* name;
    double mainMs;
    bool mainOn;
    bool mainWhole;
    double subMs;
    bool subOn;
    double lagMs;  // on top of the extra way from MAIN left (1.414 m) over SUB's (1 m)
};

class MainBesideSubTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(MainBesideSubTest, CountsOnlyDelaysOfTheWholeChannel) {
    const PathRow r = GetParam();
    auto dev = MakeOfflineContext();
    ResetSpeakers(*dev);  // listener at the centre, MAIN left at (-1, 1), SUB at (0, -1)
    const std::pair<const char*, double> settings[] = {{"delay.main.l", r.mainMs},
                                                       {"delay.main.l.on", r.mainOn ? 1.0 : 0.0},
                                                       {"delay.main.l.mode", r.mainWhole ? 1.0 : 0.0},
                                                       {"delay.sub", r.subMs},
                                                       {"delay.sub.on", r.subOn ? 1.0 : 0.0},
                                                       {"delay.sub.mode", 1.0}};
    for (auto [address, value] : settings) FindSetting(address)->apply(*dev, value);
    const double c = 331.3 * std::sqrt(1.0 + 20.0 / 273.15);
    const double wayMs = (std::sqrt(2.0) - 1.0) / c * 1000.0;
    EXPECT_NEAR(MainBesideSub(*dev).delaySeconds * 1000.0, r.lagMs + wayMs, 1e-6);
    // Sound is slower in the cold: the extra way takes longer.
    const double c0 = 331.3;
    EXPECT_NEAR(MainBesideSub(*dev, 0.0).delaySeconds * 1000.0, r.lagMs + (std::sqrt(2.0) - 1.0) / c0 * 1000.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Rows, MainBesideSubTest,
                         ::testing::Values(PathRow{"both on", 10.0, true, true, 2.0, true, 8.0},
                                           PathRow{"MAIN off", 10.0, false, true, 2.0, true, -2.0},
                                           PathRow{"MAIN delays its high part only", 10.0, true, false, 2.0, true,
                                                   -2.0},
                                           PathRow{"SUB off", 10.0, true, true, 2.0, false, 10.0}),
                         [](const ::testing::TestParamInfo<PathRow>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace kv
