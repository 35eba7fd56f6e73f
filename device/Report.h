#pragma once
// Building and reading the 61-byte reports.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "device/Commands.h"

namespace kv {

using Report = std::array<std::uint8_t, kReportSize>;

// One 4-byte value of a parameter command: an IEEE single or a 32-bit integer.
struct ParamValue {
    std::uint32_t bits = 0;
    static ParamValue FromFloat(float v);
    static ParamValue FromInt(std::int32_t v);
};

// Report number 0x02 followed by up to 60 command bytes; longer lists are cut.
Report BuildCommand(std::span<const std::uint8_t> bytes);
Report BuildCommand(std::initializer_list<std::uint8_t> bytes);
// Parameter write 0x09: module, parameter, 1..7 values (more are cut at 7).
Report BuildParamWrite(int module, int parameter, std::span<const ParamValue> values);
// Parameter read request 0x0A.
Report BuildParamRead(int module, int parameter, int count);
// Memory write 0x85: offset, 1..56 data bytes (more are cut at 56).
Report BuildMemoryWrite(int offset, std::span<const std::uint8_t> data);
// Memory read request 0x86.
Report BuildMemoryRead(int offset, int length);

// Text of an identity reply: bytes from 2 up to the first zero, at most maxChars.
std::string ReplyText(const Report& r, std::size_t maxChars);

// Hex dump "02 09 00 ..." used by debug output and transcripts.
std::string ToHex(std::span<const std::uint8_t> bytes);

}  // namespace kv
