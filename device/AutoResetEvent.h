#pragma once
// An event that releases exactly one waiter per Set, like the write-permit of the link.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kv {

class AutoResetEvent {
public:
    explicit AutoResetEvent(bool signalled = false) : m_signalled(signalled) {}

    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_cv.notify_one();
    }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }
    // Returns true when the event was signalled (and consumes it), false on time-out.
    bool WaitFor(int milliseconds) {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_signalled; })) return false;
        m_signalled = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled;
};

}  // namespace kv
