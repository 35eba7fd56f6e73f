#include "device/UsbLink.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "device/ParamReport.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

// What a later report may replace in the queue: a parameter write to the same module,
// parameter and value count, or a memory write to the same offset and length. Every
// other report is a barrier that no replacement crosses.
std::optional<std::uint32_t> TargetOf(const Report& r) {
    const auto key = [&](int a, int b, int c) {
        return std::uint32_t{r[1]} << 24 | std::uint32_t{r[static_cast<std::size_t>(a)]} << 16 |
               std::uint32_t{r[static_cast<std::size_t>(b)]} << 8 | std::uint32_t{r[static_cast<std::size_t>(c)]};
    };
    if (r[1] == cmd::kParamWrite)
        return key(ParamReport::kModuleByte, ParamReport::kParameterByte, ParamReport::kCountByte);
    if (r[1] == cmd::kMemoryWrite) return key(2, 3, 4);  // offset high, offset low, length
    return std::nullopt;
}

}  // namespace

// One opened device with its read and write threads. Each open gets a fresh session, so
// a thread left behind by a slow close can never touch a later connection.
struct UsbLink::Session {
    struct Outbound {
        Report report;
        std::optional<std::uint32_t> target;  // none: a barrier
        // Set for a writer that waits for its report: -1 until the report went out or was
        // dropped. Such a report is never replaced, so the writer learns what became of its
        // own bytes; a queued write (none here) may be replaced by a later one.
        std::shared_ptr<int> written;
        // A pacing pause instead of a report: the next report goes out this long after the
        // previous one at the earliest. A barrier, so the steps of a fade are never merged.
        int pauseMs = 0;
    };

    std::shared_ptr<Transport> transport;
    std::atomic<bool> running{true};
    AutoResetEvent threadExit{false};
    AutoResetEvent writerExit{false};
    std::mutex writeLock;  // held around each device write

    std::mutex queueMutex;
    std::condition_variable queued;    // the write thread: a report or the stop
    std::condition_variable progress;  // writers waiting: a report went out or was dropped
    std::deque<Outbound> queue;
    bool writing = false;        // the write thread holds a report taken from the queue
    bool writingQueued = false;  // ... and it is a queued write
    bool closing = false;        // close has begun: nothing more is taken
    bool stop = false;           // the write thread ends

    // Under queueMutex. A report that will not go out still ends its writer's wait.
    static void Finish(Outbound& o, int written) {
        if (o.written) *o.written = written;
    }
    std::size_t DropLocked() {
        const std::size_t n = queue.size();
        for (auto& o : queue) Finish(o, 0);
        queue.clear();
        progress.notify_all();
        return n;
    }
    bool IdleLocked() const { return queue.empty() && !writing; }
    // No queued write is left to go out; reports of waiting writers may be.
    bool QueuedWritesOutLocked() const {
        return !writingQueued &&
               std::all_of(queue.begin(), queue.end(), [](const Outbound& o) { return o.written != nullptr; });
    }
};

UsbLink::UsbLink(ParameterStore& store, TransportOpener opener, LinkTimings timings)
    : m_store(store), m_opener(std::move(opener)), m_timings(timings), m_core(std::make_shared<Core>()) {}

UsbLink::~UsbLink() { Close(false); }

void UsbLink::SetDispatcher(Dispatcher dispatcher) { m_dispatcher = std::move(dispatcher); }
void UsbLink::SetDebugOutput(DebugOutput debug) { m_core->debug = std::move(debug); }
void UsbLink::SetOpener(TransportOpener opener) { m_opener = std::move(opener); }
void UsbLink::SetTimings(LinkTimings timings) { m_timings = timings; }

std::shared_ptr<UsbLink::Session> UsbLink::CurrentSession() const {
    std::lock_guard lock(m_sessionMutex);
    return m_session;
}

std::string UsbLink::DevicePath() const {
    auto s = CurrentSession();
    return s ? s->transport->Path() : std::string{};
}

bool UsbLink::Open() {
    std::lock_guard guard(m_openCloseMutex);
    if (m_core->open.load()) return false;
    if (!m_opener) return false;
    // Fresh pacing state: the first write goes out at once.
    m_core->writePermit.Set();
    std::unique_ptr<Transport> transport = m_opener(m_core->debug);
    if (!transport) return false;
    auto session = std::make_shared<Session>();
    session->transport = std::move(transport);
    {
        std::lock_guard lock(m_sessionMutex);
        m_session = session;
    }
    m_core->g_bReadThreadEnd.store(0);  // a new device: writes are allowed again
    m_core->open.store(1);
    m_readThread = std::thread(&UsbLink::ReadUsbThreadProc, m_core, session, m_dispatcher, m_timings.readPollMs);
    m_writeThread = std::thread(&UsbLink::WriteThreadProc, m_core, session, m_timings);
    return true;
}

void UsbLink::ReadUsbThreadProc(std::shared_ptr<Core> core, std::shared_ptr<Session> session, Dispatcher dispatcher,
                                int pollMs) {
    core->g_bReadThreadEnd.store(0);
    core->Debug("start thread: ReadUsbThreadProc \n");
    session->threadExit.Reset();
    while (core->open.load() && session->running.load()) {
        Report buffer{};
        const auto status = session->transport->Read(buffer, pollMs);
        if (status == Transport::ReadStatus::Timeout) continue;
        if (status == Transport::ReadStatus::Failed) {
            if (!session->running.load()) break;  // closing: not a device failure
            core->Debug("Read Usb Error will return !\n");
            core->linkIdle.store(0);
            core->g_bReadThreadEnd.store(1);
            core->writePermit.Set();  // release a writer waiting for an answer that won't come
            core->arrival.notify_all();
            {
                std::lock_guard lock(session->queueMutex);
                session->queued.notify_all();  // the write thread drops what is queued
            }
            break;
        }
        if (dispatcher) dispatcher(buffer);
        {
            std::lock_guard lock(core->arrivalMutex);
            ++core->arrivals[buffer[1]];
        }
        core->received.fetch_add(1);
        core->arrival.notify_all();
        core->writePermit.Set();
    }
    session->threadExit.Set();
}

void UsbLink::Close(bool notice) {
    std::lock_guard guard(m_openCloseMutex);
    if (!m_core->open.load()) return;
    m_store.ClearLevelMeter();
    auto session = CurrentSession();
    {
        std::lock_guard lock(session->queueMutex);
        // The notice goes out behind everything already queued; nothing is taken after it.
        if (notice && !m_core->g_bReadThreadEnd.load())
            session->queue.push_back({BuildCommand({cmd::kDisconnect}), std::nullopt, nullptr});
        session->closing = true;
        session->queued.notify_all();
    }
    // Without a notice the device is gone (or the link is torn down): nothing to deliver to.
    if (notice && !Drain(*session)) m_core->Debug("close: the box does not answer, queued reports dropped\n");
    m_core->open.store(0);
    session->running.store(false);
    {
        std::lock_guard lock(session->queueMutex);
        session->stop = true;
        session->DropLocked();
        session->queued.notify_all();
    }
    m_core->writePermit.Set();  // a write thread waiting for an answer ends now; Open resets it
    // The write thread ends after the device write it may be in, which is bounded.
    if (session->writerExit.WaitFor(m_timings.writeWaitMs + m_timings.closeWaitMs)) {
        if (m_writeThread.joinable()) m_writeThread.join();
    } else {
        m_core->Debug("wait write thread exited time out !\n");
        if (m_writeThread.joinable()) m_writeThread.detach();
    }
    if (session->threadExit.WaitFor(m_timings.closeWaitMs)) {
        if (m_readThread.joinable()) m_readThread.join();
    } else {
        m_core->Debug("wait read thread exited time out !\n");
        // The threads keep their own references to the session and the device; the device
        // is closed when they let go of them, never while one is still using it.
        if (m_readThread.joinable()) m_readThread.detach();
    }
    std::lock_guard lock(m_sessionMutex);
    m_session.reset();
}

bool UsbLink::Drain(Session& session) {
    // A slow box is waited for as long as it keeps answering; a box that sends nothing for
    // the close wait is taken as gone, and what it did not take is dropped.
    std::unique_lock lock(session.queueMutex);
    std::uint64_t heard = m_core->received.load();
    auto deadline = Clock::now() + std::chrono::milliseconds(m_timings.closeWaitMs);
    for (;;) {
        if (session.progress.wait_until(lock, deadline, [&] { return session.IdleLocked(); })) return true;
        const std::uint64_t now = m_core->received.load();
        if (now == heard) break;
        heard = now;
        deadline = Clock::now() + std::chrono::milliseconds(m_timings.closeWaitMs);
    }
    session.DropLocked();
    return false;
}

void UsbLink::WriteThreadProc(std::shared_ptr<Core> core, std::shared_ptr<Session> session, LinkTimings timings) {
    std::unique_lock lock(session->queueMutex);
    for (;;) {
        session->queued.wait(lock, [&] { return session->stop || !session->queue.empty(); });
        if (session->stop) break;
        if (const int ms = session->queue.front().pauseMs; ms > 0) {
            // The pause runs beside the wait for the previous answer, as when the writer slept.
            session->queue.pop_front();
            session->writing = session->writingQueued = true;
            session->queued.wait_for(lock, std::chrono::milliseconds(ms), [&] { return session->stop; });
            session->writing = session->writingQueued = false;
            session->progress.notify_all();
            continue;
        }
        lock.unlock();
        // After a time-out the report goes out all the same: a silent box only slows writes down.
        core->writePermit.WaitFor(timings.permitWaitMs);
        lock.lock();
        if (session->stop) break;
        if (core->g_bReadThreadEnd.load()) {
            // A failed link takes nothing more; writers waiting are told nothing went out.
            if (session->DropLocked() > 0) core->Debug("g_bReadThreadEnd == TRUE ,WriteUsbData return \n");
            continue;
        }
        if (session->queue.empty()) {
            core->writePermit.Set();  // dropped while waiting: the permit is the next report's
            continue;
        }
        Session::Outbound out = std::move(session->queue.front());
        session->queue.pop_front();
        session->writing = true;
        session->writingQueued = !out.written;
        lock.unlock();
        int written = 0;
        {
            std::lock_guard write(session->writeLock);
            written = session->transport->Write(out.report, timings.writeWaitMs);
        }
        if (written != kReportSize) {
            core->Debug("usb数据写入出错");
            // A device that does not take a report within the bound is gone for us: every later
            // write (the disconnect notice too) is refused at once instead of waiting again.
            core->linkIdle.store(0);
            core->g_bReadThreadEnd.store(1);
            core->writePermit.Set();
            core->arrival.notify_all();
        }
        lock.lock();
        session->writing = false;
        session->writingQueued = false;
        Session::Finish(out, written);
        if (written != kReportSize) session->DropLocked();
        session->progress.notify_all();
    }
    session->DropLocked();
    lock.unlock();
    session->writerExit.Set();
}

int UsbLink::WriteUsbData(const std::uint8_t* data, int length) {
    if (!m_core->open.load()) return 0;
    if (m_core->g_bReadThreadEnd.load()) {
        m_core->Debug("g_bReadThreadEnd == TRUE ,WriteUsbData return \n");
        return 0;
    }
    auto session = CurrentSession();
    if (!session) return 0;
    Session::Outbound out{};
    if (data && length > 0)
        std::memcpy(out.report.data(), data, static_cast<std::size_t>(std::min(length, kReportSize)));
    out.target = TargetOf(out.report);
    const bool queued = OnQueueingThread();
    std::unique_lock lock(session->queueMutex);
    if (session->closing || session->stop) return 0;
    if (queued) {
        if (out.target) {
            // The latest value wins: the last queued report to this target since the last
            // barrier takes the new bytes in its place, unless a waiting writer owns it.
            for (auto it = session->queue.rbegin(); it != session->queue.rend(); ++it) {
                if (!it->target) break;
                if (*it->target != *out.target) continue;
                if (it->written) break;
                it->report = out.report;
                return kReportSize;
            }
        }
        session->queue.push_back(std::move(out));
        session->queued.notify_all();
        return kReportSize;
    }
    auto written = std::make_shared<int>(-1);
    out.written = written;
    session->queue.push_back(std::move(out));
    session->queued.notify_all();
    session->progress.wait(lock, [&] { return *written >= 0; });
    return *written;
}

void UsbLink::Pause(int ms) {
    if (ms <= 0 || !m_core->open.load()) return;
    if (!OnQueueingThread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    auto session = CurrentSession();
    if (!session) return;
    std::lock_guard lock(session->queueMutex);
    if (session->closing || session->stop) return;
    Session::Outbound pause{};
    pause.pauseMs = ms;
    session->queue.push_back(std::move(pause));
    session->queued.notify_all();
}

bool UsbLink::Flush(int timeoutMs) {
    auto session = CurrentSession();
    if (!session) return true;
    std::unique_lock lock(session->queueMutex);
    return session->progress.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                      [&] { return session->QueuedWritesOutLocked(); });
}

std::size_t UsbLink::Backlog() const {
    auto session = CurrentSession();
    if (!session) return 0;
    std::lock_guard lock(session->queueMutex);
    return session->queue.size();
}

std::uint32_t UsbLink::ReportCount(std::uint8_t code) const {
    std::lock_guard lock(m_core->arrivalMutex);
    return m_core->arrivals[code];
}

bool UsbLink::WaitForReports(std::span<const std::pair<std::uint8_t, std::uint32_t>> targets, int timeoutMs) const {
    const auto reached = [&] {
        return std::all_of(targets.begin(), targets.end(),
                           [&](const auto& t) { return m_core->arrivals[t.first] >= t.second; });
    };
    std::unique_lock lock(m_core->arrivalMutex);
    m_core->arrival.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return reached() || !m_core->open.load() || m_core->g_bReadThreadEnd.load(); });
    return reached();
}

bool UsbLink::AwaitAnswer() {
    if (OnQueueingThread()) Flush(m_timings.permitWaitMs);
    if (!m_core->open.load() || m_core->g_bReadThreadEnd.load()) return false;
    if (!m_core->writePermit.WaitFor(m_timings.permitWaitMs)) return false;
    m_core->writePermit.Set();
    return true;
}

int UsbLink::SendCommand(std::initializer_list<int> values) {
    return SendCommand(std::span<const int>(values.begin(), values.size()));
}

int UsbLink::SendCommand(std::span<const int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) {
        if (v == -1 || bytes.size() >= static_cast<std::size_t>(kMaxCommandBytes)) break;
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return WriteReport(BuildCommand(bytes));
}

int UsbLink::WriteMemoryBlock(int offset, int length, const std::uint8_t* data) {
    const int n = std::clamp(length, 0, kMaxMemoryChunk);
    return WriteReport(BuildMemoryWrite(offset, std::span<const std::uint8_t>(data, static_cast<std::size_t>(n))));
}

}  // namespace kv
