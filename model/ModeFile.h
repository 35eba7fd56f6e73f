#pragma once
// Mode files: the persistent part of the store behind a 4-byte version word.
// Version 2 (current) holds fields 26..180, version 1 fields 26..178.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

class ParameterStore;

// NotRegularFile: a FIFO, device or directory, never waited on. Bytes past the largest
// mode file are neither read nor looked at.
enum class ModeFileStatus { Ok, CannotOpen, BadVersion, TooShort, CannotWrite, NotRegularFile };

struct ModeFileResult {
    ModeFileStatus status = ModeFileStatus::Ok;
    int version = 0;           // version word read, or written
    int systemError = 0;       // errno of a failed open, read or write
    std::size_t size = 0;      // bytes the file holds (TooShort)
    std::size_t expected = 0;  // bytes a file of its version needs (TooShort)
};

// The version word as the file holds it (unsigned: 0xFFFFFFFF is 4294967295, not -1).
inline std::uint32_t VersionWordOf(const ModeFileResult& r) { return static_cast<std::uint32_t>(r.version); }

constexpr std::uint32_t kModeFileVersion1 = 1;
constexpr std::uint32_t kModeFileVersion2 = 2;
constexpr std::size_t kModeFileSizeV1 = 1815;
constexpr std::size_t kModeFileSizeV2 = 1823;

// Reads a file into the store; on any failure the store is unchanged.
ModeFileResult ReadModeFile(const std::string& path, ParameterStore& store);
// Writes a version-2 file; the previous file survives a failed write.
ModeFileResult WriteModeFile(const std::string& path, const ParameterStore& store);
// The same with the store already encoded (EncodeModeFile).
ModeFileResult WriteModeFile(const std::string& path, std::span<const std::uint8_t> encoded);

std::vector<std::uint8_t> EncodeModeFile(const ParameterStore& store);
ModeFileResult DecodeModeFile(std::span<const std::uint8_t> bytes, ParameterStore& store);

}  // namespace kv
