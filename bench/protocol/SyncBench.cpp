// Whole-state transfers against the zero-latency simulated box with the fixed waits at zero:
// what is left is the cost of the exchanges themselves.

#include <benchmark/benchmark.h>

#include <memory>

#include "device/DeviceContext.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"

namespace kv {
namespace {

template <bool kReadBack>
void BM_Sync(benchmark::State& state) {
    auto box = std::make_shared<SimBox>();
    DeviceContext core(MakeSimOpener(box), LinkTimings{2000, 500, 5}, SyncTimings{0, 0, 0, 0}, EncoderTimings{0, 0});
    core.store.SetCommandSetVersion(9);
    if (!core.link.Open()) {
        state.SkipWithError("box did not open");
        return;
    }
    std::size_t exchanges = 0;
    for (auto _ : state) {
        box->ClearTranscript();
        if (kReadBack)
            core.sync.StartReadBack(nullptr);
        else
            core.sync.StartWriteAll(nullptr);
        core.sync.Wait();
        state.PauseTiming();
        exchanges = box->Received().size();
        state.ResumeTiming();
    }
    state.counters["exchanges"] = static_cast<double>(exchanges);
    state.counters["per_exchange"] = benchmark::Counter(static_cast<double>(exchanges) * state.iterations(),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_Sync<true>)->Name("ReadBack")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Sync<false>)->Name("WriteAll")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kv

BENCHMARK_MAIN();
