// Every address says in one line, in both languages, what it moves; the lines that tell a
// user something the name does not (which way a switch goes, which end is fast).

#include <gtest/gtest.h>

#include <set>

#include "device/SettingTable.h"

namespace kv::test {
namespace {

TEST(SettingDescriptions, EveryAddressHasOneLineInBothLanguages) {
    std::set<std::string> lines;
    for (const Setting& s : AllSettings()) {
        EXPECT_FALSE(s.description.empty()) << s.address;
        EXPECT_FALSE(s.descriptionZh.empty()) << s.address;
        EXPECT_EQ(s.description.find('\n'), std::string::npos) << s.address;
        // One meaning per address: two settings that read the same would be a copy slip.
        EXPECT_TRUE(lines.insert(s.description).second) << s.address << ": " << s.description;
    }
}

struct Meaning {
    const char* address;
    const char* english;  // a part of its line
    const char* chinese;
};
class SettingMeaning : public ::testing::TestWithParam<Meaning> {};
TEST_P(SettingMeaning, SaysIt) {
    const Setting* s = FindSetting(GetParam().address);
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->description.find(GetParam().english), std::string::npos) << s->description;
    EXPECT_NE(s->descriptionZh.find(GetParam().chinese), std::string::npos) << s->descriptionZh;
}
INSTANTIATE_TEST_SUITE_P(
    Lines, SettingMeaning,
    ::testing::Values(Meaning{"eq.main.bypass", "on bypasses the MAIN output equaliser", "旁通前置音箱均衡"},
                      Meaning{"eq.reverbb.bypass", "CH B reverb equaliser", "通道B混响"},
                      Meaning{"mic.gate.attack", "how fast the microphone noise gate opens: 1 fastest, 100 slowest",
                              "话筒噪声门的启动时间：1 最快"},
                      Meaning{"music.gate.release", "music noise gate closes: 1 fastest", "音乐噪声门的关闭时间"},
                      Meaning{"eq.sub.3.align", "SUB crossover row 3", "分频行 3"},
                      Meaning{"eq.echoa.7.q", "a higher Q is narrower", "通道A回声均衡第 7 段"},
                      Meaning{"delay.rear.r.mode", "only while its delay is on", "后置右音箱"},
                      Meaning{"position.top.l.y", "TOP left speaker stands front to back", "顶置左音箱"},
                      Meaning{"settings.music.max", "highest music volume", "最大音乐音量"},
                      Meaning{"settings.mic.power-on", "microphone volume the box starts with", "开机时的话筒音量"},
                      Meaning{"mic.phase.2", "microphone group 2", "话筒2组反相"},
                      Meaning{"mic.3.route", "microphone input 3 feeds", "话筒口3"},
                      Meaning{"sub.mix.music", "how much of the music the SUB output plays", "超低音箱中音乐"},
                      Meaning{"center.comp.release", "Center output compressor lets go", "中置音箱压限器的恢复时间"}),
    [](const auto& info) {
        std::string n = info.param.address;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

}  // namespace
}  // namespace kv::test
