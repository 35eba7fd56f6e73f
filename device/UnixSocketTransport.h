#pragma once
// A box at the other end of a Unix stream socket: 61-byte reports back to back,
// no header, in both directions. The simulator program serves this.

#include <memory>
#include <string>

#include "device/Transport.h"

namespace kv {

class UnixSocketTransport : public Transport {
public:
    ~UnixSocketTransport() override;
    // Connects to the socket at path; nothing when no one listens there.
    static std::unique_ptr<UnixSocketTransport> Connect(const std::string& path, const DebugOutput& debug = {});

    ReadStatus Read(Report& out, int timeoutMs) override;
    int Write(const Report& report, int timeoutMs) override;
    std::string Path() const override { return m_path; }

private:
    UnixSocketTransport(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd;
    std::string m_path;
    Report m_partial{};  // a report that arrived in pieces
    int m_have = 0;
};

TransportOpener MakeUnixSocketOpener(const std::string& path);

}  // namespace kv
