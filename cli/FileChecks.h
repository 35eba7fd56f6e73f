#pragma once
// Checks made on the PC before the box is touched, so that a file that cannot be used
// is reported while the box is still as it was.

#include <cstdint>
#include <string>
#include <vector>

namespace kv::cli {

// The whole file, a regular one of at most maxBytes; false with a one-line reason (naming
// the path) when it cannot be read, is no regular file or is longer.
// With ignoreTail a longer file is read up to maxBytes + 1 and taken, as fixed-size reads take it.
bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, std::string& error,
                   bool ignoreTail = false);
// What load-file and remote load read: like ReadWholeFile, and also a named pipe (a process
// substitution is one) or "-" for standard input, read until its writer closes it, at most
// maxBytes (+ 1 with ignoreTail) and for at most waitMs, so that a writer that never ends
// cannot hold the command.
bool ReadInput(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, std::string& error,
               bool ignoreTail, int waitMs);
constexpr int kInputWaitMs = 10000;
// Whether a new file can be created at path: not a directory, and its folder takes a new
// file (tried for real, so that it also holds for root and read-only file systems).
bool CheckWritableTarget(const std::string& path, std::string& error);

}  // namespace kv::cli
