// Any bytes as a mode file. A refused file leaves the store exactly as it was; an accepted
// one saves back to itself (version 2) or to a file that loads back to the same store.

#include <cstdint>
#include <span>

#include "FuzzChecks.h"
#include "model/ModeFile.h"
#include "model/ParameterStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    ParameterStore store;
    store.ApplyDefaults();
    const auto before = EncodeModeFile(store);
    const ModeFileResult r = DecodeModeFile(std::span<const std::uint8_t>(data, size), store);
    const auto after = EncodeModeFile(store);
    if (r.status != ModeFileStatus::Ok) {
        KV_FUZZ_CHECK(after == before);
        return 0;
    }
    KV_FUZZ_CHECK(r.version == 1 || r.version == 2);
    KV_FUZZ_CHECK(size >= (r.version == 1 ? kModeFileSizeV1 : kModeFileSizeV2));
    if (r.version == 2) KV_FUZZ_CHECK(std::equal(after.begin(), after.end(), data));
    ParameterStore again;
    KV_FUZZ_CHECK(DecodeModeFile(after, again).status == ModeFileStatus::Ok);
    KV_FUZZ_CHECK(EncodeModeFile(again) == after);
    return 0;
}
