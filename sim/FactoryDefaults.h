#pragma once
// What a fresh simulated box holds before anything was written to it. Chosen so that a
// full read-back of a fresh box decodes to the program's own start-up defaults.
//
// Parameter words never written read as follows (everything else reads 0):
//   echo time        module 2 parameters 18, 25   integer 10416 (217 ms as samples at 48 kHz)
//   echo start vol.  module 2 parameters 19, 26   float 0.60
//   mutes            1/42, 1/55, 2/29, 3/27, 4/19, 5/41, 6/27, 9/27, 7/22, 8/32
//                                                 float 1.0 (open: decodes to "not muted")
//   delay modes      5/39, 5/40, 6/25, 6/26, 9/25, 9/26, 7/21, 8/31
//                                                 float 1.0, 1.0 (decodes to mode 0)
//   compressors      5/33, 6/19, 9/19, 7/17, 8/27 floats 0, 0, 0, 20, 0.05, 1, 1: threshold
//                    0 dB, ratio 1 (a ratio of 0 has no finite encoding), attack and release 0
//   music pitch      4/23                         command-set version 9 and above: integer 5
//                                                 (no shift); version 8: integer 480, float 0.0
// Memory: the EQ image holds the default flat bands, the speaker-position block its
// default bytes, the speaker-gain block zeros; mode names "Mode1".."Mode4" (UTF-16BE).
// Settings record: zeros except bytes 1, 2 = 255 (power-on volumes not set), 3, 4 = 99.
// Remote key table: zeros.

#include <array>
#include <cstdint>

namespace kv {

constexpr int kSimMemorySize = 1193;  // EQ image, speaker-position and speaker-gain blocks
constexpr int kSimNameAreaOffset = 0x0F00;
constexpr int kSimNameAreaSize = 0x100;  // 0x0F00..0x0FFF

using SimMemory = std::array<std::uint8_t, kSimMemorySize>;
using SimNameArea = std::array<std::uint8_t, kSimNameAreaSize>;
using SimSettings = std::array<std::uint8_t, 13>;

std::uint32_t FactoryParamWord(int module, int parameter, int index, int commandSetVersion);
SimMemory FactoryMemory();
SimNameArea FactoryNameArea();
SimSettings FactorySettings();

}  // namespace kv
