#include "device/UsbLink.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "model/ParameterStore.h"

namespace kv {

// One opened device and its read thread. Each open gets a fresh session, so a read
// thread left behind by a slow close can never read from a later connection.
struct UsbLink::Session {
    std::shared_ptr<Transport> transport;
    std::atomic<bool> running{true};
    AutoResetEvent threadExit{false};
    std::mutex writeLock;  // held around each device write
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
            break;
        }
        if (dispatcher) dispatcher(buffer);
        {
            std::lock_guard lock(core->arrivalMutex);
            ++core->arrivals[buffer[1]];
        }
        core->arrival.notify_all();
        core->writePermit.Set();
    }
    session->threadExit.Set();
}

void UsbLink::Close(bool notice) {
    std::lock_guard guard(m_openCloseMutex);
    if (!m_core->open.load()) return;
    m_store.ClearLevelMeter();
    if (notice) SendCommand({cmd::kDisconnect, -1});
    m_core->open.store(0);
    auto session = CurrentSession();
    session->running.store(false);
    if (session->threadExit.WaitFor(m_timings.closeWaitMs)) {
        if (m_readThread.joinable()) m_readThread.join();
    } else {
        m_core->Debug("wait read thread exited time out !\n");
        // The thread keeps its own references to the session and the device; the device
        // is closed when it lets go of them, never while it is still reading.
        if (m_readThread.joinable()) m_readThread.detach();
    }
    std::lock_guard lock(m_sessionMutex);
    m_session.reset();
}

int UsbLink::WriteUsbData(const std::uint8_t* data, int length) {
    if (!m_core->open.load()) return 0;
    if (m_core->g_bReadThreadEnd.load()) {
        m_core->Debug("g_bReadThreadEnd == TRUE ,WriteUsbData return \n");
        return 0;
    }
    auto session = CurrentSession();
    if (!session) return 0;
    Report report{};
    if (data && length > 0) std::memcpy(report.data(), data, static_cast<std::size_t>(std::min(length, kReportSize)));
    // After a time-out the write proceeds all the same: a silent box only slows writes down.
    m_core->writePermit.WaitFor(m_timings.permitWaitMs);
    int written = 0;
    {
        std::lock_guard lock(session->writeLock);
        written = session->transport->Write(report, m_timings.writeWaitMs);
    }
    if (written != kReportSize) {
        m_core->Debug("usb数据写入出错");
        // A device that does not take a report within the bound is gone for us: every later
        // write (the disconnect notice too) is refused at once instead of waiting again.
        m_core->linkIdle.store(0);
        m_core->g_bReadThreadEnd.store(1);
        m_core->writePermit.Set();
    }
    return written;
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
