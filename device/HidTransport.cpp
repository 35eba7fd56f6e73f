#include "device/HidTransport.h"

#include <hidapi/hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>

#include "device/Commands.h"

namespace kv {
namespace {

void Emit(const DebugOutput& debug, const std::string& text) {
    if (debug) debug(text);
}

std::mutex g_deniedMutex;
std::string g_denied;

void NoteDenied(const std::string& path) {
    std::lock_guard lock(g_deniedMutex);
    g_denied = path;
}

// Whether a failed open was refused for permissions: the open's own error, or the node's
// access rights (the library may have called other functions since).
bool PermissionRefused(int openErrno, const char* path) {
    if (openErrno == EACCES || openErrno == EPERM) return true;
    return ::access(path, R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
}

}  // namespace

HidTransport::~HidTransport() {
    if (m_device) hid_close(m_device);
}

std::unique_ptr<HidTransport> HidTransport::Discover(const DebugOutput& debug) {
    if (hid_init() != 0) {
        Emit(debug, "获取Hid设备信息失败");
        return nullptr;
    }
    // Every interface of our vendor is a candidate; one with another product identifier
    // is opened, found wrong and skipped, as the box's firmware variants require.
    NoteDenied({});
    hid_device_info* list = hid_enumerate(kVendorId, 0);
    Emit(debug, "开始枚举usb设备");
    std::unique_ptr<HidTransport> found;
    int index = 0;
    for (hid_device_info* info = list; info && index < kMaxInterfaces; info = info->next, ++index) {
        Emit(debug, "枚举usb设备成功");
        if (!info->path) {
            Emit(debug, "查找设备路径时出错!");
            continue;
        }
        std::string path = info->path;
        if (path.size() > 260) path.resize(260);
        Emit(debug, "设备路径:\r\n" + path);
        Emit(debug, "尝试打开通信端口....");
        errno = 0;
        hid_device* dev = hid_open_path(info->path);
        if (!dev) {
            const int openErrno = errno;
            if (info->vendor_id == kVendorId && info->product_id == kProductId &&
                PermissionRefused(openErrno, info->path))
                NoteDenied(path);
            Emit(debug, "无法打开通信端口。不能读取设备信息!(设备连接可能不正确?)\n");
            continue;
        }
        Emit(debug, "打开通信端口成功!\n");
        Emit(debug, "正在读取设备的标识...\n");
        if (info->vendor_id == kVendorId && info->product_id == kProductId) {
            found.reset(new HidTransport(dev, path));
            NoteDenied({});  // another interface of the box opened
            break;
        }
        hid_close(dev);
    }
    if (!found && index < kMaxInterfaces) Emit(debug, "枚举usb设备出错,usb设备接口可能枚举完成了");
    hid_free_enumeration(list);
    Emit(debug, found ? "连接目标设备成功!" : "连接目标设备失败，没有找到目标设备");
    return found;
}

Transport::ReadStatus HidTransport::Read(Report& out, int timeoutMs) {
    out.fill(0);
    const int n = hid_read_timeout(m_device, out.data(), out.size(), timeoutMs);
    if (n < 0) return ReadStatus::Failed;
    if (n == 0) return ReadStatus::Timeout;
    return ReadStatus::Ok;
}

// hidraw cannot be interrupted in a write; the kernel gives up on a USB transfer after
// five seconds. A report the box took longer than the bound to accept counts as not
// written all the same, so a box that stalls fails the link after one slow write.
int HidTransport::Write(const Report& report, int timeoutMs) {
    const auto start = std::chrono::steady_clock::now();
    const int n = hid_write(m_device, report.data(), report.size());
    if (n < 0) return 0;
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) return 0;
    return n;
}

std::string HidTransport::DeniedPath() {
    std::lock_guard lock(g_deniedMutex);
    return g_denied;
}

TransportOpener MakeHidOpener() {
    return [](const DebugOutput& debug) -> std::unique_ptr<Transport> { return HidTransport::Discover(debug); };
}

}  // namespace kv
