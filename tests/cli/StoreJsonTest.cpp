// The dump names the box's current mode as info does: a mode byte outside the four slots
// (a hostile or confused box) is clamped to them, never printed as a fifth mode.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/StoreJson.h"
#include "device/Commands.h"
#include "device/InboundParser.h"
#include "model/ParameterStore.h"

namespace {

class DumpCurrentMode : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(DumpCurrentMode, IsClampedToTheFourSlots) {
    const auto [modeByte, shown] = GetParam();
    kv::ParameterStore store;
    kv::InboundParser parser(store);
    parser.Dispatch(kv::BuildCommand({kv::cmd::kCurrentMode, static_cast<std::uint8_t>(modeByte)}));
    const auto dump = nlohmann::json::parse(kv::cli::StoreToJson(store));
    EXPECT_EQ(dump.at("currentMode").get<int>(), shown);
}

INSTANTIATE_TEST_SUITE_P(ModeBytes, DumpCurrentMode,
                         testing::Values(std::pair{0, 1}, std::pair{3, 4}, std::pair{4, 4}, std::pair{128, 4},
                                         std::pair{255, 4}));

}  // namespace
