#pragma once
// A real link over the simulated box, with a dispatcher that collects every report the
// read thread receives. Shared by the simulator and link tests.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/UsbLink.h"
#include "model/ParameterStore.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"

namespace kv::test {

// Short waits keep a silent-box test quick; nothing in a passing test waits for them.
inline LinkTimings FastTimings() { return LinkTimings{1000, 500, 10}; }

class LinkHarness {
public:
    explicit LinkHarness(LinkTimings timings = FastTimings())
        : m_box(std::make_shared<SimBox>()), m_link(m_store, MakeSimOpener(m_box), timings) {
        m_link.SetDispatcher([this](const Report& r) {
            {
                std::lock_guard lock(m_mutex);
                m_replies.push_back(r);
            }
            m_cv.notify_all();
        });
        m_link.SetDebugOutput([this](const std::string& text) {
            std::lock_guard lock(m_mutex);
            m_debug.push_back(text);
        });
    }
    ~LinkHarness() { m_link.Close(false); }

    SimBox& Box() { return *m_box; }
    std::shared_ptr<SimBox> BoxPtr() { return m_box; }
    UsbLink& Link() { return m_link; }
    ParameterStore& Store() { return m_store; }

    // Waits (bounded, only so a broken link cannot hang the run) until n reports arrived.
    bool WaitReplies(std::size_t n, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, limit, [&] { return m_replies.size() >= n; });
    }
    std::size_t ReplyCount() {
        std::lock_guard lock(m_mutex);
        return m_replies.size();
    }
    std::vector<Report> Replies() {
        std::lock_guard lock(m_mutex);
        return m_replies;
    }
    std::vector<std::string> DebugTexts() {
        std::lock_guard lock(m_mutex);
        return m_debug;
    }

    // Sends one report and returns the box's answer to it (the first later report with its
    // code), if one arrives. An answer to an earlier write may still be on its way.
    std::optional<Report> Exchange(const Report& request) {
        std::size_t from = ReplyCount();
        if (m_link.WriteReport(request) != kReportSize) return std::nullopt;
        std::unique_lock lock(m_mutex);
        std::optional<Report> answer;
        m_cv.wait_for(lock, std::chrono::seconds(10), [&] {
            for (; from < m_replies.size(); ++from) {
                if (m_replies[from][1] == request[1]) {
                    answer = m_replies[from];
                    return true;
                }
            }
            return false;
        });
        return answer;
    }
    std::optional<Report> Exchange(std::initializer_list<std::uint8_t> bytes) { return Exchange(BuildCommand(bytes)); }

private:
    ParameterStore m_store;
    std::shared_ptr<SimBox> m_box;
    UsbLink m_link;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Report> m_replies;
    std::vector<std::string> m_debug;
};

// Waits for a condition that another thread makes true; bounded so a fault cannot hang.
template <typename Pred>
bool Eventually(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace kv::test
