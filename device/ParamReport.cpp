#include "device/ParamReport.h"

#include <bit>

#include "model/Bytes.h"

namespace kv {
namespace {

bool InRange(int i) { return i >= 0 && i < ParamReport::kValueSlots; }

}  // namespace

ParamReport::ParamReport(std::uint8_t code, int module, int parameter, int count) {
    m_bytes[0] = kReportNumber;
    m_bytes[kCodeByte] = code;
    m_bytes[kModuleByte] = static_cast<std::uint8_t>(module);
    m_bytes[kParameterByte] = static_cast<std::uint8_t>(parameter);
    m_bytes[kCountByte] = static_cast<std::uint8_t>(count);
}

std::uint32_t ParamReport::Bits(int i) const {
    return InRange(i) ? GetBe32(&m_bytes[static_cast<std::size_t>(EndOfValues(i))]) : 0;
}

float ParamReport::Float(int i) const { return std::bit_cast<float>(Bits(i)); }

void ParamReport::SetValue(int i, ParamValue v) {
    if (InRange(i)) PutBe32(&m_bytes[static_cast<std::size_t>(EndOfValues(i))], v.bits);
}

}  // namespace kv
