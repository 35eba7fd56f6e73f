#pragma once
// Remote data files: exactly the 16 bytes of the remote key table.

#include <string>

#include "model/ParameterStore.h"

namespace kv {

// Why a remote file was not taken: the system's error, no regular file, or its size.
struct RemoteFileRead {
    bool ok = false;
    int systemError = 0;
    bool notRegular = false;
    std::size_t size = 0;  // bytes read; a longer file than 16 reads as 17
};

// Anything but a regular file of exactly 16 bytes is a failure and leaves out unchanged.
// Every byte value is a key code, so a file of the right size holds nothing out of range.
RemoteFileRead ReadRemoteFileChecked(const std::string& path, ParameterStore::RemoteTable& out);
bool ReadRemoteFile(const std::string& path, ParameterStore::RemoteTable& out, int* systemError = nullptr);
// Written beside the target and renamed over it, so a failed save keeps the old file.
bool WriteRemoteFile(const std::string& path, const ParameterStore::RemoteTable& table, int* systemError = nullptr);

}  // namespace kv
