// kv4420ctl get, set, list and eq against kv4420-sim, both as real processes. What a set
// sends is compared with what the control's own encoder call sends to an in-process box that
// was read back the same way; what it sets reads back; what is refused changes nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "Process.h"
#include "SimLog.h"
#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"
#include "tests/common/TypedRows.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The changes that reached the box after the first `from` reports of its log.
std::vector<Bytes> ChangesSince(const SimProcess& sim, std::size_t from) {
    return SimLog::Read(sim.LogPath()).ChangesAfter(from);
}
std::size_t Logged(const SimProcess& sim) { return SimLog::Read(sim.LogPath()).reports.size(); }

// An in-process box read back as kv4420ctl reads kv4420-sim; the changes a call sends to it.
std::vector<Bytes> ChangesOnThisThread(const std::function<void(DeviceContext&)>& change) {
    auto box = std::make_shared<SimBox>();
    DeviceContext dev(MakeSimOpener(box), LinkTimings{2000, 500, 5}, SyncTimings{0, 0, 0, 0}, EncoderTimings{0, 0});
    EXPECT_TRUE(dev.link.Open());
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    dev.sync.StartReadBack([&](int) {
        std::lock_guard lock(m);
        done = true;
        cv.notify_all();
    });
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return done; });
    }
    dev.sync.Wait();
    box->ClearTranscript();
    change(dev);
    std::vector<Bytes> changes;
    for (const auto& e : box->Transcript())
        if (e.direction == SimBox::Direction::ToBox && ChangesTheBox(e.report[1]))
            changes.emplace_back(e.report.begin(), e.report.end());
    dev.link.Close(false);
    return changes;
}

// QProcess starts its children with vfork, and ThreadSanitizer loses track of the locks of
// a thread that did; the in-process box is therefore driven from a thread that never did.
std::vector<Bytes> ChangesOf(const std::function<void(DeviceContext&)>& change) {
    std::vector<Bytes> changes;
    std::thread([&] { changes = ChangesOnThisThread(change); }).join();
    return changes;
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.Ready()) << sim.StartupError(); }
    TempFolder folder;
    SimProcess sim{folder.Path()};
};

// ---- set sends the control's bytes, get reads them back ----

struct SetCase {
    const char* name;
    std::vector<std::string> items;  // as get prints them
    std::function<void(DeviceContext&)> control;
};

void Field(DeviceContext& d, int field, int v) {
    d.store.SetInt(field, v);
    d.encoders.SendField(field);
}

const SetCase kSetCases[] = {
    {"MicLevel", {"mic.level=40"}, [](DeviceContext& d) { d.encoders.MicLevel(40); }},
    {"MusicLevel", {"music.level=35"}, [](DeviceContext& d) { Field(d, fld::kMusicVolume, 35); }},
    {"MicMute", {"mic.mute=on"}, [](DeviceContext& d) { d.encoders.MicMute(1); }},
    {"MusicMute", {"music.mute=on"}, [](DeviceContext& d) { d.encoders.MusicMute(1); }},
    {"EchoMute", {"echo.mute=on"}, [](DeviceContext& d) { Field(d, fld::kEchoMute, 1); }},
    {"SourceOn", {"aux2.on=on"}, [](DeviceContext& d) { Field(d, fld::kAux2On, 100); }},
    {"InputLevel", {"spdif.level=55"}, [](DeviceContext& d) { Field(d, fld::kSpdifVolume, 55); }},
    {"Pitch", {"music.pitch=-3"}, [](DeviceContext& d) { d.encoders.MusicPitch(-3); }},
    {"GateTime", {"music.gate.attack=30"}, [](DeviceContext& d) { Field(d, fld::kMusicGateOpen, 71); }},
    {"Agc", {"music.agc=on"}, [](DeviceContext& d) { d.encoders.MusicAgc(1); }},
    {"AgcLevel", {"music.agc.level=-2.5dB"}, [](DeviceContext& d) { d.encoders.MusicAgcLevel(-14.5f); }},
    {"AutoSub",
     {"autosub=on", "autosub.ratio=40%"},
     [](DeviceContext& d) {
         Field(d, fld::kAutoSubEnabled, 1);
         Field(d, fld::kAutoSubRatio, 40);
     }},
    {"MicInput", {"mic.4.level=70"}, [](DeviceContext& d) { Field(d, fld::kMicInputVolume1 + 3, 70); }},
    {"EchoTime", {"mica.echo.time=200ms"}, [](DeviceContext& d) { d.encoders.EchoTime(0, 200); }},
    {"Threshold",
     {"main.comp.threshold=-20dB"},
     [](DeviceContext& d) {
         const auto& o = fld::kMain;
         d.encoders.Compressor(o, -20.0f, d.store.Float(o.compRatio()), std::trunc(d.store.Float(o.compAttack())),
                               std::trunc(d.store.Float(o.compRelease())));
     }},
    {"Delay", {"delay.center=7.5ms"}, [](DeviceContext& d) { d.encoders.OutputDelay(fld::kCenter, 0, 7.5); }},
    {"DelayMode", {"delay.rear.r.mode=whole"}, [](DeviceContext& d) { d.encoders.DelayMode(fld::kRear, 1, 1); }},
    {"EqBypass", {"eq.top.bypass=on"}, [](DeviceContext& d) { d.encoders.EqBypass(EqId::Top, 1); }},
    {"BandGain",
     {"eq.music.3.gain=-3.5dB"},
     [](DeviceContext& d) {
         const BandDescriptor b = d.encoders.ReadBand(EqId::Music, 2);
         d.encoders.EqBand(EqId::Music, 2, b.code, static_cast<float>(-3.5), b.frequencyHz, static_cast<float>(b.q));
     }},
    {"BandKind",
     {"eq.rear.5.kind=HP"},
     [](DeviceContext& d) {
         const BandDescriptor b = d.encoders.ReadBand(EqId::Rear, 4);
         d.encoders.EqBand(EqId::Rear, 4, 3, 0.0, b.frequencyHz, 0.7f);
     }},
    {"RoomLength",
     {"room.length=5m"},
     [](DeviceContext& d) {
         d.store.SetInt(22, 5);
         d.encoders.WriteSpeakerPositions();
     }},
    {"InOrder",
     {"main.mute=on", "rear.mute=on", "main.mute=off"},
     [](DeviceContext& d) {
         Field(d, fld::kMain.mute(), 1);
         Field(d, fld::kRear.mute(), 1);
         Field(d, fld::kMain.mute(), 0);
     }},
};

class SetSends : public SimTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetSends, TheControlsBytesAndReadsBack) {
    const SetCase& c = GetParam();
    const std::size_t before = Logged(sim);
    std::vector<std::string> args{"set"};
    args.insert(args.end(), c.items.begin(), c.items.end());
    const ProcessResult set = Ctl(sim.Uri(), args);
    ASSERT_EQ(set.exitCode, 0) << Describe(set);
    EXPECT_TRUE(set.out.empty());
    EXPECT_EQ(HexLines(ChangesSince(sim, before)), HexLines(ChangesOf(c.control)));

    // The last value of each address is what reads back.
    std::vector<std::string> addresses{"get"};
    std::map<std::string, std::string> last;
    for (const std::string& item : c.items) {
        const std::string address = item.substr(0, item.find('='));
        if (!last.count(address)) addresses.push_back(address);
        last[address] = item;
    }
    std::string expected;
    for (std::size_t i = 1; i < addresses.size(); ++i) expected += last[addresses[i]] + "\n";
    const ProcessResult get = Ctl(sim.Uri(), addresses);
    ASSERT_EQ(get.exitCode, 0) << Describe(get);
    EXPECT_EQ(get.out, expected);
}

INSTANTIATE_TEST_SUITE_P(Addresses, SetSends, ::testing::ValuesIn(kSetCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- refused: status 2, one line naming the address and its range, nothing changed ----

struct Refusal {
    const char* name;
    std::vector<std::string> args;
    const char* mentions;
    bool afterReadBack;  // the box's own limits are known only once it was read back
};

const Refusal kRefusals[] = {
    {"AboveRange", {"set", "music.level=100"}, "music.level: \"100\" is not one of its values (0..99)", false},
    {"WrongUnit", {"set", "music.level=40dB"}, "music.level", false},
    {"NotASwitchValue", {"set", "main.mute=1"}, "(on or off)", false},
    {"MoreDecimals", {"set", "delay.main.l=3.55ms"}, "(1.5ms..100.0ms)", false},
    {"OffTheStep", {"set", "delay.main.l.crossover=1250Hz"}, "in steps of 100Hz", false},
    {"UnknownAddress", {"set", "eq.music.16.gain=1dB"}, "unknown setting \"eq.music.16.gain\"", false},
    {"UnknownInGet", {"get", "music.level", "music.volume"}, "unknown setting \"music.volume\"", false},
    {"LaterItemBad", {"set", "main.mute=on", "rear.mute=yes"}, "rear.mute", false},
    {"NoGainOnHighPass", {"set", "eq.main.5.kind=HP", "eq.main.5.gain=3.0dB"}, "eq.main.5.gain", true},
    {"OutsideTheRoom", {"set", "room.width=4m", "position.rear.l.x=2.5m"}, "-2.0m..2.0m", true},
    {"CrossoverWhileOff", {"set", "delay.sub.on=off", "delay.sub.crossover=800Hz"}, "delay.sub.crossover", true},
    {"ModeWhileOff", {"set", "delay.rear.l.on=off", "delay.rear.l.mode=whole"}, "only while the delay is on", true},
    {"NoSuchEqualiser", {"eq", "export", "bass", "x.txt"}, "unknown equaliser \"bass\"", false},
};

class Refused : public SimTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refused, BeforeAnythingChanges) {
    const Refusal& c = GetParam();
    const std::size_t before = Logged(sim);
    const ProcessResult r = Ctl(sim.Uri(), c.args);
    EXPECT_EQ(r.exitCode, 2) << Describe(r);
    EXPECT_TRUE(r.out.empty()) << Describe(r);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
    EXPECT_TRUE(ChangesSince(sim, before).empty());
    // Only the box's own limits need its read-back; the rest never opens the link.
    EXPECT_EQ(Logged(sim) > before, c.afterReadBack);
}

INSTANTIATE_TEST_SUITE_P(Values, Refused, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- each master level within its own maximum of the box's settings ----

struct LevelLimit {
    const char* name;
    const char* item;
    bool taken;
};
// The box allows the microphone up to 40 and music up to 70: each level is held to its own.
const LevelLimit kLevelLimits[] = {
    {"MicBelow", "mic.level=39", true},      {"MicAt", "mic.level=40", true},
    {"MicAbove", "mic.level=41", false},     {"MicAtMusicMax", "mic.level=70", false},
    {"MusicBelow", "music.level=69", true},  {"MusicAt", "music.level=70", true},
    {"MusicAbove", "music.level=71", false}, {"MusicAtMicMax", "music.level=41", true},
};
class LevelWithinItsMaximum : public SimTest, public ::testing::WithParamInterface<LevelLimit> {};
TEST_P(LevelWithinItsMaximum, OnTheCommandLine) {
    const LevelLimit& c = GetParam();
    ASSERT_EQ(Ctl(sim.Uri(), {"set", "settings.mic.max=40", "settings.music.max=70"}).exitCode, 0);
    const std::size_t before = Logged(sim);
    const ProcessResult r = Ctl(sim.Uri(), {"set", c.item});
    const std::string address = std::string(c.item).substr(0, std::string(c.item).find('='));
    if (!c.taken) {
        EXPECT_EQ(r.exitCode, 2) << Describe(r);
        EXPECT_NE(r.err.find(address == "mic.level" ? "at most 40" : "at most 70"), std::string::npos) << r.err;
        EXPECT_TRUE(ChangesSince(sim, before).empty());
        return;
    }
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    EXPECT_EQ(Ctl(sim.Uri(), {"get", address}).out, std::string(c.item) + "\n");
}
INSTANTIATE_TEST_SUITE_P(Levels, LevelWithinItsMaximum, ::testing::ValuesIn(kLevelLimits),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- typed values: set reads them as the pages' boxes do ----

class TypedSet : public SimTest, public ::testing::WithParamInterface<TypedRow> {};

TEST_P(TypedSet, TakesWhatABoxTakesAndRefusesTheRest) {
    const TypedRow& row = GetParam();
    const std::string address = row.address;
    const std::size_t before = Logged(sim);
    const ProcessResult set = Ctl(sim.Uri(), {"set", address + "=" + row.typed});
    if (*row.refused) {
        EXPECT_EQ(set.exitCode, 2) << Describe(set);
        EXPECT_NE(set.err.find(address + ": \"" + row.typed + "\""), std::string::npos) << set.err;
        EXPECT_NE(set.err.find(row.refused), std::string::npos) << set.err;
        EXPECT_EQ(Logged(sim), before);  // refused before the link is opened
        return;
    }
    ASSERT_EQ(set.exitCode, 0) << Describe(set);
    const Setting* s = FindSetting(address);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(HexLines(ChangesSince(sim, before)),
              HexLines(ChangesOf([&](DeviceContext& d) { s->apply(d, row.value); })));
    const ProcessResult get = Ctl(sim.Uri(), {"get", address});
    EXPECT_EQ(get.out, address + "=" + row.shown + "\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, TypedSet, ::testing::ValuesIn(TypedRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- list ----

TEST(List, NamesEveryEqualiserBandAndItsRange) {
    const ProcessResult r = RunProcess({KV_CTL_PATH, "list"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    for (const char* line : {"eq.main.24.q  0.10..30.00 for PEQ", "eq.sub.5.align  one of",
                             "eq.reverbb.7.freq  20Hz..20000Hz", "main.comp.ratio  1.0:1..30.0:1",
                             "delay.top.r.crossover  500Hz..3000Hz in steps of 100Hz", "music.agc.level  -6.0dB..6.0dB",
                             "mic.level  0..99", "eq.top.bypass  on or off  -- on bypasses the TOP output equaliser"})
        EXPECT_NE(("\n" + r.out).find(std::string("\n") + line), std::string::npos) << line;
    // Each line tells what its address moves.
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("  -- ");
        EXPECT_TRUE(at != std::string::npos && line.size() > at + 8) << line;
    }
    EXPECT_EQ(r.out.find("eq.main.25."), std::string::npos);
    EXPECT_EQ(r.out.find("eq.sub.6."), std::string::npos);
}

// ---- equaliser filter files ----

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SimTest, HandWrittenFilterFileImportsAsWritten) {
    const std::string file = std::string(KV_TEST_DATA_DIR) + "/room-correction.txt";
    const ProcessResult r = Ctl(sim.Uri(), {"eq", "import", "main", file});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    // Both shelves were given by slope: taken as closely as a section allows, and said so.
    EXPECT_NE(r.err.find("line 12"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 13"), std::string::npos) << r.err;
    std::vector<std::string> get{"get"};
    for (int b = 1; b <= 7; ++b)
        for (const char* v : {"kind", "freq", "gain", "q"}) get.push_back("eq.main." + std::to_string(b) + "." + v);
    const ProcessResult g = Ctl(sim.Uri(), get);
    ASSERT_EQ(g.exitCode, 0) << Describe(g);
    // The box keeps whole hertz, tenths of a dB and thousandths of Q.
    const std::string want[7][4] = {{"PEQ", "41Hz", "-6.5dB", "4.20"},
                                    {"PEQ", "63Hz", "-3.0dB", "2.50"},
                                    {"LS", "120Hz", "2.0dB", "0.71"},
                                    {"HS", "8000Hz", "-1.5dB", "0.71"},
                                    {"OFF", "", "", ""},
                                    {"HP", "25Hz", "0.0dB", "0.71"},
                                    {"OFF", "", "", ""}};
    std::istringstream lines(g.out);
    for (int b = 0; b < 7; ++b)
        for (int v = 0; v < 4; ++v) {
            std::string line;
            std::getline(lines, line);
            if (want[b][v].empty()) continue;
            EXPECT_EQ(line.substr(line.find('=') + 1), want[b][v]) << line;
        }
}

TEST_F(SimTest, ExportedFileGivesAnotherBoxTheSameBytes) {
    const std::string file = std::string(KV_TEST_DATA_DIR) + "/room-correction.txt";
    ASSERT_EQ(Ctl(sim.Uri(), {"eq", "import", "micb", file}).exitCode, 0);
    ASSERT_EQ(Ctl(sim.Uri(),
                  {"set", "eq.micb.9.kind=PEQ", "eq.micb.9.gain=-0.3dB", "eq.micb.9.q=1.41", "eq.micb.9.freq=1234Hz"})
                  .exitCode,
              0);
    const std::string exported = folder.File("micb.txt");
    const ProcessResult e = Ctl(sim.Uri(), {"eq", "export", "micb", exported});
    ASSERT_EQ(e.exitCode, 0) << Describe(e);
    // The same box takes its own file back unchanged, and gives its bytes for it.
    std::size_t before = Logged(sim);
    ASSERT_EQ(Ctl(sim.Uri(), {"eq", "import", "micb", exported}).exitCode, 0);
    const auto first = ChangesSince(sim, before);
    ASSERT_EQ(first.size(), 2u * 15);  // a descriptor and the coefficients of every band

    TempFolder otherFolder;
    SimProcess other(otherFolder.Path());
    ASSERT_TRUE(other.Ready());
    before = Logged(other);
    ASSERT_EQ(Ctl(other.Uri(), {"eq", "import", "micb", exported}).exitCode, 0);
    EXPECT_EQ(HexLines(ChangesSince(other, before)), HexLines(first));
    const std::string again = otherFolder.File("again.txt");
    ASSERT_EQ(Ctl(other.Uri(), {"eq", "export", "micb", again}).exitCode, 0);
    EXPECT_EQ(ReadText(again), ReadText(exported));
}

// A file at the box's resolution: the box takes each value as written, exports it as
// written, and a fresh box given the export receives the first box's bytes.
TEST_F(SimTest, ExportIsWrittenAtTheBoxsResolution) {
    const std::string path = folder.File("measured.txt");
    const char* const lines[] = {
        "Filter 1: ON PK Fc 41 Hz Gain -5.2 dB Q 4.100",   "Filter 2: ON PK Fc 63 Hz Gain -3.7 dB Q 2.030",
        "Filter 3: ON PK Fc 1234 Hz Gain 0.3 dB Q 1.410",  "Filter 4: ON LS Fc 120 Hz Gain 2.1 dB Q 0.710",
        "Filter 5: ON HS Fc 8000 Hz Gain -1.1 dB Q 0.330", "Filter 6: ON PK Fc 333 Hz Gain -14.9 dB Q 7.770",
        "Filter 7: ON PK Fc 5000 Hz Gain 4.4 dB Q 0.290"};
    {
        std::ofstream out(path);
        out << "Filter Settings file\n\n";
        for (const char* l : lines) out << l << "\n";
    }
    std::size_t before = Logged(sim);
    ASSERT_EQ(Ctl(sim.Uri(), {"eq", "import", "top", path}).exitCode, 0);
    const auto first = ChangesSince(sim, before);
    const std::string exported = folder.File("top.txt");
    ASSERT_EQ(Ctl(sim.Uri(), {"eq", "export", "top", exported}).exitCode, 0);
    const std::string text = ReadText(exported);
    for (const char* l : lines) EXPECT_NE(text.find(std::string(l) + "\n"), std::string::npos) << l << "\n" << text;

    TempFolder otherFolder;
    SimProcess other(otherFolder.Path());
    ASSERT_TRUE(other.Ready());
    before = Logged(other);
    ASSERT_EQ(Ctl(other.Uri(), {"eq", "import", "top", exported}).exitCode, 0);
    EXPECT_EQ(HexLines(ChangesSince(other, before)), HexLines(first));
}

// What the tools write that the box cannot follow as written is taken as closely as it can,
// and said on the command line; a type the box does not have still refuses the file.
TEST_F(SimTest, FilterImportSaysWhatItTookOtherwise) {
    const std::string path = folder.File("headphone.txt");
    {
        std::ofstream out(path);
        out << "Preamp: -6.4 dB\n"
               "Filter 1: ON LSC Fc 17 Hz Gain 5,5 dB Q 0,71\n"
               "Filter 2: ON PK Fc 2400 Hz Gain -3,5 dB Q 2,00\n";
    }
    const ProcessResult r = Ctl(sim.Uri(), {"eq", "import", "music", path});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    EXPECT_NE(r.err.find("line 1: the equaliser has no preamp"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("lower the channel's volume by 6.4 dB"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 2: Fc 17 Hz"), std::string::npos) << r.err;
    const ProcessResult g =
        Ctl(sim.Uri(), {"get", "eq.music.1.freq", "eq.music.1.gain", "eq.music.2.gain", "eq.music.2.q"});
    ASSERT_EQ(g.exitCode, 0) << Describe(g);
    EXPECT_EQ(g.out, "eq.music.1.freq=20Hz\neq.music.1.gain=5.5dB\neq.music.2.gain=-3.5dB\neq.music.2.q=2.00\n");

    const std::string bad = folder.File("unknown.txt");
    std::ofstream(bad) << "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON NOTCH Fc 100 Hz\n";
    const std::size_t before = Logged(sim);
    const ProcessResult u = Ctl(sim.Uri(), {"eq", "import", "music", bad});
    EXPECT_EQ(u.exitCode, 4) << Describe(u);
    EXPECT_NE(u.err.find("line 2"), std::string::npos) << u.err;
    EXPECT_EQ(Logged(sim), before);
}

TEST_F(SimTest, FilterFileThatDoesNotFitChangesNothing) {
    const std::string path = folder.File("too-many.txt");
    {
        std::ofstream out(path);
        for (int i = 1; i <= 8; ++i) out << "Filter " << i << ": ON PK Fc 100 Hz Gain -1.0 dB Q 1.00\n";
    }
    const std::size_t before = Logged(sim);
    const ProcessResult r = Ctl(sim.Uri(), {"eq", "import", "echoa", path});  // seven bands
    EXPECT_EQ(r.exitCode, 4) << Describe(r);
    EXPECT_NE(r.err.find("line 8"), std::string::npos) << r.err;
    EXPECT_EQ(Logged(sim), before);
    const ProcessResult sub = Ctl(sim.Uri(), {"eq", "import", "sub", path});
    EXPECT_EQ(sub.exitCode, 2) << Describe(sub);
    EXPECT_EQ(Logged(sim), before);
}

// ---- align --apply sends what the delay page's edits send ----

// Default room: corners 1.414 m, Center and SUB 1 m, TOP 0.5 m from the listener, at 20 C.
TEST_F(SimTest, AlignApplySendsTheDelayPagesEdits) {
    const std::size_t before = Logged(sim);
    ASSERT_EQ(Ctl(sim.Uri(), {"set", "delay.sub.on=off", "delay.main.l=1.5"}).exitCode, 0);
    const ProcessResult r = Ctl(sim.Uri(), {"align", "--apply", "--json"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    const auto expected = ChangesOf([](DeviceContext& d) {
        FindSetting("delay.sub.on")->apply(d, 0);
        FindSetting("delay.main.l")->apply(d, 1.5);
        const std::pair<const char*, double> rows[] = {{"main.l", 1.5}, {"center", 2.7}, {"main.r", 1.5},
                                                       {"rear.l", 1.5}, {"sub", 2.7},    {"rear.r", 1.5},
                                                       {"top.l", 4.2},  {"top.r", 4.2}};
        // The delay typed (an unchanged one sends nothing), then a switch that is off clicked on.
        for (const auto& [name, ms] : rows) {
            FindSetting(std::string("delay.") + name)->apply(d, ms);
            if (std::string(name) == "sub") FindSetting("delay.sub.on")->apply(d, 1);
        }
    });
    EXPECT_EQ(HexLines(ChangesSince(sim, before)), HexLines(expected));
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_DOUBLE_EQ(json["speakers"][6]["proposed_ms"].get<double>(), 4.2);
    EXPECT_FALSE(json["speakers"][4]["delay_on"].get<bool>());
    const ProcessResult get = Ctl(sim.Uri(), {"get", "delay.top.l", "delay.sub.on"});
    EXPECT_EQ(get.out, "delay.top.l=4.2ms\ndelay.sub.on=on\n");
}

TEST_F(SimTest, AlignWithoutApplyChangesNothing) {
    const std::size_t before = Logged(sim);
    const ProcessResult r = Ctl(sim.Uri(), {"align", "--temperature", "0"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    EXPECT_NE(r.out.find("top.l"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("4.3ms"), std::string::npos) << r.out;  // slower sound at 0 C
    EXPECT_TRUE(ChangesSince(sim, before).empty());
}

}  // namespace
}  // namespace kv::test
