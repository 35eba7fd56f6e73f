#include "model/RemoteFile.h"

#include <algorithm>
#include <vector>

#include "model/AtomicFile.h"

namespace kv {

RemoteFileRead ReadRemoteFileChecked(const std::string& path, ParameterStore::RemoteTable& out) {
    RemoteFileRead r;
    std::vector<std::uint8_t> bytes;
    switch (ReadWholeFile(path, out.size(), bytes, &r.systemError)) {
        case FileRead::Ok:
            r.size = bytes.size();
            break;
        case FileRead::TooLong:
            r.size = out.size() + 1;
            return r;
        case FileRead::NotRegularFile:
            r.notRegular = true;
            return r;
        case FileRead::CannotOpen:
            return r;
    }
    if (bytes.size() != out.size()) return r;
    std::copy_n(bytes.begin(), out.size(), out.begin());
    r.ok = true;
    return r;
}

bool ReadRemoteFile(const std::string& path, ParameterStore::RemoteTable& out, int* systemError) {
    const RemoteFileRead r = ReadRemoteFileChecked(path, out);
    if (systemError) *systemError = r.systemError;
    return r.ok;
}

bool WriteRemoteFile(const std::string& path, const ParameterStore::RemoteTable& table, int* systemError) {
    return WriteFileAtomically(path, table, systemError);
}

}  // namespace kv
