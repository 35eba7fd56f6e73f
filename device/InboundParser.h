#pragma once
// Turns every report the box sends into store contents. Runs on the read thread.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "device/Report.h"

namespace kv {

class ParameterStore;

class InboundParser {
public:
    explicit InboundParser(ParameterStore& store);

    void Dispatch(const Report& report);

    // Called on the read thread with the learned key code; the caller waits for the GUI.
    void SetKeyLearnedHook(std::function<void(int keyCode)> hook);
    // Called once per parser lifetime, for the first parameter reply with a bad status.
    void SetParameterErrorHook(std::function<void(const std::string& text)> hook);

private:
    void ParameterReply(const Report& r);
    void MemoryReply(const Report& r);
    void ModeNameReply(const Report& r);

    ParameterStore& m_store;
    std::mutex m_hookMutex;  // hooks may be set while the read thread runs
    std::function<void(int)> m_keyLearned;
    std::function<void(const std::string&)> m_parameterError;
    std::atomic<bool> m_errorShown{false};
};

}  // namespace kv
