#pragma once
// Byte-level codecs shared by the store, the wire format and the files:
// big-endian integers and floats, and the speaker-position sign-and-magnitude byte.

#include <bit>
#include <cmath>
#include <cstdint>

namespace kv {

inline void PutBe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline std::uint16_t GetBe16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
inline void PutBe32(std::uint8_t* p, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = static_cast<std::uint8_t>(v >> (24 - 8 * k));
}
inline std::uint32_t GetBe32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
}
inline void PutBeFloat(std::uint8_t* p, float v) { PutBe32(p, std::bit_cast<std::uint32_t>(v)); }
inline float GetBeFloat(const std::uint8_t* p) { return std::bit_cast<float>(GetBe32(p)); }

inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

// Sign-and-magnitude byte of the speaker-position block: bit 7 the sign, bits 0..6
// tenths. Zero and negatives carry the sign bit, so 0 goes out as 0x80.
inline std::uint8_t EncodeSignMagnitude(double v) {
    double mag = std::trunc(std::fabs(v) * 10.0 + 0.5);
    if (!(mag <= 127.0)) mag = 127.0;  // also catches NaN
    auto b = static_cast<std::uint8_t>(mag);
    if (v <= 0.0 || std::isnan(v)) b |= 0x80;
    return b;
}
// A magnitude of 0 decodes to +0.0 whatever its sign bit, so the centre never reads "-0.0".
inline float DecodeSignMagnitude(std::uint8_t b) {
    int mag = b & 0x7F;
    if (mag == 0) return 0.0f;
    float v = static_cast<float>(mag) / 10.0f;
    return (b & 0x80) ? -v : v;
}

}  // namespace kv
