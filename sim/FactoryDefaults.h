#pragma once
// What a fresh simulated box holds before anything was written to it. Chosen so that a
// full read-back of a fresh box decodes to the program's own start-up defaults.
//
// Parameter words never written read as the program's start-up values would go out:
//   plain fields (device/WireTable.h)  their field's start-up value converted by its kind:
//                                      echo start volumes 0.60, mutes 1.0 (open), else 0
//   microphone and music mutes         1.0 (open)
//   echo times                         217 ms as samples at 48 kHz
//   delay modes                        1.0, 1.0 (mode 0)
//   compressors                        0, 0, 0, 20, 0.05, 1, 1: threshold 0 dB, ratio 1 (a
//                                      ratio of 0 has no finite encoding), attack, release 0
//   music pitch                        no shift: from version 9 the offset byte alone,
//                                      on version 8 the middle row of the pitch table
// Memory: the EQ image holds the default flat bands, the speaker-position block its
// default bytes, the speaker-gain block zeros; mode names "Mode1".."Mode4" (UTF-16BE).
// Settings record: zeros except bytes 1, 2 = 255 (power-on volumes not set), 3, 4 = 99.
// Remote key table: zeros.

#include <array>
#include <cstdint>

#include "model/SettingsRecord.h"

namespace kv {

constexpr int kSimMemorySize = 1193;  // EQ image, speaker-position and speaker-gain blocks
constexpr int kSimNameAreaOffset = 0x0F00;
constexpr int kSimNameAreaSize = 0x100;  // 0x0F00..0x0FFF

using SimMemory = std::array<std::uint8_t, kSimMemorySize>;
using SimNameArea = std::array<std::uint8_t, kSimNameAreaSize>;
using SimSettings = std::array<std::uint8_t, record::kSize>;

std::uint32_t FactoryParamWord(int module, int parameter, int index, int commandSetVersion);
SimMemory FactoryMemory();
SimNameArea FactoryNameArea();
SimSettings FactorySettings();

}  // namespace kv
