#pragma once
// kv4420ctl serve as a real process on a free port of 127.0.0.1, with its own config and
// runtime folders, and a blocking HTTP client for it (no event loop needed).

#include <memory>
#include <string>
#include <vector>

class QProcess;

namespace kv::test {

struct RawHttp {
    int status = 0;  // 0: no answer
    std::string body;
};

class ServeProcess {
public:
    // Serves the boxes at uris; home holds config/ and run/ (XDG_CONFIG_HOME, XDG_RUNTIME_DIR).
    ServeProcess(const std::string& home, const std::vector<std::string>& uris, std::vector<std::string> extra = {});
    ~ServeProcess();
    ServeProcess(const ServeProcess&) = delete;
    ServeProcess& operator=(const ServeProcess&) = delete;

    bool Ready() const { return m_port != 0; }
    int Port() const { return m_port; }
    const std::string& Token() const { return m_token; }
    const std::string& StartLine() const { return m_startLine; }
    // Until its first box was read back; false when that took too long.
    bool WaitConnected() const;
    std::string Output();  // everything it printed so far, both streams
    RawHttp Http(const std::string& method, const std::string& path, const std::string& body = {},
                 bool withToken = true) const;
    // SIGTERM; the exit status, or -1 when it did not exit within limitMs.
    int Terminate(int limitMs);

private:
    std::unique_ptr<QProcess> m_process;
    std::string m_said;
    int m_port = 0;
    std::string m_token;
    std::string m_startLine;
};

}  // namespace kv::test
