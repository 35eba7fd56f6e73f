#include "sim/SimTransport.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<std::uint64_t> g_nextSimId{1};

}  // namespace

struct SimTransport::Impl {
    struct Pending {
        Clock::time_point due;
        Report report;
    };

    std::shared_ptr<SimBox> box;
    std::uint64_t generation = 0;  // the box's plug generation when this connection was opened
    std::string path;
    int listenerId = 0;

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Pending> answers;  // in order of their due times: the latency is the same for all

    // A connection dies with the unplug that follows its opening, even if the box is back.
    bool Dead() const { return box->Unplugged() || box->PlugGeneration() != generation; }
};

SimTransport::SimTransport(std::shared_ptr<SimBox> box) : m_impl(std::make_unique<Impl>()) {
    m_impl->box = std::move(box);
    m_impl->generation = m_impl->box->PlugGeneration();
    m_impl->path = "sim:" + std::to_string(g_nextSimId.fetch_add(1));
    Impl* impl = m_impl.get();
    m_impl->listenerId = m_impl->box->AddWakeListener([impl] {
        // Taking the lock orders this wake after a reader's check, so it cannot be lost.
        std::lock_guard lock(impl->mutex);
        impl->wake.notify_all();
    });
}

SimTransport::~SimTransport() { m_impl->box->RemoveWakeListener(m_impl->listenerId); }

Transport::ReadStatus SimTransport::Read(Report& out, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    std::unique_lock lock(m_impl->mutex);
    for (;;) {
        if (m_impl->Dead()) return ReadStatus::Failed;
        const auto now = Clock::now();
        const bool answering = !m_impl->answers.empty() && !m_impl->box->AnswersHeld();
        if (answering && m_impl->answers.front().due <= now) {
            out = m_impl->answers.front().report;
            m_impl->answers.pop_front();
            return ReadStatus::Ok;
        }
        if (auto report = m_impl->box->TakeUnsolicited()) {
            out = *report;
            return ReadStatus::Ok;
        }
        if (now >= deadline) return ReadStatus::Timeout;
        auto until = deadline;
        if (answering) until = std::min(until, m_impl->answers.front().due);
        m_impl->wake.wait_until(lock, until);
    }
}

int SimTransport::Write(const Report& report, int /*timeoutMs: the box in process never blocks*/) {
    if (m_impl->Dead()) return 0;
    const auto answer = m_impl->box->Handle(report);
    if (m_impl->Dead()) return 0;  // unplugged by this very report
    if (answer) {
        const auto due = Clock::now() + m_impl->box->Latency();
        {
            std::lock_guard lock(m_impl->mutex);
            m_impl->answers.push_back({due, *answer});
        }
        m_impl->wake.notify_all();
    }
    return kReportSize;
}

std::string SimTransport::Path() const { return m_impl->path; }

TransportOpener MakeSimOpener(std::shared_ptr<SimBox> box) {
    return [box](const DebugOutput& debug) -> std::unique_ptr<Transport> {
        if (box->Unplugged()) {
            if (debug) debug("连接目标设备失败，没有找到目标设备");
            return nullptr;
        }
        return std::make_unique<SimTransport>(box);
    };
}

}  // namespace kv
