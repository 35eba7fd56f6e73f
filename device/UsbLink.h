#pragma once
// The only channel to the box: one read thread that receives every report and hands it
// to the inbound dispatcher, and one write thread that owns the outbound queue. Each
// report waits until the box answered the previous one (at most the permit time-out),
// then goes out whole. Writes from the interface thread are queued and return at once,
// so the window never waits on the box; writes from any other thread return once their
// report went out. While the box is behind, a queued report is replaced in place by a
// later one to the same target (see UsbLink.cpp).

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <utility>

#include "device/AutoResetEvent.h"
#include "device/Report.h"
#include "device/Transport.h"

namespace kv {

class ParameterStore;

struct LinkTimings {
    int permitWaitMs = 1800;  // longest wait for the previous answer before writing anyway
    int closeWaitMs = 1000;   // longest wait for the read thread when closing, and for an answer
                              // while close still has queued reports to deliver
    int readPollMs = 50;      // read time-out, so the thread notices a close quickly
    int writeWaitMs = 1800;   // longest wait for the device to take a report; past it the link failed
};

class UsbLink {
public:
    using Dispatcher = std::function<void(const Report&)>;

    UsbLink(ParameterStore& store, TransportOpener opener, LinkTimings timings = {});
    ~UsbLink();
    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;

    // Hooks; set them while the link is closed.
    void SetDispatcher(Dispatcher dispatcher);
    void SetDebugOutput(DebugOutput debug);
    void SetOpener(TransportOpener opener);
    void SetTimings(LinkTimings timings);
    LinkTimings Timings() const { return m_timings; }
    // Writes made on this thread are queued and return at once: the interface thread's.
    void QueueWritesFrom(std::thread::id thread) { m_queuedThread.store(thread); }

    // Finds the box and starts the read thread; false when already open or not found.
    bool Open();
    // Ends the link. With a notice, what is queued goes out first, then the disconnect notice
    // (0x8A); only a box that sends nothing for the close wait makes it give up. Without one
    // the queue is dropped.
    void Close(bool notice);
    // The same without a notice, when the device was unplugged.
    void CloseAfterRemoval() { Close(false); }
    bool IsOpen() const { return m_core->open.load() != 0; }
    std::string DevicePath() const;

    // Writes one report of up to 61 bytes (byte 0 the report number); returns the count written,
    // for a queued write the count accepted (61); 0 when the link is closed or failed.
    int WriteUsbData(const std::uint8_t* data, int length);
    int WriteReport(const Report& report) { return WriteUsbData(report.data(), kReportSize); }
    // Report 0x02 followed by the values up to a -1 terminator, at most 60 of them.
    int SendCommand(std::initializer_list<int> values);
    int SendCommand(std::span<const int> values);
    // Memory write 0x85 at a box offset, at most 56 bytes.
    int WriteMemoryBlock(int offset, int length, const std::uint8_t* data);

    // Paces the box: the next report goes out at least ms after the one before. Queued on the
    // queueing thread (so a fade never holds the window); other threads sleep. With no box
    // there is nothing to pace.
    void Pause(int ms);

    // Lets the next write through at once (a silent box must not hold back the next command).
    void ReleaseWritePermit() { m_core->writePermit.Set(); }
    // Waits until the box answered the last report (at most the permit time-out) and leaves
    // the permit for the next writer; false on a time-out or a closed link. On the queueing
    // thread it first waits until its reports went out.
    bool AwaitAnswer();
    // Waits until every queued write was handed to the device, at most timeoutMs; true when
    // none is left (also when the link is closed or failed and the queue was dropped). The
    // reports of writers that wait for their own are not waited for.
    bool Flush(int timeoutMs = 10000);
    // Reports waiting in the queue: more than none means the box is behind.
    std::size_t Backlog() const;

    // How many reports with this code (byte 1) arrived since the link was created.
    std::uint32_t ReportCount(std::uint8_t code) const;
    // How many reports of any code arrived since the link was created: a box that answers.
    std::uint64_t ReportsReceived() const { return m_core->received.load(); }
    // Waits until `count` reports arrived for each code whose target is in `targets`, at most
    // timeoutMs or until the link fails; true when all targets were reached.
    bool WaitForReports(std::span<const std::pair<std::uint8_t, std::uint32_t>> targets, int timeoutMs) const;

    bool ReadThreadEnded() const { return m_core->g_bReadThreadEnd.load() != 0; }
    bool LinkIdle() const { return m_core->linkIdle.load() != 0; }
    void SetLinkIdle(bool idle) { m_core->linkIdle.store(idle ? 1 : 0); }
    bool MeterPollEnabled() const { return m_core->meterPoll.load() != 0; }
    void SetMeterPollEnabled(bool on) { m_core->meterPoll.store(on ? 1 : 0); }

private:
    // State the read thread shares with the link; it outlives the link if a read thread
    // has to be left behind on close, so nothing it touches is ever freed under it.
    struct Core {
        std::atomic<int> open{0};
        std::atomic<int> g_bReadThreadEnd{0};  // set when a read failed or a write timed out
        std::atomic<int> linkIdle{1};
        std::atomic<int> meterPoll{1};
        AutoResetEvent writePermit{true};
        mutable std::mutex arrivalMutex;
        mutable std::condition_variable arrival;
        std::array<std::uint32_t, 256> arrivals{};  // per report code, under arrivalMutex
        std::atomic<std::uint64_t> received{0};     // every report that arrived
        DebugOutput debug;
        void Debug(const std::string& text) const {
            if (debug) debug(text);
        }
    };
    struct Session;
    static void ReadUsbThreadProc(std::shared_ptr<Core> core, std::shared_ptr<Session> session, Dispatcher dispatcher,
                                  int pollMs);
    static void WriteThreadProc(std::shared_ptr<Core> core, std::shared_ptr<Session> session, LinkTimings timings);
    std::shared_ptr<Session> CurrentSession() const;
    bool OnQueueingThread() const { return std::this_thread::get_id() == m_queuedThread.load(); }
    // Delivers the queue before a close; false when the box stopped answering and it was dropped.
    bool Drain(Session& session);

    ParameterStore& m_store;
    TransportOpener m_opener;
    LinkTimings m_timings;
    Dispatcher m_dispatcher;
    std::shared_ptr<Core> m_core;

    std::mutex m_openCloseMutex;        // Open and Close never overlap
    mutable std::mutex m_sessionMutex;  // guards m_session
    std::shared_ptr<Session> m_session;
    std::thread m_readThread;
    std::thread m_writeThread;
    std::atomic<std::thread::id> m_queuedThread{};
};

}  // namespace kv
