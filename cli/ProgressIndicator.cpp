#include "cli/ProgressIndicator.h"

namespace kv::cli {

ProgressIndicator::ProgressIndicator(std::FILE* stream, bool enabled, std::string label)
    : m_stream(stream),
      m_enabled(enabled && stream),
      m_label(std::move(label)),
      m_start(std::chrono::steady_clock::now()) {}

ProgressIndicator::~ProgressIndicator() { Finish(); }

void ProgressIndicator::Tick() {
    if (!m_enabled) return;
    static constexpr char kFrames[] = {'|', '/', '-', '\\'};
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    std::fprintf(m_stream, "\r%c %s %.1f s ", kFrames[m_frame++ % 4], m_label.c_str(), seconds);
    std::fflush(m_stream);
    m_shown = true;
}

void ProgressIndicator::Finish() {
    if (!m_shown) return;
    // Clear to the end of the line: the label may be wider than what comes next.
    std::fprintf(m_stream, "\r\033[K");
    std::fflush(m_stream);
    m_shown = false;
}

}  // namespace kv::cli
