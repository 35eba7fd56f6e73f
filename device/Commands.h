#pragma once
// Command and reply codes of the box, report geometry and module numbers.

#include <cstdint>

namespace kv {

constexpr int kReportSize = 61;
constexpr std::uint8_t kReportNumber = 0x02;  // byte 0 of every outbound report
constexpr int kMaxCommandBytes = 60;          // bytes after the report number
constexpr int kMaxParamValues = 7;            // values in one parameter write
constexpr int kParamValueOffset = 6;          // first value byte in parameter reports
constexpr int kMaxMemoryChunk = 56;           // data bytes in one memory write or read
constexpr int kMemoryDataOffset = 5;
constexpr int kModeNameOffset = 0x0F00;  // box memory of the mode-name table
constexpr int kModeNameStride = 64;
constexpr std::uint8_t kDeviceResetKey = 0xAA;

constexpr std::uint16_t kVendorId = 0x2010;
constexpr std::uint16_t kProductId = 0x1031;

namespace cmd {
// Application to box (replies carry the same code where the box answers).
constexpr std::uint8_t kModeSelect = 0x03;
constexpr std::uint8_t kModeSave = 0x04;
constexpr std::uint8_t kModeLoad = 0x05;
constexpr std::uint8_t kModeReset = 0x06;
constexpr std::uint8_t kCurrentMode = 0x07;
constexpr std::uint8_t kParamWrite = 0x09;
constexpr std::uint8_t kParamRead = 0x0A;
constexpr std::uint8_t kLevelMeter = 0x0E;
constexpr std::uint8_t kRemoteLearn = 0x60;
constexpr std::uint8_t kRemoteLearnStop = 0x61;
constexpr std::uint8_t kRemoteTableRead = 0x62;
constexpr std::uint8_t kRemoteTableWrite = 0x63;
constexpr std::uint8_t kDeviceReset = 0x68;
constexpr std::uint8_t kDspVersion = 0x7E;
constexpr std::uint8_t kCmdSetVersion = 0x7F;
constexpr std::uint8_t kModelName = 0x80;
constexpr std::uint8_t kMcuVersion = 0x81;
constexpr std::uint8_t kMemoryWrite = 0x85;
constexpr std::uint8_t kMemoryRead = 0x86;
constexpr std::uint8_t kDisconnect = 0x8A;
constexpr std::uint8_t kSettingsWrite = 0x91;
constexpr std::uint8_t kSettingsRead = 0x92;
constexpr std::uint8_t kModeNameWrite = 0xDA;
constexpr std::uint8_t kModeNameRead = 0xDB;
}  // namespace cmd

namespace reply {
// Box to application; answers reuse the command codes above.
constexpr std::uint8_t kParamChanged = 0x14;  // the box reports a change made on its panel
constexpr std::uint8_t kAuxBytes = 0x20;
constexpr std::uint8_t kAuxByte5 = 0x8F;
}  // namespace reply

namespace module {
constexpr int kMic = 1;
constexpr int kEcho = 2;
constexpr int kReverb = 3;
constexpr int kMusic = 4;
constexpr int kMain = 5;
constexpr int kRear = 6;
constexpr int kCenter = 7;
constexpr int kSub = 8;
constexpr int kTop = 9;
constexpr int kFirst = 1;
constexpr int kLast = 9;
}  // namespace module

// Window-message numbers kept as names for the notices between threads.
namespace notice {
constexpr int kKeyLearned = 1001;
constexpr int kSyncFinished = 1002;
constexpr int kSyncReadBack = 0;  // wParam of kSyncFinished
constexpr int kSyncWriteAll = 1;
}  // namespace notice

}  // namespace kv
