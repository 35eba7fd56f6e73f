#pragma once
// The bytes of a parameter write, read request or read reply, read and written by name:
// code, status, module, parameter, value count and the 4-byte big-endian values. The
// report builder, the inbound parser and the simulated box all go through it.

#include <cstdint>

#include "device/Report.h"

namespace kv {

class ParamReport {
public:
    static constexpr int kCodeByte = 1;
    static constexpr int kStatusByte = 2;  // reply status; 0x00 in what the application sends
    static constexpr int kModuleByte = 3;
    static constexpr int kParameterByte = 4;
    static constexpr int kCountByte = 5;
    // Values that fit in the report's value area; reads past them give 0, writes are dropped.
    static constexpr int kValueSlots = kMaxParamValues;

    ParamReport() = default;
    explicit ParamReport(const Report& bytes) : m_bytes(bytes) {}
    // An outbound header: report number, code, status 0, module, parameter, count.
    ParamReport(std::uint8_t code, int module, int parameter, int count);

    std::uint8_t Code() const { return m_bytes[kCodeByte]; }
    int Status() const { return m_bytes[kStatusByte]; }
    int Module() const { return m_bytes[kModuleByte]; }
    int Parameter() const { return m_bytes[kParameterByte]; }
    // As the report says; it may claim more values than fit.
    int Count() const { return m_bytes[kCountByte]; }

    std::uint32_t Bits(int i) const;
    float Float(int i) const;
    std::int32_t Int(int i) const { return static_cast<std::int32_t>(Bits(i)); }
    // Lowest byte of value i: switches are read from it alone.
    std::uint8_t LowByte(int i) const { return static_cast<std::uint8_t>(Bits(i)); }

    void SetStatus(int status) { m_bytes[kStatusByte] = static_cast<std::uint8_t>(status); }
    void SetValue(int i, ParamValue v);

    // First byte after n values: where the payload of an n-value report ends.
    static constexpr int EndOfValues(int n) { return kParamValueOffset + 4 * n; }

    const Report& Bytes() const { return m_bytes; }

private:
    Report m_bytes{};
};

}  // namespace kv
