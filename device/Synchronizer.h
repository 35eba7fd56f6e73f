#pragma once
// The two whole-state transfers, each on a thread of its own: the read-back (box into
// store) and the write-all (store into box). At most one runs at a time.

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "device/StoreCheck.h"
#include "device/Transport.h"

namespace kv {

class ParameterStore;
class UsbLink;
class Encoders;

struct SyncTimings {
    int connectWaitMs = 2800;  // the box needs this after connecting or a mode change
    int readBackSettleMs = 200;
    int writeAllStartMs = 100;
    int writeAllEndMs = 50;
};

class Synchronizer {
public:
    // Called on the synchronisation thread at the end with notice::kSyncReadBack or kSyncWriteAll.
    using Finished = std::function<void(int kind)>;

    Synchronizer(ParameterStore& store, UsbLink& link, Encoders& encoders, SyncTimings timings = {});
    ~Synchronizer();
    Synchronizer(const Synchronizer&) = delete;
    Synchronizer& operator=(const Synchronizer&) = delete;

    // Both return false, and start nothing, while a synchronisation runs.
    bool StartReadBack(Finished done);
    bool StartWriteAll(Finished done);
    bool Running() const { return m_running.load(); }
    // Whether the box answered the identity queries of the last read-back; a box that did
    // not is neither accepted nor refused: it does not answer.
    bool IdentityAnswered() const { return m_identityAnswered.load(); }
    // Whether those answers held the model name and the command-set version; a box that
    // answered without them is refused.
    bool IdentityComplete() const { return m_identityComplete.load(); }
    // What the last read-back found out of range and clamped in the store (nothing of it is
    // sent): the pages show the clamped values and a later write-all sends them.
    std::vector<OutOfRange> ReadBackClamped() const;
    // Off, a read-back leaves the store as the box's replies decode (tests of the decoding).
    void SetClampAfterReadBack(bool clamp) { m_clampAfterReadBack.store(clamp); }
    // Joins the thread of the last synchronisation, if any.
    void Wait();
    void SetDebugOutput(DebugOutput debug);
    void SetTimings(SyncTimings timings);

private:
    bool Start(void (Synchronizer::*body)(), Finished done, int kind);
    void ReadBack();
    void WriteAll();
    void Debug(const char* text);
    std::uint32_t IdentityReplyCount() const;
    void Sleep(int ms) const;

    ParameterStore& m_store;
    UsbLink& m_link;
    Encoders& m_encoders;
    SyncTimings m_timings;
    DebugOutput m_debug;
    std::mutex m_startMutex;  // serialises Start, Wait and the thread handle
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_identityAnswered{false};
    std::atomic<bool> m_identityComplete{false};
    std::atomic<bool> m_clampAfterReadBack{true};
    mutable std::mutex m_clampedMutex;
    std::vector<OutOfRange> m_clamped;
};

}  // namespace kv
