// Coefficients designed from stored bands reach the box bit for bit as the box expects them:
// a write-all of a mode file whose bands were set by hand, against a table made with another
// tool (CoefficientTable.h).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "BoxFixture.h"
#include "CoefficientTable.h"
#include "device/Parameters.h"
#include "model/Bytes.h"
#include "model/ModeFile.h"

namespace kv::test {
namespace {

struct Case {
    const char* name;
    int module, slot;
    TableBand band;  // as the mode file holds it; crossover slots as the delay mode leaves them
};

// Bands set by hand (gain and Q codes without an exact binary form), a default band, and the
// crossover slots the delay modes rewrite: MAIN left applied at index 3, REAR right made flat.
const Case kCases[] = {
    {"MicAHighShelf", 1, 5, {5, 157, 12154, 1234}},   {"MicBLowShelf", 1, 20, {4, 157, 11846, 1234}},
    {"MusicPeaking", 4, 2, {1, 157, 1000, 1234}},     {"EchoAPeaking", 2, 2, {1, 156, 10000, 500}},
    {"EchoBPeaking", 2, 8, {1, 129, 2000, 4321}},     {"ReverbAHighShelf", 3, 0, {5, 12, 9000, 500}},
    {"MainLowShelf", 5, 0, {4, 12, 15000, 500}},      {"TopLowPassWithGain", 9, 3, {2, 163, 5000, 707}},
    {"SubDefaultStage", 8, 17, {20, 150, 100, 707}},  {"MainCrossoverHigh", 5, 24, {3, 150, 800, 707}},
    {"MainCrossoverLow", 5, 25, {2, 150, 1300, 707}}, {"RearFlatHigh", 6, 12, {1, 150, 500, 707}},
    {"RearFlatLow", 6, 13, {1, 150, 1000, 707}},
};

void PutBand(std::vector<std::uint8_t>& file, int module, int slot, const TableBand& b) {
    constexpr std::size_t kEqPart = 624;
    std::uint8_t* p = &file[kEqPart + static_cast<std::size_t>(EqBase(module) + kBandDescriptorSize * slot)];
    PutBe16(p, static_cast<std::uint16_t>(b.gainCode));
    PutBe16(p + 2, static_cast<std::uint16_t>(b.freq));
    PutBe16(p + 4, static_cast<std::uint16_t>(b.qCode));
    p[6] = static_cast<std::uint8_t>(b.code);
}

// Loads a mode file with the hand-set bands and runs the write-all; returns what reached the box.
const std::vector<Report>& WriteAllOfHandSetFile() {
    static const std::vector<Report> sent = [] {
        ParameterStore defaults;
        auto file = EncodeModeFile(defaults);
        for (const Case& c : kCases)
            if (c.module != 5 || c.slot < 24) PutBand(file, c.module, c.slot, c.band);
        PutBand(file, 5, 24, {3, 150, 800, 707});  // crossover index 3 of MAIN left, delay through it
        PutBand(file, 6, 12, {3, 150, 500, 707});  // REAR right at index 0, whole-channel delay
        PutLe32(&file[4 + 4 * (fld::kRear.delayModeRight() - fld::kModeFileFirst)], 1);
        const auto path = std::filesystem::temp_directory_path() / ("kv-stored-bands-" + std::to_string(::getpid()));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

        Box b;
        EXPECT_EQ(ReadModeFile(path.string(), b.core->store).status, ModeFileStatus::Ok);
        std::filesystem::remove(path);
        b.Clear();
        EXPECT_TRUE(b.core->sync.StartWriteAll(nullptr));
        b.core->sync.Wait();
        return b.box->Received();
    }();
    return sent;
}

class StoredBandCoefficients : public ::testing::TestWithParam<Case> {};

TEST_P(StoredBandCoefficients, AreThoseOfTheSinglePrecisionGainAndQ) {
    const Case& c = GetParam();
    // The last coefficient write of the slot: the resend, or the delay mode's rewrite.
    const auto& sent = WriteAllOfHandSetFile();
    const auto last = std::find_if(sent.rbegin(), sent.rend(), [&](const Report& r) {
        return r[1] == cmd::kParamWrite && r[3] == c.module && r[4] == c.slot && r[5] == 5;
    });
    ASSERT_NE(last, sent.rend()) << "no coefficients sent";
    EXPECT_EQ(ToHex(*last), ToHex(CoefficientWrite(c.module, c.slot, c.band)));
}

INSTANTIATE_TEST_SUITE_P(WriteAll, StoredBandCoefficients, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kv::test
