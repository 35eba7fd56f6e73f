// A band edited by address sends the descriptor the band model's rules give: only the typed
// value changes, a SUB row starts a new kind as every other band does, and a band stored
// without a frequency takes the panel's default for its place.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "BoxFixture.h"
#include "device/Commands.h"
#include "device/EqTable.h"
#include "device/SettingTable.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv::test {
namespace {

struct Descriptor {
    int gainCode, hz, qCode, code;
};

struct Case {
    const char* name;
    EqId eq;
    int deviceBand;
    Descriptor stored;    // the band as a read-back left it
    const char* item;     // the edit
    Descriptor expected;  // the band's descriptor as the box then receives it
};

int Offset(EqId eq, int deviceBand) {
    const EqInfo& info = EqInfoOf(eq);
    return EqBase(info.module) + kBandDescriptorSize * (info.firstSlot + deviceBand);
}

std::array<std::uint8_t, 7> Bytes(const Descriptor& d) {
    std::array<std::uint8_t, 7> b{};
    PutBe16(&b[0], static_cast<std::uint16_t>(d.gainCode));
    PutBe16(&b[2], static_cast<std::uint16_t>(d.hz));
    PutBe16(&b[4], static_cast<std::uint16_t>(d.qCode));
    b[6] = static_cast<std::uint8_t>(d.code);
    return b;
}

const Case kCases[] = {
    // A typed gain keeps Q 1.414 on the output equalisers too, whose cells show 1.41.
    {"MainGainKeepsQ", EqId::Main, 0, {150, 1000, 1414, 1}, "eq.main.1.gain=-3.0dB", {120, 1000, 1414, 1}},
    {"RearGainKeepsQ", EqId::Rear, 3, {150, 250, 1414, 1}, "eq.rear.4.gain=+2.5dB", {175, 250, 1414, 1}},
    {"TopFreqKeepsGainAndQ", EqId::Top, 1, {173, 62, 4567, 1}, "eq.top.2.freq=70Hz", {173, 70, 4567, 1}},
    {"MusicQKeepsGain", EqId::Music, 0, {173, 100, 1414, 1}, "eq.music.1.q=2.00", {173, 100, 2000, 1}},
    // A SUB row made a new kind starts at Q 1.41, or at Q 0.70 without gain.
    {"SubPeakToHighShelf", EqId::Sub, 0, {220, 100, 24500, 1}, "eq.sub.1.kind=HS", {150, 100, 700, 5}},
    {"SubPeakToLowShelf", EqId::Sub, 4, {220, 200, 24500, 1}, "eq.sub.2.kind=LS", {150, 200, 700, 4}},
    {"SubShelfToPeak", EqId::Sub, 8, {200, 300, 900, 5}, "eq.sub.3.kind=PEQ", {200, 300, 1410, 1}},
    {"SubPeakToLowPass", EqId::Sub, 12, {220, 80, 24500, 1}, "eq.sub.4.kind=LP", {150, 80, 700, 18}},
    // A band stored at 0 Hz goes out at the panel's default for that band of that count.
    {"MusicBandTwoAtZeroHz", EqId::Music, 1, {150, 0, 1410, 1}, "eq.music.2.gain=+2.0dB", {170, 160, 1410, 1}},
    {"RearBandTwoAtZeroHz", EqId::Rear, 1, {150, 0, 1410, 1}, "eq.rear.2.gain=+2.0dB", {170, 62, 1410, 1}},
    {"MainBandSeventeenAtZeroHz", EqId::Main, 16, {150, 0, 1410, 1}, "eq.main.17.q=1.00", {150, 160, 1000, 1}},
    {"EchoBandSevenAtZeroHz", EqId::EchoA, 6, {150, 0, 1410, 1}, "eq.echoa.7.gain=-1.0dB", {140, 2000, 1410, 1}},
};

class BandEdit : public ::testing::TestWithParam<Case> {};

TEST_P(BandEdit, SendsTheBandModelsDescriptor) {
    const Case& c = GetParam();
    Box b;
    const auto stored = Bytes(c.stored);
    b.core->store.WriteEqBytes(Offset(c.eq, c.deviceBand), stored.data(), 7);
    if (c.eq == EqId::Sub) {
        // The row's stages as a peaking row leaves them.
        const auto stage = Bytes({150, c.stored.hz, c.stored.qCode, 1});
        for (int s = 1; s <= 3; ++s) b.core->store.WriteEqBytes(Offset(c.eq, c.deviceBand + s), stage.data(), 7);
    }
    const std::string item = c.item;
    const std::size_t eq = item.find('=');
    const Setting* s = FindSetting(item.substr(0, eq));
    ASSERT_NE(s, nullptr) << item;
    const auto v = ParseSetting(*s, item.substr(eq + 1));
    ASSERT_TRUE(v) << item;
    ASSERT_TRUE(!s->refuse || s->refuse(*b.core, *v).empty()) << item;
    b.Clear();
    s->apply(*b.core, *v);
    const auto writes = b.Sent(cmd::kMemoryWrite);
    ASSERT_FALSE(writes.empty());
    const auto expected = Bytes(c.expected);
    EXPECT_EQ(ToHex(writes.front()), ToHex(BuildMemoryWrite(Offset(c.eq, c.deviceBand), expected)));
}

INSTANTIATE_TEST_SUITE_P(Rows, BandEdit, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
