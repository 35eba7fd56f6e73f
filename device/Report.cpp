#include "device/Report.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "device/MemoryReport.h"
#include "device/ParamReport.h"
#include "model/Bytes.h"

namespace kv {

ParamValue ParamValue::FromFloat(float v) { return ParamValue{std::bit_cast<std::uint32_t>(v)}; }
ParamValue ParamValue::FromInt(std::int32_t v) { return ParamValue{static_cast<std::uint32_t>(v)}; }

Report BuildCommand(std::span<const std::uint8_t> bytes) {
    Report r{};
    r[0] = kReportNumber;
    const std::size_t n = std::min<std::size_t>(bytes.size(), kMaxCommandBytes);
    std::copy_n(bytes.begin(), n, r.begin() + 1);
    return r;
}

Report BuildCommand(std::initializer_list<std::uint8_t> bytes) {
    return BuildCommand(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

Report BuildParamWrite(int module, int parameter, std::span<const ParamValue> values) {
    const int n = static_cast<int>(std::min<std::size_t>(values.size(), kMaxParamValues));
    ParamReport r(cmd::kParamWrite, module, parameter, n);
    for (int i = 0; i < n; ++i) r.SetValue(i, values[static_cast<std::size_t>(i)]);
    return r.Bytes();
}

Report BuildParamRead(int module, int parameter, int count) {
    return ParamReport(cmd::kParamRead, module, parameter, count).Bytes();
}

Report BuildMemoryWrite(int offset, std::span<const std::uint8_t> data) {
    const std::size_t n = std::min<std::size_t>(data.size(), kMaxMemoryChunk);
    MemoryReport r(cmd::kMemoryWrite, offset, static_cast<int>(n));
    std::copy_n(data.begin(), n, r.Data());
    return r.Bytes();
}

Report BuildMemoryRead(int offset, int length) { return MemoryReport(cmd::kMemoryRead, offset, length).Bytes(); }

std::string ReplyText(const Report& r, std::size_t maxChars) {
    std::string s;
    for (std::size_t i = 2; i < r.size() && s.size() < maxChars && r[i] != 0; ++i) s.push_back(static_cast<char>(r[i]));
    return s;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    std::string s;
    s.reserve(bytes.size() * 3);
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        s += buf;
    }
    return s;
}

}  // namespace kv
