#pragma once
// The box's own settings record: 13 bytes, read with the settings read request and written
// whole with the settings write command. Every user of its bytes takes them from here.

#include <cstdint>

namespace kv::record {

constexpr int kSize = 13;

// Byte indices. Bytes 7..11 belong to the box and are sent back as they were read.
constexpr int kSaveMode = 0;
constexpr int kMicPowerOn = 1;
constexpr int kMusicPowerOn = 2;
constexpr int kMicMax = 3;
constexpr int kMusicMax = 4;
constexpr int kPanelLock = 5;
constexpr int kLockBits = 6;
constexpr int kPowerOnMode = 12;

// How the master volume is kept: across power cycles, or with the mode (the levels then
// ramp up after a whole-state transfer).
constexpr std::uint8_t kSaveAcrossPower = 0;
constexpr std::uint8_t kSaveWithMode = 1;

// A power-on volume the box leaves as it was.
constexpr std::uint8_t kNotSet = 255;
constexpr int kPowerOnMin = 0;
constexpr int kPowerOnMax = 99;
constexpr int kMaxMin = 1;
constexpr int kMaxMax = 99;

// Lock bits of byte kLockBits: the volume lock takes three bits, the mode lock one.
constexpr std::uint8_t kVolumeLockBits = 0x83;
constexpr std::uint8_t kModeLockBit = 0x10;

// The power-on mode: 0 the mode that was last used ("Auto"), 1..4 a user mode.
constexpr int kPowerOnModes = 5;

}  // namespace kv::record
