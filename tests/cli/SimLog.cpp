#include "SimLog.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "device/Commands.h"

namespace kv::test {
SimLog SimLog::Read(const std::string& path) {
    SimLog log;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        // Strict, so a line that is not valid JSON (or not UTF-8) is kept as unreadable.
        const auto j = nlohmann::json::parse(line, nullptr, false);
        if (j.is_object() && j.contains("violation") && j["violation"].is_string()) {
            log.violations.push_back(j["violation"].get<std::string>());
            continue;
        }
        if (!j.is_object() || !j.contains("dir") || !j["dir"].is_string() || !j.contains("hex") ||
            !j["hex"].is_string()) {
            log.unreadable.push_back(line);
            continue;
        }
        LoggedReport r;
        r.toBox = j["dir"] == "in";
        const std::string hex = j["hex"].get<std::string>();
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

std::vector<std::vector<std::uint8_t>> SimLog::ChangesAfter(std::size_t from) const {
    std::vector<std::vector<std::uint8_t>> changes;
    for (std::size_t i = from; i < reports.size(); ++i)
        if (reports[i].toBox && ChangesTheBox(reports[i].Code())) changes.push_back(reports[i].bytes);
    return changes;
}

std::string HexLines(const std::vector<std::vector<std::uint8_t>>& reports) {
    std::ostringstream s;
    for (const auto& r : reports) {
        std::size_t n = r.size();
        while (n > 2 && r[n - 1] == 0) --n;
        for (std::size_t i = 0; i < n; ++i) s << std::hex << int(r[i]) << ' ';
        s << '\n';
    }
    return s.str();
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
