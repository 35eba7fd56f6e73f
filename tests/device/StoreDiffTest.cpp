// Sending only what changed, against the simulated box: bringing the box back to an earlier
// store sends exactly what a user's edit back to the old value sends, and a read-back then
// gives the earlier store's mode file.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/SettingTable.h"
#include "device/StoreDiff.h"
#include "model/ModeFile.h"
#include "sim/SimBox.h"
#include "tests/protocol/BoxFixture.h"

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> Sent(const SimBox& box) {
    std::vector<Bytes> out;
    for (const auto& e : box.Transcript())
        if (e.direction == SimBox::Direction::ToBox) out.emplace_back(e.report.begin(), e.report.end());
    return out;
}

void Set(DeviceContext& d, const std::string& address, const std::string& text) {
    const Setting* s = FindSetting(address);
    ASSERT_NE(s, nullptr) << address;
    const auto v = ParseSetting(*s, text);
    ASSERT_TRUE(v) << address << " = " << text;
    s->apply(d, *v);
}

// The store as the box holds it, as the application has it after connecting.
void ReadBack(DeviceContext& d) {
    ASSERT_TRUE(d.sync.StartReadBack({}));
    d.sync.Wait();
}

std::unique_ptr<DeviceContext> Snapshot(const DeviceContext& d) {
    auto copy = MakeOfflineContext();
    CopyStore(d.store, copy->store);
    return copy;
}

struct Edit {
    const char* address;
    const char* before;
    const char* after;
};
void PrintTo(const Edit& e, std::ostream* os) { *os << e.address << ' ' << e.before << "->" << e.after; }

class StoreDiffEdit : public ::testing::TestWithParam<Edit> {};

// The bytes of a user's edit from `from` to `to` on a box that holds `from`.
std::vector<Bytes> UserEdit(const Edit& e, const char* from, const char* to) {
    test::Box b;
    ReadBack(*b.core);
    Set(*b.core, e.address, from);
    b.Clear();
    Set(*b.core, e.address, to);
    return Sent(*b.box);
}

// The mode file a read-back gives after a user's edit.
Bytes ReadBackAfter(const Edit& e) {
    test::Box b;
    ReadBack(*b.core);
    Set(*b.core, e.address, e.before);
    Set(*b.core, e.address, e.after);
    ReadBack(*b.core);
    return EncodeModeFile(b.core->store);
}

TEST_P(StoreDiffEdit, UndoAndRedoSendTheUsersEditAndReadBackTheStore) {
    const Edit e = GetParam();
    test::Box b;
    ReadBack(*b.core);
    Set(*b.core, e.address, e.before);
    const auto before = Snapshot(*b.core);
    Set(*b.core, e.address, e.after);
    const auto after = Snapshot(*b.core);

    const auto diff = DiffSettings(*b.core, *before);
    ASSERT_FALSE(diff.empty());
    EXPECT_EQ(diff.front().setting->address, e.address);

    b.Clear();
    SendDifferences(*b.core, *before);
    EXPECT_EQ(Sent(*b.box), UserEdit(e, e.after, e.before)) << "undo";
    EXPECT_TRUE(DiffSettings(*b.core, *before).empty());

    b.Clear();
    SendDifferences(*b.core, *after);
    EXPECT_EQ(Sent(*b.box), UserEdit(e, e.before, e.after)) << "redo";

    // What the box now holds, read back, is the target's mode file.
    ReadBack(*b.core);
    EXPECT_EQ(EncodeModeFile(b.core->store), ReadBackAfter(e));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, StoreDiffEdit,
                         ::testing::Values(Edit{"mic.level", "10", "40"}, Edit{"mic.mute", "off", "on"},
                                           Edit{"mic.2.route", "A", "B"}, Edit{"music.pitch", "0", "-3"},
                                           Edit{"mica.reverb.predelay", "20", "150"}, Edit{"micb.shift", "off", "4Hz"},
                                           Edit{"eq.music.bypass", "off", "on"}, Edit{"eq.music.3.gain", "0", "-4.5"},
                                           Edit{"eq.main.2.freq", "1000", "250"}, Edit{"eq.rear.1.q", "1.41", "5"},
                                           Edit{"eq.mica.4.kind", "PEQ", "HS"}, Edit{"eq.sub.1.kind", "PEQ", "LP"},
                                           Edit{"main.mix.music", "50", "80"}, Edit{"main.comp.ratio", "2.0", "6.5"},
                                           Edit{"sub.comp.threshold", "-10", "-30"}, Edit{"delay.main.l", "5", "12.5"},
                                           Edit{"delay.rear.r.mode", "high", "whole"},
                                           Edit{"position.main.l.x", "-1", "-2.5"},
                                           Edit{"position.listener.y", "0", "1.5"}, Edit{"room.width", "8", "6"},
                                           Edit{"mic.phase.1", "normal", "inverted"}));

// Several settings of one encoder call go out in one call; a whole mode returns every setting.
TEST(StoreDiff, ARowAndACompressorGoOutOnceAndAModeComesBackWhole) {
    test::Box b;
    ReadBack(*b.core);
    const auto start = Snapshot(*b.core);
    Set(*b.core, "eq.music.2.freq", "400");
    Set(*b.core, "eq.music.2.gain", "6");
    Set(*b.core, "eq.music.2.q", "3");
    Set(*b.core, "top.comp.attack", "20");
    Set(*b.core, "top.comp.release", "300");
    Set(*b.core, "position.rear.l.y", "-2");
    Set(*b.core, "room.length", "9");
    const auto edited = Snapshot(*b.core);
    EXPECT_EQ(DiffSettings(*start, *edited).size(), 7u);

    b.Clear();
    const SendResult r = SendDifferences(*b.core, *start);
    EXPECT_EQ(r.settings, 7);
    EXPECT_EQ(r.unsent, 0);
    EXPECT_EQ(EncodeModeFile(b.core->store), EncodeModeFile(start->store));
    // The band (descriptor and coefficients), the compressor, the position block and one level.
    EXPECT_EQ(Sent(*b.box).size(), 2u + 1u + 1u + 2u);

    ReadBack(*b.core);
    EXPECT_EQ(EncodeModeFile(b.core->store), EncodeModeFile(start->store));
}

// A crossover row's alignment lives in its stage bands: a change of it alone is still found,
// and nothing else is listed with it.
TEST(StoreDiff, AnAlignmentChangeInTheStagesIsFound) {
    const auto a = MakeOfflineContext();
    Set(*a, "eq.sub.1.kind", "LP");
    Set(*a, "eq.sub.1.align", "Bessel 12dB");
    const auto b = Snapshot(*a);
    Set(*b, "eq.sub.1.align", "Bessel 24dB");
    std::vector<std::string> found;
    for (const SettingDifference& d : DiffSettings(*a, *b)) found.push_back(d.setting->address);
    EXPECT_NE(std::find(found.begin(), found.end(), "eq.sub.1.align"), found.end());
    for (const std::string& f : found) EXPECT_TRUE(f.starts_with("eq.sub.1.")) << f;
}

}  // namespace
}  // namespace kv
