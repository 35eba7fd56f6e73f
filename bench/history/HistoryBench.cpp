// A/B switch and undo against the simulated box answering in 2 ms, for 1, 10 and 100
// differing settings, beside a full mode load (write-all and read-back) in the same run.
// Each one reports the reports it sent and the time those reports take at the answer time
// (`paced_ms`): a switch or an undo should cost little more than that.

#include <sys/prctl.h>

#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "bench/QtBenchMain.h"
#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "device/StoreDiff.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"
#include "ui/AbMemories.h"
#include "ui/EditHistory.h"

namespace kv {
namespace {

constexpr auto kAnswer = std::chrono::milliseconds(2);

class BoxFixture {
public:
    BoxFixture()
        : m_box(std::make_shared<SimBox>()),
          m_dev(MakeSimOpener(m_box), LinkTimings{}, SyncTimings{0, 0, 0, 0}, EncoderTimings{0, 0}),
          m_history(
              m_dev, [] { return 0; }, [] {}),
          m_memories(m_dev, m_history, m_dir.path(), [] {}) {
        m_box->SetModelName("KV4420M");
        // The simulated answer time is a timed wait in the link's threads (made by Open below);
        // the kernel's default slack of 50 us would be added to every answer a real box sends as data.
        prctl(PR_SET_TIMERSLACK, 1UL);
        m_box->SetCommandSetVersion(9);
        m_dev.link.Open();
        Sync(&Synchronizer::StartReadBack);
        m_history.StartOverUnlessSame();
    }
    ~BoxFixture() { m_dev.link.Close(false); }

    // n band gains, one row each: n settings, one encoder call each.
    void Edit(int n, double delta) {
        int done = 0;
        for (const Setting& s : AllSettings()) {
            if (done == n) break;
            if (!s.address.starts_with("eq.") || !s.address.ends_with(".gain") ||
                s.address.find(".sub.") != std::string::npos)
                continue;
            const double v = s.read(m_dev);
            s.apply(m_dev, v + delta > s.maximum ? v - delta : v + delta);
            ++done;
        }
        m_dev.link.AwaitAnswer();
    }
    void Sync(bool (Synchronizer::*start)(Synchronizer::Finished)) {
        (m_dev.sync.*start)([](int) {});
        m_dev.sync.Wait();
    }
    void Settle() { m_dev.link.AwaitAnswer(); }

    std::shared_ptr<SimBox> m_box;
    QTemporaryDir m_dir;
    DeviceContext m_dev;
    EditHistory m_history;
    AbMemories m_memories;
};

void Count(benchmark::State& state, BoxFixture& f, std::size_t sentBefore) {
    const double reports =
        static_cast<double>(f.m_box->Received().size() - sentBefore) / static_cast<double>(state.iterations());
    state.counters["reports"] = reports;
    state.counters["paced_ms"] = reports * static_cast<double>(kAnswer.count());
}

void BM_AbSwitch(benchmark::State& state) {
    BoxFixture f;
    f.m_memories.StoreCurrent(AbMemories::kA);
    f.Edit(static_cast<int>(state.range(0)), 1.0);
    f.m_memories.StoreCurrent(AbMemories::kB);
    f.m_box->SetLatency(kAnswer);
    f.m_box->ClearTranscript();
    for (auto _ : state) {
        f.m_memories.Switch();
        f.Settle();
    }
    Count(state, f, 0);
}
BENCHMARK(BM_AbSwitch)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// Undo and redo in turn of one step of n settings.
void BM_Undo(benchmark::State& state) {
    BoxFixture f;
    f.Edit(static_cast<int>(state.range(0)), 1.0);
    f.m_history.CommitNamed(QStringLiteral("试"), QStringLiteral("test"));
    f.m_box->SetLatency(kAnswer);
    f.m_box->ClearTranscript();
    bool undo = true;
    for (auto _ : state) {
        if (undo)
            f.m_history.Stack().undo();
        else
            f.m_history.Stack().redo();
        undo = !undo;
        f.Settle();
    }
    Count(state, f, 0);
}
BENCHMARK(BM_Undo)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a mode load costs without the engine: every setting written, then all read back.
void BM_FullLoad(benchmark::State& state) {
    BoxFixture f;
    f.m_box->SetLatency(kAnswer);
    f.m_box->ClearTranscript();
    for (auto _ : state) {
        f.Sync(&Synchronizer::StartWriteAll);
        f.Sync(&Synchronizer::StartReadBack);
    }
    Count(state, f, 0);
}
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The engine's own share: the settings two stores differ in (the same, or one band apart), and
// a copy of a store.
void BM_DiffSettings(benchmark::State& state) {
    const auto a = MakeOfflineContext();
    const auto b = MakeOfflineContext();
    if (state.range(0)) FindSetting("eq.main.1.gain")->apply(*b, 3.0);
    for (auto _ : state) benchmark::DoNotOptimize(DiffSettings(*a, *b));
}
BENCHMARK(BM_DiffSettings)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_StoreCopy(benchmark::State& state) {
    const auto a = MakeOfflineContext();
    for (auto _ : state) {
        auto copy = MakeOfflineContext();
        CopyStore(a->store, copy->store);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_StoreCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kv

KV_QT_BENCHMARK_MAIN();
