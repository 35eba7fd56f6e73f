#pragma once
// Runs the programs under test as real processes: kv4420ctl to completion with its output
// captured, kv4420-sim in the background on a socket of its own.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QProcess;

namespace kv::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit by itself
    int signal = 0;     // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

struct ProcessOptions {
    std::map<std::string, std::string> env;  // added to (or replacing in) the test's environment
    std::optional<uid_t> runAs;              // drop to this user first (the test runs as root)
    std::chrono::seconds limit{60};          // killed after this, so a hang fails instead of blocking
    bool stderrOnTerminal = false;           // standard error on a pseudo-terminal, as in a shell
    std::string workingDirectory;            // empty: the test's own
};

// Arguments are UTF-8 text (QProcess carries them as QString); kv4420-sim takes \xHH for
// other bytes.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});
// How a run ended and what it printed, for a failure message.
inline std::string Describe(const ProcessResult& r) {
    return "exit " + std::to_string(r.exitCode) + (r.signal ? " signal " + std::to_string(r.signal) : "") +
           (r.timedOut ? " (timed out)" : "") + "\n--- stdout\n" + r.out + "--- stderr\n" + r.err;
}

#ifdef KV_CTL_PATH
// kv4420ctl against a box at a transport URI; a box on a socket needs no settling time.
inline ProcessResult Ctl(const std::string& uri, std::vector<std::string> args, ProcessOptions options = {}) {
    std::vector<std::string> argv{KV_CTL_PATH, "--device", uri};
    argv.insert(argv.end(), args.begin(), args.end());
    options.env.emplace("KV4420_SYNC_WAIT_MS", "0");
    return RunProcess(argv, options);
}
#endif

// kv4420-sim serving on a fresh socket in a temporary folder, with its log.
class SimProcess {
public:
    explicit SimProcess(const std::string& folder, std::vector<std::string> extraArgs = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Ready() const { return m_ready; }
    const std::string& Socket() const { return m_socket; }
    std::string Uri() const { return "unix:" + m_socket; }
    const std::string& LogPath() const { return m_log; }
    std::string StartupError() const { return m_startError; }
    // Ends it at once, as a crash or a pulled plug would.
    void Kill();

private:
    bool m_ready = false;
    std::string m_socket;
    std::string m_log;
    std::string m_startError;
    std::unique_ptr<QProcess> m_process;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace kv::test
