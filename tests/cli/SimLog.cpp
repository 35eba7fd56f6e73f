#include "SimLog.h"

#include <fstream>

#include "device/Commands.h"

namespace kv::test {
namespace {

// The text value of "key":"..." in a line, or nothing.
bool StringValue(const std::string& line, const std::string& key, std::string& value) {
    const std::string marker = "\"" + key + "\":\"";
    const auto start = line.find(marker);
    if (start == std::string::npos) return false;
    const auto from = start + marker.size();
    const auto end = line.find('"', from);
    if (end == std::string::npos) return false;
    value = line.substr(from, end - from);
    return true;
}

}  // namespace

SimLog SimLog::Read(const std::string& path) {
    SimLog log;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::string value;
        if (StringValue(line, "violation", value)) {
            log.violations.push_back(value);
            continue;
        }
        std::string dir;
        std::string hex;
        if (!StringValue(line, "dir", dir) || !StringValue(line, "hex", hex)) {
            log.unreadable.push_back(line);
            continue;
        }
        LoggedReport r;
        r.toBox = dir == "in";
        for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
            r.bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        log.reports.push_back(std::move(r));
    }
    return log;
}

std::vector<LoggedReport> SimLog::ToBox() const {
    std::vector<LoggedReport> out;
    for (const auto& r : reports)
        if (r.toBox) out.push_back(r);
    return out;
}

std::vector<std::uint8_t> SimLog::CodesToBox() const {
    std::vector<std::uint8_t> out;
    for (const auto& r : reports)
        if (r.toBox) out.push_back(r.Code());
    return out;
}

bool ChangesTheBox(std::uint8_t code) {
    switch (code) {
        case cmd::kModeSelect:
        case cmd::kModeSave:
        case cmd::kModeLoad:
        case cmd::kModeReset:
        case cmd::kParamWrite:
        case cmd::kRemoteTableWrite:
        case cmd::kDeviceReset:
        case cmd::kMemoryWrite:
        case cmd::kSettingsWrite:
        case cmd::kModeNameWrite:
            return true;
        default:
            return false;
    }
}

}  // namespace kv::test
