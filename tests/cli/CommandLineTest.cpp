// Parsing of kv4420ctl's arguments and what a mode file's name tells about its slot.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/ModeFileTitle.h"
#include "model/Utf16.h"

namespace kv::cli {
namespace {

std::optional<CommandLine> Parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
    std::string error;
    auto line = CommandLine::Parse(args, error);
    if (errorOut) *errorOut = error;
    return line;
}

TEST(CtlCommandLine, CommandsWithTheirArgumentsAndDevice) {
    auto line = Parse({"--device", "unix:/tmp/box.sock", "mode", "reset", "4"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->device.kind, TransportUri::Kind::Unix);
    EXPECT_EQ(line->device.path, "/tmp/box.sock");
    EXPECT_EQ(line->command, CommandKind::ModeReset);
    EXPECT_EQ(line->slot, 3);

    line = Parse({"remote", "load", "keys.remo", "--device=sim"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->device.kind, TransportUri::Kind::Sim);
    EXPECT_EQ(line->command, CommandKind::RemoteLoad);
    EXPECT_EQ(line->path, "keys.remo");

    line = Parse({"dump"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->device.kind, TransportUri::Kind::Hid);

    // The path is everything after the first colon, colons included.
    line = Parse({"--device", "file:rooms/a:b.K4v9", "get", "reverb.level"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->device.kind, TransportUri::Kind::File);
    EXPECT_EQ(line->device.path, "rooms/a:b.K4v9");
    EXPECT_EQ(line->device.ToString(), "file:rooms/a:b.K4v9");
    EXPECT_FALSE(Parse({"--device", "file:", "list"}));
    std::string error;
    EXPECT_FALSE(Parse({"--device", "sim", "--device", "file:a.K4v9", "serve"}, &error));
    EXPECT_NE(error.find("not files"), std::string::npos) << error;
    // A file holds no slots and no key table: what went there would be lost.
    for (const std::vector<std::string>& words : {std::vector<std::string>{"mode", "save", "2"},
                                                  {"mode", "load", "1"},
                                                  {"mode", "reset", "4"},
                                                  {"remote", "load", "k.remo"},
                                                  {"remote", "save", "k.remo"}}) {
        std::vector<std::string> args{"--device", "file:a.K4v9"};
        args.insert(args.end(), words.begin(), words.end());
        EXPECT_FALSE(Parse(args, &error)) << words[0] << " " << words[1];
        EXPECT_NE(error.find("need a box"), std::string::npos) << error;
    }

    line = Parse({"info", "--help"});
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->help);
}

TEST(CtlCommandLine, LoadFileTakesClampBeforeOrAfterThePath) {
    for (const auto& args : {std::vector<std::string>{"load-file", "--clamp", "a.K4v9"},
                             std::vector<std::string>{"load-file", "a.K4v9", "--clamp"}}) {
        const auto line = Parse(args);
        ASSERT_TRUE(line) << ::testing::PrintToString(args);
        EXPECT_EQ(line->command, CommandKind::LoadFile);
        EXPECT_EQ(line->path, "a.K4v9");
        EXPECT_TRUE(line->clamp);
    }
    const auto plain = Parse({"load-file", "a.K4v9"});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->clamp);
}

TEST(CtlCommandLine, NonsenseIsRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad{
        {},
        {"frobnicate"},
        {"info", "extra"},
        {"save-file"},
        {"load-file", ""},
        {"mode", "load", "0"},
        {"mode", "load", "5"},
        {"mode", "load", "12"},
        {"mode", "erase", "1"},
        {"remote", "send", "x.remo"},
        {"--device", "usb", "info"},
        {"--device", "unix:", "info"},
        {"--device"},
        {"--frob", "info"},
        {"save-file", "--clamp", "x.K4v9"},  // only a file that is loaded is clamped
        {"remote", "load", "--clamp", "x.remo"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << "accepted: " << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty()) << ::testing::PrintToString(args);
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line only: " << error;
    }
}

// The commands on settings: what each row's words must fill in.
struct SettingWords {
    std::vector<std::string> args;
    CommandKind command;
    std::vector<std::string> items;
    bool json = false;
    std::string eq;
    std::string path;
};

class CtlSettingCommandLine : public ::testing::TestWithParam<SettingWords> {};

TEST_P(CtlSettingCommandLine, FillsItsFields) {
    const SettingWords& w = GetParam();
    std::string error;
    const auto line = Parse(w.args, &error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->command, w.command);
    EXPECT_EQ(line->items, w.items);
    EXPECT_EQ(line->json, w.json);
    EXPECT_EQ(line->eq, w.eq);
    EXPECT_EQ(line->path, w.path);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CtlSettingCommandLine,
    ::testing::Values(
        SettingWords{{"get", "music.eq.3.gain"}, CommandKind::Get, {"music.eq.3.gain"}, false, "", ""},
        SettingWords{{"get", "--json", "a", "b"}, CommandKind::Get, {"a", "b"}, true, "", ""},
        // Global options may sit among the addresses.
        SettingWords{{"get", "a", "--device", "sim", "b", "--json"}, CommandKind::Get, {"a", "b"}, true, "", ""},
        // Changes keep their order, a repeated address included.
        SettingWords{{"set", "a=1", "b=-2.5", "a=x=y"}, CommandKind::Set, {"a=1", "b=-2.5", "a=x=y"}, false, "", ""},
        SettingWords{{"list"}, CommandKind::List, {}, false, "", ""},
        SettingWords{{"--verbose", "list", "--json"}, CommandKind::List, {}, true, "", ""},
        SettingWords{{"eq", "export", "MUSIC", "out.txt"}, CommandKind::EqExport, {}, false, "MUSIC", "out.txt"},
        SettingWords{{"eq", "import", "main", "in.txt"}, CommandKind::EqImport, {}, false, "main", "in.txt"}));

TEST(CtlSettingCommandLineRefusals, NonsenseIsRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad{
        {"get"},
        {"get", "--json"},
        {"set"},
        {"set", "a"},
        {"set", "=1"},
        {"set", "a=1", "b"},
        {"set", "--json", "a=1"},
        {"list", "x"},
        {"info", "--json"},
        {"eq"},
        {"eq", "export", "MUSIC"},
        {"eq", "export", "MUSIC", "a", "b"},
        {"eq", "frob", "MUSIC", "a"},
        {"eq", "import", "MUSIC", ""},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << "accepted: " << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty()) << ::testing::PrintToString(args);
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line only: " << error;
    }
}

TEST(CtlModeFileTitle, TitleAndTargetSlot) {
    struct Case {
        std::string path;
        std::u16string title;
        std::optional<int> slot;
    };
    const std::vector<Case> cases{
        {"/x/m2 party.K4v9", u"m2 party", 1},
        {"m1.K4v8", u"m1", 0},
        {"dir.v2/m4", u"m4", 3},
        {"lumavox3 hall.K4v9", u"lumavox3 hall", 2},
        {"默认4.K4v9", u"默认4", 3},
        {"默认1备份.K4v9", u"默认1备份", 0},
        {"M1.K4v9", u"M1", std::nullopt},  // the prefixes are matched as written
        {"xm1.K4v9", u"xm1", std::nullopt},
        {"m5.K4v9", u"m5", std::nullopt},
        {"m.K4v9", u"m", std::nullopt},
        {"a.b.K4v9", u"a.b", std::nullopt},
        {"abcdefghijklmnopqrstuvwxy.K4v9", u"abcdefghijklmnopqrst", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto title = ModeFileTitle(c.path);
        EXPECT_EQ(Utf16ToUtf8(title), Utf16ToUtf8(c.title)) << c.path;
        EXPECT_EQ(TargetSlotOfTitle(title), c.slot) << c.path;
    }
    // A character outside the basic plane is never cut in half at the 20th unit.
    const std::string longName = std::string(19, 'a') + "\xF0\x9F\x8E\xB5" + "b.K4v9";
    EXPECT_EQ(ModeFileTitle(longName), std::u16string(19, u'a'));
}

}  // namespace
}  // namespace kv::cli
