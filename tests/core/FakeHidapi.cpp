#include "tests/core/FakeHidapi.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

struct hid_device_ {
    std::string path;
};

namespace fakehid {

State& Get() {
    static State state;
    return state;
}

void Reset() { Get() = State{}; }

}  // namespace fakehid

extern "C" {

int hid_init(void) { return 0; }

hid_device_info* hid_enumerate(unsigned short vendor, unsigned short product) {
    auto& s = fakehid::Get();
    ++s.enumerateCalls;
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const auto& d : s.devices) {
        if (vendor != 0 && d.vendor != vendor) continue;
        if (product != 0 && d.product != product) continue;
        auto* info = new hid_device_info{};
        info->path = strdup(d.path.c_str());
        info->vendor_id = d.vendor;
        info->product_id = d.product;
        *tail = info;
        tail = &info->next;
    }
    return head;
}

void hid_free_enumeration(hid_device_info* devs) {
    while (devs) {
        hid_device_info* next = devs->next;
        free(devs->path);
        delete devs;
        devs = next;
    }
}

hid_device* hid_open_path(const char* path) {
    auto& s = fakehid::Get();
    auto it = std::find_if(s.devices.begin(), s.devices.end(), [&](const auto& d) { return d.path == path; });
    if (it == s.devices.end()) return nullptr;
    if (!it->openable) {
        errno = it->openErrno;
        return nullptr;
    }
    s.opened.push_back(path);
    return new hid_device_{path};
}

void hid_close(hid_device* dev) {
    fakehid::Get().closed.push_back(dev->path);
    delete dev;
}

int hid_write(hid_device*, const unsigned char* data, size_t length) {
    auto& s = fakehid::Get();
    kv::Report r{};
    std::memcpy(r.data(), data, std::min(length, r.size()));
    s.written.push_back(r);
    std::this_thread::sleep_for(std::chrono::milliseconds(s.writeDelayMs));
    return static_cast<int>(length);
}

int hid_read_timeout(hid_device*, unsigned char* data, size_t length, int) {
    auto& s = fakehid::Get();
    if (s.readFails) return -1;
    if (s.toRead.empty()) return 0;
    const kv::Report r = s.toRead.front();
    s.toRead.pop_front();
    std::memcpy(data, r.data(), std::min(length, r.size()));
    return static_cast<int>(std::min(length, r.size()));
}

}  // extern "C"
