#include <benchmark/benchmark.h>

#include "eq/EqMath.h"

namespace {

// What one drag step costs the maths: design the band and evaluate its 512 points.
void BM_DesignAndEvaluateBand(benchmark::State& state) {
    kv::eq::BandRecord band;
    band.code = static_cast<int>(state.range(0));
    band.gain = 6.0f;
    band.q = 1.41f;
    float freq = 1000.0f;
    for (auto _ : state) {
        freq = freq > 15000.0f ? 40.0f : freq * 1.01f;  // a new frequency every step
        band.frequency = freq;
        kv::eq::EvaluateBand(band, 1878.0f);
        benchmark::DoNotOptimize(band.response.data());
    }
}
BENCHMARK(BM_DesignAndEvaluateBand)->Arg(1)->Arg(6)->Arg(12);

void BM_DesignSection(benchmark::State& state) {
    double freq = 1000.0;
    for (auto _ : state) {
        freq = freq > 15000.0 ? 40.0 : freq * 1.01;
        benchmark::DoNotOptimize(kv::eq::DesignSection(1, 6.0, freq, 1.41));
    }
}
BENCHMARK(BM_DesignSection);

}  // namespace

BENCHMARK_MAIN();
