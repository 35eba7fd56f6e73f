// Start-up defaults and the bounded, race-free access of the parameter store.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace {

using kv::ParameterStore;
namespace fld = kv::fld;

TEST(ParameterStoreDefaults, FieldsIdentityAndRecords) {
    ParameterStore s;
    EXPECT_FLOAT_EQ(s.Float(fld::kEchoChATime), 217.0f);
    EXPECT_FLOAT_EQ(s.Float(fld::kEchoChBTime), 217.0f);
    EXPECT_EQ(s.Int(fld::kEchoChAStartVol), 60);
    EXPECT_EQ(s.Int(fld::kEchoChBStartVol), 60);
    for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f) {
        if (f == fld::kEchoChATime || f == fld::kEchoChBTime || f == fld::kEchoChAStartVol ||
            f == fld::kEchoChBStartVol)
            continue;
        EXPECT_EQ(s.Raw(f), 0u) << "field " << f;
    }
    EXPECT_EQ(s.Int(fld::kMusicStream), 0);
    const auto id = s.GetIdentity();
    EXPECT_EQ(id.model, "KV4420");
    EXPECT_EQ(id.mcuVersion, "2012-10-03");
    EXPECT_EQ(id.dspVersion, "2012-11-30");
    EXPECT_EQ(id.commandSetVersion, 1);
    EXPECT_EQ(s.ModeName(0), u"Mode1");
    EXPECT_EQ(s.ModeName(3), u"Mode4");
    const auto applied = s.AppliedSettings();
    for (int i = 0; i < kv::kSettingsSize; ++i) EXPECT_EQ(applied[i], (i == 3 || i == 4) ? 99 : 0);
    for (auto b : s.EditedSettings()) EXPECT_EQ(b, 0);
    for (auto b : s.GetSpeakerGains()) EXPECT_EQ(b, 0);
    EXPECT_FALSE(s.SettingsChanged());
}

TEST(ParameterStoreDefaults, EqImageHoldsFlatBandsAtTheListedFrequencies) {
    ParameterStore s;
    const int mic[15] = {25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500, 4000, 6300, 10000, 16000};
    for (int k = 0; k < 30; ++k) {
        auto b = s.ReadBand(1, k);
        EXPECT_DOUBLE_EQ(b.gainDb, 0.0);
        EXPECT_EQ(b.frequencyHz, mic[k % 15]);
        EXPECT_FLOAT_EQ(b.q, 1.414f);
        EXPECT_EQ(b.code, 1);
    }
    EXPECT_EQ(s.ReadBand(3, 13).frequencyHz, 2000);
    EXPECT_EQ(s.ReadBand(4, 14).frequencyHz, 16000);
    EXPECT_EQ(s.ReadBand(5, 23).frequencyHz, 20000);
    EXPECT_EQ(s.ReadBand(9, 9).frequencyHz, 16000);
    // Crossover slots: high-pass side at 500 Hz, low-pass side at 1000 Hz, Q 0.707.
    for (auto [module, slot] : {std::pair{5, 24}, {5, 26}, {6, 10}, {6, 12}, {7, 10}, {8, 20}, {9, 12}}) {
        auto hp = s.ReadBand(module, slot);
        auto lp = s.ReadBand(module, slot + 1);
        EXPECT_EQ(hp.code, 3);
        EXPECT_EQ(hp.frequencyHz, 500);
        EXPECT_EQ(lp.code, 2);
        EXPECT_EQ(lp.frequencyHz, 1000);
        EXPECT_FLOAT_EQ(lp.q, 0.707f);
    }
    // SUB rows.
    EXPECT_FLOAT_EQ(s.ReadBand(8, 6).q, 1.414f);
    EXPECT_FLOAT_EQ(s.ReadBand(8, 7).q, 0.707f);
    EXPECT_FLOAT_EQ(s.ReadBand(8, 9).q, 0.707f);
    EXPECT_EQ(s.ReadBand(8, 12).frequencyHz, 62);
    EXPECT_EQ(s.ReadBand(8, 16).code, 18);
    EXPECT_EQ(s.ReadBand(8, 17).code, 20);
    EXPECT_EQ(s.ReadBand(8, 18).code, 1);
    EXPECT_EQ(s.ReadBand(8, 19).frequencyHz, 100);
    // Every byte of the image belongs to a module: the last descriptor ends at 1140.
    const auto image = s.GetEqImage();
    EXPECT_EQ(image[1043 + 7 * 13 + 6], 2);
}

TEST(ParameterStoreDefaults, SpeakerBlockDecodesIntoFields) {
    ParameterStore s;
    EXPECT_EQ(s.GetSpeakerPositions(), ParameterStore::kDefaultSpeakerPositions);
    EXPECT_EQ(s.Int(fld::kSpeakerRaw0), 4);
    EXPECT_EQ(s.Int(fld::kSpeakerRaw1), 4);
    EXPECT_FLOAT_EQ(s.Float(21), 0.0f);
    EXPECT_FLOAT_EQ(s.Float(12), -1.0f);  // byte 4 = 0x8A
    EXPECT_FLOAT_EQ(s.Float(4), 1.0f);    // byte 5 = 0x0A
    EXPECT_FLOAT_EQ(s.Float(18), -0.5f);  // byte 16 = 0x85
    EXPECT_FLOAT_EQ(s.Float(19), 0.5f);   // byte 18 = 0x05
    // Encoding the decoded fields gives the block back, except that 0 carries the sign bit.
    auto block = s.EncodeSpeakerPositionsFromFields();
    EXPECT_EQ(block[4], 0x8A);
    EXPECT_EQ(block[16], 0x85);
    EXPECT_EQ(block[2], 0x80);
    // A magnitude of zero never reads as a negative zero, so the centre never shows "-0.0m".
    auto negativeZero = ParameterStore::kDefaultSpeakerPositions;
    negativeZero[2] = 0x80;
    s.SetSpeakerPositions(negativeZero);
    EXPECT_FALSE(std::signbit(s.Float(21)));
}

TEST(BandDescriptor, GainCodesAndRounding) {
    std::uint8_t bytes[7] = {0, 0, 0x03, 0xE8, 0x05, 0x82, 1};
    auto d = kv::BandDescriptor::Decode(bytes);
    EXPECT_DOUBLE_EQ(d.gainDb, -15.0);
    EXPECT_EQ(d.frequencyHz, 1000);
    EXPECT_FLOAT_EQ(d.q, 1.41f);
    kv::PutBe16(bytes, 300);
    EXPECT_DOUBLE_EQ(kv::BandDescriptor::Decode(bytes).gainDb, 15.0);

    kv::BandDescriptor band{-15.0, 100, 0.707, 2};
    band.Encode(bytes);
    EXPECT_EQ(kv::GetBe16(bytes), 0);  // trunc(0.05 x 10)
    band.gainDb = 15.0;
    band.Encode(bytes);
    EXPECT_EQ(kv::GetBe16(bytes), 300);
    EXPECT_EQ(kv::GetBe16(bytes + 4), 707);
    band.gainDb = 1e9;  // nothing wraps around
    band.Encode(bytes);
    EXPECT_EQ(kv::GetBe16(bytes), 65535);
}

// Gains and Q values as the panels produce them (single precision, one decimal for gains):
// the gain code's rounding term decides most of these; Q is truncated without one. Read
// back, each code gives the single-precision value of code / 10 - 15 and code / 1000.
struct Encoding {
    const char* name;
    float gain, q;
    int gainCode, qCode;
    float readGain, readQ;
};

class BandDescriptorEncoding : public ::testing::TestWithParam<Encoding> {};

TEST_P(BandDescriptorEncoding, CodesAndSinglePrecisionReadBack) {
    const Encoding& e = GetParam();
    std::uint8_t bytes[7];
    kv::BandDescriptor{e.gain, 1000, e.q, 1}.Encode(bytes);
    EXPECT_EQ(kv::GetBe16(bytes), e.gainCode);
    EXPECT_EQ(kv::GetBe16(bytes + 4), e.qCode);
    const auto d = kv::BandDescriptor::Decode(bytes);
    EXPECT_EQ(d.gainDb, double{e.readGain});
    EXPECT_EQ(d.q, double{e.readQ});
}

INSTANTIATE_TEST_SUITE_P(PanelValues, BandDescriptorEncoding,
                         ::testing::Values(Encoding{"Minus0_1", -0.1f, 1.0f, 149, 1000, -0.1f, 1.0f},
                                           Encoding{"Minus0_2", -0.2f, 1.0f, 148, 1000, -0.2f, 1.0f},
                                           Encoding{"Minus0_3", -0.3f, 0.707f, 147, 707, -0.3f, 0.707f},
                                           Encoding{"Minus0_25HalfwayUp", -0.25f, 2.0f, 148, 2000, -0.2f, 2.0f},
                                           Encoding{"Minus2_7", -2.7f, 0.5f, 123, 500, -2.7f, 0.5f},
                                           Encoding{"Plus0_7", 0.7f, 1.414f, 157, 1414, 0.7f, 1.414f},
                                           Encoding{"Plus0_05HalfwayUp", 0.05f, 30.0f, 151, 30000, 0.1f, 30.0f},
                                           Encoding{"Plus14_9", 14.9f, 0.1f, 299, 100, 14.9f, 0.1f},
                                           Encoding{"Lowest", -15.0f, 1.0f, 0, 1000, -15.0f, 1.0f},
                                           Encoding{"Highest", 15.0f, 1.0f, 300, 1000, 15.0f, 1.0f},
                                           // Single-precision Q values just below their code are truncated down.
                                           Encoding{"Q1_41", 0.0f, 1.41f, 150, 1409, 0.0f, 1.409f},
                                           Encoding{"Q0_7", 0.0f, 0.7f, 150, 699, 0.0f, 0.699f},
                                           Encoding{"Q1_234", 0.0f, 1.234f, 150, 1233, 0.0f, 1.233f},
                                           Encoding{"Q4_321", 0.0f, 4.321f, 150, 4321, 0.0f, 4.321f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParameterStoreBounds, CopiesNeverLeaveTheirBuffers) {
    ParameterStore s;
    std::uint8_t data[56];
    std::fill(std::begin(data), std::end(data), 0xAB);
    EXPECT_EQ(s.WriteEqBytes(1120, data, 56), 21);
    EXPECT_EQ(s.WriteEqBytes(1141, data, 1), 0);
    EXPECT_EQ(s.WriteEqBytes(-1, data, 1), 0);
    EXPECT_EQ(s.GetEqImage()[1140], 0xAB);

    s.SetRemoteByte(0, 0x40);
    s.SetRemoteByte(9, 0x1C);
    s.SetRemoteByte(16, 0x99);  // ignored
    s.SetRemoteByte(-1, 0x99);
    auto t = s.GetRemoteTable();
    EXPECT_EQ(t[0], 0x40);
    EXPECT_EQ(t[9], 0x1C);
    EXPECT_EQ(std::count(t.begin(), t.end(), 0x99), 0);

    EXPECT_EQ(s.Raw(183), 0u);
    s.SetRaw(183, 5);
    s.SetRaw(-1, 5);
    EXPECT_EQ(s.ReadBand(10, 0).code, 0);
    EXPECT_FALSE(s.WriteBand(1, 30, {}));

    s.SetModeName(1, std::u16string(30, u'x'));
    EXPECT_EQ(s.ModeName(1).size(), 24u);
    s.SetModelName(std::string(40, 'M'));
    EXPECT_EQ(s.GetIdentity().model.size(), 29u);
}

TEST(ParameterStoreBounds, LevelMeterSetsTheMusicStreamFlag) {
    ParameterStore s;
    ParameterStore::LevelMeter r{};
    r[14] = 1;
    s.SetLevelMeter(r);
    EXPECT_EQ(s.Int(fld::kMusicStream), 1);
    s.ClearLevelMeter();
    EXPECT_EQ(s.GetLevelMeter()[14], 0);
}

TEST(ParameterStoreThreads, ConcurrentWritersAndReadersStayConsistent) {
    // A reader never sees half of a write: each descriptor, each name and each field is
    // either what was there before or what one write put there, never a mixture.
    ParameterStore s;
    const auto initial = s.GetEqImage();
    constexpr std::uint8_t kA[7] = {0, 150, 0, 100, 0x05, 0x86, 1};
    constexpr std::uint8_t kB[7] = {1, 44, 0x4E, 0x20, 0x03, 0xE8, 5};
    constexpr int kSlots = 100;
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            s.SetFloat(fld::kMusicAgcLevel, static_cast<float>(i) + 0.5f);
            s.WriteEqBytes(7 * (i % kSlots), (i / kSlots) % 2 ? kB : kA, 7);
            s.SetModeName(0, i % 2 ? u"Other name" : u"Name");
        }
    });
    int torn = 0;
    for (int i = 0; i < 2000; ++i) {
        const auto image = s.GetEqImage();
        for (int slot = 0; slot < kSlots; ++slot) {
            const auto* d = &image[static_cast<std::size_t>(7 * slot)];
            if (!std::equal(d, d + 7, kA) && !std::equal(d, d + 7, kB) && !std::equal(d, d + 7, &initial[7u * slot]))
                ++torn;
        }
        const auto name = s.ModeName(0);
        if (name != u"Mode1" && name != u"Name" && name != u"Other name") ++torn;
        const float level = s.Float(fld::kMusicAgcLevel);
        if (level != 0.0f && (level < 0.5f || level > 1999.5f || level - std::floor(level) != 0.5f)) ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_FLOAT_EQ(s.Float(fld::kMusicAgcLevel), 1999.5f);
    EXPECT_EQ(s.ModeName(0), u"Other name");
}

TEST(FieldKinds, GroupsHaveTheirKinds) {
    using K = kv::FieldKind;
    EXPECT_EQ(kv::KindOf(fld::kMicVolume), K::Hundredths);
    EXPECT_EQ(kv::KindOf(fld::kMicMute), K::Mute);
    EXPECT_EQ(kv::KindOf(fld::kMicNoiseGate1), K::Ten4);
    EXPECT_EQ(kv::KindOf(fld::kMicGateOpen), K::Ten5);
    EXPECT_EQ(kv::KindOf(fld::kMicGateClose), K::Ten7);
    EXPECT_EQ(kv::KindOf(fld::kEchoChATime), K::Millis);
    EXPECT_EQ(kv::KindOf(fld::kReverbChATime), K::Float);
    EXPECT_EQ(kv::KindOf(fld::kMain.surroundVolume()), K::Surround);
    EXPECT_EQ(kv::KindOf(114), K::Surround);
    EXPECT_EQ(kv::KindOf(fld::kSub.mute()), K::Mute);
    EXPECT_EQ(fld::kSub.mute(), 178);
    EXPECT_EQ(fld::kCenter.delayModeLeft(), 163);
    EXPECT_EQ(fld::kTop.delayModeRight(), 148);
    EXPECT_EQ(kv::KindOf(fld::kTop.delayModeRight()), K::DelayMode);
    EXPECT_EQ(kv::KindOf(24), K::Unused);
    EXPECT_EQ(kv::KindOf(182), K::Unused);
    EXPECT_EQ(kv::KindOf(183), K::Unused);
}

}  // namespace
