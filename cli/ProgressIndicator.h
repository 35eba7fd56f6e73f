#pragma once
// A one-line "working" indicator on standard error while a synchronisation runs; only
// on a terminal, so that scripts and logs see nothing of it.

#include <chrono>
#include <cstdio>
#include <string>

namespace kv::cli {

class ProgressIndicator {
public:
    ProgressIndicator(std::FILE* stream, bool enabled, std::string label);
    ~ProgressIndicator();
    ProgressIndicator(const ProgressIndicator&) = delete;
    ProgressIndicator& operator=(const ProgressIndicator&) = delete;

    void Tick();
    // Removes the line, so that what follows starts on a clean line.
    void Finish();

private:
    std::FILE* m_stream;
    bool m_enabled;
    bool m_shown = false;
    std::string m_label;
    int m_frame = 0;
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace kv::cli
