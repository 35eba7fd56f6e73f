#pragma once
// Whole-file reads and crash-safe writes shared by mode files and remote data files.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

enum class FileRead { Ok, CannotOpen, NotRegularFile, TooLong };

// Reads a regular file of at most maxBytes. Anything else (a FIFO, a device, a directory) is
// refused without waiting on it, and a longer file is refused after reading maxBytes + 1;
// errno of a failed open or read in *systemError.
FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, int* systemError);
// Writes a temporary file beside the target, flushes it and renames it over the target,
// so a failed save never destroys the previous file; a file replaced keeps its permissions.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, int* systemError);

}  // namespace kv
