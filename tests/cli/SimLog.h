#pragma once
// The simulator's log read back: every report in both directions and every violation.

#include <cstdint>
#include <string>
#include <vector>

namespace kv::test {

struct LoggedReport {
    bool toBox = false;
    std::vector<std::uint8_t> bytes;  // all 61 bytes; [1] is the command or reply code
    std::uint8_t Code() const { return bytes.size() > 1 ? bytes[1] : 0; }
};

struct SimLog {
    std::vector<LoggedReport> reports;
    std::vector<std::string> violations;
    std::vector<std::string> unreadable;  // lines that are neither, kept to fail loudly

    static SimLog Read(const std::string& path);
    // Only what the application sent, in order.
    std::vector<LoggedReport> ToBox() const;
    // Codes of what the application sent, in order.
    std::vector<std::uint8_t> CodesToBox() const;
    // The reports that changed the box, after the first `from` reports of the log.
    std::vector<std::vector<std::uint8_t>> ChangesAfter(std::size_t from) const;
};

// Commands that change something in the box.
bool ChangesTheBox(std::uint8_t code);

// Reports as hex, one a line and without their trailing zeros, so that a failed comparison
// shows which byte differs.
std::string HexLines(const std::vector<std::vector<std::uint8_t>>& reports);

}  // namespace kv::test
