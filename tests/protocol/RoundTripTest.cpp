// A mode file written into one box and read back from it gives the same file.

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>

#include "BoxFixture.h"
#include "model/Bytes.h"
#include "model/ModeFile.h"

namespace kv::test {
namespace {

// Values that survive the trip exactly: times on whole samples, compressor times of zero,
// speaker-position zeros carrying their sign bit, crossover slots as the delay modes leave them.
std::vector<std::uint8_t> CanonicalModeFile() {
    ParameterStore s;
    s.SetInt(fld::kMicVolume, 85);
    for (int i = 0; i < 4; ++i) s.SetInt(fld::kMicChAShare1 + i, i % 2 ? 100 : 0);
    s.SetInt(fld::kMicChAShift, 3);
    s.SetInt(fld::kMicChBShift, 1);
    s.SetInt(fld::kMicChBShiftBypass, 1);
    s.SetInt(fld::kMicMute, 1);
    s.SetInt(fld::kMicPhase1, 1);
    for (int i = 0; i < 4; ++i) s.SetInt(fld::kMicInputVolume1 + i, 20 + i);
    s.SetInt(fld::kMicNoiseGate1 + 2, 42);
    s.SetInt(fld::kMicGateOpen, 50);
    s.SetInt(fld::kMicGateClose, 50);
    s.SetInt(fld::kAutoSubRatio, 33);
    s.SetFloat(fld::kEchoChAPredelay1, 1.5f);
    s.SetFloat(fld::kEchoChAPredelay2, 1.5f);
    s.SetFloat(fld::kEchoChBPredelay1, 5.0f);
    s.SetFloat(fld::kEchoChBPredelay2, 5.0f);
    s.SetFloat(fld::kEchoChBTime, 100.0f);
    s.SetInt(fld::kEchoChADecay, 12);
    s.SetInt(fld::kEchoVolume, 64);
    s.SetFloat(fld::kReverbChAPredelay1, 2.5f);
    s.SetFloat(fld::kReverbChAPredelay2, 2.5f);
    s.SetFloat(fld::kReverbChBPredelay1, 1.5f);
    s.SetFloat(fld::kReverbChBPredelay2, 1.5f);
    s.SetFloat(fld::kReverbChATime, 37.0f);
    s.SetInt(fld::kReverbMute, 1);
    s.SetInt(fld::kMusicVolume, 70);
    s.SetInt(fld::kSpdifVolume, 100);
    s.SetInt(fld::kMusicPitch, -3);
    s.SetInt(fld::kAux1On, 100);
    s.SetInt(fld::kMusicAgc, 1);
    s.SetFloat(fld::kMusicAgcLevel, -9.5f);
    for (const auto* o : {&fld::kMain, &fld::kRear, &fld::kTop, &fld::kCenter, &fld::kSub}) {
        s.SetInt(o->mixDirect(), 90);
        s.SetInt(o->mixMusic(), 45);
        s.SetInt(o->compBypass(), 1);
        s.SetFloat(o->compThreshold(), -6.0f);
        s.SetFloat(o->compRatio(), 4.0f);
        s.SetFloat(o->delayLeft(), 10.0f);
        if (o->stereo) s.SetFloat(o->delayRight(), 1.5f);
        s.SetInt(o->delayOffLeft(), 1);
        if (o->surround) s.SetInt(o->surroundVolume(), 30);
    }
    s.SetInt(fld::kMain.delayModeLeft(), 1);
    s.SetInt(fld::kSub.mute(), 1);
    s.WriteBand(5, 24, BandDescriptor{0.0, 500, 0.707, 1});
    s.WriteBand(5, 25, BandDescriptor{0.0, 1000, 0.707, 1});
    s.WriteBand(4, 3, BandDescriptor{6.0, 100, 1.0, 1});
    s.WriteBand(8, 2, BandDescriptor{-4.5, 33, 2.5, 4});
    ParameterStore::SpeakerGains gains{};
    PutBeFloat(&gains[0], -3.0f);
    PutBeFloat(&gains[24], 2.5f);
    s.SetSpeakerGains(gains);
    auto pos = ParameterStore::kDefaultSpeakerPositions;
    for (std::size_t i = 2; i < pos.size(); ++i)
        if (pos[i] == 0) pos[i] = 0x80;
    s.SetSpeakerPositions(pos);
    return EncodeModeFile(s);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(RoundTrip, ModeFileThroughTheBoxComesBackByteExact) {
    const auto original = CanonicalModeFile();
    const auto dir = std::filesystem::temp_directory_path() / ("kv-roundtrip-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string loaded = (dir / "hall.K4v9").string();
    const std::string saved = (dir / "back.K4v9").string();
    std::ofstream(loaded, std::ios::binary)
        .write(reinterpret_cast<const char*>(original.data()), static_cast<std::streamsize>(original.size()));

    auto box = std::make_shared<SimBox>();
    {
        DeviceContext a(MakeSimOpener(box), LinkTimings{2000, 500, 5}, NoWaits(), EncoderTimings{0, 0});
        a.store.SetCommandSetVersion(9);
        // Levels travel only when they are kept with the mode (and ramped); otherwise the box keeps its own.
        ParameterStore::Settings settings{};
        settings[0] = 1;
        a.store.SetAppliedSettings(settings);
        ASSERT_EQ(ReadModeFile(loaded, a.store).status, ModeFileStatus::Ok);
        ASSERT_TRUE(a.link.Open());
        ASSERT_TRUE(a.sync.StartWriteAll(nullptr));
        a.sync.Wait();
        EXPECT_EQ(EncodeModeFile(a.store), original);  // sending changed nothing in the store
    }
    {
        DeviceContext b(MakeSimOpener(box), LinkTimings{2000, 500, 5}, NoWaits(), EncoderTimings{0, 0});
        ASSERT_TRUE(b.link.Open());
        // A few of the values above lie outside the pages' ranges; the trip itself is under test.
        b.sync.SetClampAfterReadBack(false);
        ASSERT_TRUE(b.sync.StartReadBack(nullptr));
        b.sync.Wait();
        ASSERT_EQ(WriteModeFile(saved, b.store).status, ModeFileStatus::Ok);
    }
    const auto back = ReadBytes(saved);
    ASSERT_EQ(back.size(), original.size());
    const auto diff = std::mismatch(original.begin(), original.end(), back.begin());
    EXPECT_TRUE(diff.first == original.end()) << "first difference at file offset " << (diff.first - original.begin());
    EXPECT_TRUE(box->Violations().empty());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kv::test
