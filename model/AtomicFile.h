#pragma once
// Whole-file reads and crash-safe writes shared by mode files and remote data files.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

// Reads the whole file; false (and errno in *systemError) when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, int* systemError);
// Writes a temporary file beside the target, flushes it and renames it over the target,
// so a failed save never destroys the previous file.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, int* systemError);

}  // namespace kv
