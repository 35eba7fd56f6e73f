#pragma once
// A stand-in for the few hidapi functions the HID transport calls, so that its discovery
// and I/O rules can be tested without hardware. Tests describe the present interfaces.

#include <deque>
#include <string>
#include <vector>

#include "device/Report.h"

namespace fakehid {

struct Device {
    std::string path;
    unsigned short vendor = 0;
    unsigned short product = 0;
    bool openable = true;
    int openErrno = 0;  // errno a refused open leaves, e.g. EACCES
};

struct State {
    std::vector<Device> devices;
    std::vector<std::string> opened;  // paths opened, in order
    std::vector<std::string> closed;  // paths closed, in order
    std::vector<kv::Report> written;  // reports written to the open device
    std::deque<kv::Report> toRead;    // reports the device will deliver
    bool readFails = false;           // the device was unplugged
    int writeDelayMs = 0;             // how long the device takes to accept a report
    int enumerateCalls = 0;
};

State& Get();
void Reset();

}  // namespace fakehid
