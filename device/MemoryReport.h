#pragma once
// The bytes of a memory or mode-name write, read request or read reply, by name: the
// big-endian offset in bytes 2 and 3, the length in byte 4 and the data after it. The report
// builder, the inbound parser and the simulated box all go through it.

#include <algorithm>
#include <cstdint>

#include "device/Report.h"
#include "model/Bytes.h"

namespace kv {

class MemoryReport {
public:
    static constexpr int kOffsetByte = 2;
    static constexpr int kLengthByte = 4;
    static constexpr int kDataByte = kMemoryDataOffset;
    static constexpr int kDataCapacity = kReportSize - kMemoryDataOffset;

    explicit MemoryReport(const Report& bytes) : m_bytes(bytes) {}
    // An outbound header: report number, code, offset and length.
    MemoryReport(std::uint8_t code, int offset, int length) {
        m_bytes[0] = kReportNumber;
        m_bytes[1] = code;
        m_bytes[kOffsetByte] = static_cast<std::uint8_t>(offset >> 8);
        m_bytes[kOffsetByte + 1] = static_cast<std::uint8_t>(offset);
        m_bytes[kLengthByte] = static_cast<std::uint8_t>(length);
    }

    int Offset() const { return GetBe16(&m_bytes[kOffsetByte]); }
    // As the report says; it may claim more than it carries.
    int Length() const { return m_bytes[kLengthByte]; }
    // What the report can carry of that length.
    int CarriedLength() const { return std::min(Length(), kDataCapacity); }
    const std::uint8_t* Data() const { return &m_bytes[kDataByte]; }
    std::uint8_t* Data() { return &m_bytes[kDataByte]; }

    const Report& Bytes() const { return m_bytes; }

private:
    Report m_bytes{};
};

}  // namespace kv
