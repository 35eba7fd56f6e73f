#include "model/RemoteFile.h"

#include <algorithm>
#include <vector>

#include "model/AtomicFile.h"

namespace kv {

bool ReadRemoteFile(const std::string& path, ParameterStore::RemoteTable& out, int* systemError) {
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(path, out.size(), bytes, systemError) != FileRead::Ok) return false;
    if (bytes.size() != out.size()) return false;
    std::copy_n(bytes.begin(), out.size(), out.begin());
    return true;
}

bool WriteRemoteFile(const std::string& path, const ParameterStore::RemoteTable& table, int* systemError) {
    return WriteFileAtomically(path, table, systemError);
}

}  // namespace kv
