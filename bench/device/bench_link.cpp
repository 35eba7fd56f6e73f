// The link's own cost per request/answer exchange: a real link over the in-process
// simulated box with no latency, so what is measured is the write path, the pacing
// handshake and the read thread's wake-up and dispatch.

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>

#include "device/UsbLink.h"
#include "model/ParameterStore.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"

namespace kv {
namespace {

constexpr int kClearEvery = 4096;  // the transcript grows with every report

class LinkFixture {
public:
    LinkFixture() : m_box(std::make_shared<SimBox>()), m_link(m_store, MakeSimOpener(m_box)) {
        m_link.SetDispatcher([this](const Report&) {
            {
                std::lock_guard lock(m_mutex);
                ++m_answers;
            }
            m_cv.notify_one();
        });
        m_link.Open();
    }
    ~LinkFixture() { m_link.Close(false); }

    // One write and the wait for its answer.
    bool Exchange(const Report& request) {
        std::uint64_t target;
        {
            std::lock_guard lock(m_mutex);
            target = m_answers + 1;
        }
        if (m_link.WriteReport(request) != kReportSize) return false;
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_answers >= target; });
    }
    SimBox& Box() { return *m_box; }
    UsbLink& Link() { return m_link; }

private:
    ParameterStore m_store;
    std::shared_ptr<SimBox> m_box;
    UsbLink m_link;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::uint64_t m_answers = 0;
};

void ClearNow(benchmark::State& state, SimBox& box, std::int64_t i) {
    if (i % kClearEvery != 0) return;
    state.PauseTiming();
    box.ClearTranscript();
    state.ResumeTiming();
}

// A short query and its answer: the round trip the read-back synchronisation repeats.
void BM_LinkExchange(benchmark::State& state) {
    LinkFixture f;
    const Report request = BuildCommand({cmd::kCurrentMode});
    std::int64_t i = 0;
    for (auto _ : state) {
        if (!f.Exchange(request)) {
            state.SkipWithError("no answer");
            break;
        }
        ClearNow(state, f.Box(), ++i);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LinkExchange)->UseRealTime();

// Back-to-back parameter writes, each paced by the answer to the one before.
void BM_LinkPacedParamWrites(benchmark::State& state) {
    LinkFixture f;
    std::vector<ParamValue> values(7, ParamValue::FromFloat(0.5f));
    const Report request = BuildParamWrite(module::kMain, 33, values);
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.Link().WriteReport(request));
        ClearNow(state, f.Box(), ++i);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LinkPacedParamWrites)->UseRealTime();

// The box alone, to tell its share from the link's.
void BM_SimBoxHandle(benchmark::State& state) {
    SimBox box;
    const Report request = BuildParamRead(module::kEcho, 18, 7);
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(box.Handle(request));
        ClearNow(state, box, ++i);
    }
}
BENCHMARK(BM_SimBoxHandle);

}  // namespace
}  // namespace kv

BENCHMARK_MAIN();
