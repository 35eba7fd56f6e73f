// Discovery and I/O rules of the HID transport, linked against a stand-in hidapi.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "device/Commands.h"
#include "device/HidTransport.h"
#include "tests/core/FakeHidapi.h"

namespace {

using fakehid::Device;

struct HidTransportTest : ::testing::Test {
    void SetUp() override { fakehid::Reset(); }
    std::vector<std::string> debug;
    kv::DebugOutput Collect() {
        return [this](const std::string& s) { debug.push_back(s); };
    }
};

TEST_F(HidTransportTest, WrongProductIsOpenedCheckedClosedAndSkipped) {
    auto& s = fakehid::Get();
    s.devices = {{"/dev/hidraw0", kv::kVendorId, 0x1000, true},
                 {"/dev/hidraw1", 0x1234, kv::kProductId, true},  // another vendor is never touched
                 {"/dev/HIDRAW2", kv::kVendorId, kv::kProductId, true}};
    auto t = kv::HidTransport::Discover(Collect());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Path(), "/dev/HIDRAW2");
    EXPECT_EQ(s.opened, (std::vector<std::string>{"/dev/hidraw0", "/dev/HIDRAW2"}));
    EXPECT_EQ(s.closed, (std::vector<std::string>{"/dev/hidraw0"}));
    EXPECT_EQ(debug.back(), "连接目标设备成功!");
    EXPECT_NE(std::find(debug.begin(), debug.end(), "设备路径:\r\n/dev/hidraw0"), debug.end());
}

TEST_F(HidTransportTest, AtMost32InterfacesAreExamined) {
    auto& s = fakehid::Get();
    for (int i = 0; i < 32; ++i) s.devices.push_back({"/dev/x" + std::to_string(i), kv::kVendorId, 0x0001, true});
    s.devices.push_back({"/dev/box", kv::kVendorId, kv::kProductId, true});  // the 33rd is never reached
    EXPECT_FALSE(kv::HidTransport::Discover(Collect()));
    EXPECT_EQ(s.opened.size(), 32u);
    EXPECT_EQ(s.closed.size(), 32u);
    EXPECT_EQ(debug.back(), "连接目标设备失败，没有找到目标设备");
}

TEST_F(HidTransportTest, UnopenableCandidateIsSkippedAndNoBoxFails) {
    auto& s = fakehid::Get();
    s.devices = {{"/dev/a", kv::kVendorId, kv::kProductId, false}};
    EXPECT_FALSE(kv::HidTransport::Discover(Collect()));
    EXPECT_NE(std::find(debug.begin(), debug.end(), "无法打开通信端口。不能读取设备信息!(设备连接可能不正确?)\n"),
              debug.end());
    EXPECT_NE(std::find(debug.begin(), debug.end(), "枚举usb设备出错,usb设备接口可能枚举完成了"), debug.end());

    fakehid::Reset();
    debug.clear();
    EXPECT_FALSE(kv::HidTransport::Discover(Collect()));
    EXPECT_TRUE(fakehid::Get().opened.empty());
}

TEST_F(HidTransportTest, ReadsAndWritesWholeReportsAndReportsFailure) {
    auto& s = fakehid::Get();
    s.devices = {{"/dev/box", kv::kVendorId, kv::kProductId, true}};
    auto t = kv::HidTransport::Discover({});
    ASSERT_TRUE(t);

    kv::Report out{};
    EXPECT_EQ(t->Read(out, 10), kv::Transport::ReadStatus::Timeout);
    kv::Report in{};
    in[1] = kv::cmd::kCurrentMode;
    in[2] = 3;
    s.toRead.push_back(in);
    EXPECT_EQ(t->Read(out, 10), kv::Transport::ReadStatus::Ok);
    EXPECT_EQ(out, in);

    const kv::Report cmd = kv::BuildCommand({kv::cmd::kCurrentMode});
    EXPECT_EQ(t->Write(cmd, 1800), kv::kReportSize);
    ASSERT_EQ(s.written.size(), 1u);
    EXPECT_EQ(s.written[0][0], kv::kReportNumber);
    EXPECT_EQ(s.written[0], cmd);

    // A report the device took longer than the bound to accept is not counted as written.
    s.writeDelayMs = 30;
    EXPECT_EQ(t->Write(cmd, 10), 0);
    EXPECT_EQ(t->Write(cmd, 1800), kv::kReportSize);
    s.writeDelayMs = 0;

    s.readFails = true;
    EXPECT_EQ(t->Read(out, 10), kv::Transport::ReadStatus::Failed);
    t.reset();
    EXPECT_EQ(s.closed, std::vector<std::string>{"/dev/box"});
}

// A box this user may not open is told apart from no box, so that the user hears of the udev
// rule rather than of a missing box.
struct DeniedCase {
    const char* name;
    std::vector<Device> devices;
    std::string denied;
};
class HidDeniedPath : public ::testing::TestWithParam<DeniedCase> {
protected:
    void SetUp() override { fakehid::Reset(); }
};
TEST_P(HidDeniedPath, NamesOnlyABoxRefusedForPermissions) {
    fakehid::Get().devices = GetParam().devices;
    EXPECT_FALSE(kv::HidTransport::Discover({}) && !GetParam().denied.empty());
    EXPECT_EQ(kv::HidTransport::DeniedPath(), GetParam().denied);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, HidDeniedPath,
    ::testing::Values(
        DeniedCase{"refused", {{"/dev/hidraw5", kv::kVendorId, kv::kProductId, false, EACCES}}, "/dev/hidraw5"},
        DeniedCase{"not permitted", {{"/dev/hidraw5", kv::kVendorId, kv::kProductId, false, EPERM}}, "/dev/hidraw5"},
        DeniedCase{"gone while opening", {{"/dev/no-such-node", kv::kVendorId, kv::kProductId, false, ENODEV}}, ""},
        DeniedCase{"another product refused", {{"/dev/hidraw1", kv::kVendorId, 0x1000, false, EACCES}}, ""},
        DeniedCase{"another interface opens",
                   {{"/dev/hidraw5", kv::kVendorId, kv::kProductId, false, EACCES},
                    {"/dev/hidraw6", kv::kVendorId, kv::kProductId, true, 0}},
                   ""},
        DeniedCase{"no box", {}, ""}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (c == ' ') c = '_';
        return n;
    });

}  // namespace
