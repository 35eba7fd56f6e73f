// Any bytes as a remote data file, read from a real file: exactly 16 bytes are taken as
// they are, anything else is refused and leaves the table unchanged.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "model/RemoteFile.h"

namespace {

const std::string& FilePath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/kv-remote-fuzz-" + std::to_string(getpid()) + ".dat";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const std::string& path = FilePath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    KV_FUZZ_CHECK(f != nullptr);
    KV_FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    KV_FUZZ_CHECK(std::fclose(f) == 0);

    ParameterStore::RemoteTable table;
    table.fill(0xA5);
    const auto before = table;
    const bool ok = ReadRemoteFile(path, table);
    std::remove(path.c_str());
    KV_FUZZ_CHECK(ok == (size == table.size()));
    if (ok) {
        KV_FUZZ_CHECK(std::equal(table.begin(), table.end(), data));
    } else {
        KV_FUZZ_CHECK(table == before);
    }
    return 0;
}
