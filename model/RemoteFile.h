#pragma once
// Remote data files: exactly the 16 bytes of the remote key table.

#include <string>

#include "model/ParameterStore.h"

namespace kv {

// Anything but a regular file of exactly 16 bytes is a failure and leaves out unchanged.
bool ReadRemoteFile(const std::string& path, ParameterStore::RemoteTable& out, int* systemError = nullptr);
// Written beside the target and renamed over it, so a failed save keeps the old file.
bool WriteRemoteFile(const std::string& path, const ParameterStore::RemoteTable& table, int* systemError = nullptr);

}  // namespace kv
